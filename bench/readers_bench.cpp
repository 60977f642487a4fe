// Our picture readers against the libraries people would use instead, on
// the same files in the same run: GIF against giflib (DGifSlurp, then the
// palette applied to RGB), TIFF (uncompressed, LZW, PackBits) against libtiff
// (strips decoded straight into an RGB buffer), Targa, Photoshop, the binary
// pixel map and PNG against stb_image (to RGB). Every file is decoded from
// memory. Before a file is timed the two decodings are compared pixel by
// pixel; a difference stops that benchmark with an error.
//
// Benchmarks are named FORMAT/WIDTHxHEIGHT/ours and FORMAT/WIDTHxHEIGHT/REF;
// scripts/bench_readers.sh turns one run into the table of ratios.
#include <benchmark/benchmark.h>
#include <stb_image.h>

#include <malloc.h>

#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/reader_files.h"
#include "imaging/loader.h"

namespace {

using lumora::bench::Bytes;
using lumora::bench::RgbPicture;

// A decoded picture as top-down RGB bytes, in memory from malloc (stb_image
// hands out its own, freed with its own function).
using Pixels = std::unique_ptr<std::uint8_t, void (*)(void*)>;
struct Rgb {
  int width = 0, height = 0;
  Pixels bytes{nullptr, std::free};
};

Pixels allocatePixels(std::size_t n) {
  auto* p = static_cast<std::uint8_t*>(std::malloc(n));
  if (!p) throw std::bad_alloc();
  return Pixels(p, std::free);
}

// ---- The reference decoders.

Rgb decodeGiflib(const Bytes& file) {
  struct Source {
    const Bytes* data;
    std::size_t at = 0;
  } source{&file};
  int error = 0;
  GifFileType* gif = DGifOpen(
      &source,
      [](GifFileType* f, GifByteType* out, int n) {
        auto* s = static_cast<Source*>(f->UserData);
        const std::size_t k = std::min(std::size_t(n), s->data->size() - s->at);
        std::memcpy(out, s->data->data() + s->at, k);
        s->at += k;
        return int(k);
      },
      &error);
  if (!gif) throw std::runtime_error("giflib: cannot open");
  if (DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
    DGifCloseFile(gif, &error);
    throw std::runtime_error("giflib: cannot read");
  }
  const SavedImage& image = gif->SavedImages[0];
  const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
  Rgb out{image.ImageDesc.Width, image.ImageDesc.Height};
  const std::size_t n = std::size_t(out.width) * std::size_t(out.height);
  out.bytes = allocatePixels(n * 3);
  std::uint8_t* o = out.bytes.get();
  for (std::size_t i = 0; i < n; ++i, o += 3) {
    const GifColorType& c = map->Colors[image.RasterBits[i]];
    o[0] = c.Red, o[1] = c.Green, o[2] = c.Blue;
  }
  DGifCloseFile(gif, &error);
  return out;
}

// libtiff reading the file where it lies in memory (its mapped-file path).
Rgb decodeLibtiff(const Bytes& file) {
  struct Source {
    const Bytes* data;
    toff_t at = 0;
  } source{&file};
  TIFF* tif = TIFFClientOpen(
      "memory", "r", &source,
      [](thandle_t h, void* out, tmsize_t n) -> tmsize_t {
        auto* s = static_cast<Source*>(h);
        const tmsize_t k = std::min<tmsize_t>(n, tmsize_t(s->data->size() - std::min<toff_t>(s->at, s->data->size())));
        if (k > 0) std::memcpy(out, s->data->data() + s->at, std::size_t(k));
        s->at += toff_t(std::max<tmsize_t>(k, 0));
        return k;
      },
      [](thandle_t, void*, tmsize_t) -> tmsize_t { return -1; },
      [](thandle_t h, toff_t off, int whence) -> toff_t {
        auto* s = static_cast<Source*>(h);
        s->at = whence == SEEK_SET ? off : whence == SEEK_CUR ? s->at + off : s->data->size() + off;
        return s->at;
      },
      [](thandle_t) { return 0; }, [](thandle_t h) -> toff_t { return static_cast<Source*>(h)->data->size(); },
      [](thandle_t h, void** base, toff_t* size) {
        auto* s = static_cast<Source*>(h);
        *base = const_cast<std::uint8_t*>(s->data->data());
        *size = s->data->size();
        return 1;
      },
      [](thandle_t, void*, toff_t) {});
  if (!tif) throw std::runtime_error("libtiff: cannot open");
  std::uint32_t width = 0, height = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  Rgb out{int(width), int(height)};
  const std::size_t total = std::size_t(width) * height * 3;
  out.bytes = allocatePixels(total);
  std::size_t at = 0;
  for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif) && at < total; ++s) {
    const tmsize_t got = TIFFReadEncodedStrip(tif, s, out.bytes.get() + at, tmsize_t(total - at));
    if (got < 0) {
      TIFFClose(tif);
      throw std::runtime_error("libtiff: cannot read a strip");
    }
    at += std::size_t(got);
  }
  TIFFClose(tif);
  return out;
}

Rgb decodeStb(const Bytes& file) {
  int width = 0, height = 0, channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(file.data(), int(file.size()), &width, &height, &channels, 3);
  if (!pixels) throw std::runtime_error(std::string("stb_image: ") + stbi_failure_reason());
  return Rgb{width, height, Pixels(pixels, stbi_image_free)};
}

// ---- The files.

struct Format {
  const char* name;       // benchmark name
  const char* extension;  // our loader's extension
  const char* reference;  // the library we are measured against
  Bytes (*make)(const RgbPicture&);
  Rgb (*decodeReference)(const Bytes&);
};

const Format kFormats[] = {
    {"gif", "gif", "giflib", lumora::bench::writeGif, decodeGiflib},
    {"tiff_none", "tif", "libtiff", [](const RgbPicture& p) { return lumora::bench::writeTiff(p, COMPRESSION_NONE); },
     decodeLibtiff},
    {"tiff_lzw", "tif", "libtiff", [](const RgbPicture& p) { return lumora::bench::writeTiff(p, COMPRESSION_LZW); },
     decodeLibtiff},
    {"tiff_packbits", "tif", "libtiff",
     [](const RgbPicture& p) { return lumora::bench::writeTiff(p, COMPRESSION_PACKBITS); }, decodeLibtiff},
    {"targa_raw", "tga", "stb_image", [](const RgbPicture& p) { return lumora::bench::writeTarga(p, false); },
     decodeStb},
    {"targa_rle", "tga", "stb_image", [](const RgbPicture& p) { return lumora::bench::writeTarga(p, true); },
     decodeStb},
    {"psd_raw", "psd", "stb_image", [](const RgbPicture& p) { return lumora::bench::writePhotoshop(p, false); },
     decodeStb},
    {"psd_packbits", "psd", "stb_image", [](const RgbPicture& p) { return lumora::bench::writePhotoshop(p, true); },
     decodeStb},
    {"ppm", "ppm", "stb_image", lumora::bench::writePpm, decodeStb},
    // PNG: our reader is timed once the loader knows the extension; until
    // then its benchmark reports that there is no PNG reader.
    {"png", "png", "stb_image", lumora::bench::writePng, decodeStb},
};

struct Size {
  int width, height;
};
const Size kSizes[] = {{1920, 1080}, {6000, 4000}};

// Files are made at their first use and kept for the run.
const Bytes& fileFor(const Format& f, const Size& s) {
  static std::map<std::string, Bytes> files;
  static std::map<std::pair<int, int>, RgbPicture> pictures;
  const std::string key = std::string(f.name) + std::to_string(s.width);
  auto it = files.find(key);
  if (it != files.end()) return it->second;
  auto pic = pictures.find({s.width, s.height});
  if (pic == pictures.end())
    pic = pictures.emplace(std::pair{s.width, s.height}, lumora::bench::makePhotoLike(s.width, s.height)).first;
  return files.emplace(key, f.make(pic->second)).first->second;
}

// "" when our decoding gives the reference's pixels, else what differs.
std::string compare(const Format& f, const Bytes& file) {
  const lumora::Picture ours = lumora::decodePicture(file, f.extension);
  const Rgb theirs = f.decodeReference(file);
  if (ours.width() != theirs.width || ours.height() != theirs.height) return "sizes differ";
  for (int y = 0; y < ours.height(); ++y)
    for (int x = 0; x < ours.width(); ++x) {
      const lumora::Pixel p = ours.pixel(x, y);
      const std::uint8_t* t = theirs.bytes.get() + (std::size_t(y) * ours.width() + x) * 3;
      if (lumora::redOf(p) != t[0] || lumora::greenOf(p) != t[1] || lumora::blueOf(p) != t[2])
        return "pixel " + std::to_string(x) + "," + std::to_string(y) + " differs";
    }
  return {};
}

// Compares once per file, before its first timing.
bool checked(benchmark::State& state, const Format& f, const Size& s) {
  static std::map<std::string, std::string> results;
  const std::string key = std::string(f.name) + std::to_string(s.width);
  auto it = results.find(key);
  if (it == results.end()) {
    std::string why;
    try {
      why = compare(f, fileFor(f, s));
    } catch (const std::exception& e) {
      why = e.what();
    }
    it = results.emplace(key, why).first;
  }
  if (!it->second.empty()) state.SkipWithError(it->second.c_str());
  return it->second.empty();
}

void runOurs(benchmark::State& state, const Format& f, const Size& s) {
  const Bytes& file = fileFor(f, s);
  if (!checked(state, f, s)) return;
  for (auto _ : state) {
    lumora::Picture p = lumora::decodePicture(file, f.extension);
    benchmark::DoNotOptimize(p.row(0));
  }
  state.counters["file_MB"] = double(file.size()) / 1e6;
}

void runReference(benchmark::State& state, const Format& f, const Size& s) {
  const Bytes& file = fileFor(f, s);
  try {
    f.decodeReference(file);
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  for (auto _ : state) {
    Rgb r = f.decodeReference(file);
    benchmark::DoNotOptimize(r.bytes.get());
  }
  state.counters["file_MB"] = double(file.size()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  // Every picture, ours and the references', comes from the heap and goes
  // back to it, reused by the next decoding: what is timed is the decoding,
  // not how fast the kernel hands out fresh zeroed pages for 72 MB (which
  // swung from 5 to 46 ms for the same copy between runs).
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
  TIFFSetWarningHandler(nullptr);
  for (const Size& s : kSizes)
    for (const Format& f : kFormats) {
      const std::string base = std::string(f.name) + "/" + std::to_string(s.width) + "x" + std::to_string(s.height);
      benchmark::RegisterBenchmark((base + "/ours").c_str(), runOurs, f, s)->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark((base + "/" + f.reference).c_str(), runReference, f, s)
          ->Unit(benchmark::kMillisecond);
    }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
