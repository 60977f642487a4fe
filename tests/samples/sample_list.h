// The committed sample pictures of tests/data: their list, and the expected
// pictures beside them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "graphics/bitmap.h"

namespace lumora::test {

// tests/data in the source tree.
std::filesystem::path sampleData();

// One line of tests/data/samples.txt: FILE EXPECTED BITS TOLERANCE CUT.
struct Sample {
  std::string file;         // relative to sampleData()
  std::string expected;     // the picture it must come out as (PPM, or PNG)
  int bits = 0;             // the reader's pixel format
  int tolerance = 0;        // largest difference allowed in a colour component
  bool cutMayLoad = false;  // a shortened copy may still give a picture
};
// Test messages name a sample by its file.
inline void PrintTo(const Sample& s, std::ostream* out) { *out << s.file; }

// Every sample of the list, in its order. Throws std::runtime_error for a
// line it cannot read.
std::vector<Sample> readSampleList();

// An expected picture: a binary PPM (P6, largest value 255) read here, or a
// PNG read through the loader.
struct ExpectedPicture {
  int width = 0, height = 0;
  std::vector<Pixel> pixels;  // top-down rows
  Pixel at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};
ExpectedPicture readExpected(const std::filesystem::path& path);

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path);

}  // namespace lumora::test
