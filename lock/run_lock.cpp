#include "lock/run_lock.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "lock/lock.h"
#include "lock/process_hygiene.h"
#include "lock/show_child.h"
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

  // X11 only for now: the covers are X windows.
  std::vector<char*> args(argv, argv + 1);
  std::string platformOption = "-platform", platform = "xcb";
  args.push_back(platformOption.data());
  args.push_back(platform.data());
  int count = int(args.size());
  args.push_back(nullptr);
  QApplication app(count, args.data());
  QApplication::setApplicationName(QStringLiteral("Lumora"));
  try {
    auto covers = std::make_unique<X11Covers>();
    auto show = std::make_unique<ShowChild>(showProgram, std::move(start.settings));
    Lock lock(std::move(start.password), std::move(covers), std::move(show), makePowerOff());
    return QApplication::exec() == 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lumora: %s\n", e.what());
    return 1;
  }
}

}  // namespace lumora
