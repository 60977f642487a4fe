#include "saver/ui/shutdown_timer.h"

#include "platform/desktop/power_off.h"

namespace lumora {

namespace {

std::int64_t clockMinuteOf(const QDateTime& t) {
  return clockMinute(t.date().toJulianDay(), t.time().hour(), t.time().minute());
}

}  // namespace

qint64 wholeMinutesBetween(const QDateTime& start, const QDateTime& now) {
  return clockMinuteOf(now) - clockMinuteOf(start);
}

ShutdownTimer::ShutdownTimer(Hooks hooks, PowerOff* powerOff, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)), powerOff_(powerOff) {
  timer_.setInterval(10000);
  connect(&timer_, &QTimer::timeout, this, &ShutdownTimer::check);
}

void ShutdownTimer::start(const QDateTime& start, int minutes) {
  countdown_ = ShutdownCountdown(clockMinuteOf(start), minutes);
  if (countdown_.on()) timer_.start();
}

void ShutdownTimer::check() {
  if (hooks_.held && hooks_.held()) return;  // asked again at the next tick
  if (!countdown_.due(clockMinuteOf(hooks_.now()))) return;
  timer_.stop();
  hooks_.endShow();
  if (powerOff_) powerOff_->powerOff();
}

}  // namespace lumora
