// Replacing a file whole, so that a crash or a failed write never leaves a
// half-written file: the bytes go to a temporary file beside the target,
// which is flushed to disk (fsync) and then renamed over the target; the
// folder is synced after the rename.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace lumora {

// Writes bytes to path atomically. The new file gets `mode`; without one it
// keeps the mode of the file it replaces, or gets 0666 less the umask when
// there was none. Throws std::system_error naming the file when anything
// fails; the old file is then left as it was and the temporary file removed.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::optional<mode_t> mode = std::nullopt);

// Reads a whole file. Returns nothing when it does not exist; throws
// std::system_error naming the file for any other failure.
std::optional<std::string> readWholeFile(const std::filesystem::path& path);

// An exclusive advisory lock (flock) on a lock file, held while the object
// lives. The lock file is created (mode 0600) when missing, with its folder.
class FileLock {
 public:
  explicit FileLock(const std::filesystem::path& lockPath);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace lumora
