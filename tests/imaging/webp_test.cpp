// WebP reader: lossy and lossless files with and without alpha, made by
// libwebp's encoder and compared with libwebp's own decoding (composed over
// black) or, for lossless files, with the samples; an animated file shows
// its first frame; damaged files fail with a message naming WebP.
#include <gtest/gtest.h>

#include <webp/decode.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "imaging/reader_test_util.h"
#include "imaging/readers/readers.h"

namespace lumora {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Red, green, blue, alpha samples: smooth colour, and alpha running from
// transparent at the left to opaque at the right when `alpha`.
Bytes gradient(int w, int h, bool alpha) {
  Bytes rgba(std::size_t(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &rgba[(std::size_t(y) * w + x) * 4];
      p[0] = std::uint8_t(x * 255 / (w - 1));
      p[1] = std::uint8_t(y * 255 / (h - 1));
      p[2] = std::uint8_t(128 + (x - y) / 2);
      p[3] = alpha ? std::uint8_t(x * 255 / (w - 1)) : 255;
    }
  return rgba;
}

Bytes encode(const Bytes& rgba, int w, int h, bool lossless) {
  std::uint8_t* out = nullptr;
  const std::size_t size = lossless ? WebPEncodeLosslessRGBA(rgba.data(), w, h, w * 4, &out)
                                    : WebPEncodeRGBA(rgba.data(), w, h, w * 4, 80, &out);
  Bytes file(out, out + size);
  WebPFree(out);
  return file;
}

Pixel overBlack(const std::uint8_t* p) {
  auto c = [&](int i) { return int((p[i] * unsigned(p[3]) + 127) / 255); };
  return rgb(c(0), c(1), c(2));
}

// libwebp's own decoding of the file, composed over black, pixel by pixel.
void expectMatchesLibwebp(const Picture& picture, const Bytes& file) {
  int w = 0, h = 0;
  std::uint8_t* rgba = WebPDecodeRGBA(file.data(), file.size(), &w, &h);
  ASSERT_NE(rgba, nullptr);
  ASSERT_EQ(picture.width(), w);
  ASSERT_EQ(picture.height(), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Pixel want = overBlack(rgba + (std::size_t(y) * w + x) * 4);
      if (picture.pixel(x, y) != want) {
        WebPFree(rgba);
        FAIL() << "differs at " << x << "," << y;
      }
    }
  WebPFree(rgba);
}

Picture read(const Bytes& b) { return readWebp(ReaderInput{b, {}}); }

TEST(WebpReader, LossyAndLosslessWithAndWithoutAlpha) {
  constexpr int kW = 61, kH = 23;
  for (bool lossless : {false, true})
    for (bool alpha : {false, true}) {
      const Bytes samples = gradient(kW, kH, alpha);
      const Bytes file = encode(samples, kW, kH, lossless);
      const Picture p = read(file);
      EXPECT_EQ(p.bits(), 24);
      expectMatchesLibwebp(p, file);
      if (lossless) {  // exact: the samples themselves, over black
        for (int y = 0; y < kH; ++y)
          for (int x = 0; x < kW; ++x)
            ASSERT_EQ(p.pixel(x, y), overBlack(&samples[(std::size_t(y) * kW + x) * 4])) << x << "," << y;
      }
      if (alpha) {
        EXPECT_EQ(p.pixel(0, 5), kBlack);  // fully transparent column
      }
    }
}

TEST(WebpReader, AnimatedFileShowsItsFirstFrame) {
  constexpr int kW = 20, kH = 12;
  WebPAnimEncoderOptions options;
  ASSERT_TRUE(WebPAnimEncoderOptionsInit(&options));
  WebPAnimEncoder* encoder = WebPAnimEncoderNew(kW, kH, &options);
  ASSERT_NE(encoder, nullptr);
  WebPConfig config;
  ASSERT_TRUE(WebPConfigInit(&config));
  config.lossless = 1;
  const std::uint8_t colours[2][4] = {{200, 30, 60, 255}, {10, 220, 90, 255}};
  int timestamp = 0;
  for (const auto& colour : colours) {
    Bytes rgba(std::size_t(kW) * kH * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = colour[i % 4];
    WebPPicture frame;
    ASSERT_TRUE(WebPPictureInit(&frame));
    frame.use_argb = 1;
    frame.width = kW;
    frame.height = kH;
    ASSERT_TRUE(WebPPictureImportRGBA(&frame, rgba.data(), kW * 4));
    ASSERT_TRUE(WebPAnimEncoderAdd(encoder, &frame, timestamp, &config));
    WebPPictureFree(&frame);
    timestamp += 100;
  }
  ASSERT_TRUE(WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr));
  WebPData data;
  WebPDataInit(&data);
  ASSERT_TRUE(WebPAnimEncoderAssemble(encoder, &data));
  WebPAnimEncoderDelete(encoder);
  const Bytes file(data.bytes, data.bytes + data.size);
  WebPDataClear(&data);

  WebPBitstreamFeatures features;
  ASSERT_EQ(WebPGetFeatures(file.data(), file.size(), &features), VP8_STATUS_OK);
  ASSERT_TRUE(features.has_animation);
  const Picture p = read(file);
  ASSERT_EQ(p.width(), kW);
  ASSERT_EQ(p.height(), kH);
  EXPECT_EQ(p.pixel(0, 0), rgb(200, 30, 60));
  EXPECT_EQ(p.pixel(kW - 1, kH - 1), rgb(200, 30, 60));
}

// The VP8X header of an animation with a canvas of w x h, then its ANIM
// chunk and no frames.
Bytes animationHeader(unsigned w, unsigned h) {
  test::FileBuilder f;
  f.text("RIFF").le32(4 + 18 + 14).text("WEBP");
  f.text("VP8X").le32(10).raw({0x02, 0, 0, 0});
  f.raw({(w - 1) & 0xFF, ((w - 1) >> 8) & 0xFF, (w - 1) >> 16, (h - 1) & 0xFF, ((h - 1) >> 8) & 0xFF, (h - 1) >> 16});
  f.text("ANIM").le32(6).raw({0, 0, 0, 0, 0, 0});
  return f.bytes;
}

TEST(WebpReader, AnAnimationCanvasTooLargeIsRefusedBeforeAllocating) {
  EXPECT_EQ(test::errorOf(animationHeader(40000, 40000), "webp"), "Picture too large.");
  // 16 x 16000000 would fit as one still picture, but the animation decoder
  // holds two canvases of that size.
  EXPECT_EQ(test::errorOf(animationHeader(16, 16000000), "webp"), "Picture too large.");
  EXPECT_EQ(test::errorOf(animationHeader(16, 16), "webp").rfind("WebP", 0), 0u);
}

TEST(WebpReader, DamagedFilesFailWithAMessageNamingWebp) {
  const Bytes file = encode(gradient(40, 30, true), 40, 30, false);
  EXPECT_EQ(test::errorOf({'R', 'I', 'F', 'F'}, "webp"), "Not a valid WebP file.");
  EXPECT_EQ(test::errorOf({}, "WEBP"), "Not a valid WebP file.");
  EXPECT_EQ(test::errorOf(Bytes(file.begin(), file.begin() + 20), "webp"), "Not a valid WebP file.");
  for (std::size_t cut : {file.size() / 2, file.size() - 3}) {
    const std::string message = test::errorOf(Bytes(file.begin(), file.begin() + std::ptrdiff_t(cut)), "webp");
    EXPECT_NE(message.find("WebP"), std::string::npos) << "cut at " << cut << ": " << message;
  }
  // Noise in the compressed data: an error or a picture, never a crash.
  std::mt19937 random(5);
  for (int i = 0; i < 50; ++i) {
    Bytes noisy = file;
    for (int k = 0; k < 4; ++k) noisy[30 + random() % (noisy.size() - 30)] = std::uint8_t(random());
    try {
      read(noisy).bitmap();
    } catch (const PictureError& e) {
      EXPECT_NE(std::string(e.what()).find("WebP"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace lumora
