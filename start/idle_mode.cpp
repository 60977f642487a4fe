#include "start/idle_mode.h"

#include <filesystem>
#include <system_error>

#include "idle/idle_watcher.h"

namespace lumora {

int runIdle(const char* argv0) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return runIdleWatcher(ec ? std::string(argv0) : self.string());
}

}  // namespace lumora
