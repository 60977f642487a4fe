#include "settings_window/about_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace lumora {

namespace {

struct Palette {
  QColor skyTop, skyBottom, body, farHills, nearHills, frame;
};

constexpr int kW = kAboutPictureWidth;
constexpr int kH = kAboutPictureHeight;

QPainterPath hills(double base, double amplitude, double phase) {
  QPainterPath path(QPointF(0, kH));
  for (int x = 0; x <= kW; x += 4) {
    const double t = x / double(kW);
    path.lineTo(x, base - amplitude * (0.6 * std::sin(6.28 * (t + phase)) + 0.4 * std::sin(15.0 * t + phase * 9)));
  }
  path.lineTo(kW, kH);
  path.closeSubpath();
  return path;
}

}  // namespace

QPixmap aboutPicture(int which) {
  const bool night = which != 0;
  const Palette pal = night ? Palette{QColor(8, 12, 48),  QColor(52, 40, 110), QColor(240, 236, 200),
                                      QColor(40, 48, 96), QColor(20, 28, 60),  QColor(120, 120, 170)}
                            : Palette{QColor(70, 140, 230), QColor(255, 214, 150), QColor(255, 190, 40),
                                      QColor(90, 150, 110), QColor(40, 110, 60),   QColor(60, 90, 140)};
  QPixmap pixmap(kW, kH);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, kH * 0.7);
  sky.setColorAt(0, pal.skyTop);
  sky.setColorAt(1, pal.skyBottom);
  p.fillRect(pixmap.rect(), sky);
  if (night) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 230));
    unsigned scatter = 2026;
    for (int i = 0; i < 40; ++i) {  // stars on a fixed scatter
      scatter = scatter * 1103515245u + 12345u;
      const int x = int((scatter >> 8) % unsigned(kW));
      scatter = scatter * 1103515245u + 12345u;
      const int y = int((scatter >> 8) % unsigned(kH * 0.55));
      p.drawEllipse(QPointF(x, y), 0.8 + (i % 3) * 0.4, 0.8 + (i % 3) * 0.4);
    }
    p.setBrush(pal.body);
    p.drawEllipse(QPointF(kW * 0.72, kH * 0.22), 18, 18);
    p.setBrush(pal.skyTop);
    p.drawEllipse(QPointF(kW * 0.72 + 8, kH * 0.22 - 5), 16, 16);  // the crescent's shadow
  } else {
    QRadialGradient glow(QPointF(kW * 0.3, kH * 0.3), 40);
    glow.setColorAt(0, pal.body);
    glow.setColorAt(1, QColor(255, 214, 150, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(kW * 0.3, kH * 0.3), 40, 40);
    p.setBrush(pal.body);
    p.drawEllipse(QPointF(kW * 0.3, kH * 0.3), 16, 16);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(pal.farHills);
  p.drawPath(hills(kH * 0.62, 14, 0.1));
  p.setBrush(pal.nearHills);
  p.drawPath(hills(kH * 0.78, 10, 0.55));
  p.setPen(QPen(pal.frame, 3));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(1.5, 1.5, kW - 3, kH - 3));
  return pixmap;
}

}  // namespace lumora
