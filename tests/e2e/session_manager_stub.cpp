// Stands in for GNOME's session manager on a test's session bus while an idle
// inhibitor is held (a video playing, say): org.gnome.SessionManager at
// /org/gnome/SessionManager, whose IsInhibited answers true for the idle flag
// (8) for as long as this program runs. Prints "ready" once the name is owned.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QObject>

#include <cstdio>

class IdleInhibitingSessionManager : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.gnome.SessionManager")

 public Q_SLOTS:
  bool IsInhibited(uint flags) { return (flags & 8u) != 0; }
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QDBusConnection bus = QDBusConnection::sessionBus();
  IdleInhibitingSessionManager manager;
  if (!bus.registerObject("/org/gnome/SessionManager", &manager, QDBusConnection::ExportAllSlots) ||
      !bus.registerService("org.gnome.SessionManager")) {
    std::fprintf(stderr, "session_manager_stub: cannot register: %s\n",
                 bus.lastError().message().toLocal8Bit().constData());
    return 1;
  }
  std::puts("ready");
  std::fflush(stdout);
  return app.exec();
}

#include "session_manager_stub.moc"
