// A very large JPEG written for the tests of the picture prepared during the
// pause (12000 x 8000 by default): soft gradients, quick to compress.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "tests/imaging/jpeg_writer.h"

namespace lumora::testing {

inline bool writeBigJpeg(const std::string& path, int width = 12000, int height = 8000) {
  const std::vector<std::uint8_t> jpeg =
      test::writeJpeg(width, height, test::JpegSettings::atQuality(50), [&](int y, std::uint8_t* row) {
        for (int x = 0; x < width; ++x) {
          row[std::size_t(3 * x)] = static_cast<unsigned char>(x * 255 / width);
          row[std::size_t(3 * x + 1)] = static_cast<unsigned char>(y * 255 / height);
          row[std::size_t(3 * x + 2)] = 90;
        }
      });
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
  return bool(out.flush());
}

}  // namespace lumora::testing
