#include "imaging/inflate.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace lumora {

namespace {

// The stream's state, released however the unpacking ends.
class Inflater {
 public:
  Inflater() { ok_ = inflateInit(&z_) == Z_OK; }
  ~Inflater() {
    if (ok_) inflateEnd(&z_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  bool ok() const { return ok_; }
  z_stream& stream() { return z_; }

 private:
  z_stream z_{};
  bool ok_ = false;
};

}  // namespace

Inflated inflateZlib(std::span<const std::uint8_t> packed, std::span<std::uint8_t> out) {
  Inflater inflater;
  if (!inflater.ok()) return {0, true};
  z_stream& z = inflater.stream();
  constexpr std::size_t kChunk = std::numeric_limits<uInt>::max();
  std::size_t inAt = 0, outAt = 0;
  // zlib counts in 32-bit units: feed both sides a chunk at a time.
  while (outAt < out.size()) {
    if (z.avail_in == 0 && inAt < packed.size()) {
      const std::size_t n = std::min(kChunk, packed.size() - inAt);
      z.next_in = const_cast<Bytef*>(packed.data() + inAt);
      z.avail_in = uInt(n);
      inAt += n;
    }
    const std::size_t room = std::min(kChunk, out.size() - outAt);
    z.next_out = out.data() + outAt;
    z.avail_out = uInt(room);
    const int status = inflate(&z, Z_NO_FLUSH);
    outAt += room - z.avail_out;
    if (status == Z_STREAM_END) break;
    if (status != Z_OK && status != Z_BUF_ERROR) return {outAt, true};        // not Deflate data from here on
    if (z.avail_in == 0 && inAt >= packed.size() && z.avail_out != 0) break;  // the data ran out
  }
  return {outAt, false};
}

}  // namespace lumora
