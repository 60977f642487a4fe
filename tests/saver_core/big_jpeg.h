// A very large JPEG written for the tests of the picture prepared during the
// pause (12000 x 8000 by default): soft gradients, quick to compress.
#pragma once

#include <cstdio>
#include <jpeglib.h>

#include <string>
#include <vector>

namespace lumora::testing {

inline bool writeBigJpeg(const std::string& path, int width = 12000, int height = 8000) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, out);
  c.image_width = JDIMENSION(width);
  c.image_height = JDIMENSION(height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 50, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(std::size_t(width) * 3);
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < width; ++x) {
      row[std::size_t(3 * x)] = static_cast<unsigned char>(x * 255 / width);
      row[std::size_t(3 * x + 1)] = static_cast<unsigned char>(c.next_scanline * 255 / c.image_height);
      row[std::size_t(3 * x + 2)] = 90;
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return std::fclose(out) == 0;
}

}  // namespace lumora::testing
