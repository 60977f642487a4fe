// TForm1, the saver window: the show's one window on the primary screen.
// Borderless, black, full screen, stay-on-top; shows the opening caption
// (`Label1`) or picture (`Image1`) until the first slide step; holds
// everything else the show draws as child widgets (the stage, the picture
// error report); covers the other screens black; owns
// the slide and media timers and the show's one state (the shutdown
// countdown, the lyric display and module mode are objects of their own);
// ends the show on a key or mouse button. With the password on, the show
// runs as the lock's module (lock/), which asks for it.
#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "graphics/random.h"
#include "players/audio_output.h"
#include "saver/core/indexed_list.h"
#include "saver/core/media_playlist.h"
#include "saver/core/slide_step.h"
#include "settings/settings.h"
#include "settings/show_start.h"

namespace lumora {

class AppCursor;
class AudioPlayer;
class FlashPlayer;
class HostedShow;
class Lyrics;
class LyricTimer;
class PictureErrorReport;
class PowerOff;
class ScreenSaverInhibit;
class ScreenCovers;
class ShutdownTimer;
class StageWindow;
class WaylandIdleInhibit;

// What the show takes from outside, replaceable in tests.
struct SaverServices {
  std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
  PowerOff* powerOff = nullptr;  // the shutdown at the end of the countdown
  int forcedEffect = -1;         // >= 0: every slide step runs this effect
  // The generator's first seed; unset, the time of day (benchmarks fix it
  // so that runs draw the same transitions).
  std::optional<std::uint32_t> seed;
  AudioOutputMode audio = AudioOutputMode::Automatic;  // Silent in tests
  // Module mode: the desktop's window the show plays in (it outlives the
  // saver window); null for the show's own full-screen windows. The desktop
  // then owns input, locking and the end: no prompt, no cursor, taskbar or
  // inhibit changes, and the show follows the window's size.
  QWindow* host = nullptr;
  std::uint32_t hostId = 0;  // the host's X window id
  // What the show read of the registry file as it started (the program's
  // start reads it to decide whether the show runs watched); unset, the
  // window reads it itself, once, through readRegistry.
  std::optional<ShowStart> start;
  RegistryReader readRegistry = RegistryFile::load;
};

class SaverWindow : public QWidget, private SlideHost, private MediaHost {
  Q_OBJECT

 public:
  // Reads the settings and lists and prepares the opening display; the
  // stage window and the prompt are created beside it.
  explicit SaverWindow(SaverServices services, QWidget* parent = nullptr);
  ~SaverWindow() override;

  // The show's one state, open to tests.
  const ShowSettings& settings() const { return slide_.settings; }
  IndexedList& pictures() { return pictures_; }
  IndexedList& media() { return media_; }
  IndexedList& captions() { return captions_; }
  IndexedList& fonts() { return fonts_; }
  bool slideIdle() const { return slide_.slideIdle; }
  QTimer& slideTimer() { return slideTimer_; }
  QTimer& mediaTimer() { return mediaTimer_; }
  ShutdownTimer& shutdownTimer() { return *shutdown_; }
  LyricTimer& lyricTimer() { return *lyricTimer_; }
  QLabel* openingCaption() const { return openingCaption_; }
  QLabel* openingPicture() const { return openingPicture_; }
  // The stage, a child widget filling this window, above the opening when
  // shown.
  StageWindow* stageWindow() const { return stage_; }
  // The report of a picture that cannot be read, a child widget at the top.
  PictureErrorReport* pictureErrorReport() const { return errorReport_; }
  ScreenCovers* screenCovers() const { return covers_.get(); }
  // Shows the window over the whole primary screen (module mode: inside the
  // host window); the other screens are covered once it is shown.
  void showOnPrimaryScreen();
  const QDateTime& startTime() const { return startTime_; }
  bool ended() const { return ended_; }
  // The lock's prompt is up (held) or down again: the slide timer and the
  // shutdown countdown wait meanwhile.
  void holdForLockPrompt(bool held);
  // Ends the show as a granted close does (system state restored, media
  // stopped, the application told to quit), without the close query. Module
  // mode ends so: its windows are children of the desktop's, which Qt does
  // not close.
  void endShow();
  // Module mode: true when playing in a window the desktop gave.
  bool hosted() const { return hosted_ != nullptr; }
  // The area the show covers: the primary screen, or the host window's
  // inside (at 0, 0).
  QRect screenRect() const;
  AudioPlayer& audioPlayer() { return *audioPlayer_; }
  FlashPlayer* flashPlayer() const { return flashPlayer_; }
  const Lyrics& lyrics() const;
  const MediaPlaylist& playlist() const { return *playlist_; }

  void nextSlide();  // one slide step
  void tickMedia();  // the media playlist's tick

 signals:
  // The close was granted and the system state restored.
  void showEnded();

 protected:
  void showEvent(QShowEvent* event) override;  // FormShow
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;  // FormCloseQuery + FormClose

 private:
  void loadOpening();
  void loadLists();
  // Gives back what the show took of the desktop (the inhibits, the
  // taskbar, the cursor, the other screens) and stops its media; once.
  void restoreSystemState();
  void playInHost();
  void playFullScreen();
  void stageInput();
  void takeKeyboard();  // the show's window gets the keyboard focus
  // The keyboard and the pointer grabbed for the show's window (on, X11
  // only) for the whole show, or let go at its end; a grab
  // the X server refuses for now (the window not yet mapped, another
  // program's grab) is tried again.
  void grabInput(bool on);
  void followPrimaryScreen();
  void holdOffIdle();   // Wayland: the idle inhibitor on the shown surface
  void takeHostSize();  // module mode: the host window's new size
  // The countdown is over: every timer stopped, the stage hidden, the show
  // closed (the power-off follows).
  void endForShutdown();

  // SlideHost
  void hideCursor() override;
  void hideOpening() override;
  void setSlideTimer(bool on) override;
  void screenSize(int& w, int& h) override;
  void showStage() override;
  Bitmap& stage() override;
  EffectHost* effectHost() override;
  void post(std::function<void()> task) override;
  void reportPictureError(const std::string& path, const std::string& message) override;
  void paintCaption(const std::string& caption) override;

  // The application's error report: a message box; returns when dismissed.
  void reportError(const std::string& message);

  // MediaHost (setSlideTimer and hideCursor are shared with SlideHost)
  void setMediaTimer(bool on) override;
  void setLyricTimer(bool on) override;
  void hideStage() override;
  void showCursor() override;
  int readLyrics() override;

  SaverServices services_;
  QDateTime startTime_;  // StartTime
  Random random_;
  IndexedList pictures_, media_, captions_, fonts_;
  SlideState slide_;
  SlideStep step_;
  QLabel* openingCaption_;
  QLabel* openingPicture_;
  QTimer slideTimer_, mediaTimer_;
  HostedShow* hosted_ = nullptr;          // child object, module mode only
  ShutdownTimer* shutdown_;               // child object
  LyricTimer* lyricTimer_;                // child object
  StageWindow* stage_;                    // child widget
  std::unique_ptr<ScreenCovers> covers_;  // the other screens, black, while shown
  PictureErrorReport* errorReport_;       // child widget
  std::unique_ptr<AppCursor> cursor_;
  std::unique_ptr<ScreenSaverInhibit> inhibit_;
  std::unique_ptr<WaylandIdleInhibit> waylandInhibit_;
  std::unique_ptr<AudioPlayer> audioPlayer_;
  FlashPlayer* flashPlayer_;  // child widget filling the window
  std::unique_ptr<MediaPlaylist> playlist_;
  bool mediaStarted_ = false;
  bool firstPrepared_ = false;
  bool lockPromptUp_ = false;  // the lock's prompt is being answered
  bool ended_ = false;
  // True while the caption painter runs: it pumps, and a slide step started
  // from there (the slide timer restarted by a refused close) would draw into the
  // Stage under it; the step comes when the caption is done instead.
  bool captionPainting_ = false;
  bool closed_ = false;
  bool grabbing_ = false;  // grabInput(true) holds until grabInput(false)
};

}  // namespace lumora
