#include "players/swf_inflate.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>

namespace lumora {

namespace {
constexpr std::size_t kChunk = 64 * 1024;
}

std::vector<std::uint8_t> inflateZlib(const std::uint8_t* data, std::size_t size, std::size_t limit) {
  std::vector<std::uint8_t> out;
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return out;
  z.next_in = const_cast<Bytef*>(data);
  std::size_t inLeft = size;
  int rc = Z_OK;
  while (rc == Z_OK && out.size() < limit) {
    if (z.avail_in == 0) {
      if (inLeft == 0) break;
      const std::size_t n = std::min<std::size_t>(inLeft, 1u << 30);
      z.avail_in = uInt(n);
      inLeft -= n;
    }
    const std::size_t have = out.size();
    const std::size_t room = std::min(kChunk, limit - have);
    out.resize(have + room);
    z.next_out = out.data() + have;
    z.avail_out = uInt(room);
    rc = inflate(&z, Z_NO_FLUSH);
    out.resize(have + (room - z.avail_out));
    if (rc == Z_BUF_ERROR && z.avail_in == 0 && inLeft == 0) break;
    if (rc == Z_BUF_ERROR) rc = Z_OK;  // more room was all it needed
  }
  inflateEnd(&z);
  return out;
}

std::vector<std::uint8_t> inflateLzma(const std::uint8_t props[5], const std::uint8_t* data, std::size_t size,
                                      std::size_t limit) {
  std::vector<std::uint8_t> out;
  lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
  if (lzma_properties_decode(&filters[0], nullptr, props, 5) != LZMA_OK) return out;
  // The dictionary never needs to be larger than the output may grow:
  // hostile properties must not make the decoder allocate gigabytes.
  auto* options = static_cast<lzma_options_lzma*>(filters[0].options);
  options->dict_size = std::min<std::uint32_t>(options->dict_size, std::uint32_t(std::max<std::size_t>(limit, 4096)));
  lzma_stream s = LZMA_STREAM_INIT;
  const lzma_ret init = lzma_raw_decoder(&s, filters);
  free(filters[0].options);  // lzma_properties_decode allocated it with malloc
  if (init != LZMA_OK) return out;
  s.next_in = data;
  s.avail_in = size;
  lzma_ret rc = LZMA_OK;
  while (rc == LZMA_OK && out.size() < limit) {
    const std::size_t have = out.size();
    const std::size_t room = std::min(kChunk, limit - have);
    out.resize(have + room);
    s.next_out = out.data() + have;
    s.avail_out = room;
    rc = lzma_code(&s, s.avail_in ? LZMA_RUN : LZMA_FINISH);
    out.resize(have + (room - s.avail_out));
    if (rc == LZMA_OK && s.avail_in == 0 && s.avail_out != 0) break;  // input used up
  }
  lzma_end(&s);
  return out;
}

}  // namespace lumora
