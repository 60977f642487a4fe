#include "idle/wayland_idle.h"

#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

namespace lumora {

struct WaylandIdle::Impl {
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_seat* seat = nullptr;
  ext_idle_notifier_v1* notifier = nullptr;
  ext_idle_notification_v1* notification = nullptr;
  org_kde_kwin_idle* kdeIdle = nullptr;
  org_kde_kwin_idle_timeout* kdeTimeout = nullptr;
  IdleTransitions transitions;

  ~Impl() {
    dropWatch();
    if (notifier) ext_idle_notifier_v1_destroy(notifier);
    if (kdeIdle) org_kde_kwin_idle_destroy(kdeIdle);
    if (seat) wl_seat_destroy(seat);
    if (registry) wl_registry_destroy(registry);
    if (display) wl_display_disconnect(display);
  }

  void dropWatch() {
    if (notification) ext_idle_notification_v1_destroy(notification);
    if (kdeTimeout) org_kde_kwin_idle_timeout_release(kdeTimeout);
    notification = nullptr;
    kdeTimeout = nullptr;
  }

  // After a call on the connection failed.
  [[noreturn]] void fail() const {
    const int error = wl_display_get_error(display);
    throw std::runtime_error(std::string("the connection to the Wayland compositor failed: ") +
                             std::strerror(error ? error : errno));
  }
};

namespace {

using Impl = WaylandIdle::Impl;

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  auto* x = static_cast<Impl*>(data);
  const std::string_view which(interface);
  if (which == wl_seat_interface.name && !x->seat) {
    x->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (which == ext_idle_notifier_v1_interface.name && !x->notifier) {
    x->notifier =
        static_cast<ext_idle_notifier_v1*>(wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
  } else if (which == org_kde_kwin_idle_interface.name && !x->kdeIdle) {
    x->kdeIdle = static_cast<org_kde_kwin_idle*>(wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
  }
}

void onGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

void onIdled(void* data, ext_idle_notification_v1*) {
  static_cast<Impl*>(data)->transitions.idled(IdleTransitions::Clock::now());
}
void onResumed(void* data, ext_idle_notification_v1*) { static_cast<Impl*>(data)->transitions.resumed(); }
const ext_idle_notification_v1_listener kNotificationListener = {onIdled, onResumed};

void onKdeIdle(void* data, org_kde_kwin_idle_timeout*) {
  static_cast<Impl*>(data)->transitions.idled(IdleTransitions::Clock::now());
}
void onKdeResumed(void* data, org_kde_kwin_idle_timeout*) { static_cast<Impl*>(data)->transitions.resumed(); }
const org_kde_kwin_idle_timeout_listener kTimeoutListener = {onKdeIdle, onKdeResumed};

}  // namespace

WaylandIdle::WaylandIdle(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
WaylandIdle::~WaylandIdle() = default;

std::unique_ptr<WaylandIdle> WaylandIdle::open() {
  auto impl = std::make_unique<Impl>();
  impl->display = wl_display_connect(nullptr);
  if (!impl->display) return nullptr;
  impl->registry = wl_display_get_registry(impl->display);
  wl_registry_add_listener(impl->registry, &kRegistryListener, impl.get());
  if (wl_display_roundtrip(impl->display) < 0) impl->fail();
  if (!impl->seat) throw std::runtime_error("the Wayland compositor has no seat");
  if (!impl->notifier && !impl->kdeIdle)
    throw std::runtime_error("the Wayland compositor offers neither ext-idle-notify-v1 nor org_kde_kwin_idle");
  return std::unique_ptr<WaylandIdle>(new WaylandIdle(std::move(impl)));
}

const char* WaylandIdle::protocol() const {
  return impl_->notifier ? ext_idle_notifier_v1_interface.name : org_kde_kwin_idle_interface.name;
}

void WaylandIdle::watch(std::int64_t thresholdMs) {
  Impl& x = *impl_;
  x.dropWatch();
  const auto timeout =
      std::uint32_t(std::clamp<std::int64_t>(thresholdMs, 1, std::numeric_limits<std::uint32_t>::max()));
  x.transitions.restart(thresholdMs);
  if (x.notifier) {
    x.notification = ext_idle_notifier_v1_get_idle_notification(x.notifier, timeout, x.seat);
    ext_idle_notification_v1_add_listener(x.notification, &kNotificationListener, &x);
  } else {
    x.kdeTimeout = org_kde_kwin_idle_get_idle_timeout(x.kdeIdle, x.seat, timeout);
    org_kde_kwin_idle_timeout_add_listener(x.kdeTimeout, &kTimeoutListener, &x);
  }
  if (wl_display_flush(x.display) < 0 && errno != EAGAIN) x.fail();
}

std::vector<std::int64_t> WaylandIdle::idleTimes(std::chrono::milliseconds wait) {
  Impl& x = *impl_;
  // Everything already queued, then one wait on the socket for more.
  while (wl_display_prepare_read(x.display) != 0) {
    if (wl_display_dispatch_pending(x.display) < 0) x.fail();
  }
  wl_display_flush(x.display);
  pollfd fd{wl_display_get_fd(x.display), POLLIN, 0};
  const int ready = ::poll(&fd, 1, int(wait.count()));
  if (ready > 0) {
    if (wl_display_read_events(x.display) < 0) x.fail();
  } else {
    wl_display_cancel_read(x.display);
  }
  if (wl_display_dispatch_pending(x.display) < 0) x.fail();
  if (ready > 0 && (fd.revents & (POLLHUP | POLLERR)))
    throw std::runtime_error("the Wayland compositor closed the connection");
  return x.transitions.take(IdleTransitions::Clock::now());
}

}  // namespace lumora
