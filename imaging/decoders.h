// The run-length and LZW decoders the picture readers unpack their pixel
// data with. Plain functions, no state kept between calls (the LZW tables
// are built afresh on every call).
//
// Common rules:
// - Input is either a ByteReader (the decoder reads from its cursor and
//   leaves the cursor behind what it consumed) or a span of packed bytes.
//   No decoder reads outside its input: when the input ends in the middle
//   of a packet the decoder stops there.
// - Output goes into a caller's span. Whatever a packet would write past the
//   span's end is dropped (the output is cut at the buffer's end); the
//   decoder never writes outside it. Bytes of the span that the packed data
//   do not reach keep their values.
// - Every decoder returns a count; what it counts is said for each one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/byte_reader.h"

namespace lumora {

// PCX run-length. Produces out.size() bytes: a byte below 192 is itself; a
// byte c >= 192 repeats the following byte (c & 0x3F) times, the run cut to
// what is still wanted (0xC0 is a run of none). Returns the number of bytes
// produced, less than out.size() only when the input ran out.
std::size_t decodePcxRle(ByteReader& in, std::span<std::uint8_t> out);

// PackBits. Consumes packedCount bytes of input (fewer when the input ends
// first). Control byte a: 0..127 copies the next a + 1 bytes, -127..-1
// repeats the next byte 1 - a times, -128 is skipped. Returns the number of
// bytes written to out.
std::size_t decodePackBits(ByteReader& in, std::size_t packedCount, std::span<std::uint8_t> out);

// PackBits unpacked a piece at a time: each read() goes on where the one
// before stopped, inside a packet if need be, so a strip can be unpacked one
// row at a time into a buffer that stays in the cache. The bytes given by
// successive reads are those decodePackBits gives in one call.
class PackBitsReader {
 public:
  explicit PackBitsReader(std::span<const std::uint8_t> packed)
      : state_{packed.data(), packed.data() + packed.size()} {}
  // Fills out as far as the data go; returns the number of bytes written,
  // less than out.size() only when the data have run out.
  std::size_t read(std::span<std::uint8_t> out);

 private:
  struct State {  // where the next read goes on
    const std::uint8_t* p;
    const std::uint8_t* end;
    std::size_t literal = 0;  // bytes of a copy packet not yet given
    std::size_t run = 0;      // repeats of runByte not yet given
    std::uint8_t runByte = 0;
  };
  State state_;
};

// SGI run-length, one row of one channel. bytesPerSample is 1 or 2; with 2,
// controls and samples are 16-bit big-endian values and each sample is
// written as its high byte alone. A control whose count (low 7 bits) is 0
// ends the row; the high bit set means "copy count samples", clear means
// "repeat the next sample count times". Returns the number of bytes written.
std::size_t decodeSgiRle(ByteReader& in, int bytesPerSample, std::span<std::uint8_t> out);

// Dr. Halo run-length, one row: skips the row's 2-byte length, then reads
// controls until one whose count (low 7 bits) is 0. The high bit set means
// "repeat the next byte count times", clear means "copy count bytes".
// Returns the number of bytes written.
std::size_t decodeDrHaloRle(ByteReader& in, std::span<std::uint8_t> out);

// RLA run-length. Consumes packedCount bytes of input (fewer when the input
// ends first). Signed control a: a < 0 copies the next -a bytes, a >= 0
// repeats the next byte a + 1 times. Returns the number of bytes written.
std::size_t decodeRlaRle(ByteReader& in, std::size_t packedCount, std::span<std::uint8_t> out);

// Bytes per pixel of a Targa depth: 1 for 8, 2 for 15 and 16, 3 for 24,
// 4 for 32, 0 for any other depth.
int targaBytesPerPixel(int depth);

// Targa run-length. Produces out.size() bytes of pixels of the given depth:
// header h, n = (h & 0x7F) + 1 pixels; high bit set: one pixel repeated n
// times, clear: n pixels copied. A depth without a pixel size produces
// nothing. Returns the number of packed bytes consumed (so the caller can
// put its stream right behind them).
std::size_t decodeTargaRle(std::span<const std::uint8_t> packed, int depth, std::span<std::uint8_t> out);

// TIFF LZW (codes most significant bit first, clear 256, end 257, the code
// width growing one code early). Decodes the packed bytes until the end
// code, the end of the packed bytes, or out.size() bytes produced. Returns
// the number of bytes produced. Throws PictureError "TIF LZW: invalid
// opcode." for a code that is not yet in the table.
std::size_t decodeTiffLzw(std::span<const std::uint8_t> packed, std::span<std::uint8_t> out);

// GIF LZW (codes least significant bit first) with the initial code size s
// from the file (clear 2^s, end 2^s + 1). Stops like decodeTiffLzw; returns
// the number of bytes produced. Throws PictureError "GIF LZW: invalid
// opcode." for a code not yet in the table or a code size outside 1..11.
std::size_t decodeGifLzw(std::span<const std::uint8_t> packed, int codeSize, std::span<std::uint8_t> out);

}  // namespace lumora
