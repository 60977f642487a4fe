#include "players/flash_player.h"
#include "platform/core/hooks.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <chrono>
#include <cstdio>

namespace lumora {

namespace {
std::int64_t steadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
constexpr int kQuitWaitMs = 3000;  // for the program to end after "quit"
}  // namespace

QString FlashPlayer::programPath() {
  if (const auto program = hookValue(Hook::FlashProgram)) return QString::fromLocal8Bit(program->c_str());
  const QString dir = QCoreApplication::applicationDirPath();
  const QString beside = dir + QStringLiteral("/lumora-flash");
  if (QFileInfo(beside).isExecutable()) return beside;
  return dir + QStringLiteral("/../lib/lumora/lumora-flash");
}

FlashPlayer::FlashPlayer(QWidget* parent, std::function<std::int64_t()> clockMs, std::string platform)
    : QWidget(parent),
      clock_(clockMs ? std::move(clockMs) : steadyMs),
      platform_(platform.empty() ? QGuiApplication::platformName().toStdString() : std::move(platform)) {
  setObjectName(QStringLiteral("ShockwaveFlash1"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Input on the black area goes to the window below (a key or a button
  // ends the show); input on the movie comes back from the program.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
}

FlashPlayer::~FlashPlayer() { waitForEnded(); }

void FlashPlayer::setMovie(const std::string& path) {
  SwfMovie movie;
  try {
    movie = readSwfFile(path);
  } catch (const SwfError& e) {
    throw MediaDeviceError(path + ": " + e.what());
  }
  swf_ = movie;
  path_ = path;
  launch();
}

bool FlashPlayer::processRunning() const {
  return process_ && process_->state() != QProcess::NotRunning && !session_.exited();
}

void FlashPlayer::prepare() {
  if (processRunning()) return;
  endProcess();
  // No movie yet: nothing to fail, no frame to count.
  session_ = FlashSession();
  startProcess();
}

void FlashPlayer::launch() {
  // A player that is still running (or was started ahead of this movie)
  // takes it: no second start of the web engine.
  const bool running = processRunning();
  if (!running) endProcess();
  // Before the start, so that a program that cannot start fails this movie.
  session_.start(swf_, clock_());
  loadStartMs_ = clock_();
  if (!running && !startProcess()) {
    session_.onExit();
    return;
  }
  send("load " + path_);
}

bool FlashPlayer::startProcess() {
  if (platform_ == "lumoraframes") {
    // Under the lock on Wayland the show's pixels go to the lock through
    // shared memory; a player window of its own would be another client's
    // window on the desktop. Movies are skipped there.
    std::fputs("lumora: Flash movies do not play under the lock on Wayland\n", stderr);
    return false;
  }
  const QString program = programPath();
  if (!QFileInfo(program).isExecutable()) {
    std::fprintf(stderr, "lumora: the Flash player %s is missing\n", qPrintable(program));
    return false;
  }
  process_ = std::make_unique<QProcess>();
  // The web engine's messages are of no use to the user of the show.
  if (hookOn(Hook::FlashDebug))
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  else
    process_->setStandardErrorFile(QProcess::nullDevice());
  process_->setReadChannel(QProcess::StandardOutput);
  connect(process_.get(), &QProcess::readyReadStandardOutput, this, &FlashPlayer::readReports);
  connect(process_.get(), &QProcess::finished, this, [this] {
    readReports();
    session_.onExit();
  });
  connect(process_.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart) session_.onExit();
  });
  placement_ = flashPlacement(platform_, overShow_);
  FlashWindowPlace place;
  place.width = width();
  place.height = height();
  place.visible = isVisible();
  if (placement_ == FlashPlacement::InsideWindow)
    place.windowId = qulonglong(winId());  // winId makes this widget a window of its own
  else if (const QScreen* output = screen())
    place.output = output->name().toStdString();
  QStringList args;
  for (const std::string& a : flashPlayerArguments(placement_, place)) args << QString::fromStdString(a);
  if (const std::string qpa = flashPlayerPlatform(platform_); !qpa.empty()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromStdString(qpa));
    process_->setProcessEnvironment(env);
  }
  process_->start(program, args);
  if (place.visible) ownWindowUp();
  return true;
}

void FlashPlayer::send(const std::string& line) {
  // Written before the program has started, it waits in the pipe's buffer.
  if (process_) process_->write((line + "\n").c_str());
}

void FlashPlayer::readReports() {
  if (!process_) return;
  pending_ += process_->readAllStandardOutput();
  qsizetype eol;
  while ((eol = pending_.indexOf('\n')) >= 0) {
    const std::string line = pending_.left(eol).toStdString();
    pending_.remove(0, eol + 1);
    switch (session_.onLine(line, clock_())) {
      case FlashSession::Event::Input:
        movieInput();
        break;
      case FlashSession::Event::Shown:
        if (hookOn(Hook::FlashDebug))
          std::fprintf(stderr, "lumora: the Flash movie is on screen after %lld ms\n",
                       static_cast<long long>(clock_() - loadStartMs_));
        emit movieShown();
        break;
      case FlashSession::Event::Failed:
        std::fprintf(stderr, "lumora: the Flash movie %s cannot be played: %s\n", path_.c_str(),
                     session_.error().c_str());
        break;
      case FlashSession::Event::None:
        break;
    }
  }
}

// A window of the player's own above the show would hide the password
// prompt the input may open, and take its typing: it goes while the show
// answers the input (the prompt runs inside the signal), and comes back when
// the show goes on with the movie.
void FlashPlayer::movieInput() {
  const bool above = placement_ == FlashPlacement::FullScreenOutput && process_;
  if (above) {
    send("hide");
    ownWindowGone();
  }
  emit inputReceived();
  if (above && process_ && isVisible()) {
    ownWindowUp();
    send("show");
  }
}

// Some compositors (sway) let one window per output be full screen: the
// player's full-screen window takes that from the show's, which is then
// tiled under it. When the player's window goes, the show's gets it back.
void FlashPlayer::ownWindowUp() {
  if (placement_ == FlashPlacement::FullScreenOutput && window()->isFullScreen()) showWasFullScreen_ = true;
}

void FlashPlayer::ownWindowGone() {
  if (placement_ != FlashPlacement::FullScreenOutput || !showWasFullScreen_) return;
  QWidget* show = window();
  if (!show->isFullScreen()) show->setWindowState(show->windowState() | Qt::WindowFullScreen);
}

// Asks the program to end and lets it go on its own: the show does not wait
// for the web engine to shut down. One that does not end in time is killed.
void FlashPlayer::endProcess() {
  pending_.clear();
  if (!process_) return;
  std::unique_ptr<QProcess> p = std::move(process_);
  p->disconnect(this);
  if (p->state() == QProcess::NotRunning) return;
  p->write("quit\n");
  p->closeWriteChannel();
  QProcess* raw = p.get();
  connect(raw, &QProcess::finished, this, [this, raw] {
    // Not deleted inside its own signal: handed to the event loop.
    for (std::unique_ptr<QProcess>& q : ending_)
      if (q.get() == raw) q.release()->deleteLater();
    std::erase(ending_, nullptr);
  });
  QTimer::singleShot(kQuitWaitMs, raw, [raw] { raw->kill(); });
  ending_.push_back(std::move(p));
}

// On the way out, every program is seen to its end.
void FlashPlayer::waitForEnded() {
  endProcess();
  for (const std::unique_ptr<QProcess>& p : ending_) {
    p->disconnect(this);
    if (!p->waitForFinished(kQuitWaitMs)) {
      p->kill();
      p->waitForFinished(kQuitWaitMs);
    }
  }
  ending_.clear();
}

void FlashPlayer::play() {
  if (path_.empty()) return;
  if (process_ && !session_.exited()) {
    send("play");
    session_.resume(clock_());
  } else {
    launch();
  }
}

void FlashPlayer::stop() {
  session_.stop(clock_());
  const bool wasRunning = running();
  endProcess();
  if (wasRunning) ownWindowGone();
  update();
}

void FlashPlayer::pause() {
  send("pause");
  session_.pause(clock_());
}

void FlashPlayer::setVolume(int percent) { send("volume " + std::to_string(std::clamp(percent, 0, 100))); }

int FlashPlayer::frameNum() const { return session_.frameNum(clock_()); }
int FlashPlayer::totalFrames() const { return path_.empty() ? 0 : int(swf_.frameCount); }
bool FlashPlayer::failed() const { return session_.failed(clock_()); }
bool FlashPlayer::ended() const { return session_.ended(clock_()); }

void FlashPlayer::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
}

// A window of the player's own is seen only while this widget is.
void FlashPlayer::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!process_ || !flashWindowIsApart(placement_)) return;
  ownWindowUp();
  send("show");
}

void FlashPlayer::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (!process_ || !flashWindowIsApart(placement_)) return;
  send("hide");
  ownWindowGone();
}

void FlashPlayer::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  send("size " + std::to_string(width()) + " " + std::to_string(height()));
}

}  // namespace lumora
