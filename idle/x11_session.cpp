#include "idle/x11_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace lumora {

struct X11Session::Impl {
  Display* display = nullptr;
  Window root = 0;
  Atom activeWindow = 0, wmState = 0, fullScreen = 0;
  XScreenSaverInfo* info = nullptr;

  ~Impl() {
    if (info) XFree(info);
    if (display) XCloseDisplay(display);
  }

  // A window property of 32-bit items (atoms or windows), empty when missing.
  std::vector<unsigned long> longs(Window w, Atom property, Atom type) const {
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> out;
    if (XGetWindowProperty(display, w, property, 0, 64, False, type, &actualType, &format, &count, &after, &data) ==
            Success &&
        data) {
      if (format == 32) {
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        out.assign(items, items + count);
      }
      XFree(data);
    }
    return out;
  }

  Window focused() const {
    const auto active = longs(root, activeWindow, XA_WINDOW);
    if (!active.empty() && active[0] != 0) return Window(active[0]);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus == PointerRoot ? 0 : focus;
  }

  // The ancestor of w that is a child of the root (w itself when it is one).
  Window topLevel(Window w) const {
    for (int depth = 0; w != 0 && w != root && depth < 64; ++depth) {
      Window rootReturn = 0, parent = 0, *children = nullptr;
      unsigned int count = 0;
      if (!XQueryTree(display, w, &rootReturn, &parent, &children, &count)) return 0;
      if (children) XFree(children);
      if (parent == root) return w;
      w = parent;
    }
    return 0;
  }
};

namespace {

// Errors about windows that vanished between two questions are expected.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

X11Session::X11Session(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
X11Session::~X11Session() = default;

std::unique_ptr<X11Session> X11Session::open() {
  auto impl = std::make_unique<Impl>();
  impl->display = XOpenDisplay(nullptr);
  if (!impl->display) return nullptr;
  XSetErrorHandler(ignoreErrors);
  int event = 0, error = 0;
  if (!XScreenSaverQueryExtension(impl->display, &event, &error))
    throw std::runtime_error("the X server has no MIT-SCREEN-SAVER extension");
  impl->root = DefaultRootWindow(impl->display);
  impl->activeWindow = XInternAtom(impl->display, "_NET_ACTIVE_WINDOW", False);
  impl->wmState = XInternAtom(impl->display, "_NET_WM_STATE", False);
  impl->fullScreen = XInternAtom(impl->display, "_NET_WM_STATE_FULLSCREEN", False);
  impl->info = XScreenSaverAllocInfo();
  if (!impl->info) throw std::runtime_error("out of memory");
  return std::unique_ptr<X11Session>(new X11Session(std::move(impl)));
}

std::int64_t X11Session::idleMs() {
  if (!XScreenSaverQueryInfo(impl_->display, impl_->root, impl_->info)) return 0;
  return std::int64_t(impl_->info->idle);
}

std::vector<std::int64_t> X11Session::idleTimes(std::chrono::milliseconds wait) {
  std::this_thread::sleep_for(wait);
  return {idleMs()};
}

bool X11Session::fullScreenFocused() {
  Impl& x = *impl_;
  const Window focus = x.focused();
  if (focus == 0 || focus == x.root) return false;
  const Window top = x.topLevel(focus);
  for (Window w : {focus, top}) {
    if (w == 0) continue;
    for (unsigned long state : x.longs(w, x.wmState, XA_ATOM))
      if (Atom(state) == x.fullScreen) return true;
  }
  XWindowAttributes attributes{};
  if (top == 0 || !XGetWindowAttributes(x.display, top, &attributes)) return false;
  if (attributes.map_state != IsViewable) return false;
  const int screenW = DisplayWidth(x.display, DefaultScreen(x.display));
  const int screenH = DisplayHeight(x.display, DefaultScreen(x.display));
  return attributes.x <= 0 && attributes.y <= 0 && attributes.x + attributes.width >= screenW &&
         attributes.y + attributes.height >= screenH;
}

}  // namespace lumora
