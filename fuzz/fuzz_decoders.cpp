// libFuzzer target: every run-length and LZW decoder on arbitrary bytes.
// Byte 0 picks the decoder, byte 1 its parameter (sample size, depth, code
// size), bytes 2 and 3 the output size; the rest is the packed input. The
// output is a buffer of exactly that size, so AddressSanitizer sees any
// write past it. The PackBits reader that unpacks a row at a time is also
// checked against unpacking in one call.
#include <algorithm>
#include <memory>
#include <vector>

#include "imaging/decoders.h"
#include "imaging/picture.h"

namespace {

// Rows of out.size() bytes read one after another by a PackBitsReader give
// the bytes of one decodePackBits call; traps where they differ.
void rowsMatchOneCall(const std::vector<std::uint8_t>& packed, std::span<std::uint8_t> out) {
  if (out.empty()) return;
  std::vector<std::uint8_t> whole(packed.size() * 64 + 128);  // a packet of 2 bytes makes at most 128
  lumora::ByteReader in(packed);
  whole.resize(lumora::decodePackBits(in, packed.size(), whole));
  lumora::PackBitsReader reader(packed);
  std::size_t at = 0;
  for (std::size_t n; (n = reader.read(out)) > 0; at += n) {
    if (n > whole.size() - at) __builtin_trap();
    if (!std::equal(out.begin(), out.begin() + std::ptrdiff_t(n), whole.begin() + std::ptrdiff_t(at))) __builtin_trap();
  }
  if (at != whole.size()) __builtin_trap();
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
      case 0:
        decodePcxRle(in, o);
        break;
      case 1:
        decodePackBits(in, count, o);
        break;
      case 2:
        decodeSgiRle(in, 1 + (param & 1), o);
        break;
      case 3:
        decodeDrHaloRle(in, o);
        break;
      case 4:
        decodeRlaRle(in, count, o);
        break;
      case 5:
        decodeTargaRle(packed, param % 40, o);
        break;
      case 6:
        decodeTiffLzw(packed, o);
        break;
      case 7:
        rowsMatchOneCall(packed, o);
        break;
      default:
        decodeGifLzw(packed, param % 14, o);
        break;
    }
  } catch (const PictureError&) {
  }
  if (in.position() > packed.size()) __builtin_trap();  // a cursor past its input
  return 0;
}
