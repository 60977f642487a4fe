#include "lock/run_lock.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lock/lock.h"
#include "lock/process_hygiene.h"
#include "lock/show_child.h"
#include "lock/session_lock/desktop_session_lock.h"
#include "lock/session_lock/session_lock_guard.h"
#include "lock/wayland/wayland_lock_screens.h"
#include "lock/x11/x11_covers.h"
#include "platform/core/paths.h"
#include "settings/show_start.h"

namespace lumora {

namespace {

struct LockStart {
  std::string password;
  std::string settings;  // the registry file as read, for the show
};

// The registry file, read once: the password the lock asks for, and the
// same bytes for every show it runs.
LockStart readLockStart() {
  LockStart start;
  const ShowStart show = readShowStart(registryFilePath(), true, [&start](const std::filesystem::path& path) {
    RegistryFile file = RegistryFile::load(path);
    start.settings = file.serialize();
    return file;
  });
  start.password = show.password;
  return start;
}

}  // namespace

int runLock(int argc, char** argv) {
  resetInheritedSignals();
  forbidCoreDumps();
  if (argc != 3 || std::strcmp(argv[1], "--show") != 0) {
    std::fputs("Usage: lumora-lock --show PROGRAM (run by lumora /S)\n", stderr);
    return 2;
  }
  const std::string showProgram = argv[2];
  LockStart start = readLockStart();

  // On Wayland the lock speaks to the compositor itself (lock/wayland) and
  // its Qt draws the prompt offscreen; on X11 the covers are X windows.
  const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  std::optional<SessionLockGuard> guard;
  if (wayland) {
    // Forked before Qt starts: locks the session if this process dies
    // where the compositor lets nothing hold the screen.
    guard = SessionLockGuard::start([] {
      int count = 1;
      char name[] = "lumora-lock";
      char* args[] = {name, nullptr};
      QCoreApplication app(count, args);
      lockDesktopSession("the lock ended without the password");
    });
  }
  std::vector<char*> args(argv, argv + 1);
  std::string platformOption = "-platform", platform = wayland ? "offscreen" : "xcb";
  args.push_back(platformOption.data());
  args.push_back(platform.data());
  int count = int(args.size());
  args.push_back(nullptr);
  QApplication app(count, args.data());
  QApplication::setApplicationName(QStringLiteral("Lumora"));
  try {
    std::unique_ptr<LockScreens> covers;
    if (wayland) {
      auto screens = std::make_unique<WaylandLockScreens>();
      if (screens->covers().hold() == WaylandCovers::Hold::None) guard->arm();
      covers = std::move(screens);
    } else {
      covers = std::make_unique<X11Covers>();
    }
    auto show = std::make_unique<ShowChild>(showProgram, std::move(start.settings));
    Lock lock(std::move(start.password), std::move(covers), std::move(show), makePowerOff());
    const int status = QApplication::exec() == 0 ? 0 : 1;
    if (guard) guard->release();
    return status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lumora: %s\n", e.what());
    return 1;
  }
}

}  // namespace lumora
