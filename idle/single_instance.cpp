#include "idle/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

#include "platform/core/paths.h"

namespace lumora {

std::filesystem::path idleLockPath() {
  const char* home = std::getenv("LUMORA_HOME");
  if (home && *home) return std::filesystem::path(home) / "lumora-idle.lock";
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::filesystem::path(runtime) / "lumora-idle.lock";
  return registryFilePath().parent_path() / "lumora-idle.lock";
}

SingleInstance::SingleInstance(const std::filesystem::path& lockPath) {
  std::error_code ec;
  std::filesystem::create_directories(lockPath.parent_path(), ec);
  fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "cannot use the lock file " + lockPath.string());
  held_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
  if (!held_ && errno != EWOULDBLOCK) {
    const int error = errno;
    ::close(fd_);
    throw std::system_error(error, std::generic_category(), "cannot lock " + lockPath.string());
  }
}

SingleInstance::~SingleInstance() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace lumora
