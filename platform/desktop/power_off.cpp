#include "platform/desktop/power_off.h"
#include "platform/core/hooks.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>

#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string_view>

namespace lumora {

void LogindPowerOff::powerOff() {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected())
    throw std::runtime_error("power off: no system bus: " + bus.lastError().message().toStdString());
  QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                     "org.freedesktop.login1.Manager", "PowerOff");
  call << false;  // not interactive
  const QDBusMessage reply = bus.call(call, QDBus::Block);
  if (reply.type() == QDBusMessage::ErrorMessage)
    throw std::runtime_error("power off: " + reply.errorMessage().toStdString());
}

void PrintingPowerOff::powerOff() { std::cout << "lumora: power off requested" << std::endl; }

std::unique_ptr<PowerOff> makePowerOff() {
  if (hookValue(Hook::Shutdown) == "print") return std::make_unique<PrintingPowerOff>();
  return std::make_unique<LogindPowerOff>();
}

}  // namespace lumora
