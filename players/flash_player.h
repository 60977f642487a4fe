// `ShockwaveFlash1`: the Flash player control. A widget that, while visible,
// covers its parent (the saver window, or the preview area of the settings
// window); the movie plays in the Flash player program (lumora-flash, Ruffle
// in a web view), driven over a pipe. Under X11 the program's window is
// placed inside this widget's window; under Wayland it is a window of its
// own (full screen on the show's output above the show, see
// flash_placement.h) that is shown and hidden with this widget. The widget
// itself is black, so nothing white shows before the movie's first frame. A
// program that crashes, cannot run or shows nothing in time makes failed()
// true.
#pragma once

#include <QProcess>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "players/flash_placement.h"
#include "players/flash_session.h"
#include "saver/core/player_controls.h"
#include "players/swf_file.h"

namespace lumora {

class FlashPlayer : public QWidget, public FlashPlayerControl {
  Q_OBJECT

 public:
  // `clockMs` gives the time in ms on a monotonic clock, `platform` Qt's
  // platform plugin (both replaceable in tests; empty: the real ones).
  explicit FlashPlayer(QWidget* parent = nullptr, std::function<std::int64_t()> clockMs = {},
                       std::string platform = {});
  ~FlashPlayer() override;

  // `Movie`: reads the movie's header, starts the player program and loads
  // the movie, which plays from its first frame. Throws MediaDeviceError
  // when the file is not a Flash movie; the previous movie then stays.
  void setMovie(const std::string& path) override;
  // Starts the player program (hidden, without a movie) ahead of a movie.
  void prepare() override;
  const std::string& movie() const { return path_; }
  // Resumes a paused movie; after stop(), plays the movie again.
  void play() override;
  // Ends the player program; the frame number stays.
  void stop() override;
  void pause();
  void setVolume(int percent);
  int frameNum() const override;
  int totalFrames() const override;
  bool failed() const override;
  bool ended() const override;
  void setMovieVisible(bool visible) override { setVisible(visible); }

  // This widget plays the full-screen show's movies: under Wayland they play
  // full screen on its output, above the show; otherwise (the settings
  // window's preview) in a window of its own of this widget's size.
  void setPlaysOverShow(bool overShow) { overShow_ = overShow; }

  const SwfMovie& loaded() const { return swf_; }
  bool running() const { return process_ != nullptr; }
  const FlashSession& session() const { return session_; }
  // The program that plays the movies: LUMORA_FLASH_BIN, else lumora-flash
  // beside this program, else in ../libexec/lumora.
  static QString programPath();

 signals:
  // A key or a mouse button on the movie.
  void inputReceived();
  // The movie's first frame is on screen.
  void movieShown();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void launch();
  // Starts the player program; false when it is missing.
  bool startProcess();
  // The player program runs and can take a movie.
  bool processRunning() const;
  void endProcess();
  void waitForEnded();
  void send(const std::string& line);
  void readReports();
  // Input on the movie, passed on as the show's input.
  void movieInput();
  // Our window goes up above the show / has gone (FullScreenOutput).
  void ownWindowUp();
  void ownWindowGone();

  std::function<std::int64_t()> clock_;
  std::string platform_;
  bool overShow_ = false;
  FlashPlacement placement_ = FlashPlacement::InsideWindow;
  bool showWasFullScreen_ = false;  // the show's window was full screen under the player's
  std::string path_;
  SwfMovie swf_;
  FlashSession session_;
  std::unique_ptr<QProcess> process_;
  std::vector<std::unique_ptr<QProcess>> ending_;  // told to quit, not yet ended
  QByteArray pending_;                             // output not yet ended by a newline
  std::int64_t loadStartMs_ = 0;                   // when the movie was handed to the program
};

}  // namespace lumora
