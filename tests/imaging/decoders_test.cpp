#include "imaging/decoders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "imaging/picture.h"
#include "imaging/lzw_test_encoder.h"
#include "imaging/reader_test_util.h"

namespace lumora {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Run {
  Bytes out;
  std::size_t result = 0;
  std::size_t consumed = 0;
};

template <class F>
Run run(const Bytes& packed, std::size_t outSize, F decode) {
  Run r;
  r.out.assign(outSize, 0xEE);
  ByteReader in(packed);
  r.result = decode(in, std::span<std::uint8_t>(r.out));
  r.consumed = in.position();
  return r;
}

TEST(PcxRle, LiteralsRunsEmptyRunAndCut) {
  auto r = run({1, 0xC3, 7, 0xC0, 9, 0xC5, 4}, 6, [](ByteReader& in, auto out) { return decodePcxRle(in, out); });
  // 0xC0 is a run of none: its byte 9 is eaten; the last run is cut to 2.
  EXPECT_EQ(r.out, (Bytes{1, 7, 7, 7, 4, 4}));
  EXPECT_EQ(r.result, 6u);
  EXPECT_EQ(r.consumed, 7u);
}

TEST(PcxRle, InputEndingEarlyLeavesTheRest) {
  auto r = run({5, 0xC4}, 4, [](ByteReader& in, auto out) { return decodePcxRle(in, out); });
  EXPECT_EQ(r.result, 1u);
  EXPECT_EQ(r.out, (Bytes{5, 0xEE, 0xEE, 0xEE}));
}

TEST(PackBits, LiteralRepeatAndNoOp) {
  const Bytes packed{2, 'a', 'b', 'c', 0x80, 0xFE, 'z', 0x00, 'q', 0xFF, 'x'};
  auto r = run(packed, 16, [&](ByteReader& in, auto out) { return decodePackBits(in, 9, out); });
  EXPECT_EQ(r.result, 7u);
  EXPECT_EQ(Bytes(r.out.begin(), r.out.begin() + 7), (Bytes{'a', 'b', 'c', 'z', 'z', 'z', 'q'}));
  EXPECT_EQ(r.consumed, 9u);  // stops at the count, not at the input's end
}

TEST(PackBits, CutsAtOutputAndConsumesTheCount) {
  auto r = run({0x81, 7, 3, 1, 2, 3, 4}, 5, [](ByteReader& in, auto out) { return decodePackBits(in, 7, out); });
  EXPECT_EQ(r.out, (Bytes{7, 7, 7, 7, 7}));
  EXPECT_EQ(r.consumed, 7u);
  // A literal promising more than the count holds stops at the count.
  auto s = run({10, 1, 2, 3}, 8, [](ByteReader& in, auto out) { return decodePackBits(in, 3, out); });
  EXPECT_EQ(s.result, 2u);
  EXPECT_EQ(s.consumed, 3u);
}

TEST(PackBits, PiecesGiveTheBytesOfOneCall) {
  // Random packets, a -128 and a run whose byte is missing at the end; read
  // back in pieces of every size from 1 to 130 (inside literals and runs,
  // across packets), the bytes are those of one call.
  std::mt19937 random(7);
  Bytes packed;
  for (int i = 0; i < 300; ++i) {
    const int a = int(random() % 256) - 128;
    packed.push_back(std::uint8_t(a));
    if (a >= 0)
      for (int k = 0; k <= a; ++k) packed.push_back(std::uint8_t(random()));
    else if (a != -128)
      packed.push_back(std::uint8_t(random()));
  }
  packed.push_back(0xF0);
  Bytes whole(packed.size() * 64 + 128);
  ByteReader in(packed);
  whole.resize(decodePackBits(in, packed.size(), whole));
  for (std::size_t piece = 1; piece <= 130; ++piece) {
    PackBitsReader reader(packed);
    Bytes got, buffer(piece);
    for (std::size_t n; (n = reader.read(buffer)) > 0;) got.insert(got.end(), buffer.begin(), buffer.begin() + n);
    ASSERT_EQ(got, whole) << "pieces of " << piece;
  }
}

TEST(SgiRle, OneByteSamples) {
  auto r =
      run({0x83, 1, 2, 3, 0x02, 9, 0x80, 5, 5}, 8, [](ByteReader& in, auto out) { return decodeSgiRle(in, 1, out); });
  // 0x80 has count 0 and ends the row although its high bit is set.
  EXPECT_EQ(r.result, 5u);
  EXPECT_EQ(Bytes(r.out.begin(), r.out.begin() + 5), (Bytes{1, 2, 3, 9, 9}));
  EXPECT_EQ(r.consumed, 7u);
}

TEST(SgiRle, TwoByteSamplesKeepTheHighByte) {
  auto r = run({0x00, 0x82, 0x12, 0x34, 0xAB, 0xCD, 0x00, 0x03, 0x7F, 0xFF, 0x00, 0x00}, 8,
               [](ByteReader& in, auto out) { return decodeSgiRle(in, 2, out); });
  EXPECT_EQ(r.result, 5u);
  EXPECT_EQ(Bytes(r.out.begin(), r.out.begin() + 5), (Bytes{0x12, 0xAB, 0x7F, 0x7F, 0x7F}));
}

TEST(SgiRle, RunPastTheRowIsCut) {
  auto r = run({0x7F, 4, 0x85, 1, 2, 3, 4, 5, 0}, 3, [](ByteReader& in, auto out) { return decodeSgiRle(in, 1, out); });
  EXPECT_EQ(r.out, (Bytes{4, 4, 4}));
  EXPECT_EQ(r.consumed, 9u);
}

TEST(DrHaloRle, SkipsTheRowLengthAndEndsAtCountZero) {
  auto r = run({0x55, 0x66, 0x83, 7, 0x02, 1, 2, 0x80, 9}, 8,
               [](ByteReader& in, auto out) { return decodeDrHaloRle(in, out); });
  EXPECT_EQ(r.result, 5u);
  EXPECT_EQ(Bytes(r.out.begin(), r.out.begin() + 5), (Bytes{7, 7, 7, 1, 2}));
  EXPECT_EQ(r.consumed, 8u);
}

TEST(RlaRle, CopyAndRepeat) {
  auto r = run({0xFE, 1, 2, 0x02, 8, 0x7F, 3}, 6, [](ByteReader& in, auto out) { return decodeRlaRle(in, 7, out); });
  EXPECT_EQ(r.out, (Bytes{1, 2, 8, 8, 8, 3}));
  EXPECT_EQ(r.consumed, 7u);
}

TEST(TargaRle, ReturnsThePackedBytesConsumed) {
  const Bytes packed{0x81, 1, 2, 3, 0x00, 4, 5, 6, 0xFF, 0xFF};
  Bytes out(9, 0);
  EXPECT_EQ(decodeTargaRle(packed, 24, out), 8u);
  EXPECT_EQ(out, (Bytes{1, 2, 3, 1, 2, 3, 4, 5, 6}));
  // A run past the row is cut, but the whole packet counts as consumed.
  Bytes small(4, 0);
  EXPECT_EQ(decodeTargaRle(Bytes{0x85, 9, 8}, 16, small), 3u);
  EXPECT_EQ(small, (Bytes{9, 8, 9, 8}));
  EXPECT_EQ(decodeTargaRle(Bytes{0x85, 9, 8}, 7, small), 0u);
  // A pixel cut off by the end of the input is not read.
  EXPECT_EQ(decodeTargaRle(Bytes{0x80, 1, 2}, 32, small), 3u);
}

Bytes randomBytes(std::size_t n, int values, unsigned seed) {
  std::mt19937 gen(seed);
  Bytes b(n);
  // Runs and repeats so that long strings are built, plus noise.
  for (std::size_t i = 0; i < n; ++i)
    b[i] = (gen() % 4 == 0) ? std::uint8_t(gen() % values) : std::uint8_t((i / 7) % values);
  return b;
}

TEST(GifLzw, RoundTripsAcrossEveryCodeWidth) {
  for (int s : {2, 4, 8}) {
    const Bytes data = randomBytes(60000, 1 << s, unsigned(s));
    const Bytes packed = test::lzwEncode(data, {.literalBits = s});
    Bytes out(data.size());
    EXPECT_EQ(decodeGifLzw(packed, s, out), data.size());
    EXPECT_EQ(out, data) << "code size " << s;
  }
}

TEST(GifLzw, ClearCodeMidwayAndWriterThatNeverClears) {
  const Bytes data = randomBytes(40000, 256, 7);
  Bytes out(data.size());
  decodeGifLzw(test::lzwEncode(data, {.clearAt = 777}), 8, out);
  EXPECT_EQ(out, data);
  // A writer may keep going with a full table; its strings stay as they were.
  Bytes out2(data.size());
  decodeGifLzw(test::lzwEncode(data, {.clearWhenFull = false}), 8, out2);
  EXPECT_EQ(out2, data);
}

TEST(TiffLzw, RoundTripsWithEarlyChange) {
  const Bytes data = randomBytes(50000, 256, 3);
  Bytes out(data.size());
  EXPECT_EQ(decodeTiffLzw(test::lzwEncode(data, {.msbFirst = true, .earlyChange = true}), out), data.size());
  EXPECT_EQ(out, data);
}

TEST(Lzw, StringThatDefinesItself) {
  // "aaaa": codes a, (a a) = the code being defined, a.
  const Bytes data{5, 5, 5, 5, 5, 5};
  Bytes out(6);
  decodeGifLzw(test::lzwEncode(data, {.literalBits = 3}), 3, out);
  EXPECT_EQ(out, data);
}

TEST(Lzw, StopsAtTheEndOfInputOrOutput) {
  const Bytes data = randomBytes(3000, 256, 9);
  Bytes out(data.size(), 0xEE);
  const Bytes noEnd = test::lzwEncode(data, {.emitEnd = false});
  EXPECT_EQ(decodeGifLzw(noEnd, 8, out), data.size());
  EXPECT_EQ(out, data);
  Bytes half(1500);
  EXPECT_EQ(decodeGifLzw(noEnd, 8, half), 1500u);
  EXPECT_TRUE(std::equal(half.begin(), half.end(), data.begin()));
  // More output room than data: only what the stream holds.
  Bytes more(4000, 0xEE);
  EXPECT_EQ(decodeTiffLzw(test::lzwEncode(data, {.msbFirst = true, .earlyChange = true}), more), 3000u);
  EXPECT_EQ(more[3000], 0xEE);
}

TEST(Lzw, InvalidCodesFailWithTheirMessage) {
  // Clear, literal 1, then code 300 while the next free code is 258.
  test::LzwBitWriter gif(false);
  gif.put(256, 9), gif.put(1, 9), gif.put(300, 9);
  Bytes out(10);
  EXPECT_EQ(test::messageOf([&] { decodeGifLzw(gif.take(), 8, out); }), "GIF LZW: invalid opcode.");
  test::LzwBitWriter tif(true);
  tif.put(256, 9), tif.put(258, 9);  // a string code with nothing before it
  EXPECT_EQ(test::messageOf([&] { decodeTiffLzw(tif.take(), out); }), "TIF LZW: invalid opcode.");
  EXPECT_THROW(decodeGifLzw(Bytes{0}, 12, out), PictureError);
}

TEST(Lzw, EndlessClearsEndWithTheInput) {
  test::LzwBitWriter w(false);
  for (int i = 0; i < 5000; ++i) w.put(4, 3);
  Bytes out(100, 0xEE);
  EXPECT_EQ(decodeGifLzw(w.take(), 2, out), 0u);
}

}  // namespace
}  // namespace lumora
