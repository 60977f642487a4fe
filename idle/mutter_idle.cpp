#include "idle/mutter_idle.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <stdexcept>

#include "idle/idle_transitions.h"

namespace lumora {

namespace {

constexpr const char* kMonitorService = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kMonitorPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* kMonitorInterface = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kSessionService = "org.gnome.SessionManager";
constexpr const char* kSessionPath = "/org/gnome/SessionManager";
constexpr unsigned kInhibitIdle = 8;
constexpr int kCallTimeoutMs = 2000;
constexpr const char* kConnectionName = "lumora-idle";

}  // namespace

// Receives Mutter's WatchFired signals for the source.
class MutterWatchReceiver : public QObject {
  Q_OBJECT
 public:
  explicit MutterWatchReceiver(MutterIdle::Impl& owner) : owner_(owner) {}
 public Q_SLOTS:
  void fired(uint id);

 private:
  MutterIdle::Impl& owner_;
};

struct MutterIdle::Impl {
  // QCoreApplication keeps references to its arguments.
  int argc = 1;
  char name[8] = "lumora";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QCoreApplication> app;
  QDBusConnection bus{QString()};
  MutterWatchReceiver receiver{*this};
  IdleTransitions transitions;
  std::int64_t thresholdMs = 0;
  uint idleWatch = 0;
  uint activeWatch = 0;
  QEventLoop* waiting = nullptr;

  ~Impl() {
    if (bus.isConnected()) {
      for (uint id : {idleWatch, activeWatch})
        if (id) call("RemoveWatch", {id});
    }
    QDBusConnection::disconnectFromBus(kConnectionName);
  }

  QDBusMessage call(const char* method, const QList<QVariant>& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(kMonitorService, kMonitorPath, kMonitorInterface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, kCallTimeoutMs);
  }

  // The reply's first argument as T; throws with Mutter's error otherwise.
  template <typename T>
  T ask(const char* method, const QList<QVariant>& arguments = {}) {
    const QDBusReply<T> reply = call(method, arguments);
    if (!reply.isValid())
      throw std::runtime_error(std::string("Mutter's idle monitor: ") + method + ": " +
                               reply.error().message().toStdString());
    return reply.value();
  }

  // From idle to the next input: a user-active watch, which Mutter drops once
  // it fires. Input that came before the watch was in place shows in the idle
  // time.
  void watchForUse() {
    if (activeWatch == 0) activeWatch = ask<uint>("AddUserActiveWatch");
    if (ask<qulonglong>("GetIdletime") < qulonglong(thresholdMs)) {
      call("RemoveWatch", {activeWatch});
      activeWatch = 0;
      transitions.resumed();
    }
  }

  void onFired(uint id) {
    if (id == 0) return;
    if (id == idleWatch) {
      transitions.idled(IdleTransitions::Clock::now());
      watchForUse();
    } else if (id == activeWatch) {
      activeWatch = 0;
      transitions.resumed();
    } else {
      return;
    }
    if (waiting) waiting->quit();
  }
};

void MutterWatchReceiver::fired(uint id) { owner_.onFired(id); }

MutterIdle::MutterIdle(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
MutterIdle::~MutterIdle() = default;

std::unique_ptr<MutterIdle> MutterIdle::open(const std::string& busAddress) {
  auto impl = std::make_unique<Impl>();
  if (!QCoreApplication::instance()) impl->app = std::make_unique<QCoreApplication>(impl->argc, impl->argv);
  impl->bus = QDBusConnection::connectToBus(QString::fromStdString(busAddress), kConnectionName);
  if (!impl->bus.isConnected() || !impl->bus.interface() ||
      !impl->bus.interface()->isServiceRegistered(kMonitorService).value())
    return nullptr;
  if (!impl->bus.connect(kMonitorService, kMonitorPath, kMonitorInterface, "WatchFired", &impl->receiver,
                         SLOT(fired(uint))))
    throw std::runtime_error("cannot receive the signals of Mutter's idle monitor");
  return std::unique_ptr<MutterIdle>(new MutterIdle(std::move(impl)));
}

void MutterIdle::watch(std::int64_t thresholdMs) {
  Impl& x = *impl_;
  for (uint* id : {&x.idleWatch, &x.activeWatch}) {
    if (*id) x.call("RemoveWatch", {*id});
    *id = 0;
  }
  x.thresholdMs = thresholdMs;
  x.transitions.restart(thresholdMs);
  x.idleWatch = x.ask<uint>("AddIdleWatch", {qulonglong(thresholdMs)});
  // Already idle for that long when the watch is added: the idle period that
  // runs now counts, whether or not Mutter fires the new watch for it.
  if (x.ask<qulonglong>("GetIdletime") >= qulonglong(thresholdMs)) {
    x.transitions.idled(IdleTransitions::Clock::now());
    x.watchForUse();
  }
}

std::vector<std::int64_t> MutterIdle::idleTimes(std::chrono::milliseconds wait) {
  Impl& x = *impl_;
  if (!x.bus.isConnected()) throw std::runtime_error("the session bus connection was lost");
  QEventLoop loop;
  QTimer::singleShot(wait, &loop, &QEventLoop::quit);
  x.waiting = &loop;
  loop.exec();
  x.waiting = nullptr;
  return x.transitions.take(IdleTransitions::Clock::now());
}

bool MutterIdle::heldOff() {
  QDBusMessage message = QDBusMessage::createMethodCall(kSessionService, kSessionPath, kSessionService, "IsInhibited");
  message << kInhibitIdle;
  const QDBusReply<bool> reply = impl_->bus.call(message, QDBus::Block, kCallTimeoutMs);
  // No session manager (a bare compositor): nothing inhibits.
  return reply.isValid() && reply.value();
}

}  // namespace lumora

#include "mutter_idle.moc"
