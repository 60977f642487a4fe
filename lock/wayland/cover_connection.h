// What WaylandCovers keeps of its connection, shared by its files: one
// Cover per output (its surface and buffers), and the Connection's globals,
// input and covers. Private to lock/wayland.
#pragma once

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <QRegion>
#include <QSize>
#include <QTimer>
#include <memory>
#include <vector>

#include "lock/wayland/shm_buffer.h"
#include "lock/wayland/wayland_covers.h"

struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct zwlr_input_inhibit_manager_v1;
struct zwlr_input_inhibitor_v1;
struct xdg_wm_base;
struct xdg_surface;
struct xdg_toplevel;
struct zwp_idle_inhibit_manager_v1;
struct zwp_idle_inhibitor_v1;

namespace lumora {

// One output and the surface covering it.
struct Cover {
  WaylandCovers::Connection* connection = nullptr;
  uint32_t name = 0;  // the output's global
  wl_output* output = nullptr;
  QSize mode;
  int scale = 1;
  wl_surface* surface = nullptr;
  zwlr_layer_surface_v1* layer = nullptr;
  xdg_surface* xdgSurface = nullptr;
  xdg_toplevel* toplevel = nullptr;
  wl_callback* frameCallback = nullptr;
  // xdg toplevel state, pending until the xdg_surface configure.
  QSize offeredSize;
  bool offeredFullscreen = false, offeredActivated = false;
  bool fullscreen = false, activated = false;
  QSize logical;  // the configured size
  std::unique_ptr<ShmBuffer> buffers[2];
  QRegion stale[2];  // what each buffer misses of the current picture
  QRegion pending;   // to draw at the next chance
  bool configured = false, covered = false;

  ~Cover() {
    releaseSurface();
    if (output) wl_output_destroy(output);
  }
  void releaseSurface();
  QSize bufferSize() const { return logical * scale; }
};

struct WaylandCovers::Connection {
  WaylandCovers* owner = nullptr;
  bool useInhibitor = true;
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  wl_seat* seat = nullptr;
  wl_keyboard* keyboard = nullptr;
  wl_pointer* pointer = nullptr;
  zwlr_layer_shell_v1* layerShell = nullptr;
  zwlr_input_inhibit_manager_v1* inhibitManager = nullptr;
  zwlr_input_inhibitor_v1* inhibitor = nullptr;
  xdg_wm_base* wmBase = nullptr;
  zwp_idle_inhibit_manager_v1* idleManager = nullptr;
  zwp_idle_inhibitor_v1* idleInhibitor = nullptr;  // on the primary cover: no blanking while the show plays
  std::vector<std::unique_ptr<Cover>> covers;
  xkb_context* xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  xkb_keymap* keymap = nullptr;
  xkb_state* keyState = nullptr;
  Hold hold = Hold::None;
  bool started = false;  // the first outputs are covered: later ones get a surface at once
  bool readySent = false;
  bool hadFocus = false;
  wl_surface* keyboardFocus = nullptr;  // ours that has the keyboard, if any

  ~Connection();
  Cover* primary() const { return covers.empty() ? nullptr : covers.front().get(); }
  void coverOutput(Cover& cover);
  void draw(Cover& cover);
  void configured(Cover& cover, QSize logical);
  void holdIdleOff();  // the idle inhibitor on the primary cover's surface
  void checkReady();
  void checkFocus();
  void reclaimKeyboard();  // after the keyboard left for another client
  void lose(const QString& why) { emit owner->screenLost(why); }
  Cover* find(uint32_t name) const {
    for (const auto& cover : covers)
      if (cover->name == name) return cover.get();
    return nullptr;
  }
  // Runs `then` after `ms` unless this connection has been replaced by then.
  template <typename Then>
  void later(int ms, Then then) {
    QTimer::singleShot(ms, owner, [owner = owner, self = this, then] {
      if (owner->connection_.get() == self) then();
    });
  }
  void flush() { wl_display_flush(display); }
};

// The seat's listener (wayland_input.cpp): keys and buttons to the owner.
const wl_seat_listener& seatListener();

}  // namespace lumora
