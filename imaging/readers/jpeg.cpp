// JPEG reader through libjpeg's decompressor, straight into the bitmap's
// rows (libjpeg's blue, green, red, filler order): colour and greyscale
// pictures (counted as 24 and 8 bits), CMYK and YCCK turned into colour. libjpeg's errors are thrown as PictureError
// with libjpeg's own message; warnings (a truncated file, for instance) let the decoding go on. A photograph with an
// Exif orientation is turned upright.
#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "imaging/exif.h"
#include "imaging/orientation.h"
#include "imaging/readers/readers.h"

namespace lumora {

namespace {

// Limits against hostile files: the memory libjpeg may take for its own
// buffers, and the number of progressive scans decoded.
constexpr long kMaxLibjpegMemory = 512L * 1024 * 1024;
constexpr int kMaxScans = 1000;

[[noreturn]] void throwError(j_common_ptr cinfo) {
  char message[JMSG_LENGTH_MAX] = {};
  (*cinfo->err->format_message)(cinfo, message);
  throw PictureError(message);
}

void silentMessage(j_common_ptr, int) {}

void checkProgress(j_common_ptr cinfo) {
  const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxScans) throw PictureError("JPEG: too many scans.");
}

// The decompressor, destroyed however the decoding ends.
class Decompressor {
 public:
  Decompressor() {
    cinfo_.err = jpeg_std_error(&err_);
    err_.error_exit = throwError;
    err_.emit_message = silentMessage;
    jpeg_create_decompress(&cinfo_);
    cinfo_.mem->max_memory_to_use = kMaxLibjpegMemory;
    progress_.progress_monitor = checkProgress;
    cinfo_.progress = &progress_;
  }
  ~Decompressor() { jpeg_destroy_decompress(&cinfo_); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;
  jpeg_decompress_struct* operator->() { return &cinfo_; }
  jpeg_decompress_struct* get() { return &cinfo_; }
  // libjpeg refuses an empty source with an error, so this may throw: it is
  // not done in the constructor, where the destructor would not run.
  void setSource(std::span<const std::uint8_t> data) {
    jpeg_mem_src(&cinfo_, data.data(), static_cast<unsigned long>(data.size()));
  }

 private:
  jpeg_decompress_struct cinfo_{};
  jpeg_error_mgr err_{};
  jpeg_progress_mgr progress_{};
};

// Chooses the output colour space; returns the file's pixel format.
int prepareOutput(Decompressor& d) {
  switch (d->jpeg_color_space) {
    case JCS_GRAYSCALE:
      d->out_color_space = JCS_EXT_BGRX;
      return 8;
    case JCS_CMYK:
    case JCS_YCCK:
      d->out_color_space = JCS_CMYK;
      return 24;
    default:
      d->out_color_space = JCS_EXT_BGRX;
      return 24;
  }
}

// Adobe's CMYK JPEGs store the inks inverted (255 = no ink).
void cmykRowToPixels(const std::uint8_t* cmyk, Pixel* out, unsigned width, bool inverted) {
  for (unsigned x = 0; x < width; ++x, cmyk += 4) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    out[x] = rgb(int((c * k + 127) / 255), int((m * k + 127) / 255), int((y * k + 127) / 255));
  }
}

// The orientation of the first APP1 block that is an Exif block (1 when
// there is none).
int orientationOf(Decompressor& d) {
  for (jpeg_saved_marker_ptr m = d->marker_list; m; m = m->next) {
    if (m->marker != JPEG_APP0 + 1 || m->data_length < 6 || std::memcmp(m->data, "Exif\0\0", 6) != 0) continue;
    return exifOrientation(std::span<const std::uint8_t>(m->data, m->data_length));
  }
  return 1;
}

Picture decode(const ReaderInput& input, int fitWidth, int fitHeight) {
  Decompressor d;
  d.setSource(input.data);
  jpeg_save_markers(d.get(), JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(d.get(), TRUE);
  const int bits = prepareOutput(d);
  // A photograph stored on its side is reduced against the box turned the
  // same way, and turned upright after decoding.
  const int orientation = orientationOf(d);
  if (orientationSwapsSides(orientation)) std::swap(fitWidth, fitHeight);

  // A picture at least twice the box in both directions is decoded at the
  // smallest of libjpeg's scales M/8 that still covers the size it will be
  // fitted to (its proportions kept inside the box); the result is shrunk
  // again by the caller's filter, so the fast DCT and plain upsampling lose
  // nothing visible there.
  const unsigned fullW = d->image_width, fullH = d->image_height;
  if (fitWidth > 0 && fitHeight > 0 && fullW >= 2u * unsigned(fitWidth) && fullH >= 2u * unsigned(fitHeight)) {
    const double ratio = std::min(double(fitWidth) / fullW, double(fitHeight) / fullH);
    const auto needW = unsigned(std::ceil(fullW * ratio)), needH = unsigned(std::ceil(fullH * ratio));
    for (unsigned m = 1; m <= 8; ++m) {
      d->scale_num = m;
      d->scale_denom = 8;
      jpeg_calc_output_dimensions(d.get());
      if (d->output_width >= needW && d->output_height >= needH) break;
    }
    if (d->scale_num < 8) {
      d->dct_method = JDCT_IFAST;
      d->do_fancy_upsampling = FALSE;
    }
  }
  jpeg_calc_output_dimensions(d.get());
  const unsigned width = d->output_width, height = d->output_height;
  // Refuse sizes the picture could not hold before libjpeg allocates anything.
  Picture::checkSize(width, height);

  Picture pic;
  pic.allocateForOverwrite(int(width), int(height), bits);  // every row is read or made black below

  jpeg_start_decompress(d.get());
  const bool cmyk = d->out_color_space == JCS_CMYK;
  const bool inverted = cmyk && d->saw_Adobe_marker;
  std::vector<std::uint8_t> cmykRow(cmyk ? std::size_t(width) * 4 : 0);
  while (d->output_scanline < height) {
    const unsigned y = d->output_scanline;
    JSAMPROW row = cmyk ? cmykRow.data() : reinterpret_cast<JSAMPROW>(pic.row(int(y)));
    if (jpeg_read_scanlines(d.get(), &row, 1) != 1) break;
    if (cmyk) cmykRowToPixels(cmykRow.data(), pic.row(int(y)), width, inverted);
  }
  for (unsigned y = d->output_scanline; y < height; ++y) std::fill_n(pic.row(int(y)), width, kBlack);
  jpeg_finish_decompress(d.get());
  Picture upright = turnUpright(std::move(pic), orientation);
  if (orientationSwapsSides(orientation))
    upright.setFullSize(int(fullH), int(fullW));
  else
    upright.setFullSize(int(fullW), int(fullH));
  return upright;
}

}  // namespace

Picture readJpeg(const ReaderInput& in) { return decode(in, 0, 0); }

Picture readJpegToFit(const ReaderInput& in, int fitWidth, int fitHeight) { return decode(in, fitWidth, fitHeight); }

}  // namespace lumora
