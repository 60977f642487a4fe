// One idle watcher per user: an exclusive, non-blocking flock on a lock file
// held for the watcher's life (the kernel drops it when the process ends).
#pragma once

#include <filesystem>

namespace lumora {

// $LUMORA_HOME/lumora-idle.lock, else $XDG_RUNTIME_DIR/lumora-idle.lock,
// else lumora-idle.lock beside the registry file.
std::filesystem::path idleLockPath();

class SingleInstance {
 public:
  // Tries to take the lock; held() tells whether it was got (false: another
  // process holds it). Throws std::system_error naming the file when it
  // cannot be opened or locked (another user's file, a folder in its place).
  explicit SingleInstance(const std::filesystem::path& lockPath);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  bool held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace lumora
