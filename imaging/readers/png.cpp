// PNG reader through libpng: every colour type and depth, interlaced or
// not, straight into the bitmap's rows (counted as 24 bits); 16-bit samples
// keep their high byte, palettes and grey are expanded, and transparency
// (an alpha channel or a tRNS chunk) is composed over black in place.
// A picture to be shown much larger than the screen is reduced while its
// rows are read (RowReducer); of an interlaced one, the last pass (every
// odd row, whole) stands for both rows of its pair. libpng reports errors
// by longjmp: the functions that call into it hold nothing that needs
// destroying, and the error comes back here as an exception with libpng's
// message.
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/readers/over_black.h"
#include "imaging/row_reducer.h"
#include "imaging/readers/readers.h"

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
  // red and a fourth byte: the alpha when the file has any (an alpha
  // channel or tRNS), else 0xFF; false after a libpng error. The
  // reduction factor is chosen for the fit size (0: none).
  bool readHeader(int fitWidth, int fitHeight, png_uint_32* width, png_uint_32* height) {
    if (setjmp(png_jmpbuf(png_))) return false;
    png_read_info(png_, info_);
    factor_ = reductionFactor(png_get_image_width(png_, info_), png_get_image_height(png_, info_), fitWidth, fitHeight);
    // The chunks' CRCs and the zlib stream's Adler-32 are not checked, as
    // in most viewers: they cost a tenth of the decoding, and a picture whose
    // data decode is worth showing. A stream that does not decode still fails.
    png_set_crc_action(png_, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(png_, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    alpha_ =
        (png_get_color_type(png_, info_) & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png_, info_, PNG_INFO_tRNS) != 0;
    interlaced_ = png_get_interlace_type(png_, info_) != PNG_INTERLACE_NONE;
    png_set_expand(png_);  // palette, low-depth grey and tRNS to full samples
    png_set_strip_16(png_);
    png_set_gray_to_rgb(png_);
    png_set_bgr(png_);
    if (!alpha_) png_set_filler(png_, 0xFF, PNG_FILLER_AFTER);
    // Reduced, an interlaced file's passes are read one by one instead.
    if (factor_ == 1) png_set_interlace_handling(png_);
    png_read_update_info(png_, info_);
    *width = png_get_image_width(png_, info_);
    *height = png_get_image_height(png_, info_);
    rowBytes_ = png_get_rowbytes(png_, info_);
    return true;
  }

  // Reads every row (all passes of an interlaced file, through `rows`, the
  // picture's rows) into the picture, composing a file with alpha over
  // black; false after a libpng error.
  bool readRows(Picture& picture, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png_))) return false;
    const int height = picture.height();
    const std::size_t width = std::size_t(picture.width());
    auto bytes = [&picture](int y) { return reinterpret_cast<png_bytep>(picture.row(y)); };
    if (interlaced_) {
      png_read_image(png_, rows);
      if (alpha_)
        for (int y = 0; y < height; ++y) bgraOverBlack(bytes(y), picture.row(y), width);
      return true;
    }
    // One row at a time, composed while it is in the cache.
    for (int y = 0; y < height; ++y) {
      png_read_row(png_, bytes(y), nullptr);
      if (alpha_) bgraOverBlack(bytes(y), picture.row(y), width);
    }
    return true;
  }

  // Reads every row into `reducer` through `row` (width pixels); false
  // after a libpng error.
  bool readReducedRows(RowReducer& reducer, std::vector<Pixel>& row, png_uint_32 width, png_uint_32 height) {
    if (setjmp(png_jmpbuf(png_))) return false;
    auto* bytes = reinterpret_cast<png_bytep>(row.data());
    auto next = [&] {
      png_read_row(png_, bytes, nullptr);
      if (alpha_) bgraOverBlack(bytes, row.data(), width);
    };
    if (!interlaced_) {
      for (png_uint_32 y = 0; y < height; ++y) {
        next();
        reducer.add(row.data());
      }
      return true;
    }
    // Passes 1 to 6 are read past; the rows of pass 7 are the odd rows,
    // each added for the even row above it too, and the last of them for
    // a last even row. (A picture is reduced only from 2 rows on.)
    for (int pass = 0; pass < 6; ++pass) {
      const png_uint_32 cols = PNG_PASS_COLS(width, pass), rows = PNG_PASS_ROWS(height, pass);
      if (cols == 0) continue;
      for (png_uint_32 y = 0; y < rows; ++y) png_read_row(png_, bytes, nullptr);
    }
    for (png_uint_32 y = 0; y < PNG_PASS_ROWS(height, 6); ++y) {
      next();
      reducer.add(row.data());
      reducer.add(row.data());
    }
    if (height % 2 == 1 && height > 1) reducer.add(row.data());
    return true;
  }

  bool interlaced() const { return interlaced_; }
  int factor() const { return factor_; }
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
  int factor_ = 1;
  char message_[200] = {};
};

}  // namespace

Picture readPng(const ReaderInput& input) {
  if (input.data.size() < 8 || png_sig_cmp(input.data.data(), 0, 8) != 0) throw PictureError("Not a valid PNG file.");
  PngDecoder decoder(input.data);
  png_uint_32 width = 0, height = 0;
  if (!decoder.readHeader(input.fitWidth, input.fitHeight, &width, &height))
    throw PictureError(std::string("PNG: ") + decoder.message());
  if (decoder.rowBytes() != std::size_t(width) * 4) throw PictureError("PNG: wrong pixel format");
  Picture::checkSize(width, height);

  Picture pic;
  if (decoder.factor() > 1) {
    RowReducer reducer(pic, int(width), int(height), decoder.factor(), 24);
    std::vector<Pixel> row(width);
    if (!decoder.readReducedRows(reducer, row, width, height))
      throw PictureError(std::string("PNG: ") + decoder.message());
    return pic;
  }
  pic.allocateForOverwrite(int(width), int(height), 24);  // every row is read or the reading fails
  std::vector<png_bytep> rows;                            // an interlaced file's passes go over all of them
  if (decoder.interlaced())
    for (png_uint_32 y = 0; y < height; ++y) rows.push_back(reinterpret_cast<png_bytep>(pic.row(int(y))));
  if (!decoder.readRows(pic, rows.data())) throw PictureError(std::string("PNG: ") + decoder.message());
  return pic;
}

}  // namespace lumora
