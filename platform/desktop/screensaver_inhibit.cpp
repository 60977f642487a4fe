#include "platform/desktop/screensaver_inhibit.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>

#include "platform/core/session_bus.h"

namespace lumora {
namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";
constexpr const char* kInterface = "org.freedesktop.ScreenSaver";
// Desktops register the interface at one of these paths.
constexpr const char* kPaths[] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};
constexpr int kTimeoutMs = 2000;

QString applicationName() {
  const QString name = QCoreApplication::instance() ? QCoreApplication::applicationName() : QString();
  return name.isEmpty() ? QStringLiteral("lumora") : name;
}

}  // namespace

ScreenSaverInhibit::ScreenSaverInhibit(const std::string& reason) {
  // Without a session bus, Qt must not be asked for one (libdbus would
  // start one through dbus-launch when the address is unset).
  if (!hasSessionBus()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  for (const char* path : kPaths) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, kInterface, "Inhibit");
    call << applicationName() << QString::fromStdString(reason);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
      cookie_ = reply.arguments().first().toUInt();
      path_ = path;
      return;
    }
  }
}

ScreenSaverInhibit::~ScreenSaverInhibit() {
  if (!cookie_) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, QString::fromStdString(path_), kInterface, "UnInhibit");
  call << *cookie_;
  bus.call(call, QDBus::Block, kTimeoutMs);
}

}  // namespace lumora
