// PNG reader through libpng: every colour type and depth, interlaced or
// not, to 24 bits; 16-bit samples keep their high byte, palettes and grey
// are expanded, and transparency (an alpha channel or a tRNS chunk) is
// composed over black. libpng reports errors by longjmp: the functions that
// call into it hold nothing that needs destroying, and the error comes back
// here as an exception with libpng's message.
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/readers/over_black.h"
#include "imaging/readers/readers.h"
#include "imaging/rgb_rows.h"

namespace lumora {

namespace {

// libpng's largest dimension; bigger headers are refused before allocating.
constexpr png_uint_32 kMaxSide = 1000000;

// The read structures and what the error callback left, released however
// the reading ends.
class PngDecoder {
 public:
  explicit PngDecoder(std::span<const std::uint8_t> data) : data_(data) {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, onError, onWarning);
    if (!png_) throw PictureError("PNG: out of memory.");
    info_ = png_create_info_struct(png_);
    if (!info_) {
      png_destroy_read_struct(&png_, nullptr, nullptr);
      throw PictureError("PNG: out of memory.");
    }
    png_set_read_fn(png_, this, onRead);
    png_set_user_limits(png_, kMaxSide, kMaxSide);
    png_set_chunk_malloc_max(png_, 64u << 20);
  }
  ~PngDecoder() { png_destroy_read_struct(&png_, &info_, nullptr); }
  PngDecoder(const PngDecoder&) = delete;
  PngDecoder& operator=(const PngDecoder&) = delete;

  // Reads the header and sets the transformations to 8-bit blue, green,
  // red, with alpha when the file has any (an alpha channel or tRNS);
  // false after a libpng error.
  bool readHeader(png_uint_32* width, png_uint_32* height) {
    if (setjmp(png_jmpbuf(png_))) return false;
    png_read_info(png_, info_);
    // The chunks' CRCs and the zlib stream's Adler-32 are not checked, as
    // in most viewers: they cost a tenth of the decoding, and a picture whose
    // data decode is worth showing. A stream that does not decode still fails.
    png_set_crc_action(png_, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(png_, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    alpha_ = (png_get_color_type(png_, info_) & PNG_COLOR_MASK_ALPHA) != 0 ||
             png_get_valid(png_, info_, PNG_INFO_tRNS) != 0;
    interlaced_ = png_get_interlace_type(png_, info_) != PNG_INTERLACE_NONE;
    png_set_expand(png_);  // palette, low-depth grey and tRNS to full samples
    png_set_strip_16(png_);
    png_set_gray_to_rgb(png_);
    // Opaque rows read one at a time come as red, green, blue and are
    // exchanged in place (faster than libpng's own byte-by-byte exchange);
    // the rest libpng gives as blue, green, red.
    swapsRows_ = !alpha_ && !interlaced_;
    if (!swapsRows_) png_set_bgr(png_);
    png_set_interlace_handling(png_);
    png_read_update_info(png_, info_);
    *width = png_get_image_width(png_, info_);
    *height = png_get_image_height(png_, info_);
    rowBytes_ = png_get_rowbytes(png_, info_);
    return true;
  }

  // Reads every row (all passes of an interlaced file) into `rows`; false
  // after a libpng error.
  bool readRows(png_bytepp rows) {
    if (setjmp(png_jmpbuf(png_))) return false;
    png_read_image(png_, rows);
    return true;
  }

  // Reads an opaque file that is not interlaced row by row into the
  // picture, each row's red and blue exchanged while it is in the cache;
  // false after a libpng error.
  bool readRowsSwapped(Picture& picture) {
    if (setjmp(png_jmpbuf(png_))) return false;
    for (int y = 0; y < picture.height(); ++y) {
      png_read_row(png_, picture.row(y), nullptr);
      swapRedBlue(picture.row(y), picture.row(y), std::size_t(picture.width()));
    }
    return true;
  }

  // Reads a file with alpha that is not interlaced one row at a time
  // through `row` (rowBytes() long) into the picture; false after a libpng
  // error.
  bool readRowsOverBlack(Picture& picture, png_bytep row) {
    if (setjmp(png_jmpbuf(png_))) return false;
    for (int y = 0; y < picture.height(); ++y) {
      png_read_row(png_, row, nullptr);
      bgraOverBlack(row, picture.row(y), std::size_t(picture.width()));
    }
    return true;
  }

  bool alpha() const { return alpha_; }
  bool interlaced() const { return interlaced_; }
  bool swapsRows() const { return swapsRows_; }

  std::size_t rowBytes() const { return rowBytes_; }
  const char* message() const { return message_; }

 private:
  static void onError(png_structp png, png_const_charp text) {
    auto* self = static_cast<PngDecoder*>(png_get_error_ptr(png));
    std::strncpy(self->message_, text ? text : "error", sizeof self->message_ - 1);
    png_longjmp(png, 1);
  }
  static void onWarning(png_structp, png_const_charp) {}
  static void onRead(png_structp png, png_bytep out, png_size_t length) {
    auto* self = static_cast<PngDecoder*>(png_get_io_ptr(png));
    if (length > self->data_.size() - self->at_) png_error(png, "file ends before its data");
    std::memcpy(out, self->data_.data() + self->at_, length);
    self->at_ += length;
  }

  std::span<const std::uint8_t> data_;
  std::size_t at_ = 0;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  std::size_t rowBytes_ = 0;
  bool alpha_ = false;
  bool interlaced_ = false;
  bool swapsRows_ = false;
  char message_[200] = {};
};

}  // namespace

Picture readPng(const ReaderInput& input) {
  if (input.data.size() < 8 || png_sig_cmp(input.data.data(), 0, 8) != 0) throw PictureError("Not a valid PNG file.");
  PngDecoder decoder(input.data);
  png_uint_32 width = 0, height = 0;
  if (!decoder.readHeader(&width, &height)) throw PictureError(std::string("PNG: ") + decoder.message());
  if (decoder.rowBytes() != std::size_t(width) * (decoder.alpha() ? 4 : 3))
    throw PictureError("PNG: wrong pixel format");
  if (std::uint64_t(width) * height * 4 > Picture::kMaxBytes) throw PictureError("Picture too large.");

  Picture pic;
  pic.allocateForOverwrite(int(width), int(height), 24);  // every row is read or the reading fails
  auto failed = [&decoder] { return PictureError(std::string("PNG: ") + decoder.message()); };
  if (decoder.swapsRows()) {
    if (!decoder.readRowsSwapped(pic)) throw failed();
    return pic;
  }
  if (!decoder.alpha()) {
    // Blue, green, red straight into the picture's rows, every pass.
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = pic.row(int(y));
    if (!decoder.readRows(rows.data())) throw failed();
    return pic;
  }
  if (!decoder.interlaced()) {
    std::vector<std::uint8_t> row(decoder.rowBytes());
    if (!decoder.readRowsOverBlack(pic, row.data())) throw failed();
    return pic;
  }
  // The passes of an interlaced file fill the whole picture in turn.
  std::vector<std::uint8_t> bgra(std::size_t(width) * height * 4);
  std::vector<png_bytep> rows(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = bgra.data() + std::size_t(y) * width * 4;
  if (!decoder.readRows(rows.data())) throw failed();
  for (png_uint_32 y = 0; y < height; ++y) bgraOverBlack(rows[y], pic.row(int(y)), width);
  return pic;
}

}  // namespace lumora
