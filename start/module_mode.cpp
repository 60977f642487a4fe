#include "start/module_mode.h"
#include "platform/core/hooks.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <string>
#include <cstdlib>
#include <memory>

#include "platform/desktop/power_off.h"
#include "platform/desktop/x11_window.h"
#include "saver/ui/saver_window.h"
#include "start/command_line.h"
#include "start/show_termination.h"

namespace lumora {

namespace {

std::optional<std::uint32_t> targetWindow(std::optional<std::uint32_t> windowId) {
  if (windowId) return windowId;
  if (const char* named = std::getenv("XSCREENSAVER_WINDOW"); named && *named) {
    const auto id = parseWindowId(named);
    if (!id) std::fprintf(stderr, "lumora: XSCREENSAVER_WINDOW is not a window id: %s\n", named);
    return id;
  }
  const std::uint32_t root = x11RootWindow();
  if (root == 0) return std::nullopt;
  return root;
}

}  // namespace

int runModule(std::optional<std::uint32_t> windowId) {
  if (!onX11()) {
    std::fputs("lumora: -window-id and -root need an X11 display\n", stderr);
    return 1;
  }
  const std::optional<std::uint32_t> id = targetWindow(windowId);
  if (!id) return 1;
  if (!x11WindowSize(*id)) {
    std::fprintf(stderr, "lumora: no such window: 0x%x\n", unsigned(*id));
    return 1;
  }
  // The host outlives the saver window, whose native windows are its children.
  const std::unique_ptr<QWindow> host(QWindow::fromWinId(WId(*id)));
  const auto powerOff = makePowerOff();
  SaverServices services;
  services.powerOff = powerOff.get();
  services.host = host.get();
  services.hostId = *id;
  if (const auto fx = hookNumber(Hook::Effect)) services.forcedEffect = int(*fx);

  SaverWindow saver(services);
  ShowTermination termination(saver);
  saver.show();
  QApplication::exec();
  return 0;
}

}  // namespace lumora
