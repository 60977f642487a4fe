#include "platform/desktop/x11_window.h"

#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace lumora {

namespace {

xcb_connection_t* connection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

}  // namespace

bool onX11() { return connection() != nullptr; }

std::uint32_t x11RootWindow() {
  xcb_connection_t* c = connection();
  if (!c) return 0;
  const xcb_setup_t* setup = xcb_get_setup(c);
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
  return it.rem ? it.data->root : 0;
}

std::optional<QSize> x11WindowSize(std::uint32_t window) {
  xcb_connection_t* c = connection();
  if (!c || window == 0) return std::nullopt;
  xcb_generic_error_t* error = nullptr;
  std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> reply(
      xcb_get_geometry_reply(c, xcb_get_geometry(c, window), &error), &std::free);
  std::free(error);
  if (!reply) return std::nullopt;
  return QSize(reply->width, reply->height);
}

}  // namespace lumora
