#include "widgets/application_palette.h"

#include <QApplication>

namespace lumora {

QPalette applicationPalette() {
  QPalette pal = QApplication::palette();
  for (int group = 0; group < QPalette::NColorGroups; ++group)
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
      const auto g = QPalette::ColorGroup(group);
      const auto r = QPalette::ColorRole(role);
      pal.setColor(g, r, pal.color(g, r));
    }
  return pal;
}

}  // namespace lumora
