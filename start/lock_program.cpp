#include "start/lock_program.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "start/display.h"

namespace lumora {

bool onWayland() { return platformFor(WindowKind::Show).rfind("wayland", 0) == 0; }

void execLockProgram() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    std::fprintf(stderr, "lumora: cannot find this program: %s\n", error.message().c_str());
    return;
  }
  const std::filesystem::path dir = self.parent_path();
  for (const std::filesystem::path& lock : {dir / "lumora-lock", dir / "../lib/lumora/lumora-lock"}) {
    if (::access(lock.c_str(), X_OK) != 0) continue;
    std::string name = "lumora-lock", showOption = "--show", show = self.string();
    char* argv[] = {name.data(), showOption.data(), show.data(), nullptr};
    ::execv(lock.c_str(), argv);
    std::fprintf(stderr, "lumora: cannot run %s: %s\n", lock.c_str(), std::strerror(errno));
    return;
  }
  std::fprintf(stderr, "lumora: lumora-lock is missing beside %s\n", self.c_str());
}

}  // namespace lumora
