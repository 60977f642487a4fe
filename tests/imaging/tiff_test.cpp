// TIFF reader: both byte orders, palettes by interpretation, strips,
// compression and predictor, CMYK and Lab, hostile directories.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/lzw_test_encoder.h"
#include "imaging/loader.h"
#include "reader_test_util.h"
#include "imaging/readers/readers.h"

namespace lumora {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Field {
  std::uint16_t tag, type;
  std::vector<std::uint32_t> values;
};

class TiffWriter {
 public:
  explicit TiffWriter(bool big) : big_(big) {}

  // Fields (strip offsets and byte counts are added for the strips).
  Bytes build(std::vector<Field> fields, const std::vector<Bytes>& strips) {
    Bytes out = {std::uint8_t(big_ ? 'M' : 'I'), std::uint8_t(big_ ? 'M' : 'I')};
    put(out, 42, 2);
    put(out, 0, 4);  // directory offset, set below
    std::vector<std::uint32_t> offsets, counts;
    for (const Bytes& s : strips) {
      offsets.push_back(std::uint32_t(out.size()));
      counts.push_back(std::uint32_t(s.size()));
      out.insert(out.end(), s.begin(), s.end());
    }
    if (!strips.empty()) {
      fields.push_back({273, 4, offsets});
      fields.push_back({279, 4, counts});
    }
    std::sort(fields.begin(), fields.end(), [](const Field& a, const Field& b) { return a.tag < b.tag; });
    // Values too long for the entry go before the directory.
    std::vector<std::uint32_t> at(fields.size(), 0);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const unsigned size = typeSize(fields[i].type);
      if (fields[i].values.size() * size <= 4) continue;
      if (out.size() & 1) out.push_back(0);
      at[i] = std::uint32_t(out.size());
      for (auto v : fields[i].values) put(out, v, size);
    }
    if (out.size() & 1) out.push_back(0);
    const std::uint32_t dir = std::uint32_t(out.size());
    Bytes d;
    put(d, dir, 4);
    std::copy(d.begin(), d.end(), out.begin() + 4);
    put(out, std::uint32_t(fields.size()), 2);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const Field& f = fields[i];
      put(out, f.tag, 2);
      put(out, f.type, 2);
      put(out, std::uint32_t(f.values.size()), 4);
      const unsigned size = typeSize(f.type);
      if (f.values.size() * size <= 4) {
        Bytes inl;
        for (auto v : f.values) put(inl, v, size);
        inl.resize(4, 0);
        out.insert(out.end(), inl.begin(), inl.end());
      } else {
        put(out, at[i], 4);
      }
    }
    put(out, 0, 4);
    return out;
  }

  // 16-bit samples in the file's byte order.
  Bytes samples16(const std::vector<unsigned>& v) const {
    Bytes b;
    for (auto x : v) put(b, x, 2);
    return b;
  }

 private:
  static unsigned typeSize(unsigned type) { return type == 1 ? 1 : type == 3 ? 2 : 4; }
  void put(Bytes& b, std::uint32_t v, unsigned size) const {
    for (unsigned i = 0; i < size; ++i) b.push_back(std::uint8_t(v >> (8 * (big_ ? size - 1 - i : i))));
  }
  bool big_;
};

Picture read(const Bytes& b) { return readTiff(ReaderInput{b, {}}); }

std::string message(const Bytes& b) {
  return test::messageOf([&] { read(b); });
}

std::vector<Field> basic(std::uint32_t w, std::uint32_t h, std::vector<std::uint32_t> bps, unsigned spp,
                         unsigned photometric, unsigned compression = 1) {
  return {{256, 3, {w}},           {257, 3, {h}},           {258, 3, std::move(bps)},
          {259, 3, {compression}}, {262, 3, {photometric}}, {277, 3, {spp}}};
}

TEST(TiffReader, BigAndLittleEndianFilesLoadAlike) {
  const Bytes data = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30, 40, 50, 60, 70, 80, 90};
  for (bool big : {false, true}) {
    SCOPED_TRACE(big ? "MM" : "II");
    auto fields = basic(3, 2, {8, 8, 8}, 3, 2);
    fields.push_back({278, 4, {1}});
    const Picture p = read(
        TiffWriter(big).build(fields, {Bytes(data.begin(), data.begin() + 9), Bytes(data.begin() + 9, data.end())}));
    EXPECT_EQ(p.bits(), 24);
    EXPECT_EQ(p.width(), 3);
    EXPECT_EQ(p.height(), 2);
    EXPECT_EQ(p.pixel(0, 0), rgb(255, 0, 0));
    EXPECT_EQ(p.pixel(2, 0), rgb(0, 0, 255));
    EXPECT_EQ(p.pixel(2, 1), rgb(70, 80, 90));
    // 16-bit samples keep their high bytes; an extra sample makes 32 bits
    // and is not shown.
    TiffWriter w(big);
    auto f16 = basic(1, 1, {16, 16, 16, 16}, 4, 2);
    f16.push_back({338, 3, {2}});
    const Picture q = read(w.build(f16, {w.samples16({0x1234, 0xABCD, 0xFF00, 0x7F01})}));
    EXPECT_EQ(q.bits(), 32);
    EXPECT_EQ(q.pixel(0, 0), rgb(0x12, 0xAB, 0xFF));
    EXPECT_EQ(q.pixel(0, 0) >> 24, 0xFFu);
  }
}

TEST(TiffReader, GreyPalettesFollowTheInterpretation) {
  // 4-bit white-is-zero: 0 is the lightest grey of the ramp, 15 black.
  Picture p = read(TiffWriter(false).build(basic(2, 1, {4}, 1, 0), {{0x0F}}));
  EXPECT_EQ(p.bits(), 4);
  EXPECT_EQ(p.pixel(0, 0), rgb(240, 240, 240));
  EXPECT_EQ(p.pixel(1, 0), kBlack);
  p = read(TiffWriter(false).build(basic(2, 1, {4}, 1, 1), {{0x0F}}));
  EXPECT_EQ(p.pixel(1, 0), rgb(240, 240, 240));
  // Bilevel: white is zero by default (no interpretation tag at all).
  p = read(TiffWriter(true).build({{256, 3, {3}}, {257, 3, {1}}}, {{0b01000000}}));
  EXPECT_EQ(p.bits(), 1);
  EXPECT_EQ(p.pixel(0, 0), kWhite);
  EXPECT_EQ(p.pixel(1, 0), kBlack);
  // 8-bit black-is-zero and 16-bit grey (high byte).
  p = read(TiffWriter(false).build(basic(2, 1, {8}, 1, 1), {{7, 200}}));
  EXPECT_EQ(p.pixel(1, 0), rgb(200, 200, 200));
  TiffWriter be(true);
  p = read(be.build(basic(1, 1, {16}, 1, 1), {be.samples16({0x9901})}));
  EXPECT_EQ(p.bits(), 8);
  EXPECT_EQ(p.pixel(0, 0), rgb(0x99, 0x99, 0x99));
  // An interpretation without a palette of its own gives black.
  p = read(TiffWriter(false).build(basic(2, 1, {8}, 1, 4), {{7, 200}}));
  EXPECT_EQ(p.pixel(1, 0), kBlack);
}

TEST(TiffReader, ColourMapGivesThePalette) {
  for (bool big : {false, true}) {
    std::vector<std::uint32_t> map(3 * 16, 0);
    map[5] = 0x1200;       // red of entry 5
    map[16 + 5] = 0x34FF;  // green
    map[32 + 5] = 0xFE00;  // blue
    map[1] = 0xFFFF;
    auto f = basic(2, 1, {4}, 1, 3);
    f.push_back({320, 3, map});
    const Picture p = read(TiffWriter(big).build(f, {{0x51}}));
    EXPECT_EQ(p.pixel(0, 0), rgb(0x12, 0x34, 0xFE));
    EXPECT_EQ(p.pixel(1, 0), rgb(0xFF, 0, 0));
  }
}

TEST(TiffReader, CmykAndLabConversions) {
  auto cmyk = basic(4, 1, {8, 8, 8, 8}, 4, 5);
  Picture p = read(TiffWriter(false).build(cmyk, {{255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 128, 64, 0, 100}}));
  EXPECT_EQ(p.bits(), 24);
  EXPECT_EQ(p.pixel(0, 0), rgb(0, 255, 255));  // cyan
  EXPECT_EQ(p.pixel(1, 0), kWhite);            // no ink
  EXPECT_EQ(p.pixel(2, 0), kBlack);            // black ink
  // 255 - c - k + MulDiv(c, k, 255): red 255-128-100+50 = 77, green 255-64-100+25 = 116, blue 155.
  EXPECT_EQ(p.pixel(3, 0), rgb(77, 116, 155));

  TiffWriter be(true);
  const Picture q = read(be.build(basic(1, 1, {16, 16, 16, 16}, 4, 5), {be.samples16({0xFFFF, 0, 0x8000, 0})}));
  // 255 - ((c + k - MulDiv(c, k, 65535)) >> 8)
  EXPECT_EQ(q.pixel(0, 0), rgb(0, 255, 127));

  // Lab: L 255 is white; L 0 black; a strongly positive a is red.
  p = read(TiffWriter(false).build(basic(3, 1, {8, 8, 8}, 3, 8), {{255, 0, 0, 0, 0, 0, 128, 100, 0}}));
  EXPECT_EQ(p.pixel(0, 0), kWhite);
  EXPECT_EQ(p.pixel(1, 0), kBlack);
  const Pixel red = p.pixel(2, 0);
  EXPECT_GT(redOf(red), 200);
  EXPECT_LT(greenOf(red), 120);
}

TEST(TiffReader, StripsRowsPerStripAndShortStrips) {
  // One strip whose rows-per-strip tag says 1 still gives all four rows.
  auto f = basic(2, 4, {8}, 1, 1);
  f.push_back({278, 3, {1}});
  Picture p = read(TiffWriter(false).build(f, {{1, 2, 3, 4, 5, 6, 7, 8}}));
  EXPECT_EQ(p.pixel(0, 3), rgb(7, 7, 7));

  // Two PackBits strips of two rows; the first unpacks to one row only.
  f = basic(2, 4, {8}, 1, 1, 32773);
  f.push_back({278, 3, {2}});
  p = read(TiffWriter(true).build(f, {{1, 50, 60}, {0xFD, 90}}));  // literal 2; run of 4
  EXPECT_EQ(p.pixel(1, 0), rgb(60, 60, 60));
  EXPECT_EQ(p.pixel(0, 1), kBlack);  // unfilled
  EXPECT_EQ(p.pixel(1, 1), kBlack);
  EXPECT_EQ(p.pixel(0, 2), rgb(90, 90, 90));
  EXPECT_EQ(p.pixel(1, 3), rgb(90, 90, 90));
}

// PackBits packets alternating copies of 1 to 7 bytes and runs of 2 to 6,
// so that they cross pixels and rows, making exactly `count` bytes, which
// are added to `unpacked`.
Bytes packBitsOf(std::size_t count, Bytes& unpacked) {
  Bytes packed;
  for (std::size_t k = 0, target = unpacked.size() + count; unpacked.size() < target; ++k) {
    const std::size_t left = target - unpacked.size();
    if (k % 2 == 0 || left < 2) {
      const std::size_t n = std::min<std::size_t>(1 + k * 3 % 7, left);
      packed.push_back(std::uint8_t(n - 1));
      for (std::size_t i = 0; i < n; ++i) {
        packed.push_back(std::uint8_t(unpacked.size() * 37 + 11));
        unpacked.push_back(packed.back());
      }
    } else {
      const std::size_t n = std::min<std::size_t>(2 + k % 5, left);
      packed.insert(packed.end(), {std::uint8_t(1 - int(n)), std::uint8_t(k * 29)});
      unpacked.insert(unpacked.end(), n, std::uint8_t(k * 29));
    }
  }
  return packed;
}

TEST(TiffReader, RgbPackBitsRowsAreTheUnpackedBytesAndACutRowIsCompletedWithBlack) {
  // 7 pixels a row (21 bytes), two strips of three rows. The second strip's
  // data end inside the fourth pixel of its second row: that pixel keeps
  // its one byte (red) and the rest of the row is black, as is the row the
  // data never reach.
  const int w = 7, h = 6;
  Bytes stream;
  const Bytes first = packBitsOf(3 * 21, stream), second = packBitsOf(21 + 10, stream);
  stream.resize(std::size_t(w * h * 3), 0);
  auto f = basic(w, h, {8, 8, 8}, 3, 2, 32773);
  f.push_back({278, 3, {3}});
  const Picture p = read(TiffWriter(false).build(f, {first, second}));
  ASSERT_EQ(p.bits(), 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* s = &stream[std::size_t(y * w + x) * 3];
      ASSERT_EQ(p.pixel(x, y), rgb(s[0], s[1], s[2])) << x << "," << y;
    }
  EXPECT_NE(p.pixel(3, 4), kBlack);
  EXPECT_EQ(p.pixel(4, 4), kBlack);
}

TEST(TiffReader, LzwWithHorizontalPredictor) {
  const Bytes rows = {10, 20, 30, 1, 1, 1, 5, 5, 5, 200, 0, 100, 56, 0, 156, 0, 1, 2};  // 3 x 2 RGB differences
  test::LzwOptions o;
  o.msbFirst = true;
  o.earlyChange = true;
  auto f = basic(3, 2, {8, 8, 8}, 3, 2, 5);
  f.push_back({317, 3, {2}});
  for (bool big : {false, true}) {
    const Picture p = read(TiffWriter(big).build(f, {test::lzwEncode(rows, o)}));
    EXPECT_EQ(p.pixel(0, 0), rgb(10, 20, 30));
    EXPECT_EQ(p.pixel(1, 0), rgb(11, 21, 31));
    EXPECT_EQ(p.pixel(2, 0), rgb(16, 26, 36));
    EXPECT_EQ(p.pixel(1, 1), rgb(0, 0, 0));  // sums wrap at 256
    EXPECT_EQ(p.pixel(2, 1), rgb(0, 1, 2));
  }
}

TEST(TiffReader, BadFilesFailWithTheReadersMessages) {
  auto f = basic(2, 1, {8}, 1, 1, 7);
  EXPECT_EQ(message(TiffWriter(false).build(f, {{1, 2}})), "TIFF: Unknown compression scheme");
  Bytes b = TiffWriter(false).build(basic(2, 1, {8}, 1, 1), {{1, 2}});
  Bytes wrong = b;
  wrong[2] = 43;
  EXPECT_EQ(message(wrong), "Invalid TIFF file.");
  EXPECT_EQ(message(TiffWriter(false).build(basic(0, 1, {8}, 1, 1), {{1, 2}})), "Invalid TIFF file.");
  EXPECT_EQ(message(TiffWriter(false).build({{257, 3, {1}}}, {{1, 2}})), "Invalid TIFF file.");
  EXPECT_EQ(message(Bytes{'I', 'I', 42, 0}), "Invalid TIFF file.");
  // Directory offset past the end.
  Bytes far = b;
  far[4] = 0xF0;
  far[7] = 0x70;
  EXPECT_EQ(message(far), "TIFF: directory past the end of the file");
  // A strip offset, or a packed strip's byte count, past the end of the file.
  auto g = basic(2, 1, {8}, 1, 1);
  g.push_back({273, 4, {100000}});
  EXPECT_EQ(message(TiffWriter(false).build(g, {})), "TIFF: strip past the end of the file");
  auto h = basic(2, 1, {8}, 1, 1, 32773);
  h.push_back({273, 4, {8}});
  h.push_back({279, 4, {0xFFFFFFF0}});
  EXPECT_EQ(message(TiffWriter(false).build(h, {})), "TIFF: strip past the end of the file");
  // A huge picture is refused before anything is allocated.
  EXPECT_EQ(message(TiffWriter(false).build(basic(0x7FFFFFFF, 0x7FFFFFFF, {8}, 1, 1), {{1}})), "Picture too large.");
  // An LZW strip with a code that is not in the table.
  test::LzwBitWriter bits(true);
  bits.put(256, 9);
  bits.put(65, 9);
  bits.put(300, 9);
  EXPECT_EQ(message(TiffWriter(false).build(basic(4, 1, {8}, 1, 1, 5), {bits.take()})), "TIF LZW: invalid opcode.");
}

// A 4 x 4 grey file whose two strips lie behind the directory, so that a
// cut can fall in the header, the directory or the strips.
Bytes stripsLast(unsigned compression, const std::vector<Bytes>& strips) {
  auto fields = [&](std::uint32_t at) {
    auto f = basic(4, 4, {8}, 1, 1, compression);
    f.push_back({278, 3, {2}});
    f.push_back({273, 4, {at, at + std::uint32_t(strips[0].size())}});
    f.push_back({279, 4, {std::uint32_t(strips[0].size()), std::uint32_t(strips[1].size())}});
    return f;
  };
  Bytes file = TiffWriter(false).build(fields(0), {});
  file = TiffWriter(false).build(fields(std::uint32_t(file.size())), {});
  for (const Bytes& s : strips) file.insert(file.end(), s.begin(), s.end());
  return file;
}

TEST(TiffReader, FilesCutShortFail) {
  const Bytes plain = stripsLast(1, {Bytes(8, 1), Bytes(8, 2)});
  const std::size_t directory = plain[4];
  const std::size_t stripsAt = plain.size() - 16;
  const std::size_t entriesEnd = stripsAt - 4;  // the next directory's offset follows
  test::expectCutsFail(plain, "tif", 0, 8, "Invalid TIFF file.");
  test::expectCutsFail(plain, "tif", 8, entriesEnd, "TIFF: directory past the end of the file");
  test::expectCutsFail(plain, "tif", entriesEnd, plain.size(), "TIFF: strip past the end of the file");
  EXPECT_GT(directory, 8u);
  // Packed strips past the end; an entry count the file cannot hold.
  const Bytes packed = stripsLast(32773, {{0xF9, 1}, {0xF9, 2}});
  test::expectCutsFail(packed, "tif", packed.size() - 4, packed.size(), "TIFF: strip past the end of the file");
  Bytes many = plain;
  many[directory] = 0xFF;
  EXPECT_EQ(message(many), "TIFF: directory past the end of the file");
  // A strip that is there but unpacks short leaves its other rows unfilled.
  const Picture p = read(stripsLast(32773, {{0xF9, 1}, {0xFD, 2}}));
  EXPECT_EQ(test::row(p, 2, 4), test::greys({2, 2, 2, 2}));
  EXPECT_EQ(test::row(p, 3, 4), test::greys({0, 0, 0, 0}));
}

TEST(TiffReader, SampleFiles) {
  const Bitmap plain = test::loadSample("tiff/rgb_raw.tif").bitmap();
  EXPECT_EQ(plain.width(), 13);
  for (const char* name : {"rgb_lzw.tif", "rgb_packbits.tif", "rgb_big_endian.tif", "lzw_predictor_strips.tif",
                           "rgb16.tif", "orientation_6.tif"})
    EXPECT_TRUE(test::loadSample(std::string("tiff/") + name).bitmap() == plain) << name;
  EXPECT_EQ(std::size_t(test::loadAllSamples({"tif", "tiff"})), test::samples({"tif", "tiff"}).size());
}

}  // namespace
}  // namespace lumora
