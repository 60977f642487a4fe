#include "saver/ui/lyric_timer.h"

#include "saver/ui/lyric_painter.h"
#include "saver/ui/stage_window.h"
#include "saver/ui/switch_timer.h"

namespace lumora {

LyricTimer::LyricTimer(std::function<std::int64_t()> position, StageWindow& stage, QObject* parent)
    : QObject(parent), position_(std::move(position)), stage_(stage) {
  timer_.setInterval(200);
  connect(&timer_, &QTimer::timeout, this, &LyricTimer::showDue);
}

void LyricTimer::setOn(bool on) { switchTimer(timer_, on); }

void LyricTimer::showDue() {
  const std::vector<std::string> lines = lyrics_.due(position_());
  if (lines.empty()) return;
  for (const std::string& text : lines) drawLyricLine(stage_.stageImage(), text);
  // The lyric display leaves the Stage's font as it set it: "宋体", 20 points,
  // yellow (the caption painter keeps it when the font list is empty).
  stage_.stageFont() = StageFont{QStringLiteral("宋体"), (20 * 96 + 36) / 72, 0x0000FFFFu};
  stage_.present();
}

}  // namespace lumora
