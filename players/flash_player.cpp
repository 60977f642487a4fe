#include "players/flash_player.h"

#include <QPainter>

namespace lumora {

namespace {
std::int64_t steadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

FlashPlayer::FlashPlayer(QWidget* parent, std::function<std::int64_t()> clockMs)
    : QWidget(parent), clock_(clockMs ? std::move(clockMs) : steadyMs) {
  setObjectName(QStringLiteral("ShockwaveFlash1"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Input goes to the window below (a key or a button ends the show).
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
}

void FlashPlayer::setMovie(const std::string& path) {
  SwfMovie movie;
  try {
    movie = readSwfFile(path);
  } catch (const SwfError& e) {
    throw MediaDeviceError(path + ": " + e.what());
  }
  swf_ = movie;
  path_ = path;
  timeline_.load(swf_.frameCount, swf_.frameRate88);
  timeline_.play(clock_());
  update();
}

void FlashPlayer::play() { timeline_.play(clock_()); }
void FlashPlayer::stop() { timeline_.stop(clock_()); }
int FlashPlayer::frameNum() const { return timeline_.frameNum(clock_()); }
int FlashPlayer::totalFrames() const { return path_.empty() ? 0 : int(swf_.frameCount); }

QColor FlashPlayer::backgroundColor() const {
  if (!swf_.backgroundColor) return Qt::white;
  return QColor::fromRgb(QRgb(0xFF000000u | *swf_.backgroundColor));
}

void FlashPlayer::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), path_.empty() ? QColor(Qt::black) : backgroundColor());
}

}  // namespace lumora
