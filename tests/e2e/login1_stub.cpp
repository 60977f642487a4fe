// Stands in for logind on a test's bus: org.freedesktop.login1 whose
// Manager finds one session for any process or id, and whose Session.Lock
// prints "Lock" on standard output. Prints "ready" once the name is owned.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusObjectPath>
#include <QObject>
#include <cstdio>

namespace {

const char* const kSessionPath = "/org/freedesktop/login1/session/stub";

}  // namespace

class LoginManager : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

 public Q_SLOTS:
  QDBusObjectPath GetSession(const QString&) { return QDBusObjectPath(kSessionPath); }
  QDBusObjectPath GetSessionByPID(uint) { return QDBusObjectPath(kSessionPath); }
};

class LoginSession : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")

 public Q_SLOTS:
  void Lock() {
    std::puts("Lock");
    std::fflush(stdout);
  }
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QDBusConnection bus = QDBusConnection::sessionBus();
  LoginManager manager;
  LoginSession session;
  if (!bus.registerObject("/org/freedesktop/login1", &manager, QDBusConnection::ExportAllSlots) ||
      !bus.registerObject(kSessionPath, &session, QDBusConnection::ExportAllSlots) ||
      !bus.registerService("org.freedesktop.login1")) {
    std::fprintf(stderr, "login1_stub: cannot register: %s\n", bus.lastError().message().toLocal8Bit().constData());
    return 1;
  }
  std::puts("ready");
  std::fflush(stdout);
  return app.exec();
}

#include "login1_stub.moc"
