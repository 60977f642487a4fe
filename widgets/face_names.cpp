#include "widgets/face_names.h"

#include <QFont>
#include <QStringList>

namespace lumora {

namespace {

struct FaceName {
  const char* windowsName;
  const char* substitutes;  // comma-separated, best first
};

// Kai (brush) faces stand in for the calligraphic ones, Ming for the serif
// Song faces, Zen Hei for the sans-serif Hei faces.
constexpr FaceName kFaceNames[] = {
    {"宋体", "AR PL UMing CN,AR PL UMing TW,WenQuanYi Zen Hei"},
    {"新宋体", "AR PL UMing CN,WenQuanYi Zen Hei"},
    {"仿宋_GB2312", "AR PL UMing CN,WenQuanYi Zen Hei"},
    {"仿宋", "AR PL UMing CN,WenQuanYi Zen Hei"},
    {"隶书", "AR PL UKai CN,AR PL UKai TW,WenQuanYi Zen Hei"},
    {"华文行楷", "AR PL UKai CN,AR PL UKai TW,WenQuanYi Zen Hei"},
    {"楷体_GB2312", "AR PL UKai CN,WenQuanYi Zen Hei"},
    {"楷体", "AR PL UKai CN,WenQuanYi Zen Hei"},
    {"华文楷体", "AR PL UKai CN,WenQuanYi Zen Hei"},
    {"黑体", "WenQuanYi Zen Hei,AR PL UMing CN"},
    {"幼圆", "WenQuanYi Zen Hei,AR PL UMing CN"},
    {"华文细黑", "WenQuanYi Zen Hei,AR PL UMing CN"},
    {"MS Sans Serif", "DejaVu Sans,WenQuanYi Zen Hei"},
};

}  // namespace

void installFaceNameSubstitutions() {
  static const bool installed = [] {
    for (const FaceName& f : kFaceNames)
      QFont::insertSubstitutions(QString::fromUtf8(f.windowsName),
                                 QString::fromUtf8(f.substitutes).split(QLatin1Char(',')));
    return true;
  }();
  (void)installed;
}

QFont fontForFace(const QString& windowsName) {
  installFaceNameSubstitutions();
  QStringList families = QFont::substitutes(windowsName);
  families.append(windowsName);
  QFont font;
  font.setFamilies(families);
  return font;
}

}  // namespace lumora
