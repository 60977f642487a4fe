#include "saver/ui/caption_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <chrono>

#include "platform/core/ansi.h"
#include "widgets/face_names.h"
#include "saver/ui/repeated_text.h"

namespace lumora {

namespace {

QString toQString(const std::string& ansi) { return QString::fromStdString(ansiToUtf8(ansi)); }

QFont qfontOf(const StageFont& font) {
  QFont f(font.face);
  f.setPixelSize(font.pixelSize);
  return f;
}

}  // namespace

CaptionPlan paintCaption(Bitmap& stage, StageFont& font, const std::string& caption, const CaptionSources& sources,
                         EffectHost* host) {
  installFaceNameSubstitutions();
  const std::string text = captionText(caption);

  const std::string face = pickCaptionFace(sources.fonts, sources.random);
  if (!face.empty()) font.face = toQString(face);
  font.pixelSize = pointsToPixels(captionFontSize(sources.screenH, text.size()));

  // The caption's box takes the same face and size and sizes itself to the
  // text.
  const QFont qfont = qfontOf(font);
  const QFontMetrics metrics(qfont);
  const int textWidth = metrics.horizontalAdvance(toQString(text));
  const int lineHeight = metrics.height();

  CaptionPlan plan = planCaption(text, textWidth, lineHeight, sources.screenW, sources.screenH, sources.random, stage);

  if (!stage.empty()) {
    using Clock = std::chrono::steady_clock;
    auto lastPump = Clock::now();
    // Tells the window what was drawn and pumps when it is due; false once
    // the show has ended.
    auto afterEach = [&](const Rect& inked) {
      if (!host) return true;
      host->stageDrawn(inked);
      if (Clock::now() - lastPump < std::chrono::milliseconds(kCaptionPumpMs)) return true;
      host->pump();
      lastPump = Clock::now();
      return !(sources.stopped && sources.stopped());
    };
    drawRepeatedText(stage, qfont, plan.draws, afterEach);
  }
  font.colour = plan.finalColour;
  return plan;
}

}  // namespace lumora
