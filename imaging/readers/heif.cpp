// HEIC/HEIF and AVIF reader through libheif (with the HEVC and AV1 decoders
// the system provides): the file's primary picture, turned and mirrored as
// the file says, to bitmap pixels (counted as 24 bits) with transparency
// composed over black.
#include <libheif/heif.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/heif_items.h"
#include "imaging/readers/over_black.h"
#include "imaging/readers/readers.h"

namespace lumora {

namespace {

// libheif refuses pictures of more than this squared pixels: 4 bytes each
// stay within the largest picture we hold.
constexpr std::uint32_t kMaxSide = 1u << 14;

struct ContextDeleter {
  void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleDeleter {
  void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageDeleter {
  void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsDeleter {
  void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

// Throws the library's message, prefixed with the format's name.
void check(const heif_error& error, const char* format) {
  if (error.code == heif_error_Ok) return;
  throw PictureError(std::string(format) + ": " + (error.message && *error.message ? error.message : "cannot decode"));
}

Picture readPrimary(const ReaderInput& input, const char* format) {
  if (input.data.size() < 12 ||
      heif_check_filetype(input.data.data(), int(std::min<std::size_t>(input.data.size(), 64))) == heif_filetype_no)
    throw PictureError(std::string("Not a valid ") + format + " file.");
  if (!heifDerivationsSound(input.data))
    throw PictureError(std::string(format) + ": a derived picture refers to an item that is not a picture.");
  const std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
  if (!context) throw PictureError(std::string(format) + ": out of memory.");
  heif_context_set_maximum_image_size_limit(context.get(), int(kMaxSide));
  check(heif_context_read_from_memory_without_copy(context.get(), input.data.data(), input.data.size(), nullptr),
        format);

  heif_image_handle* rawHandle = nullptr;
  check(heif_context_get_primary_image_handle(context.get(), &rawHandle), format);
  const std::unique_ptr<heif_image_handle, HandleDeleter> handle(rawHandle);
  const int width = heif_image_handle_get_width(handle.get()), height = heif_image_handle_get_height(handle.get());
  if (width <= 0 || height <= 0) throw PictureError(std::string(format) + ": the picture has no size.");
  Picture::checkSize(width, height);

  // The default options apply the file's rotation, mirroring and cropping.
  const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
  heif_image* rawImage = nullptr;
  check(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, options.get()),
        format);
  const std::unique_ptr<heif_image, ImageDeleter> image(rawImage);
  int stride = 0;
  const std::uint8_t* rgba = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  const int outW = heif_image_get_width(image.get(), heif_channel_interleaved);
  const int outH = heif_image_get_height(image.get(), heif_channel_interleaved);
  if (!rgba || outW <= 0 || outH <= 0 || stride < outW * 4) throw PictureError(std::string(format) + ": cannot decode");

  Picture pic;
  pic.allocateForOverwrite(outW, outH, 24);  // every row is composed
  for (int y = 0; y < outH; ++y)
    rgbaOverBlack(rgba + std::size_t(y) * std::size_t(stride), pic.row(y), std::size_t(outW));
  return pic;
}

}  // namespace

Picture readHeif(const ReaderInput& input) { return readPrimary(input, "HEIF"); }

Picture readAvif(const ReaderInput& input) { return readPrimary(input, "AVIF"); }

}  // namespace lumora
