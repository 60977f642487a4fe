#include "platform/desktop/qt_platform.h"

#include <QGuiApplication>

namespace lumora {

bool onWaylandPlatform() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

}  // namespace lumora
