// Helpers for the picture reader tests: files built byte by byte, error
// message checks and the sample pictures of a file type.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <initializer_list>
#include <string>
#include <vector>

#include "imaging/loader.h"

namespace lumora::test {

using Bytes = std::vector<std::uint8_t>;

// Appends little- or big-endian numbers and raw bytes.
struct FileBuilder {
  Bytes bytes;
  FileBuilder& u8(unsigned v) {
    bytes.push_back(std::uint8_t(v));
    return *this;
  }
  FileBuilder& le16(unsigned v) { return u8(v & 0xFF).u8(v >> 8); }
  FileBuilder& be16(unsigned v) { return u8(v >> 8).u8(v & 0xFF); }
  FileBuilder& le32(std::uint32_t v) { return le16(v & 0xFFFF).le16(v >> 16); }
  FileBuilder& be32(std::uint32_t v) { return be16(v >> 16).be16(v & 0xFFFF); }
  FileBuilder& raw(std::initializer_list<unsigned> v) {
    for (unsigned b : v) u8(b);
    return *this;
  }
  FileBuilder& raw(const Bytes& v) {
    bytes.insert(bytes.end(), v.begin(), v.end());
    return *this;
  }
  FileBuilder& text(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
  }
  FileBuilder& fill(std::size_t n, unsigned v) {
    bytes.insert(bytes.end(), n, std::uint8_t(v));
    return *this;
  }
  std::size_t size() const { return bytes.size(); }
};

inline Picture decode(const Bytes& data, const std::string& ext, const std::string& path = {}) {
  return decodePicture(data, ext, path);
}

// The message of the PictureError that `run()` throws ("" when none).
template <class Run>
std::string messageOf(Run&& run) {
  try {
    run();
  } catch (const PictureError& e) {
    return e.what();
  }
  return {};
}

// The message of the PictureError that decoding throws ("" when none).
inline std::string errorOf(const Bytes& data, const std::string& ext, const std::string& path = {}) {
  return messageOf([&] { decodePicture(data, ext, path); });
}

// The whole file loads, and cut to each length in [from, to) it fails with
// `message`.
inline void expectCutsFail(const Bytes& file, const std::string& ext, std::size_t from, std::size_t to,
                           const std::string& message) {
  ASSERT_EQ(errorOf(file, ext), "") << "the whole file must load";
  for (std::size_t n = from; n < to && n < file.size(); ++n)
    EXPECT_EQ(errorOf(Bytes(file.begin(), file.begin() + std::ptrdiff_t(n)), ext), message) << "cut to " << n;
}

inline Bytes fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using Pixels = std::vector<Pixel>;

// The first n pixels of row y.
inline Pixels row(const Picture& p, int y, std::size_t n) { return Pixels(p.row(y), p.row(y) + n); }

// Pixels of the grey levels v, as (v, v, v).
inline Pixels greys(std::initializer_list<int> levels) {
  Pixels out;
  for (int v : levels) out.push_back(rgb(v, v, v));
  return out;
}

// Pixels from blue, green, red byte triplets (the order of BMP, Targa and
// the other Windows-born formats).
inline Pixels fromBgr(std::initializer_list<int> bytes) {
  const std::vector<int> b(bytes);
  Pixels out;
  for (std::size_t i = 0; i + 2 < b.size(); i += 3) out.push_back(rgb(b[i + 2], b[i + 1], b[i]));
  return out;
}

// Pixels of palette indices, through the colour each has.
template <class ColourOf>
Pixels through(std::initializer_list<int> indices, ColourOf colourOf) {
  Pixels out;
  for (int i : indices) out.push_back(colourOf(i));
  return out;
}

// The committed sample pictures (tests/data, made by scripts/make_samples.py).
inline std::filesystem::path sampleFolder() { return std::filesystem::path(LUMORA_SOURCE_DIR) / "tests" / "data"; }

// One sample picture, by its path below the folder ("targa/rgb_top_down.tga").
inline Picture loadSample(const std::string& relative) { return loadPicture((sampleFolder() / relative).string()); }

// Every sample picture with one of the extensions, in and below the folder
// (not the expected pictures beside them).
inline std::vector<std::filesystem::path> samples(std::initializer_list<const char*> extensions) {
  std::vector<std::filesystem::path> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(sampleFolder())) {
    if (!entry.is_regular_file()) continue;
    if (entry.path().filename().string().find(".expected.") != std::string::npos) continue;
    std::string ext = entry.path().extension().string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const char* e : extensions)
      if (ext == std::string(".") + e) found.push_back(entry.path());
  }
  return found;
}

// Loads every sample of the types; each loads or fails with a PictureError
// (never a crash). Returns how many loaded: with the committed samples, all
// of samples(extensions).
inline int loadAllSamples(std::initializer_list<const char*> extensions) {
  int loaded = 0;
  for (const auto& path : samples(extensions)) {
    try {
      const Picture p = loadPicture(path.string());
      EXPECT_GE(p.width(), 0) << path;
      // Every pixel is written, and opaque.
      if (p.width() * std::int64_t(p.height()) <= 4'000'000) {
        Pixel opaque = kWhite;
        for (int y = 0; y < p.height(); ++y)
          for (int x = 0; x < p.width(); ++x) opaque &= p.pixel(x, y);
        EXPECT_EQ(opaque >> 24, 0xFFu) << path;
      }
      ++loaded;
    } catch (const PictureError&) {
    }
  }
  return loaded;
}

}  // namespace lumora::test
