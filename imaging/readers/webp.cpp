// WebP reader through libwebp: lossy, lossless, with or without alpha,
// decoded as blue, green, red, alpha straight into the bitmap's rows
// (counted as 24 bits), transparency composed over black in place. Of an animated file the
// first frame is shown, as the animation's canvas shows it.
#include <webp/decode.h>
#include <webp/demux.h>

#include <cstdint>
#include <memory>

#include "imaging/readers/over_black.h"
#include "imaging/readers/readers.h"

namespace lumora {

namespace {

constexpr const char* kInvalid = "Not a valid WebP file.";
constexpr const char* kUndecodable = "WebP: the picture data cannot be decoded.";

// `canvases`: the full-size BGRA buffers libwebp holds at once (an
// animation's decoder keeps the previous canvas beside the current one).
void checkSize(int width, int height, unsigned canvases = 1) {
  if (width <= 0 || height <= 0) throw PictureError(kInvalid);
  if (std::uint64_t(width) * std::uint64_t(height) * 4 * canvases > Picture::kMaxBytes)
    throw PictureError("Picture too large.");
}

Picture fromBgra(const std::uint8_t* bgra, int width, int height, std::size_t stride) {
  Picture pic;
  pic.allocateForOverwrite(width, height, 24);  // every row is composed
  for (int y = 0; y < height; ++y) bgraOverBlack(bgra + std::size_t(y) * stride, pic.row(y), std::size_t(width));
  return pic;
}

struct AnimDecoderDeleter {
  void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};

Picture firstFrame(std::span<const std::uint8_t> data) {
  WebPAnimDecoderOptions options;
  if (!WebPAnimDecoderOptionsInit(&options)) throw PictureError(kUndecodable);
  options.color_mode = MODE_BGRA;
  options.use_threads = 0;
  const WebPData webp{data.data(), data.size()};
  const std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder(WebPAnimDecoderNew(&webp, &options));
  if (!decoder) throw PictureError(kUndecodable);
  WebPAnimInfo info;
  if (!WebPAnimDecoderGetInfo(decoder.get(), &info)) throw PictureError(kUndecodable);
  checkSize(int(info.canvas_width), int(info.canvas_height), 2);
  std::uint8_t* canvas = nullptr;
  int timestamp = 0;
  if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || !canvas) throw PictureError(kUndecodable);
  return fromBgra(canvas, int(info.canvas_width), int(info.canvas_height), std::size_t(info.canvas_width) * 4);
}

}  // namespace

Picture readWebp(const ReaderInput& input) {
  WebPBitstreamFeatures features;
  if (WebPGetFeatures(input.data.data(), input.data.size(), &features) != VP8_STATUS_OK) throw PictureError(kInvalid);
  // The canvas size of an animation: checked before libwebp allocates it.
  checkSize(features.width, features.height, features.has_animation ? 2 : 1);
  if (features.has_animation) return firstFrame(input.data);
  Picture pic;
  pic.allocateForOverwrite(features.width, features.height, 24);  // every row is decoded or the reading fails
  const std::size_t stride = std::size_t(features.width) * 4;
  auto* bytes = reinterpret_cast<std::uint8_t*>(pic.row(0));
  if (!WebPDecodeBGRAInto(input.data.data(), input.data.size(), bytes, stride * std::size_t(features.height),
                          int(stride)))
    throw PictureError(kUndecodable);
  // Opaque pictures come with alpha 255, which the composition keeps as it is.
  for (int y = 0; y < features.height; ++y) bgraOverBlack(bytes + std::size_t(y) * stride, pic.row(y), std::size_t(features.width));
  return pic;
}

}  // namespace lumora
