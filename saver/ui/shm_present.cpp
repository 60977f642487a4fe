#include "saver/ui/shm_present.h"
#include "platform/core/hooks.h"

#include <sys/socket.h>
#include <unistd.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

namespace lumora {

namespace {
// Whether the connection is a local socket, over which descriptors pass (a
// descriptor sent over TCP would break the connection).
bool localConnection(xcb_connection_t* c) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  return getsockname(xcb_get_file_descriptor(c), reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
         address.ss_family == AF_UNIX;
}

// Whether the server keeps pixels of `depth` in 32-bit words.
bool thirtyTwoBitsFor(const xcb_setup_t* setup, std::uint8_t depth) {
  for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
    if (it.data->depth == depth) return it.data->bits_per_pixel == 32;
  return false;
}
}  // namespace

std::unique_ptr<ShmPresent> ShmPresent::open() {
  if (hookValue(Hook::ShmPresent) == "0") return nullptr;
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (!c || !localConnection(c)) return nullptr;
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_shm_id);
  if (!ext || !ext->present) return nullptr;
  xcb_shm_query_version_reply_t* version = xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr);
  const bool fds =
      version && (version->major_version > 1 || (version->major_version == 1 && version->minor_version >= 2));
  std::free(version);
  const xcb_setup_t* setup = xcb_get_setup(c);
  if (!fds || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST || !thirtyTwoBitsFor(setup, 24)) return nullptr;
  return std::unique_ptr<ShmPresent>(new ShmPresent(c));
}

ShmPresent::~ShmPresent() {
  detach();
  if (gc_) xcb_free_gc(connection_, gc_);
  xcb_flush(connection_);
}

void ShmPresent::detach() {
  // Requests are handled in order: puts already sent are read before.
  if (segment_) xcb_shm_detach(connection_, segment_);
  segment_ = 0;
}

bool ShmPresent::attach(int fd, std::size_t bytes, int width, int height) {
  detach();
  if (fd < 0 || bytes < std::size_t(width) * std::size_t(height) * 4) return false;
  const int sent = ::dup(fd);  // the request takes the descriptor it sends
  if (sent < 0) return false;
  const std::uint32_t segment = xcb_generate_id(connection_);
  xcb_generic_error_t* error = xcb_request_check(connection_, xcb_shm_attach_fd_checked(connection_, segment, sent, 1));
  if (error) {
    std::free(error);
    return false;
  }
  segment_ = segment;
  width_ = width;
  height_ = height;
  return true;
}

bool ShmPresent::put(std::uint32_t window, const QRegion& region, QPoint offset) {
  if (!segment_ || !window) return false;
  if (window != window_) {
    if (gc_) xcb_free_gc(connection_, gc_);
    gc_ = 0;
    depth_ = 0;
    window_ = window;
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
    const std::uint8_t depth = g ? g->depth : 0;
    std::free(g);
    if ((depth == 24 || depth == 32) && thirtyTwoBitsFor(xcb_get_setup(connection_), depth)) {
      gc_ = xcb_generate_id(connection_);
      const std::uint32_t noExposures = 0;
      xcb_create_gc(connection_, gc_, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
      depth_ = depth;
    }
  }
  if (!depth_) return false;
  const QRect stage(0, 0, width_, height_);
  for (const QRect& r : region) {
    const QRect s = r & stage;
    if (s.isEmpty()) continue;
    xcb_shm_put_image(connection_, window, gc_, std::uint16_t(width_), std::uint16_t(height_), std::uint16_t(s.x()),
                      std::uint16_t(s.y()), std::uint16_t(s.width()), std::uint16_t(s.height()),
                      std::int16_t(s.x() + offset.x()), std::int16_t(s.y() + offset.y()), depth_,
                      XCB_IMAGE_FORMAT_Z_PIXMAP, 0, segment_, 0);
  }
  xcb_flush(connection_);
  return true;
}

}  // namespace lumora
