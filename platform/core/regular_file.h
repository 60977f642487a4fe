// Reading the files that lists name (pictures, media, lyrics): only a
// regular file is read, and never more than its size or a fixed maximum.
// The file is opened without blocking (a FIFO would otherwise wait for a
// writer for ever) and its type is taken from the open descriptor, so a
// name that is swapped for something else between a check and the open is
// still caught. A device such as /dev/zero, whose size reads as 0 but which
// never ends, is refused instead of read until memory runs out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumora {

// Why a file could not be read; what() is a sentence for the user that names
// the file.
class RegularFileError : public std::runtime_error {
 public:
  enum class Kind {
    Open,        // cannot be opened (missing, no permission, ...)
    NotRegular,  // a folder, FIFO, device or socket
    TooLarge,    // larger than the caller's maximum
    Read,        // a read failed
  };
  RegularFileError(Kind kind, int error, const std::string& message)
      : std::runtime_error(message), kind_(kind), error_(error) {}
  Kind kind() const { return kind_; }
  int error() const { return error_; }  // errno, or 0

 private:
  Kind kind_;
  int error_;
};

// The whole file at path, at most maxBytes long. A file that shrinks while
// it is read gives what is there; one that grows gives its size at the open.
std::vector<std::uint8_t> readRegularFile(const std::string& path, std::size_t maxBytes);

// The first min(file size, maxBytes) bytes of a regular file: for text that
// is used up to a limit (lyrics) rather than refused beyond it.
std::vector<std::uint8_t> readRegularFileHead(const std::string& path, std::size_t maxBytes);

// Opens the file as readRegularFile does and checks its type and size
// without reading it; for files another library opens itself (audio).
void checkRegularFile(const std::string& path, std::size_t maxBytes);

}  // namespace lumora
