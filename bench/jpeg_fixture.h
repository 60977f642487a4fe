// A 6000 x 4000 photograph-like JPEG made in memory for the benchmarks.
#pragma once

#include <cstdio>
#include <jpeglib.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace lumora::bench {

// A photograph-like picture: smooth gradients with some fine detail.
inline std::vector<std::uint8_t> makeJpeg(int width, int height) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = JDIMENSION(width);
  c.image_height = JDIMENSION(height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<std::uint8_t> row(std::size_t(width) * 3);
  std::uint32_t noise = 12345;
  while (c.next_scanline < c.image_height) {
    const int y = int(c.next_scanline);
    for (int x = 0; x < width; ++x) {
      noise = noise * 1103515245u + 12345u;
      const int n = int(noise >> 28);
      row[3 * std::size_t(x)] = std::uint8_t((x * 255 / width + n) & 0xFF);
      row[3 * std::size_t(x) + 1] = std::uint8_t((y * 255 / height + n) & 0xFF);
      row[3 * std::size_t(x) + 2] = std::uint8_t(((x + y) / 32 % 2) * 128 + n);
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&c);
  std::free(buffer);
  return out;
}

inline const std::vector<std::uint8_t>& bigJpeg() {
  static const std::vector<std::uint8_t> data = makeJpeg(6000, 4000);
  return data;
}

}  // namespace lumora::bench
