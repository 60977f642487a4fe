#include "saver/ui/lyric_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include "platform/core/ansi.h"

namespace lumora {

namespace {
constexpr int kPointSize = 20;
constexpr int kFromBottom = 25;
}  // namespace

void drawLyricLine(QImage& stage, const std::string& text) {
  QFont font(QStringLiteral("宋体"));
  font.setPixelSize((kPointSize * 96 + 36) / 72);  // 20 points at 96 dots per inch
  const QString s = QString::fromStdString(ansiToUtf8(text));
  QPainter p(&stage);
  p.setFont(font);
  const QFontMetrics metrics(font);
  // Text out with a solid background: the text's cell is filled first.
  const QRect cell(0, stage.height() - kFromBottom, metrics.horizontalAdvance(s), metrics.height());
  p.fillRect(cell, Qt::black);
  p.setPen(Qt::yellow);
  p.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, s);
}

}  // namespace lumora
