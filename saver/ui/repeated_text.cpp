#include "saver/ui/repeated_text.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <memory>
#include <optional>

#include "graphics/coverage_blend.h"
#include "platform/core/ansi.h"
#include "widgets/bitmap_image.h"

namespace lumora {

namespace {

QString toQString(const std::string& ansi) { return QString::fromStdString(ansiToUtf8(ansi)); }

QColor qcolorOf(Pixel p) { return QColor(redOf(p), greenOf(p), blueOf(p)); }

// A painter on the Stage's memory, opened again when the Stage got new
// memory (the window resized it to a changed screen while it pumped).
class StagePainter {
 public:
  StagePainter(Bitmap& stage, const QFont& font) : stage_(stage), font_(font) {}

  QPainter& on() {
    if (!painter_ || view_.constBits() != stage_.bytes() || view_.width() != stage_.width() ||
        view_.height() != stage_.height()) {
      painter_.reset();
      view_ = imageOver(stage_);
      painter_ = std::make_unique<QPainter>(&view_);
      prepareForText(*painter_, font_);
    }
    return *painter_;
  }

  static void prepareForText(QPainter& painter, const QFont& font) {
    painter.setFont(font);
    painter.setBrush(Qt::NoBrush);
    painter.setBackgroundMode(Qt::TransparentMode);
  }

 private:
  Bitmap& stage_;
  const QFont& font_;
  QImage view_;  // declared before the painter, so it outlives it
  std::unique_ptr<QPainter> painter_;
};

// The area an output at `baseline` can touch: the ink's bounding box,
// widened by a pixel for antialiasing (and one more to be safe). Only this
// area is presented, so the typing of a caption repaints a glyph's box
// rather than the screen.
Rect inkedArea(const QFontMetrics& metrics, const QString& text, QPoint baseline) {
  constexpr int kAntialiasMargin = 2;
  const QRect ink = metrics.boundingRect(text).translated(baseline).adjusted(-kAntialiasMargin, -kAntialiasMargin,
                                                                             kAntialiasMargin, kAntialiasMargin);
  return Rect{ink.left(), ink.top(), ink.right() + 1, ink.bottom() + 1};
}

// The coverage of `text` drawn at `baseline`, read off the same output in
// white on `ink`, a bitmap the size of the Stage (made on first use), at
// the same place: the rasteriser's result depends on the output's place on
// its device. The box read is the ink's reported box with a wide margin
// (reported boxes are not exact for every face); ink reaching its edge
// gives nothing.
std::optional<InkCoverage> coverageOf(Bitmap& ink, const Bitmap& stage, const QFont& font, const QFontMetrics& metrics,
                                      const QString& text, QPoint baseline) {
  if (ink.width() != stage.width() || ink.height() != stage.height())
    ink = Bitmap::forOverwrite(stage.width(), stage.height());
  const int margin = 4 + metrics.height() / 4;
  const QRect r = metrics.boundingRect(text).translated(baseline).adjusted(-margin, -margin, margin, margin);
  const Rect box{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
  ink.fillRect(box, kBlack);  // only the box is read; the rest may hold anything
  QImage view = imageOver(ink);
  {
    QPainter painter(&view);
    StagePainter::prepareForText(painter, font);
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(QPointF(baseline), text);
  }
  return InkCoverage::read(ink, box);
}

}  // namespace

bool drawRepeatedText(Bitmap& stage, const QFont& font, const std::vector<CaptionDraw>& draws,
                      const std::function<bool(const Rect&)>& afterEach, RepeatedTextCounts* counts) {
  const QFontMetrics metrics(font);
  const int ascent = metrics.ascent();
  StagePainter painter(stage, font);
  Bitmap ink;
  for (const CaptionDraw& draw : draws) {
    const QString text = toQString(draw.text);
    const QPoint baseline(draw.x, draw.y + ascent);  // text out puts the cell's top-left corner at (x, y)
    const Rect inked = inkedArea(metrics, text, baseline);
    const Pixel colour = pixelOfColour(draw.colour);
    std::optional<InkCoverage> coverage;
    if (draw.times > kCheckedTextOutputs) coverage = coverageOf(ink, stage, font, metrics, text, baseline);
    for (int i = 0; i < draw.times; ++i) {
      // A Stage of another size rasterises otherwise: Qt draws the rest.
      if (coverage && (stage.width() != ink.width() || stage.height() != ink.height())) coverage.reset();
      if (coverage && i >= kCheckedTextOutputs) {
        coverage->blendOnto(stage, colour);
      } else {
        const Bitmap before = coverage ? coverage->saveBox(stage) : Bitmap();
        QPainter& p = painter.on();
        p.setPen(qcolorOf(colour));
        p.drawText(QPointF(baseline), text);
        if (coverage && !coverage->predicts(before, stage, colour)) coverage.reset();
      }
      if (!afterEach(inked)) return false;
    }
    if (counts && draw.times > 0) ++(coverage ? counts->blended : counts->drawn);
  }
  return true;
}

}  // namespace lumora
