#include "players/flash_player.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPainter>
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
  const QByteArray env = qgetenv("LUMORA_FLASH_BIN");
  if (!env.isEmpty()) return QString::fromLocal8Bit(env);
  const QString dir = QCoreApplication::applicationDirPath();
  const QString beside = dir + QStringLiteral("/lumora-flash");
  if (QFileInfo(beside).isExecutable()) return beside;
  return dir + QStringLiteral("/../lib/lumora/lumora-flash");
}

FlashPlayer::FlashPlayer(QWidget* parent, std::function<std::int64_t()> clockMs)
    : QWidget(parent), clock_(clockMs ? std::move(clockMs) : steadyMs) {
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

void FlashPlayer::launch() {
  // A player that is still running takes the next movie: no second start of
  // the web engine.
  if (process_ && process_->state() != QProcess::NotRunning && !session_.exited()) {
    session_.start(swf_, clock_());
    loadStartMs_ = clock_();
    send("load " + path_);
    return;
  }
  endProcess();
  session_.start(swf_, clock_());
  loadStartMs_ = clock_();
  const QString program = programPath();
  if (!QFileInfo(program).isExecutable()) {
    std::fprintf(stderr, "lumora: the Flash player %s is missing\n", qPrintable(program));
    session_.onExit();
    return;
  }
  process_ = std::make_unique<QProcess>();
  // The web engine's messages are of no use to the user of the show.
  if (qEnvironmentVariableIsSet("LUMORA_FLASH_DEBUG"))
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
  // The player's window is placed inside this one (winId makes it a window
  // of its own).
  const QStringList args = {QStringLiteral("--parent"), QString::number(qulonglong(winId())), QStringLiteral("--size"),
                            QStringLiteral("%1x%2").arg(std::max(1, width())).arg(std::max(1, height()))};
  process_->start(program, args);
  send("load " + path_);
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
        emit inputReceived();
        break;
      case FlashSession::Event::Shown:
        if (qEnvironmentVariableIsSet("LUMORA_FLASH_DEBUG"))
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
  endProcess();
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

void FlashPlayer::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  send("size " + std::to_string(width()) + " " + std::to_string(height()));
}

}  // namespace lumora
