// Picture files for the reader benchmark, made in memory from one
// photograph-like picture: a sky that darkens upward, a horizon, and ground
// of soft fractal shading with fine grain, so the codings see the long smooth
// runs and the small differences of a real photograph (neither flat colour
// nor noise). GIF and TIFF files are written by giflib and libtiff, PNG by
// stb_image_write; Targa, Photoshop and PPM by the small writers below.
#pragma once

#include <gif_lib.h>
#include <stb_image_write.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumora::bench {

using Bytes = std::vector<std::uint8_t>;

// Top-down rows of red, green, blue bytes.
struct RgbPicture {
  int width = 0, height = 0;
  Bytes rgb;
  const std::uint8_t* row(int y) const { return rgb.data() + std::size_t(y) * std::size_t(width) * 3; }
};

namespace detail {

inline std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
  std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 13;
  h *= 0x5BD1E995u;
  return h ^ (h >> 15);
}

// Smooth value noise in -1..1 with lattice spacing `cell` pixels.
class ValueNoise {
 public:
  ValueNoise(int width, int height, double cell, std::uint32_t seed) : cell_(cell), cols_(int(width / cell) + 2) {
    const int rows = int(height / cell) + 2;
    lattice_.resize(std::size_t(cols_) * std::size_t(rows));
    for (int j = 0; j < rows; ++j)
      for (int i = 0; i < cols_; ++i)
        lattice_[std::size_t(j) * cols_ + i] = float(hash(i, j, seed) >> 8) / float(1 << 23) - 1.0f;
  }
  float at(int x, int y) const {
    const double fx = x / cell_, fy = y / cell_;
    const int i = int(fx), j = int(fy);
    const float tx = smooth(float(fx - i)), ty = smooth(float(fy - j));
    const float* r0 = &lattice_[std::size_t(j) * cols_ + i];
    const float* r1 = r0 + cols_;
    const float top = r0[0] + (r0[1] - r0[0]) * tx, bottom = r1[0] + (r1[1] - r1[0]) * tx;
    return top + (bottom - top) * ty;
  }

 private:
  static float smooth(float t) { return t * t * (3 - 2 * t); }
  double cell_;
  int cols_;
  std::vector<float> lattice_;
};

inline std::uint8_t clampByte(float v) { return std::uint8_t(std::clamp(v, 0.0f, 255.0f)); }

}  // namespace detail

// The same scene at any size: features scale with the picture, the grain
// (about +-2 levels per pixel, as a camera's) does not.
inline RgbPicture makePhotoLike(int width, int height) {
  using detail::ValueNoise;
  const double w = width;
  const ValueNoise coarse(width, height, w / 6, 1), middle(width, height, w / 40, 2), fine(width, height, w / 300, 3),
      detail(width, height, 4, 4), tint(width, height, w / 12, 5);
  RgbPicture p{width, height, Bytes(std::size_t(width) * std::size_t(height) * 3)};
  std::uint32_t grain = 0x12345678u;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = p.rgb.data() + std::size_t(y) * std::size_t(width) * 3;
    for (int x = 0; x < width; ++x, out += 3) {
      const float hills = float(height) * (0.42f + 0.08f * coarse.at(x, 0) + 0.02f * middle.at(x, 0));
      grain = grain * 1664525u + 1013904223u;
      const float g = float(int(grain >> 29) - 4) * 0.6f;
      if (y < hills) {  // sky: darker and bluer upward, a few soft clouds
        const float t = float(y) / hills;
        const float cloud = std::max(0.0f, coarse.at(x, y) * 0.8f + middle.at(x, y) * 0.4f) * 120;
        out[0] = detail::clampByte(70 + 90 * t + cloud + g);
        out[1] = detail::clampByte(110 + 80 * t + cloud + g);
        out[2] = detail::clampByte(190 + 40 * t + cloud * 0.5f + g);
      } else {  // ground: greens and browns in soft shading with texture
        const float shade =
            110 + 50 * coarse.at(x, y) + 30 * middle.at(x, y) + 18 * fine.at(x, y) + 8 * detail.at(x, y);
        const float warm = 30 * tint.at(x, y);
        out[0] = detail::clampByte(shade * 0.75f + warm + g);
        out[1] = detail::clampByte(shade * 0.9f + g);
        out[2] = detail::clampByte(shade * 0.45f - warm * 0.5f + g);
      }
    }
  }
  return p;
}

// ---- GIF (giflib): median-cut to 256 colours, one image, not interlaced.

inline Bytes writeGif(const RgbPicture& p) {
  const std::size_t n = std::size_t(p.width) * std::size_t(p.height);
  Bytes r(n), g(n), b(n), indices(n);
  for (std::size_t i = 0; i < n; ++i) {
    r[i] = p.rgb[3 * i];
    g[i] = p.rgb[3 * i + 1];
    b[i] = p.rgb[3 * i + 2];
  }
  int colours = 256;
  GifColorType map[256] = {};
  if (GifQuantizeBuffer(unsigned(p.width), unsigned(p.height), &colours, r.data(), g.data(), b.data(), indices.data(),
                        map) != GIF_OK)
    throw std::runtime_error("giflib: quantization failed");
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(
      &out,
      [](GifFileType* f, const GifByteType* data, int len) {
        auto* o = static_cast<Bytes*>(f->UserData);
        o->insert(o->end(), data, data + len);
        return len;
      },
      &error);
  if (!gif) throw std::runtime_error("giflib: cannot open a writer");
  ColorMapObject* colourMap = GifMakeMapObject(256, map);
  bool ok = EGifPutScreenDesc(gif, p.width, p.height, 8, 0, colourMap) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, p.width, p.height, false, nullptr) == GIF_OK;
  for (int y = 0; ok && y < p.height; ++y)
    ok = EGifPutLine(gif, indices.data() + std::size_t(y) * std::size_t(p.width), p.width) == GIF_OK;
  GifFreeMapObject(colourMap);
  if (EGifCloseFile(gif, &error) != GIF_OK || !ok) throw std::runtime_error("giflib: cannot write the file");
  return out;
}

// ---- TIFF (libtiff): 8-bit RGB, interleaved, libtiff's default strip size.

inline Bytes readWholeFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline Bytes writeTiff(const RgbPicture& p, std::uint16_t compression) {
  char path[] = "/tmp/lumora-bench-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) throw std::runtime_error("cannot make a temporary file");
  close(fd);
  TIFF* tif = TIFFOpen(path, "w");
  if (!tif) throw std::runtime_error("libtiff: cannot open a writer");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, std::uint32_t(p.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, std::uint32_t(p.height));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  Bytes row(std::size_t(p.width) * 3);
  bool ok = true;
  for (int y = 0; ok && y < p.height; ++y) {
    std::copy_n(p.row(y), row.size(), row.begin());  // the writer may pack in place
    ok = TIFFWriteScanline(tif, row.data(), std::uint32_t(y), 0) >= 0;
  }
  TIFFClose(tif);
  Bytes out = readWholeFile(path);
  std::remove(path);
  if (!ok || out.empty()) throw std::runtime_error("libtiff: cannot write the file");
  return out;
}

// ---- PNG (stb_image_write, its adaptive row filters).

inline Bytes writePng(const RgbPicture& p) {
  Bytes out;
  const int ok = stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        auto* o = static_cast<Bytes*>(context);
        const auto* d = static_cast<const std::uint8_t*>(data);
        o->insert(o->end(), d, d + size);
      },
      &out, p.width, p.height, 3, p.rgb.data(), p.width * 3);
  if (!ok) throw std::runtime_error("stb_image_write: cannot write the PNG file");
  return out;
}

// ---- Targa: 24-bit true colour, bottom-up as most writers store it,
// uncompressed (type 2) or run-length coded (type 10).

inline Bytes writeTarga(const RgbPicture& p, bool runLength) {
  Bytes out(18, 0);
  out[2] = runLength ? 10 : 2;
  out[12] = std::uint8_t(p.width), out[13] = std::uint8_t(p.width >> 8);
  out[14] = std::uint8_t(p.height), out[15] = std::uint8_t(p.height >> 8);
  out[16] = 24;
  Bytes bgr(std::size_t(p.width) * 3);
  for (int y = p.height - 1; y >= 0; --y) {
    const std::uint8_t* in = p.row(y);
    for (int x = 0; x < p.width; ++x) {
      bgr[3 * x] = in[3 * x + 2];
      bgr[3 * x + 1] = in[3 * x + 1];
      bgr[3 * x + 2] = in[3 * x];
    }
    if (!runLength) {
      out.insert(out.end(), bgr.begin(), bgr.end());
      continue;
    }
    auto same = [&](int a, int b) { return std::equal(&bgr[3 * a], &bgr[3 * a + 3], &bgr[3 * b]); };
    for (int x = 0; x < p.width;) {
      int run = 1;
      while (x + run < p.width && run < 128 && same(x, x + run)) ++run;
      if (run > 1) {
        out.push_back(std::uint8_t(0x80 | (run - 1)));
        out.insert(out.end(), &bgr[3 * x], &bgr[3 * x + 3]);
        x += run;
        continue;
      }
      int raw = 1;  // up to the next pair of equal pixels
      while (x + raw < p.width && raw < 128 && !(x + raw + 1 < p.width && same(x + raw, x + raw + 1))) ++raw;
      out.push_back(std::uint8_t(raw - 1));
      out.insert(out.end(), &bgr[3 * x], &bgr[3 * (x + raw)]);
      x += raw;
    }
  }
  return out;
}

// ---- Photoshop: 8-bit RGB, the merged image only (no layers), raw or
// PackBits with its table of row byte counts.

inline void packBitsRow(const std::uint8_t* in, int n, Bytes& out) {
  for (int x = 0; x < n;) {
    int run = 1;
    while (x + run < n && run < 128 && in[x + run] == in[x]) ++run;
    if (run > 2) {
      out.push_back(std::uint8_t(257 - run));
      out.push_back(in[x]);
      x += run;
      continue;
    }
    int raw = 1;
    while (x + raw < n && raw < 128 &&
           !(x + raw + 2 < n && in[x + raw] == in[x + raw + 1] && in[x + raw] == in[x + raw + 2]))
      ++raw;
    out.push_back(std::uint8_t(raw - 1));
    out.insert(out.end(), in + x, in + x + raw);
    x += raw;
  }
}

inline Bytes writePhotoshop(const RgbPicture& p, bool packBits) {
  Bytes out;
  auto be16 = [&](unsigned v) { out.push_back(std::uint8_t(v >> 8)), out.push_back(std::uint8_t(v)); };
  auto be32 = [&](std::uint32_t v) { be16(v >> 16), be16(v & 0xFFFF); };
  out.insert(out.end(), {'8', 'B', 'P', 'S'});
  be16(1);
  out.insert(out.end(), 6, 0);
  be16(3);
  be32(std::uint32_t(p.height));
  be32(std::uint32_t(p.width));
  be16(8);
  be16(3);                    // RGB
  be32(0), be32(0), be32(0);  // colour mode data, resources, layers
  be16(packBits ? 1 : 0);
  Bytes plane(std::size_t(p.width));
  if (!packBits) {
    for (int c = 0; c < 3; ++c)
      for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) out.push_back(p.row(y)[3 * x + c]);
    return out;
  }
  const std::size_t table = out.size();
  out.resize(out.size() + 2 * 3 * std::size_t(p.height));
  for (int c = 0; c < 3; ++c)
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) plane[x] = p.row(y)[3 * x + c];
      const std::size_t start = out.size();
      packBitsRow(plane.data(), p.width, out);
      const std::size_t length = out.size() - start, at = table + 2 * (std::size_t(c) * p.height + y);
      out[at] = std::uint8_t(length >> 8);
      out[at + 1] = std::uint8_t(length);
    }
  return out;
}

// ---- Portable pixel map, binary (P6).

inline Bytes writePpm(const RgbPicture& p) {
  const std::string header = "P6\n" + std::to_string(p.width) + " " + std::to_string(p.height) + "\n255\n";
  Bytes out(header.begin(), header.end());
  out.insert(out.end(), p.rgb.begin(), p.rgb.end());
  return out;
}

}  // namespace lumora::bench
