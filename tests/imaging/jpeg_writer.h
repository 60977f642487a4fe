// JPEG files written by libjpeg's compressor, in memory, for the tests and
// benchmarks: the caller fills each row of samples in turn.
#pragma once

#include <cstdio>
#include <jpeglib.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace lumora::test {

struct JpegSettings {
  int components = 3;             // samples per pixel
  J_COLOR_SPACE space = JCS_RGB;  // what the samples are
  int quality = 95;
  bool jfif = true;                // the JFIF block (off puts `app1` first)
  std::vector<std::uint8_t> app1;  // an APP1 block's payload, when not empty

  static JpegSettings atQuality(int q) {
    JpegSettings s;
    s.quality = q;
    return s;
  }
};

// A width x height JPEG; fillRow(y, row) writes the width x components
// samples of row y.
template <class FillRow>
std::vector<std::uint8_t> writeJpeg(int width, int height, const JpegSettings& settings, FillRow fillRow) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = JDIMENSION(width);
  c.image_height = JDIMENSION(height);
  c.input_components = settings.components;
  c.in_color_space = settings.space;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, settings.quality, TRUE);
  if (!settings.jfif) c.write_JFIF_header = FALSE;
  jpeg_start_compress(&c, TRUE);
  if (!settings.app1.empty())
    jpeg_write_marker(&c, JPEG_APP0 + 1, settings.app1.data(), unsigned(settings.app1.size()));
  std::vector<std::uint8_t> row(std::size_t(width) * std::size_t(settings.components));
  while (c.next_scanline < c.image_height) {
    fillRow(int(c.next_scanline), row.data());
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&c);
  std::free(buffer);
  return out;
}

}  // namespace lumora::test
