// libFuzzer target: every run-length and LZW decoder on arbitrary bytes.
// Byte 0 picks the decoder, byte 1 its parameter (sample size, depth, code
// size), bytes 2 and 3 the output size; the rest is the packed input. The
// output is a buffer of exactly that size, so AddressSanitizer sees any
// write past it. The PackBits reader that exchanges red and blue is also
// checked against reading and exchanging in two steps, row by row.
#include <algorithm>
#include <memory>
#include <vector>

#include "imaging/decoders.h"
#include "imaging/picture.h"

namespace {

// Rows of out.size() bytes read with readSwapped give what read gives,
// completed with zeros to a whole pixel, each pixel's red and blue
// exchanged; traps where they differ.
void swappedRowsMatch(const std::vector<std::uint8_t>& packed, lumora::PackBitsReader::Kernel kernel,
                      std::span<std::uint8_t> out) {
  using lumora::PackBitsReader;
  if (out.size() < 3 || !PackBitsReader::available(kernel)) return;
  PackBitsReader swapped(packed), plain(packed);
  std::vector<std::uint8_t> expected(out.size() / 3 * 3);
  for (;;) {
    const std::size_t n = swapped.readSwapped(out, kernel);
    std::fill(expected.begin(), expected.end(), std::uint8_t(0));
    std::size_t m = plain.read(expected);
    m = (m + 2) / 3 * 3;
    for (std::size_t i = 0; i < m; i += 3) std::swap(expected[i], expected[i + 2]);
    if (n != m || !std::equal(expected.begin(), expected.begin() + std::ptrdiff_t(m), out.begin())) __builtin_trap();
    if (n == 0 || n < expected.size()) return;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lumora;
  if (size < 4) return 0;
  const int which = data[0] % 9;
  const int param = data[1];
  const std::size_t outSize = std::size_t(data[2] | (data[3] << 8));
  // Exactly sized heap buffers for input and output.
  const std::vector<std::uint8_t> packed(data + 4, data + size);
  const auto out = std::make_unique<std::uint8_t[]>(outSize);
  const std::span<std::uint8_t> o(out.get(), outSize);
  ByteReader in(packed);
  const std::size_t count = param * 7u;
  try {
    switch (which) {
      case 0: decodePcxRle(in, o); break;
      case 1: decodePackBits(in, count, o); break;
      case 2: decodeSgiRle(in, 1 + (param & 1), o); break;
      case 3: decodeDrHaloRle(in, o); break;
      case 4: decodeRlaRle(in, count, o); break;
      case 5: decodeTargaRle(packed, param % 40, o); break;
      case 6: decodeTiffLzw(packed, o); break;
      case 7: swappedRowsMatch(packed, PackBitsReader::Kernel(param % 4), o); break;
      default: decodeGifLzw(packed, param % 14, o); break;
    }
  } catch (const PictureError&) {
  }
  if (in.position() > packed.size()) __builtin_trap();  // a cursor past its input
  return 0;
}
