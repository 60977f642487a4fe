// SGI images (sgi, rgb, rgba, bw): 1 to 4 channels of 1- or 2-byte samples,
// plain or run-length coded, stored bottom row first.
#include <algorithm>
#include <vector>

#include "imaging/byte_reader.h"
#include "imaging/decoders.h"
#include "imaging/readers/readers.h"
#include "imaging/rgb_rows.h"

namespace lumora {

namespace {

constexpr const char* kInvalid = "Not a valid sgi, bw or rgb(a) image.";
constexpr std::size_t kHeaderSize = 512;

struct SgiHeader {
  bool runLength;
  int bytesPerSample, width, height, channels;
};

SgiHeader readHeader(ByteReader& r) {
  if (r.u16be() != 474 || r.size() < kHeaderSize) throw PictureError(kInvalid);
  SgiHeader h{};
  h.runLength = r.u8() == 1;
  h.bytesPerSample = r.u8();
  r.u16be();  // dimension
  h.width = r.u16be();
  h.height = r.u16be();
  h.channels = r.u16be();
  if ((h.bytesPerSample != 1 && h.bytesPerSample != 2) || h.channels == 0) throw PictureError(kInvalid);
  r.seek(kHeaderSize);
  return h;
}

// Where each packed row of each channel lies: entry y + k * height.
struct RowTable {
  std::vector<std::uint32_t> offsets, lengths;
};

RowTable readTables(ByteReader& r, const SgiHeader& h) {
  const std::size_t entries = std::size_t(h.height) * std::size_t(h.channels);
  if (entries > r.remaining() / 8) throw PictureError("SGI: row tables past the end of the file");
  RowTable t;
  t.offsets.resize(entries);
  t.lengths.resize(entries);
  for (auto& v : t.offsets) v = r.u32be();
  for (auto& v : t.lengths) v = r.u32be();
  return t;
}

}  // namespace

Picture readSgi(const ReaderInput& in) {
  ByteReader r(in.data);
  const SgiHeader h = readHeader(r);
  RowTable table;
  if (h.runLength) {
    table = readTables(r, h);
    // Every packed row that is read must lie inside the file.
    const std::size_t read = std::size_t(h.height) * std::size_t(h.channels == 3 || h.channels == 4 ? h.channels : 1);
    for (std::size_t e = 0; e < read; ++e)
      if (table.offsets[e] > in.data.size() || table.lengths[e] > in.data.size() - table.offsets[e])
        throw PictureError("SGI: row past the end of the file");
    // Two packed bytes per sample give at most 127 samples; a width that not
    // even the longest row could cover is refused before allocating.
    std::size_t longest = 0;
    for (std::uint32_t length : table.lengths)
      longest = std::max<std::size_t>(longest, std::min<std::size_t>(length, r.size()));
    if (std::size_t(h.width) > longest / std::size_t(2 * h.bytesPerSample) * 127 + 127) throw PictureError(kInvalid);
  } else {
    const std::size_t needed =
        std::size_t(h.width) * std::size_t(h.height) * std::size_t(h.channels) * std::size_t(h.bytesPerSample);
    if (needed > r.remaining()) throw PictureError("SGI: rows past the end of the file");
  }

  // Three channels are red, green, blue; a fourth (alpha) is not shown, and
  // counts as 32 bits; any other number shows channel 0 in grey.
  const int used = h.channels == 3 || h.channels == 4 ? h.channels : 1;
  const int shown = used == 1 ? 1 : 3;
  Picture picture;
  picture.allocateForOverwrite(h.width, h.height, used == 3 ? 24 : used == 4 ? 32 : 8);  // every row is made

  const std::size_t width = std::size_t(h.width);
  std::vector<std::uint8_t> samples(width * std::size_t(shown));
  for (int i = 0; i < h.height; ++i) {
    for (int k = 0; k < shown; ++k) {
      const std::span<std::uint8_t> channel = std::span(samples).subspan(std::size_t(k) * width, width);
      std::fill(channel.begin(), channel.end(), std::uint8_t(0));
      const std::size_t entry = std::size_t(i) + std::size_t(k) * std::size_t(h.height);
      if (h.runLength) {
        // The table's lengths count bytes, whatever the sample size.
        const auto packed = in.data.subspan(std::min<std::size_t>(table.offsets[entry], in.data.size()));
        ByteReader rowReader(packed.first(std::min<std::size_t>(table.lengths[entry], packed.size())));
        decodeSgiRle(rowReader, h.bytesPerSample, channel);
      } else {
        // Plain rows: each sample is its high (first) byte.
        const std::size_t step = std::size_t(h.bytesPerSample);
        const std::uint8_t* src = in.data.data() + kHeaderSize + entry * width * step;
        for (std::size_t x = 0; x < width; ++x) channel[x] = src[x * step];
      }
    }
    const std::uint8_t* red = samples.data();
    if (shown == 1)
      planesToPixels(red, red, red, picture.row(h.height - 1 - i), width);
    else
      planesToPixels(red, red + width, red + 2 * width, picture.row(h.height - 1 - i), width);
  }
  return picture;
}

}  // namespace lumora
