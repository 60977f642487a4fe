// WebP reader through libwebp: lossy, lossless, with or without alpha,
// decoded as blue, green, red, alpha straight into the bitmap's rows
// (counted as 24 bits), transparency composed over black in place. Of an
// animated file the first frame is shown, as the animation's canvas shows
// it. A picture to be shown much larger than the screen is decoded reduced
// by libwebp's scaler (an animation's first frame on a reduced canvas);
// lossless data libwebp holds whole while decoding, so a lossless picture
// too large for that is refused.
#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/readers/over_black.h"
#include "imaging/readers/readers.h"
#include "imaging/row_reducer.h"

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

// Decodes `data` (a still picture, or a frame's data) scaled to
// width x height into `bgra` (stride: width x 4); false when it cannot.
bool decodeScaled(std::span<const std::uint8_t> data, int width, int height, std::uint8_t* bgra) {
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) return false;
  config.options.use_scaling = 1;
  config.options.scaled_width = width;
  config.options.scaled_height = height;
  config.output.colorspace = MODE_BGRA;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = bgra;
  config.output.u.RGBA.stride = width * 4;
  config.output.u.RGBA.size = std::size_t(width) * std::size_t(height) * 4;
  const bool ok = WebPDecode(data.data(), data.size(), &config) == VP8_STATUS_OK;
  WebPFreeDecBuffer(&config.output);
  return ok;
}

// A lossless picture's pixels are held whole by libwebp while it decodes,
// reduced or not.
void checkHeldWhole(std::span<const std::uint8_t> data, int width, int height) {
  WebPBitstreamFeatures features;
  if (WebPGetFeatures(data.data(), data.size(), &features) != VP8_STATUS_OK) throw PictureError(kUndecodable);
  if (features.format == 2 && std::uint64_t(width) * std::uint64_t(height) > kMaxReducedPixels)
    throw PictureError("Picture too large.");
}

// A still picture reduced by `factor`, its full size kept.
Picture reducedStill(std::span<const std::uint8_t> data, int width, int height, int factor) {
  checkHeldWhole(data, width, height);
  Picture pic;
  pic.allocateForOverwrite(reducedSide(width, factor), reducedSide(height, factor), 24);
  pic.setFullSize(width, height);
  auto* bytes = reinterpret_cast<std::uint8_t*>(pic.row(0));
  if (!decodeScaled(data, pic.width(), pic.height(), bytes)) throw PictureError(kUndecodable);
  for (int y = 0; y < pic.height(); ++y)
    bgraOverBlack(bytes + std::size_t(y) * pic.width() * 4, pic.row(y), std::size_t(pic.width()));
  return pic;
}

struct DemuxDeleter {
  void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
};

// An animation's first frame on its canvas, both reduced by `factor`: the
// canvas black, the frame's pixels over it where the frame lies.
Picture reducedFirstFrame(std::span<const std::uint8_t> data, int canvasWidth, int canvasHeight, int factor) {
  const WebPData webp{data.data(), data.size()};
  const std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemux(&webp));
  if (!demux) throw PictureError(kUndecodable);
  WebPIterator frame;
  if (!WebPDemuxGetFrame(demux.get(), 1, &frame)) throw PictureError(kUndecodable);
  const std::span<const std::uint8_t> bytes(frame.fragment.bytes, frame.fragment.size);
  const int x0 = frame.x_offset, y0 = frame.y_offset, w = frame.width, h = frame.height;
  WebPDemuxReleaseIterator(&frame);
  if (w <= 0 || h <= 0 || x0 + w > canvasWidth || y0 + h > canvasHeight) throw PictureError(kUndecodable);
  checkHeldWhole(bytes, w, h);

  Picture pic;
  pic.allocate(reducedSide(canvasWidth, factor), reducedSide(canvasHeight, factor), 24);
  pic.setFullSize(canvasWidth, canvasHeight);
  const int left = x0 / factor, top = y0 / factor;
  const int fw = std::min(reducedSide(w, factor), pic.width() - left);
  const int fh = std::min(reducedSide(h, factor), pic.height() - top);
  std::vector<std::uint8_t> scaled(std::size_t(fw) * std::size_t(fh) * 4);
  if (!decodeScaled(bytes, fw, fh, scaled.data())) throw PictureError(kUndecodable);
  for (int y = 0; y < fh; ++y)
    bgraOverBlack(&scaled[std::size_t(y) * std::size_t(fw) * 4], pic.row(top + y) + left, std::size_t(fw));
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
  const int factor = reductionFactor(features.width, features.height, input.fitWidth, input.fitHeight);
  if (factor > 1) {
    Picture::checkSize(features.width, features.height);
    if (features.has_animation) return reducedFirstFrame(input.data, features.width, features.height, factor);
    return reducedStill(input.data, features.width, features.height, factor);
  }
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
  for (int y = 0; y < features.height; ++y)
    bgraOverBlack(bytes + std::size_t(y) * stride, pic.row(y), std::size_t(features.width));
  return pic;
}

}  // namespace lumora
