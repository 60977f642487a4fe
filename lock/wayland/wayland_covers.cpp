#include "lock/wayland/wayland_covers.h"

#include <poll.h>

#include <QPainter>
#include <QSocketNotifier>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "lock/wayland/cover_connection.h"
#include "wlr-input-inhibitor-unstable-v1-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace lumora {

namespace {

// Without any focused toplevel this long (Hold::None), the screen is lost;
// shorter than that is focus moving between two of our own.
constexpr int kFocusGraceMs = 150;
// An output added under Hold::None must be covered full screen within this.
constexpr int kNewOutputGraceMs = 1000;

template <typename T>
T* bind(wl_registry* registry, uint32_t name, const wl_interface* interface, uint32_t offered, uint32_t wanted) {
  return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

// Paints `region` of a cover: the frame where it reaches, black elsewhere,
// the overlay centred above both.
void paintCover(QImage& target, const QRegion& region, const QImage& frame, const QImage& overlay) {
  QPainter painter(&target);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  const QRect frameRect = frame.isNull() ? QRect() : frame.rect().intersected(target.rect());
  for (const QRect& rect : region.intersected(frameRect)) painter.drawImage(rect.topLeft(), frame, rect);
  for (const QRect& rect : region.subtracted(frameRect)) painter.fillRect(rect, Qt::black);
  if (overlay.isNull()) return;
  const QRect at(QPoint((target.width() - overlay.width()) / 2, (target.height() - overlay.height()) / 2),
                 overlay.size());
  painter.setClipRegion(region);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.drawImage(at.topLeft(), overlay);
}

QRect overlayRect(QSize cover, const QImage& overlay) {
  if (overlay.isNull()) return {};
  return {QPoint((cover.width() - overlay.width()) / 2, (cover.height() - overlay.height()) / 2), overlay.size()};
}

}  // namespace

void Cover::releaseSurface() {
  if (frameCallback) wl_callback_destroy(frameCallback);
  if (layer) zwlr_layer_surface_v1_destroy(layer);
  if (toplevel) xdg_toplevel_destroy(toplevel);
  if (xdgSurface) xdg_surface_destroy(xdgSurface);
  if (surface) wl_surface_destroy(surface);
  frameCallback = nullptr, layer = nullptr, toplevel = nullptr, xdgSurface = nullptr, surface = nullptr;
  buffers[0].reset(), buffers[1].reset();
  configured = covered = fullscreen = activated = false;
}

WaylandCovers::Connection::~Connection() {
  if (idleInhibitor) zwp_idle_inhibitor_v1_destroy(idleInhibitor);
  if (idleManager) zwp_idle_inhibit_manager_v1_destroy(idleManager);
  covers.clear();
  if (keyState) xkb_state_unref(keyState);
  if (keymap) xkb_keymap_unref(keymap);
  xkb_context_unref(xkb);
  if (keyboard) wl_keyboard_destroy(keyboard);
  if (pointer) wl_pointer_destroy(pointer);
  if (seat) wl_seat_destroy(seat);
  if (inhibitor) zwlr_input_inhibitor_v1_destroy(inhibitor);
  if (inhibitManager) zwlr_input_inhibit_manager_v1_destroy(inhibitManager);
  if (layerShell) zwlr_layer_shell_v1_destroy(layerShell);
  if (wmBase) xdg_wm_base_destroy(wmBase);
  if (shm) wl_shm_destroy(shm);
  if (compositor) wl_compositor_destroy(compositor);
  if (registry) wl_registry_destroy(registry);
  if (display) wl_display_disconnect(display);
}

namespace {

using Connection = WaylandCovers::Connection;

// --- outputs ---------------------------------------------------------------

void outputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {
}
void outputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
  if (flags & WL_OUTPUT_MODE_CURRENT) static_cast<Cover*>(data)->mode = QSize(width, height);
}
void outputDone(void* data, wl_output*) {
  // An output added while the lock runs is covered once its mode is known.
  auto* cover = static_cast<Cover*>(data);
  if (cover->connection->started && !cover->surface) cover->connection->coverOutput(*cover);
}
void outputScale(void* data, wl_output*, int32_t factor) { static_cast<Cover*>(data)->scale = std::max(1, factor); }
void outputName(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener = {outputGeometry, outputMode, outputDone,
                                            outputScale,    outputName, outputName};

// --- surfaces --------------------------------------------------------------

void layerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t height) {
  auto* cover = static_cast<Cover*>(data);
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  QSize size{int(width), int(height)};
  if (size.isEmpty()) size = cover->mode / cover->scale;
  cover->connection->configured(*cover, size);
}

void layerClosed(void* data, zwlr_layer_surface_v1*) {
  // Taken away by the compositor: made again while the output is there (an
  // output going away closes its surface first, then goes).
  auto* cover = static_cast<Cover*>(data);
  std::fprintf(stderr, "lumora-lock: the compositor closed a cover; covering the output again\n");
  cover->releaseSurface();
  Connection* c = cover->connection;
  c->later(100, [c, name = cover->name] {
    if (Cover* closed = c->find(name); closed && !closed->surface) c->coverOutput(*closed);
  });
}
const zwlr_layer_surface_v1_listener kLayerListener = {layerConfigure, layerClosed};

void toplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array* states) {
  auto* cover = static_cast<Cover*>(data);
  cover->offeredSize = QSize(width, height);
  cover->offeredFullscreen = cover->offeredActivated = false;
  for (auto* state = static_cast<uint32_t*>(states->data);
       reinterpret_cast<char*>(state) < static_cast<char*>(states->data) + states->size; ++state) {
    if (*state == XDG_TOPLEVEL_STATE_FULLSCREEN) cover->offeredFullscreen = true;
    if (*state == XDG_TOPLEVEL_STATE_ACTIVATED) cover->offeredActivated = true;
  }
}

void toplevelClose(void* data, xdg_toplevel*) {
  static_cast<Cover*>(data)->connection->lose("the compositor asked the lock's window to close");
}
void toplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void toplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}
const xdg_toplevel_listener kToplevelListener = {toplevelConfigure, toplevelClose, toplevelBounds,
                                                 toplevelCapabilities};

void xdgConfigure(void* data, xdg_surface* surface, uint32_t serial) {
  auto* cover = static_cast<Cover*>(data);
  xdg_surface_ack_configure(surface, serial);
  const bool wasFullscreen = cover->fullscreen;
  cover->fullscreen = cover->offeredFullscreen;
  cover->activated = cover->offeredActivated;
  QSize size = cover->offeredSize;
  if (size.isEmpty()) size = cover->mode / cover->scale;
  cover->connection->configured(*cover, size);
  if (wasFullscreen && !cover->fullscreen) cover->connection->lose("the lock's window lost its full screen");
  cover->connection->checkFocus();
}
const xdg_surface_listener kXdgSurfaceListener = {xdgConfigure};

void wmPing(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }
const xdg_wm_base_listener kWmBaseListener = {wmPing};

void frameDone(void* data, wl_callback* callback, uint32_t) {
  auto* cover = static_cast<Cover*>(data);
  wl_callback_destroy(callback);
  cover->frameCallback = nullptr;
  cover->connection->draw(*cover);
}
const wl_callback_listener kFrameListener = {frameDone};

// --- globals ---------------------------------------------------------------

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  auto* c = static_cast<Connection*>(data);
  const auto is = [interface](const wl_interface& i) { return std::strcmp(interface, i.name) == 0; };
  if (is(wl_compositor_interface)) {
    c->compositor = bind<wl_compositor>(registry, name, &wl_compositor_interface, version, 4);
  } else if (is(wl_shm_interface)) {
    c->shm = bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
  } else if (is(wl_seat_interface) && !c->seat) {
    c->seat = bind<wl_seat>(registry, name, &wl_seat_interface, version, 4);
    wl_seat_add_listener(c->seat, &seatListener(), c);
  } else if (is(zwlr_layer_shell_v1_interface)) {
    c->layerShell = bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, version, 4);
  } else if (is(zwlr_input_inhibit_manager_v1_interface) && c->useInhibitor) {
    c->inhibitManager =
        bind<zwlr_input_inhibit_manager_v1>(registry, name, &zwlr_input_inhibit_manager_v1_interface, version, 1);
  } else if (is(xdg_wm_base_interface)) {
    c->wmBase = bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, version, 1);
    xdg_wm_base_add_listener(c->wmBase, &kWmBaseListener, c);
  } else if (is(zwp_idle_inhibit_manager_v1_interface)) {
    c->idleManager =
        bind<zwp_idle_inhibit_manager_v1>(registry, name, &zwp_idle_inhibit_manager_v1_interface, version, 1);
  } else if (is(wl_output_interface)) {
    auto cover = std::make_unique<Cover>();
    cover->connection = c;
    cover->name = name;
    cover->output = bind<wl_output>(registry, name, &wl_output_interface, version, 2);
    wl_output_add_listener(cover->output, &kOutputListener, cover.get());
    c->covers.push_back(std::move(cover));
    if (c->started && c->hold == WaylandCovers::Hold::None) {
      c->later(kNewOutputGraceMs, [c, name] {
        if (Cover* added = c->find(name); added && !(added->covered && added->fullscreen))
          c->lose("an output added meanwhile is not covered");
      });
    }
  }
}

void globalRemove(void* data, wl_registry*, uint32_t name) {
  auto* c = static_cast<Connection*>(data);
  for (auto it = c->covers.begin(); it != c->covers.end(); ++it) {
    if ((*it)->name != name) continue;
    const bool wasPrimary = it == c->covers.begin();
    if (wasPrimary && c->idleInhibitor) {
      zwp_idle_inhibitor_v1_destroy(c->idleInhibitor);
      c->idleInhibitor = nullptr;
    }
    c->covers.erase(it);
    if (wasPrimary && c->primary()) {
      c->holdIdleOff();
      c->primary()->pending = QRect(QPoint(), c->primary()->bufferSize());
      c->draw(*c->primary());
      emit c->owner->primarySizeChanged(c->primary()->bufferSize());
    }
    return;
  }
}
const wl_registry_listener kRegistryListener = {global, globalRemove};

}  // namespace

void WaylandCovers::Connection::coverOutput(Cover& cover) {
  cover.surface = wl_compositor_create_surface(compositor);
  if (layerShell) {
    cover.layer = zwlr_layer_shell_v1_get_layer_surface(layerShell, cover.surface, cover.output,
                                                        ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "lumora-lock");
    zwlr_layer_surface_v1_add_listener(cover.layer, &kLayerListener, &cover);
    zwlr_layer_surface_v1_set_anchor(cover.layer,
                                     ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(cover.layer, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(cover.layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(cover.layer,
                                                     ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
  } else {
    cover.xdgSurface = xdg_wm_base_get_xdg_surface(wmBase, cover.surface);
    xdg_surface_add_listener(cover.xdgSurface, &kXdgSurfaceListener, &cover);
    cover.toplevel = xdg_surface_get_toplevel(cover.xdgSurface);
    xdg_toplevel_add_listener(cover.toplevel, &kToplevelListener, &cover);
    xdg_toplevel_set_title(cover.toplevel, "Lumora");
    xdg_toplevel_set_app_id(cover.toplevel, "lumora-lock");
    xdg_toplevel_set_fullscreen(cover.toplevel, cover.output);
  }
  wl_surface_set_buffer_scale(cover.surface, cover.scale);
  wl_surface_commit(cover.surface);
  holdIdleOff();
  flush();
}

void WaylandCovers::Connection::reclaimKeyboard() {
  Cover* cover = primary();
  if (!cover || !cover->layer || !cover->configured) return;
  // A layer surface that starts to want the keyboard is given it again.
  zwlr_layer_surface_v1_set_keyboard_interactivity(cover->layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
  wl_surface_commit(cover->surface);
  zwlr_layer_surface_v1_set_keyboard_interactivity(cover->layer,
                                                   ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
  wl_surface_commit(cover->surface);
  flush();
}

void WaylandCovers::Connection::holdIdleOff() {
  if (!idleManager || !primary() || !primary()->surface) return;
  if (idleInhibitor) zwp_idle_inhibitor_v1_destroy(idleInhibitor);
  idleInhibitor = zwp_idle_inhibit_manager_v1_create_inhibitor(idleManager, primary()->surface);
}

void WaylandCovers::Connection::configured(Cover& cover, QSize logical) {
  const bool primaryResized = &cover == primary() && logical * cover.scale != cover.bufferSize();
  if (logical != cover.logical || !cover.buffers[0]) {
    cover.logical = logical;
    for (auto& buffer : cover.buffers) {
      buffer = std::make_unique<ShmBuffer>(shm, cover.bufferSize());
      buffer->onRelease([this, &cover] { draw(cover); });
    }
    const QRect whole(QPoint(), cover.bufferSize());
    cover.stale[0] = cover.stale[1] = whole;
    cover.pending = whole;
  }
  cover.configured = true;
  draw(cover);
  if (primaryResized && readySent) emit owner->primarySizeChanged(cover.bufferSize());
  checkReady();
}

void WaylandCovers::Connection::draw(Cover& cover) {
  if (!cover.configured || cover.frameCallback || (cover.pending.isEmpty() && cover.covered)) return;
  const int b = !cover.buffers[0]->busy() ? 0 : !cover.buffers[1]->busy() ? 1 : -1;
  if (b < 0) return;  // both on screen: a release brings us back
  const bool isPrimary = &cover == primary();
  static const QImage none;
  paintCover(cover.buffers[b]->image(), cover.stale[b] | cover.pending, isPrimary ? owner->frame_ : none,
             isPrimary ? owner->overlay_ : none);
  cover.stale[b] = QRegion();
  cover.stale[1 - b] += cover.pending;
  wl_surface_set_buffer_scale(cover.surface, cover.scale);
  wl_surface_attach(cover.surface, cover.buffers[b]->buffer(), 0, 0);
  for (const QRect& rect : cover.pending)
    wl_surface_damage_buffer(cover.surface, rect.x(), rect.y(), rect.width(), rect.height());
  cover.frameCallback = wl_surface_frame(cover.surface);
  wl_callback_add_listener(cover.frameCallback, &kFrameListener, &cover);
  wl_surface_commit(cover.surface);
  cover.buffers[b]->setBusy();
  cover.pending = QRegion();
  cover.covered = true;
  flush();
}

void WaylandCovers::Connection::checkReady() {
  if (readySent || covers.empty()) return;
  for (const auto& cover : covers)
    if (!cover->covered) return;
  readySent = true;
  emit owner->ready();
  if (hold != Hold::None) return;
  // A compositor that never gives the lock's windows the focus or their
  // full screen has not let it hold the screen, though nothing was lost.
  later(kNewOutputGraceMs, [this] {
    bool fullscreen = true;
    for (const auto& cover : covers) fullscreen = fullscreen && cover->fullscreen;
    if (!hadFocus)
      lose("the lock's window was never given the focus");
    else if (!fullscreen)
      lose("the lock's window was never made full screen");
  });
}

void WaylandCovers::Connection::checkFocus() {
  if (hold != Hold::None) return;
  const auto anyActive = [this] {
    for (const auto& cover : covers)
      if (cover->activated) return true;
    return false;
  };
  if (anyActive()) {
    hadFocus = true;
    return;
  }
  if (!hadFocus) return;
  // Focus moving between two of ours passes through none for a moment.
  later(kFocusGraceMs, [this, anyActive] {
    if (!anyActive() && hadFocus) {
      hadFocus = false;
      lose("the lock's window lost the focus");
    }
  });
}

WaylandCovers::WaylandCovers(QObject* parent) : QObject(parent) { connectToCompositor(true); }

WaylandCovers::~WaylandCovers() = default;

void WaylandCovers::connectToCompositor(bool withInhibitor) {
  notifier_.reset();
  connection_.reset();
  auto c = std::make_unique<Connection>();
  c->owner = this;
  c->useInhibitor = withInhibitor;
  c->display = wl_display_connect(nullptr);
  if (!c->display) throw std::runtime_error("cannot connect to the Wayland compositor");
  c->registry = wl_display_get_registry(c->display);
  wl_registry_add_listener(c->registry, &kRegistryListener, c.get());
  // The globals, then what they tell at once (output modes, seat capabilities).
  if (wl_display_roundtrip(c->display) < 0 || wl_display_roundtrip(c->display) < 0)
    throw std::runtime_error("the Wayland compositor ended the connection");
  if (!c->compositor || !c->shm || (!c->layerShell && !c->wmBase))
    throw std::runtime_error("the Wayland compositor offers no way to cover the screen");
  c->hold = c->layerShell ? (c->inhibitManager ? Hold::LayerShellWithInhibitor : Hold::LayerShell) : Hold::None;
  if (c->inhibitManager) c->inhibitor = zwlr_input_inhibit_manager_v1_get_inhibitor(c->inhibitManager);
  c->started = true;
  for (auto& cover : c->covers) c->coverOutput(*cover);
  connection_ = std::move(c);
  notifier_ = std::make_unique<QSocketNotifier>(wl_display_get_fd(connection_->display), QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &WaylandCovers::dispatch);
  connection_->flush();
}

void WaylandCovers::dispatch() {
  wl_display* display = connection_->display;
  if (wl_display_prepare_read(display) == 0) {
    pollfd ready{wl_display_get_fd(display), POLLIN, 0};
    if (::poll(&ready, 1, 0) > 0)
      wl_display_read_events(display);
    else
      wl_display_cancel_read(display);
  }
  const bool alive = wl_display_dispatch_pending(display) >= 0 && (wl_display_flush(display) >= 0 || errno == EAGAIN);
  if (alive) return;
  // The compositor ended our connection: another client holds the input
  // inhibitor (then we cover without it), or something went wrong on ours.
  const wl_interface* interface = nullptr;
  uint32_t id = 0;
  wl_display_get_protocol_error(display, &interface, &id);
  const bool inhibitorRefused = interface == &zwlr_input_inhibit_manager_v1_interface;
  std::fprintf(stderr, "lumora-lock: the Wayland connection ended (%s); connecting again%s\n",
               interface ? interface->name : std::strerror(wl_display_get_error(display)),
               inhibitorRefused ? " without the input inhibitor, which another program holds" : "");
  const bool withInhibitor = connection_->useInhibitor && !inhibitorRefused;
  QTimer::singleShot(0, this, [this, withInhibitor] {
    try {
      connectToCompositor(withInhibitor);
      connection_->readySent = false;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "lumora-lock: %s\n", e.what());
      emit screenLost(QString::fromLocal8Bit(e.what()));
    }
  });
  notifier_->setEnabled(false);
}

WaylandCovers::Hold WaylandCovers::hold() const { return connection_->hold; }

QSize WaylandCovers::primarySize() const {
  const Cover* cover = connection_->primary();
  if (!cover) return {};
  return cover->configured ? cover->bufferSize() : cover->mode;
}

void WaylandCovers::showFrame(const QImage& frame, const QRegion& damage) {
  const bool resized = frame.size() != frame_.size();
  frame_ = frame;
  Cover* cover = connection_->primary();
  if (!cover || !cover->configured) return;
  cover->pending += resized ? QRegion(QRect(QPoint(), cover->bufferSize())) : damage;
  connection_->draw(*cover);
}

void WaylandCovers::setOverlay(const QImage& prompt) {
  Cover* cover = connection_->primary();
  if (cover && cover->configured) {
    cover->pending += overlayRect(cover->bufferSize(), overlay_);
    cover->pending += overlayRect(cover->bufferSize(), prompt);
  }
  overlay_ = prompt;
  if (cover) connection_->draw(*cover);
}

}  // namespace lumora
