// The player program's window: a frameless web view playing one movie
// through Ruffle, driven by commands on standard input and reporting on
// standard output, one line each (see docs/MEDIA.md for the protocol).
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWindow>
#include <memory>
#include <string>

#include "flash_host/scheme.h"

namespace lumora {

class HostPage : public QWebEnginePage {
  Q_OBJECT
 public:
  using QWebEnginePage::QWebEnginePage;
 signals:
  void report(const QString& line);

 protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                const QString& source) override;
};

// Where the view plays (see players/flash_placement.h for who asks which).
struct HostPlace {
  unsigned long long parentWindow = 0;  // the window to play in (X11); 0: a window of our own
  bool fullScreen = false;              // our own window full screen on `output`
  QString output;                       // by name; the primary screen when none has it
  int width = 640;                      // our own window's size when not full screen
  int height = 480;
  bool hidden = false;  // our own window waits for "show"
};

class HostWindow : public QObject {
  Q_OBJECT
 public:
  HostWindow(const QString& ruffleDir, const HostPlace& place);
  ~HostWindow() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void readCommands();
  // Ends the program (on "quit", "stop" or the end of the commands).
  void leave();
  void command(const std::string& line);
  void pageReport(const QString& line);
  void load(const std::string& path);
  void send(const std::string& line);
  void runScript(const QString& script);
  // Moves the view into sight in the window it plays in (once).
  void placeInParent();
  // Shows or hides a window of our own (not one inside another window).
  void showOwnWindow(bool shown);
  // The "size" command.
  void resizeView(int width, int height);

  HostPlace place_;
  std::unique_ptr<QWebEngineProfile> profile_;
  LumoraSchemeHandler* scheme_;
  OfflineInterceptor* interceptor_;
  HostPage* page_;
  std::unique_ptr<QWindow> parent_;  // the foreign window we play in
  bool placed_ = false;              // the view has moved into its area
  bool placeTimerArmed_ = false;     // the first load has set the time to move in anyway
  std::unique_ptr<QWebEngineView> view_;
  QSocketNotifier stdin_;
  std::string pending_;  // input not yet ended by a newline
  bool pageReady_ = false;
  std::string queuedLoad_;  // a load that came before the page was ready
  int loads_ = 0;
  int lastFrame_ = -1;
};

}  // namespace lumora
