// `ShockwaveFlash1`: the Flash player control. A widget that, while visible,
// covers its parent (the saver window, or the preview area of the settings
// window); the movie plays in the Flash player program (lumora-flash, Ruffle
// in a web view), whose window is placed inside this widget's window and
// driven over a pipe. The widget itself is black, so nothing white shows
// before the movie's first frame. A program that crashes, cannot run or
// shows nothing in time makes failed() true.
#pragma once

#include <QProcess>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "players/flash_session.h"
#include "players/player_controls.h"
#include "players/swf_file.h"

namespace lumora {

class FlashPlayer : public QWidget, public FlashPlayerControl {
  Q_OBJECT

 public:
  // `clockMs` gives the time in ms on a monotonic clock (replaceable in tests).
  explicit FlashPlayer(QWidget* parent = nullptr, std::function<std::int64_t()> clockMs = {});
  ~FlashPlayer() override;

  // `Movie`: reads the movie's header, starts the player program and loads
  // the movie, which plays from its first frame. Throws MediaDeviceError
  // when the file is not a Flash movie; the previous movie then stays.
  void setMovie(const std::string& path) override;
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

 private:
  void launch();
  void endProcess();
  void waitForEnded();
  void send(const std::string& line);
  void readReports();

  std::function<std::int64_t()> clock_;
  std::string path_;
  SwfMovie swf_;
  FlashSession session_;
  std::unique_ptr<QProcess> process_;
  std::vector<std::unique_ptr<QProcess>> ending_;  // told to quit, not yet ended
  QByteArray pending_;  // output not yet ended by a newline
  std::int64_t loadStartMs_ = 0;  // when the movie was handed to the program
};

}  // namespace lumora
