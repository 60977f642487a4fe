// Replacing a file whole, so that a crash or a failed write never leaves a
// half-written file: the bytes go to a temporary file beside the target,
// which is flushed to disk (fsync) and then renamed over the target; the
// folder is synced after the rename.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace lumora {

// Writes bytes to path atomically. The new file gets `mode`; without one it
// keeps the mode of the file it replaces, or gets 0666 less the umask when
// there was none. Throws std::system_error naming the file when anything
// fails; the old file is then left as it was and the temporary file removed.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::optional<mode_t> mode = std::nullopt);

// Removes what earlier writes of path left behind when they were killed
// before their rename: regular files of this user named as the temporary
// files of path are named, last changed more than `age` ago (a younger one
// may belong to a write going on right now). Every write calls it; failures
// are ignored.
void removeStaleTemporaries(const std::filesystem::path& path, std::chrono::seconds age = std::chrono::minutes(1));

// Several files replaced together, so that a crash or a failure leaves as few
// of them mixed old and new as the file system allows: every file is first
// written whole to its temporary file (stage), and only when all are written
// are they renamed over their targets (commit), one after another, in the
// order they were staged. A failure while staging leaves every target as it
// was. Temporary files not renamed are removed when the set goes away.
class AtomicFileSet {
 public:
  AtomicFileSet() = default;
  ~AtomicFileSet();
  AtomicFileSet(const AtomicFileSet&) = delete;
  AtomicFileSet& operator=(const AtomicFileSet&) = delete;

  // Writes bytes to a new temporary file beside path (mode as for
  // writeFileAtomically). Throws std::system_error naming the file.
  void stage(const std::filesystem::path& path, std::string_view bytes, std::optional<mode_t> mode = std::nullopt);
  // Renames every staged file over its target, in order. Throws
  // std::system_error when a rename fails; the files before it are then
  // replaced, the others are not.
  void commit();

  // Called with each target just before its rename (tests watch the order).
  std::function<void(const std::filesystem::path& target)> beforeReplace;

 private:
  struct Staged {
    std::filesystem::path target, temporary;
  };
  std::vector<Staged> staged_;
};

// Reads a whole file. Returns nothing when it does not exist; throws
// std::system_error naming the file for any other failure, and with
// std::errc::file_too_large when the file holds more than maxBytes (nothing
// past maxBytes is read).
std::optional<std::string> readWholeFile(const std::filesystem::path& path,
                                         std::size_t maxBytes = std::string().max_size());

// An exclusive advisory lock (flock) on a lock file, held while the object
// lives. The lock file is created (mode 0600) when missing, with its folder.
// A symbolic link in its place is not followed: the lock then fails (ELOOP),
// so that nobody can point it at another file the owner can write.
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
