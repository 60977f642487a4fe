#include "lock/session_lock/desktop_session_lock.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <cstdio>

namespace lumora {

namespace {

constexpr int kCallTimeoutMs = 2000;
const QString kLogin1 = QStringLiteral("org.freedesktop.login1");

QString loginSession() {
  QDBusInterface manager(kLogin1, QStringLiteral("/org/freedesktop/login1"), kLogin1 + ".Manager",
                         QDBusConnection::systemBus());
  if (!manager.isValid()) return {};
  manager.setTimeout(kCallTimeoutMs);
  const QByteArray id = qgetenv("XDG_SESSION_ID");
  const QDBusReply<QDBusObjectPath> path = id.isEmpty()
                                               ? manager.call(QStringLiteral("GetSessionByPID"), uint(::getpid()))
                                               : manager.call(QStringLiteral("GetSession"), QString::fromUtf8(id));
  return path.isValid() ? path.value().path() : QString();
}

bool lockThroughLogind() {
  const QString session = loginSession();
  if (session.isEmpty()) return false;
  QDBusInterface lock(kLogin1, session, kLogin1 + ".Session", QDBusConnection::systemBus());
  lock.setTimeout(kCallTimeoutMs);
  return lock.call(QStringLiteral("Lock")).type() == QDBusMessage::ReplyMessage;
}

bool lockThroughScreenSaver() {
  const QString service = QStringLiteral("org.freedesktop.ScreenSaver");
  for (const QString& path : {QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("/ScreenSaver")}) {
    QDBusInterface saver(service, path, service, QDBusConnection::sessionBus());
    saver.setTimeout(kCallTimeoutMs);
    if (saver.call(QStringLiteral("Lock")).type() == QDBusMessage::ReplyMessage) return true;
  }
  return false;
}

}  // namespace

bool lockDesktopSession(const std::string& why) {
  std::fprintf(stderr, "lumora-lock: %s: locking the session through the desktop's own lock\n", why.c_str());
  if (lockThroughLogind()) {
    std::fputs("lumora-lock: the session was locked through logind\n", stderr);
    return true;
  }
  if (lockThroughScreenSaver()) {
    std::fputs("lumora-lock: the session was locked through org.freedesktop.ScreenSaver\n", stderr);
    return true;
  }
  std::fputs("lumora-lock: neither logind nor org.freedesktop.ScreenSaver locked the session\n", stderr);
  return false;
}

}  // namespace lumora
