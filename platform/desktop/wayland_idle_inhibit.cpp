#include "platform/desktop/wayland_idle_inhibit.h"

#include <QGuiApplication>
#include <QWindow>
#include <cstring>
#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>

#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "platform/desktop/qt_platform.h"

namespace lumora {

struct WaylandIdleInhibit::Protocol {
  wl_display* display = nullptr;
  wl_event_queue* queue = nullptr;
  wl_display* wrapper = nullptr;  // the display's proxy on our queue
  wl_registry* registry = nullptr;
  zwp_idle_inhibit_manager_v1* manager = nullptr;
  zwp_idle_inhibitor_v1* inhibitor = nullptr;

  ~Protocol() {
    if (inhibitor) zwp_idle_inhibitor_v1_destroy(inhibitor);
    if (manager) zwp_idle_inhibit_manager_v1_destroy(manager);
    if (registry) wl_registry_destroy(registry);
    if (wrapper) wl_proxy_wrapper_destroy(wrapper);
    if (display) wl_display_flush(display);
    if (queue) wl_event_queue_destroy(queue);
  }
};

namespace {

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  auto* manager = static_cast<zwp_idle_inhibit_manager_v1**>(data);
  if (!*manager && std::strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0)
    *manager = static_cast<zwp_idle_inhibit_manager_v1*>(
        wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1));
}

void globalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {global, globalRemove};

}  // namespace

WaylandIdleInhibit::WaylandIdleInhibit(QWindow* window) {
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  if (!window || !native || !onWaylandPlatform()) return;
  auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
  auto* surface = static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window));
  if (!display || !surface) return;
  auto p = std::make_unique<Protocol>();
  p->display = display;
  // Our own queue: Qt's event thread never sees our registry's events.
  p->queue = wl_display_create_queue(display);
  p->wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(p->wrapper), p->queue);
  p->registry = wl_display_get_registry(p->wrapper);
  wl_registry_add_listener(p->registry, &kRegistryListener, &p->manager);
  if (wl_display_roundtrip_queue(display, p->queue) < 0 || !p->manager) return;
  p->inhibitor = zwp_idle_inhibit_manager_v1_create_inhibitor(p->manager, surface);
  wl_display_flush(display);
  protocol_ = std::move(p);
}

WaylandIdleInhibit::~WaylandIdleInhibit() = default;

bool WaylandIdleInhibit::active() const { return protocol_ && protocol_->inhibitor; }

}  // namespace lumora
