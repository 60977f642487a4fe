#include "platform/core/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <system_error>
#include <vector>

namespace lumora {
namespace {

[[noreturn]] void throwErrno(int error, const std::string& what, const std::filesystem::path& path) {
  throw std::system_error(error, std::generic_category(), what + " " + path.string());
}

// A file descriptor closed on scope exit.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

mode_t defaultMode(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

void writeAll(int fd, std::string_view bytes, const std::filesystem::path& path) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throwErrno(errno, "cannot write", path);
    }
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

namespace {

// The name of temporary files of path: ".NAME.tmp-" and six characters.
std::string temporaryPrefix(const std::filesystem::path& path) { return "." + path.filename().string() + ".tmp-"; }

std::filesystem::path folderOf(const std::filesystem::path& path) {
  return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

// Writes bytes to a new temporary file beside path, flushed to disk, and
// returns its name; nothing is left behind when it throws.
std::filesystem::path writeTemporary(const std::filesystem::path& path, std::string_view bytes,
                                     std::optional<mode_t> mode) {
  const mode_t fileMode = mode ? *mode : defaultMode(path);
  std::string pattern = (folderOf(path) / (temporaryPrefix(path) + "XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  Fd fd(::mkostemp(name.data(), O_CLOEXEC));
  if (fd.get() < 0) throwErrno(errno, "cannot create a temporary file for", path);
  const std::filesystem::path temporary(name.data());
  try {
    writeAll(fd.get(), bytes, temporary);
    if (::fchmod(fd.get(), fileMode) != 0) throwErrno(errno, "cannot set the mode of", temporary);
    if (::fsync(fd.get()) != 0) throwErrno(errno, "cannot flush", temporary);
    if (::close(fd.release()) != 0) throwErrno(errno, "cannot close", temporary);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  return temporary;
}

// Makes finished renames last across a crash too. A folder that cannot be
// synced does not undo the write.
void syncFolder(const std::filesystem::path& folder) {
  if (const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

}  // namespace

void removeStaleTemporaries(const std::filesystem::path& path, std::chrono::seconds age) {
  const std::string prefix = temporaryPrefix(path);
  const std::filesystem::path folder = folderOf(path);
  const time_t now = ::time(nullptr);
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    struct stat info {};
    if (::lstat(it->path().c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) continue;
    if (now - info.st_mtime <= age.count()) continue;
    ::unlink(it->path().c_str());
  }
}

void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::optional<mode_t> mode) {
  removeStaleTemporaries(path);
  const std::filesystem::path temporary = writeTemporary(path, bytes, mode);
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    throwErrno(error, "cannot replace", path);
  }
  syncFolder(folderOf(path));
}

AtomicFileSet::~AtomicFileSet() {
  for (const Staged& s : staged_) ::unlink(s.temporary.c_str());
}

void AtomicFileSet::stage(const std::filesystem::path& path, std::string_view bytes, std::optional<mode_t> mode) {
  removeStaleTemporaries(path);
  staged_.push_back({path, writeTemporary(path, bytes, mode)});
}

void AtomicFileSet::commit() {
  std::vector<std::filesystem::path> folders;
  while (!staged_.empty()) {
    const Staged& s = staged_.front();
    if (beforeReplace) beforeReplace(s.target);
    if (::rename(s.temporary.c_str(), s.target.c_str()) != 0) throwErrno(errno, "cannot replace", s.target);
    folders.push_back(folderOf(s.target));
    staged_.erase(staged_.begin());
  }
  std::sort(folders.begin(), folders.end());
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
  for (const auto& folder : folders) syncFolder(folder);
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::size_t maxBytes) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) return std::nullopt;
    throwErrno(errno, "cannot open", path);
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throwErrno(errno, "cannot read", path);
    }
    if (n == 0) break;
    if (static_cast<std::size_t>(n) > maxBytes - bytes.size())
      throwErrno(EFBIG, "more than " + std::to_string(maxBytes) + " bytes in", path);
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

FileLock::FileLock(const std::filesystem::path& lockPath) {
  if (lockPath.has_parent_path()) {
    std::error_code ignored;
    std::filesystem::create_directories(lockPath.parent_path(), ignored);
  }
  fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) throwErrno(errno, "cannot open the lock file", lockPath);
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    const int error = errno;
    ::close(fd_);
    throwErrno(error, "cannot lock", lockPath);
  }
}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

}  // namespace lumora
