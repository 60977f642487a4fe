// libFuzzer target: every run-length and LZW decoder on arbitrary bytes.
// Byte 0 picks the decoder, byte 1 its parameter (sample size, depth, code
// size), bytes 2 and 3 the output size; the rest is the packed input. The
// output is a buffer of exactly that size, so AddressSanitizer sees any
// write past it.
#include <memory>
#include <vector>

#include "imaging/decoders.h"
#include "imaging/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lumora;
  if (size < 4) return 0;
  const int which = data[0] % 8;
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
      default: decodeGifLzw(packed, param % 14, o); break;
    }
  } catch (const PictureError&) {
  }
  if (in.position() > packed.size()) __builtin_trap();  // a cursor past its input
  return 0;
}
