#include "platform/core/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace lumora {
namespace {

using Kind = RegularFileError::Kind;

// An open descriptor, closed on scope exit.
class OpenFile {
 public:
  // Refuses a file larger than maxBytes unless `head`, which reads only its
  // first maxBytes.
  OpenFile(const std::string& path, std::size_t maxBytes, bool head = false) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) {
      const int err = errno;
      throw RegularFileError(Kind::Open, err, "Cannot open file \"" + path + "\". " + std::strerror(err));
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
      const int err = errno;
      ::close(fd_);
      throw RegularFileError(Kind::Open, err, "Cannot open file \"" + path + "\". " + std::strerror(err));
    }
    if (!S_ISREG(info.st_mode)) {
      ::close(fd_);
      const int err = S_ISDIR(info.st_mode) ? EISDIR : 0;
      throw RegularFileError(Kind::NotRegular, err,
                             "Cannot open file \"" + path + "\". " +
                                 (err ? std::string(std::strerror(err)) : std::string("Not a regular file.")));
    }
    if (info.st_size < 0 || (!head && std::uint64_t(info.st_size) > maxBytes)) {
      ::close(fd_);
      throw RegularFileError(Kind::TooLarge, EFBIG, "File \"" + path + "\" is too large.");
    }
    size_ = std::size_t(std::min<std::uint64_t>(std::uint64_t(info.st_size), maxBytes));
  }
  ~OpenFile() { ::close(fd_); }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  std::size_t size() const { return size_; }

  std::vector<std::uint8_t> readAll() {
    std::vector<std::uint8_t> bytes(size_);
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::read(fd_, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        const int err = errno;
        throw RegularFileError(Kind::Read, err, "Cannot read file \"" + path_ + "\". " + std::strerror(err));
      }
      if (n == 0) break;  // the file became shorter
      done += std::size_t(n);
    }
    bytes.resize(done);
    return bytes;
  }

 private:
  std::string path_;
  int fd_ = -1;
  std::size_t size_ = 0;
};

}  // namespace

std::vector<std::uint8_t> readRegularFile(const std::string& path, std::size_t maxBytes) {
  OpenFile file(path, maxBytes);
  return file.readAll();
}

std::vector<std::uint8_t> readRegularFileHead(const std::string& path, std::size_t maxBytes) {
  OpenFile file(path, maxBytes, true);
  return file.readAll();
}

void checkRegularFile(const std::string& path, std::size_t maxBytes) { OpenFile file(path, maxBytes); }

}  // namespace lumora
