#include "saver/ui/caption_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <chrono>

#include "platform/core/ansi.h"
#include "saver/ui/face_names.h"

namespace lumora {

namespace {

QString toQString(const std::string& ansi) { return QString::fromStdString(ansiToUtf8(ansi)); }

QFont qfontOf(const StageFont& font) {
  QFont f(font.face);
  f.setPixelSize(font.pixelSize);
  return f;
}

QColor qcolorOf(ColorRef colour) {
  const Pixel p = pixelOfColour(colour);
  return QColor(redOf(p), greenOf(p), blueOf(p));
}

// The Stage area a text output at `baseline` can touch: the ink's bounding
// box, widened by a pixel for antialiasing. Only this area is presented, so
// the typing of a caption repaints a glyph's box rather than the screen.
Rect inkedArea(const QFontMetrics& metrics, const QString& text, QPoint baseline) {
  constexpr int kAntialiasMargin = 2;
  const QRect ink = metrics.boundingRect(text).translated(baseline).adjusted(
      -kAntialiasMargin, -kAntialiasMargin, kAntialiasMargin, kAntialiasMargin);
  return Rect{ink.left(), ink.top(), ink.right() + 1, ink.bottom() + 1};
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
    QImage view(stage.bytes(), stage.width(), stage.height(), int(stage.bytesPerLine()), QImage::Format_RGB32);
    QPainter painter(&view);
    painter.setFont(qfont);
    painter.setBrush(Qt::NoBrush);
    painter.setBackgroundMode(Qt::TransparentMode);
    const int ascent = metrics.ascent();
    using Clock = std::chrono::steady_clock;
    auto lastPump = Clock::now();
    // Pumps when it is due; false once the show has ended.
    auto goOn = [&] {
      if (!host || Clock::now() - lastPump < std::chrono::milliseconds(kCaptionPumpMs)) return true;
      host->pump();
      lastPump = Clock::now();
      return !(sources.stopped && sources.stopped());
    };
    for (const CaptionDraw& draw : plan.draws) {
      painter.setPen(qcolorOf(draw.colour));
      const QString s = toQString(draw.text);
      const QPointF at(draw.x, draw.y + ascent);  // text out puts the cell's top-left corner at (x, y)
      const Rect inked = inkedArea(metrics, s, at.toPoint());
      for (int i = 0; i < draw.times; ++i) {
        painter.drawText(at, s);
        if (host) host->stageDrawn(inked);
        if (!goOn()) {
          font.colour = plan.finalColour;
          return plan;
        }
      }
    }
  }
  font.colour = plan.finalColour;
  return plan;
}

}  // namespace lumora
