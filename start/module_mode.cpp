#include "start/module_mode.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <cstdlib>
#include <memory>

#include "platform/desktop/power_off.h"
#include "platform/desktop/x11_window.h"
#include "saver/ui/saver_window.h"
#include "start/command_line.h"
#include "start/termination_signals.h"

namespace lumora {

namespace {

// How long the end may wait for a running transition to return to the main
// loop before the process leaves without it (the media are stopped by then).
constexpr int kEndGraceMs = 700;

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

// Helper processes this process started (players) end with it, also when
// the end cannot wait for their owners' destructors.
void endChildProcesses() {
  const pid_t self = ::getpid();
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    // pid (comm) state ppid ...: the command may hold blanks and parentheses.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    long ppid = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %ld", &state, &ppid) == 2 && ppid == self)
      ::kill(pid_t(std::stol(name)), SIGTERM);
  }
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
  if (const char* fx = std::getenv("LUMORA_EFFECT")) services.forcedEffect = std::atoi(fx);

  TerminationSignals termination;
  SaverWindow saver(services);
  QObject::connect(&termination, &TerminationSignals::received, &saver, [&saver] {
    // A transition that is running keeps the main loop waiting until it
    // returns; the desktop wants the window back now.
    QTimer::singleShot(kEndGraceMs, [] {
      std::fputs("lumora: ended without waiting for the running transition\n", stderr);
      endChildProcesses();
      std::_Exit(0);
    });
    saver.endShow();
  });
  saver.show();
  QApplication::exec();
  return 0;
}

}  // namespace lumora
