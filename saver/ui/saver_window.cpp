#include "saver/ui/saver_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPalette>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <filesystem>

#include "graphics/rounding.h"
#include "imaging/loader.h"
#include "platform/core/ansi.h"
#include "platform/core/paths.h"
#include "platform/desktop/cursor_counter.h"
#include "platform/desktop/screensaver_inhibit.h"
#include "platform/desktop/taskbar.h"
#include "platform/desktop/wayland_idle_inhibit.h"
#include "platform/desktop/x11_window.h"
#include "players/audio_player.h"
#include "players/flash_player.h"
#include "saver/core/missing_entries.h"
#include "widgets/face_names.h"
#include "saver/ui/hosted_show.h"
#include "saver/ui/lyric_timer.h"
#include "widgets/masked_edit.h"
#include "saver/ui/picture_error_report.h"
#include "saver/ui/screen_covers.h"
#include "saver/ui/show_placement.h"
#include "saver/ui/shutdown_timer.h"
#include "saver/ui/stage_window.h"
#include "saver/ui/switch_timer.h"
#include "settings/list_file.h"
#include "settings/stored_text.h"
#include "widgets/bitmap_image.h"

namespace lumora {

namespace {

const char* const kWelcomeCaption = "欢迎使用《Lumora》";

}  // namespace

QRect SaverWindow::screenRect() const {
  if (hosted_) return hosted_->area();
  return QGuiApplication::primaryScreen()->geometry();
}

const Lyrics& SaverWindow::lyrics() const { return lyricTimer_->lyrics(); }

SaverWindow::SaverWindow(SaverServices services, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(std::move(services)), step_(slide_, *this) {
  if (services_.host) hosted_ = new HostedShow(services_.host, services_.hostId, this);
  // The registry file is read once as the show starts (start/ or the lock
  // may have read it already). The password is the lock's (lumora-lock):
  // the show itself asks none.
  ShowStart start =
      services_.start ? std::move(*services_.start) : readShowStart(registryFilePath(), false, services_.readRegistry);
  services_.start.reset();
  setWindowFlags(showWindowFlags(false));
  installFaceNameSubstitutions();
  setObjectName(QStringLiteral("TForm1"));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);
  setAutoFillBackground(true);
  setFocusPolicy(Qt::StrongFocus);
  const QRect screen = screenRect();

  openingCaption_ = new QLabel(QString::fromUtf8(kWelcomeCaption), this);
  openingCaption_->setObjectName(QStringLiteral("OpeningCaption"));
  openingCaption_->setAttribute(Qt::WA_TranslucentBackground);
  QPalette lp = openingCaption_->palette();
  lp.setColor(QPalette::WindowText, Qt::yellow);
  openingCaption_->setPalette(lp);
  QFont font = fontForFace(QStringLiteral("华文行楷"));
  openingCaption_->setFont(font);
  openingPicture_ = new QLabel(this);
  openingPicture_->setObjectName(QStringLiteral("OpeningPicture"));
  openingPicture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  openingPicture_->hide();

  slideTimer_.setInterval(6000);
  mediaTimer_.setInterval(100);
  connect(&slideTimer_, &QTimer::timeout, this, &SaverWindow::nextSlide);
  connect(&mediaTimer_, &QTimer::timeout, this, &SaverWindow::tickMedia);
  // The countdown is held while the lock's prompt is being answered.
  shutdown_ = new ShutdownTimer({services_.now, [this] { return lockPromptUp_; }, [this] { endForShutdown(); }},
                                services_.powerOff, this);

  audioPlayer_ = std::make_unique<AudioPlayer>(services_.audio);
  flashPlayer_ = new FlashPlayer(this);
  flashPlayer_->setPlaysOverShow(true);
  flashPlayer_->hide();
  // A key or a button on the movie is input on the saver window.
  connect(flashPlayer_, &FlashPlayer::inputReceived, this, [this] { close(); });
  bool slidesOn = true, mediaOn = true;

  // The show's start: the taskbar, the start time, the list folder, the
  // settings, the opening, the lists and the timers, in this order.
  if (!hosted()) hideTaskbar();
  startTime_ = services_.now();
  ensureListFolder();
  slide_.settings = std::move(start.settings);
  loadOpening();
  if (settings().pauseSeconds)
    slideTimer_.setInterval(int(std::clamp<std::int64_t>(settings().pauseMs(), 0, INT32_MAX)));

  // The opening caption: size Round(ScreenW / L / 1.2) with L in ANSI bytes, centred.
  const std::string caption = utf8ToAnsi(openingCaption_->text().toStdString());
  if (!caption.empty()) {
    const int size = roundHalfEven(static_cast<long double>(screen.width()) / caption.size() / 1.2L);
    font.setPixelSize(std::max(1, (size * 96 + 36) / 72));
    openingCaption_->setFont(font);
  }
  openingCaption_->adjustSize();
  openingCaption_->move((screen.width() - openingCaption_->width()) / 2, screen.height() / 2 - 10);

  // On Wayland the show's surface holds the idle off once shown (holdOffIdle).
  if (!hosted() && !onWaylandPlatform()) inhibit_ = std::make_unique<ScreenSaverInhibit>();
  loadLists();
  if (pictures_.empty())
    slidesOn = false;
  else
    dropMissingEntries(pictures_.items);
  if (media_.empty())
    mediaOn = false;
  else
    dropMissingEntries(media_.items);

  random_.setSeed(services_.seed.value_or(seedFromTimeOfDay()));
  pictures_.index = 0;
  if (settings().mediaOrder == PlayOrder::None)
    mediaOn = false;
  else if (settings().mediaOrder == PlayOrder::InList)
    media_.index = 0;
  else if (settings().mediaOrder == PlayOrder::Random)
    media_.index = random_.next(media_.count());  // every entry can come first
  captions_.index = settings().captionOrder == PlayOrder::Random ? random_.next(captions_.count()) : 0;

  slide_.pictures = &pictures_;
  slide_.captions = &captions_;
  slide_.random = &random_;
  slide_.slideIdle = true;
  if (services_.forcedEffect >= 0) step_.setForcedEffect(services_.forcedEffect);

  // The stage and the picture error report: child widgets of this window,
  // stacked above the opening as they come up.
  stage_ = new StageWindow(this);
  errorReport_ = new PictureErrorReport(this);
  lyricTimer_ = new LyricTimer([this] { return audioPlayer_->position(); }, *stage_, this);
  if (hosted_)
    playInHost();
  else
    playFullScreen();

  playlist_ = std::make_unique<MediaPlaylist>(MediaSettings{settings().mediaOrder, settings().lyricsOn}, media_, slide_,
                                              random_, *audioPlayer_, *flashPlayer_, static_cast<MediaHost&>(*this));

  if (slidesOn) slideTimer_.start();
  if (mediaOn) mediaTimer_.start();
  shutdown_->start(startTime_, settings().shutdownMinutes);
  setGeometry(screen);
}

SaverWindow::~SaverWindow() { restoreSystemState(); }

// Module mode: the desktop's window holds the show, which follows its size
// and ends when it goes; input is the desktop's.
void SaverWindow::playInHost() {
  stage_->setFocusPolicy(Qt::NoFocus);
  stage_->setShowArea([this] { return screenRect(); });
  hosted_->embed(*this, [this] { return slide_.slideIdle; });
  connect(hosted_, &HostedShow::gone, this, &SaverWindow::endShow);
  connect(hosted_, &HostedShow::resized, this, &SaverWindow::takeHostSize);
}

// The show's own full-screen window: the pointer hidden, input on the stage
// or the error report ends the show, and the window comes back when taken.
void SaverWindow::playFullScreen() {
  // The pointer is hidden from the show's first frame: the window holds
  // the blank cursor before it is mapped (on Wayland the compositor takes
  // it when the pointer enters, motion or not); the counter's show and
  // hide requests then give the cursor back or blank it again.
  setCursor(Qt::BlankCursor);
  cursor_ = std::make_unique<AppCursor>([this](bool hidden) {
    if (hidden)
      setCursor(Qt::BlankCursor);
    else
      unsetCursor();
  });
  connect(stage_, &StageWindow::inputReceived, this, &SaverWindow::stageInput);
  connect(errorReport_, &PictureErrorReport::inputReceived, this, &SaverWindow::stageInput);
  connect(qApp, &QGuiApplication::primaryScreenChanged, this, &SaverWindow::followPrimaryScreen);
  // Iconified or unmapped by anyone, the show comes straight back.
  new ShowWindowKeeper(this, false, [this] {
    if (closed_) return;
    hide();
    showOnPrimaryScreen();
  });
}

void SaverWindow::takeHostSize() {
  setGeometry(screenRect());
  openingCaption_->move((width() - openingCaption_->width()) / 2, height() / 2 - 10);
  if (stage_->isVisible()) {
    stage_->stage();  // the Stage takes the new size
    stage_->present();
  }
}

void SaverWindow::showOnPrimaryScreen() {
  if (hosted()) {
    show();
    return;
  }
  showOnScreen(this, QGuiApplication::primaryScreen(), false);
}

void SaverWindow::followPrimaryScreen() {
  if (closed_ || !isVisible()) return;
  // Another screen became the primary one (or the old one went away): the
  // show moves there, and the covers follow (ScreenCovers).
  showOnScreen(this, QGuiApplication::primaryScreen(), false);
  openingCaption_->move((width() - openingCaption_->width()) / 2, height() / 2 - 10);
}

void SaverWindow::loadOpening() {
  const OpeningDisplay opening = settings().openingDisplay;
  if (opening == OpeningDisplay::Caption && settings().openingCaption) {
    openingCaption_->setText(QString::fromStdString(ansiToUtf8(*settings().openingCaption)));
  } else if (opening == OpeningDisplay::Picture && settings().openingPicture &&
             entryFileExists(*settings().openingPicture)) {
    try {
      const Picture picture = loadPicture(pathFromAnsi(*settings().openingPicture).string());
      openingPicture_->setPixmap(QPixmap::fromImage(imageOver(picture.bitmap())));
      openingPicture_->setGeometry(screenRect().translated(-screenRect().topLeft()));
      openingCaption_->hide();
      openingPicture_->show();
    } catch (const PictureError& e) {
      // The caption stays; the show goes on.
      std::fprintf(stderr, "lumora: the opening picture cannot be shown: %s\n", e.what());
    }
  }
}

void SaverWindow::loadLists() {
  auto load = [](const char* name, IndexedList& list) {
    const auto path = listFilePath(name);
    if (listFileExists(path)) list.items = readListFile(path);
  };
  load(kCaptionListFile, captions_);
  load(kFontListFile, fonts_);
  load(kPictureListFile, pictures_);
  load(kMediaListFile, media_);
}

void SaverWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  setGeometry(screenRect());
  // Every other screen is covered black for the whole show; input there is
  // input to the show. The desktop's saver window covers no other screen.
  if (!hosted()) {
    if (!covers_ && !closed_) {
      covers_ = std::make_unique<ScreenCovers>(false);
      connect(covers_.get(), &ScreenCovers::inputReceived, this, [this] { close(); });
    }
    takeKeyboard();
    if (!closed_) grabInput(true);
    // On Wayland the desktop's idle blanking is held off on the show's own
    // surface, which exists once the window is shown.
    if (!closed_ && onWaylandPlatform() && !waylandInhibit_) QTimer::singleShot(0, this, &SaverWindow::holdOffIdle);
  }
  // The first media entry starts when the window is first shown.
  if (!mediaStarted_ && mediaTimer_.isActive()) {
    mediaStarted_ = true;
    try {
      playlist_->start();
    } catch (const std::exception& e) {
      reportError(e.what());
    }
  }
  // The first picture is prepared while the opening is on show.
  if (!firstPrepared_ && slideTimer_.isActive()) {
    firstPrepared_ = true;
    step_.prepareNext();
  }
}

void SaverWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  flashPlayer_->setGeometry(rect());
}

// In module mode the desktop owns input: keys and buttons end nothing.
// Otherwise the grab brings every key and button here, those on the stage
// too: the stage goes first.
void SaverWindow::keyPressEvent(QKeyEvent*) {
  if (!hosted()) stageInput();
}
void SaverWindow::mousePressEvent(QMouseEvent*) {
  if (!hosted()) stageInput();
}

void SaverWindow::stageInput() {
  stage_->hide();
  close();
}

void SaverWindow::closeEvent(QCloseEvent* event) {
  // Any key or button ends the show: with the password on, the lock asks
  // for it before the show ever sees a key.
  event->accept();
  endShow();
}

void SaverWindow::holdForLockPrompt(bool held) {
  lockPromptUp_ = held;
  if (held)
    slideTimer_.stop();
  else if (!pictures_.empty() && slideIdle())
    slideTimer_.start();
}

void SaverWindow::endShow() {
  if (ended_) return;
  ended_ = true;
  grabInput(false);
  step_.cancel();        // a step waiting for its picture gives up
  stage_->stopPacing();  // a transition running now ends at once, not at its pace
  restoreSystemState();
  emit showEnded();
  if (hosted_)
    hosted_->endApplication();
  else
    QCoreApplication::quit();
}

void SaverWindow::restoreSystemState() {
  if (closed_) return;
  closed_ = true;
  inhibit_.reset();
  waylandInhibit_.reset();
  mediaTimer_.stop();
  lyricTimer_->setOn(false);
  if (hosted_) hosted_->stop();
  audioPlayer_->stop();
  flashPlayer_->stop();  // no player program outlives the show
  if (!hosted()) showTaskbar();
  cursor_.reset();
  errorReport_->hide();
  covers_.reset();
}

void SaverWindow::nextSlide() {
  if (captionPainting_) return;  // the painter starts the slide timer again when it is done
  step_.run();
}

void SaverWindow::tickMedia() {
  try {
    playlist_->tick();
  } catch (const std::exception& e) {
    // A player error other than the media device error: the application's
    // error report; the tick ends.
    reportError(e.what());
  }
}

void SaverWindow::endForShutdown() {
  slideTimer_.stop();
  mediaTimer_.stop();
  lyricTimer_->setOn(false);
  stage_->hide();
  if (hosted_)
    endShow();  // the desktop locks; Qt closes no child window
  else
    close();
}

// SlideHost

// The cursor is the desktop's in module mode (no AppCursor then).
void SaverWindow::hideCursor() {
  if (cursor_) cursor_->hide();
}

void SaverWindow::hideOpening() {
  openingPicture_->hide();
  openingCaption_->hide();
}

void SaverWindow::setSlideTimer(bool on) { switchTimer(slideTimer_, on); }

void SaverWindow::screenSize(int& w, int& h) {
  const QRect s = screenRect();
  w = s.width();
  h = s.height();
}

void SaverWindow::showStage() {
  stage_->showAbove(this, {errorReport_});
  errorReport_->keepOnTop();
}

Bitmap& SaverWindow::stage() { return stage_->stage(); }

EffectHost* SaverWindow::effectHost() { return stage_; }

void SaverWindow::post(std::function<void()> task) {
  // Queued to this window's thread; dropped with the window.
  QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void SaverWindow::reportPictureError(const std::string& path, const std::string& message) {
  std::fprintf(stderr, "lumora: %s: %s\n", ansiToUtf8(path).c_str(), message.c_str());
  if (hosted()) return;  // nothing comes up over the desktop's saver window
  errorReport_->report(QString::fromStdString(message), screenRect());
}

void SaverWindow::reportError(const std::string& message) {
  if (hosted()) {
    // Nothing may come up over the desktop's saver window.
    std::fprintf(stderr, "lumora: %s\n", message.c_str());
    return;
  }
  QMessageBox::critical(this, QStringLiteral("Lumora"), QString::fromStdString(message));
}

// MediaHost

void SaverWindow::setMediaTimer(bool on) { switchTimer(mediaTimer_, on); }

void SaverWindow::setLyricTimer(bool on) { lyricTimer_->setOn(on); }

void SaverWindow::hideStage() {
  stage_->hide();
  // The keyboard comes back to the show's window (and the movie inside it);
  // else it would go wherever the desktop puts the focus next, perhaps a
  // program under the show, and a key would no longer end the show.
  if (!hosted() && !closed_) takeKeyboard();
}

void SaverWindow::takeKeyboard() {
  activateWindow();
  setFocus();
}

void SaverWindow::holdOffIdle() {
  if (closed_ || waylandInhibit_) return;
  waylandInhibit_ = std::make_unique<WaylandIdleInhibit>(windowHandle());
  // Where the compositor has no idle-inhibit protocol, the session's
  // screensaver service is asked instead (done at start-up).
  if (!waylandInhibit_->active() && !inhibit_) inhibit_ = std::make_unique<ScreenSaverInhibit>();
}

void SaverWindow::grabInput(bool on) {
  // Wayland has no grabs (asking prints a warning each time); input
  // reaches the focused window, a cover or this one.
  if (!onX11()) return;
  grabbing_ = on && !hosted() && !ended_;
  QWindow* window = windowHandle();
  if (!window) return;
  if (!grabbing_) {
    window->setKeyboardGrabEnabled(false);
    window->setMouseGrabEnabled(false);
    return;
  }
  const bool keyboard = window->setKeyboardGrabEnabled(true);
  const bool pointer = window->setMouseGrabEnabled(true);
  if (!keyboard || !pointer)
    QTimer::singleShot(100, this, [this] {
      if (grabbing_) grabInput(true);
    });
}

void SaverWindow::showCursor() {
  if (cursor_) cursor_->show();
}

int SaverWindow::readLyrics() {
  const int found = lyricTimer_->lyrics().read(audioPlayer_->source());
  if (found == 1) showStage();
  return found;
}

void SaverWindow::paintCaption(const std::string& caption) {
  // The stage takes the caption and paints it; the painter ends by starting
  // the slide timer.
  stage_->setCaption(caption);
  int w = 0, h = 0;
  screenSize(w, h);
  captionPainting_ = true;
  struct Done {
    bool& painting;
    ~Done() { painting = false; }  // also when the painter throws
  } done{captionPainting_};
  stage_->paintCurrentCaption({random_, fonts_.items, w, h, [this] { return ended_; }}, [this] {
    captionPainting_ = false;
    slideTimer_.start();
  });
}

}  // namespace lumora
