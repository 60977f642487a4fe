// The inhibitor against a fake org.freedesktop.ScreenSaver on a private
// session bus (a dbus-daemon of its own, skipped when there is none).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMutex>
#include <QObject>
#include <QThread>
#include <memory>
#include <string>

#include "desktop/gui_app.h"
#include "platform/desktop/screensaver_inhibit.h"
#include "platform/temp_home.h"

namespace lumora {
namespace {

class FakeScreenSaver : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

 public:
  QStringList calls() const {
    QMutexLocker lock(&mutex_);
    return calls_;
  }

 public Q_SLOTS:
  uint Inhibit(const QString& application, const QString& reason) {
    QMutexLocker lock(&mutex_);
    calls_ << QStringLiteral("Inhibit %1 %2").arg(application, reason);
    return 42;
  }
  void UnInhibit(uint cookie) {
    QMutexLocker lock(&mutex_);
    calls_ << QStringLiteral("UnInhibit %1").arg(cookie);
  }

 private:
  mutable QMutex mutex_;
  QStringList calls_;
};

// A dbus-daemon of the test's own, a child of the test process, stopped by
// its pid and reaped at the end.
class PrivateBus {
 public:
  PrivateBus() {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(fds[0]);
      ::dup2(fds[1], 1);
      ::execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--print-address=1", nullptr);
      ::_exit(127);
    }
    ::close(fds[1]);
    if (pid_ > 0) {
      std::string line;
      char c;
      while (::read(fds[0], &c, 1) == 1 && c != '\n') line.push_back(c);
      address_ = QString::fromStdString(line).trimmed();
    }
    ::close(fds[0]);
  }
  ~PrivateBus() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  bool running() const { return pid_ > 0 && !address_.isEmpty(); }
  const QString& address() const { return address_; }

 private:
  QString address_;
  pid_t pid_ = -1;
};

TEST(ScreenSaverInhibit, NothingWithoutASessionBus) {
  test::ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", nullptr);
  ScreenSaverInhibit inhibit;
  EXPECT_FALSE(inhibit.active());
}

TEST(ScreenSaverInhibit, InhibitsWhileAliveAndReleasesWithTheCookie) {
  PrivateBus daemon;
  if (!daemon.running()) GTEST_SKIP() << "no dbus-daemon";
  test::guiApp();
  const QByteArray address = daemon.address().toUtf8();
  test::ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", address.constData());

  // The fake service: its own connection, its own thread.
  QThread thread;
  thread.start();
  auto fake = std::make_unique<FakeScreenSaver>();
  fake->moveToThread(&thread);
  QDBusConnection service = QDBusConnection::connectToBus(daemon.address(), "fake-screensaver");
  ASSERT_TRUE(service.isConnected());
  ASSERT_TRUE(service.registerObject("/org/freedesktop/ScreenSaver", fake.get(), QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(service.registerService("org.freedesktop.ScreenSaver"));

  {
    ScreenSaverInhibit inhibit("show running");
    EXPECT_TRUE(inhibit.active());
    ASSERT_EQ(fake->calls().size(), 1);
    EXPECT_TRUE(fake->calls()[0].startsWith("Inhibit ")) << fake->calls()[0].toStdString();
    EXPECT_TRUE(fake->calls()[0].endsWith(" show running"));
  }
  EXPECT_EQ(fake->calls(), (QStringList{fake->calls().value(0), "UnInhibit 42"}));

  service.unregisterObject("/org/freedesktop/ScreenSaver");
  QDBusConnection::disconnectFromBus("fake-screensaver");
  thread.quit();
  thread.wait();
}

}  // namespace
}  // namespace lumora

#include "screensaver_inhibit_test.moc"
