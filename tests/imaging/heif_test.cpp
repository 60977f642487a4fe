// HEIC and AVIF reader: files made by libheif's encoders (x265, aom),
// compared with libheif's own decoding composed over black; rotation and
// mirroring recorded in the file turn the picture upright; damaged files
// fail with a message naming the format.
#include <gtest/gtest.h>

#include <libheif/heif.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "imaging/heif_items.h"
#include "imaging/orientation_util.h"
#include "imaging/reader_test_util.h"
#include "imaging/readers/readers.h"
#include "imaging/test_encoders.h"

namespace lumora {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Context {
  heif_context* c = heif_context_alloc();
  ~Context() { heif_context_free(c); }
};

// A file of one RGB or RGBA picture (samples interleaved), HEVC or AV1,
// with the orientation recorded for it.
Bytes encodeHeif(const Bytes& samples, int w, int h, bool alpha, heif_compression_format format,
                 heif_orientation orientation = heif_orientation_normal) {
  Context context;
  heif_image* image = nullptr;
  EXPECT_EQ(heif_image_create(w, h, heif_colorspace_RGB,
                              alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &image)
                .code,
            heif_error_Ok);
  heif_image_add_plane(image, heif_channel_interleaved, w, h, 8);
  int stride = 0;
  std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  const int channels = alpha ? 4 : 3;
  for (int y = 0; y < h; ++y)
    std::memcpy(plane + y * stride, &samples[std::size_t(y) * w * channels], std::size_t(w) * channels);
  heif_encoder* encoder = nullptr;
  EXPECT_EQ(heif_context_get_encoder_for_format(context.c, format, &encoder).code, heif_error_Ok);
  heif_encoder_set_lossy_quality(encoder, 90);
  heif_encoding_options* options = heif_encoding_options_alloc();
  options->image_orientation = orientation;
  EXPECT_EQ(heif_context_encode_image(context.c, image, encoder, options, nullptr).code, heif_error_Ok);
  heif_encoding_options_free(options);
  heif_encoder_release(encoder);
  heif_image_release(image);
  Bytes out;
  heif_writer writer{1, [](heif_context*, const void* data, size_t size, void* user) {
                       auto* o = static_cast<Bytes*>(user);
                       o->insert(o->end(), static_cast<const std::uint8_t*>(data),
                                 static_cast<const std::uint8_t*>(data) + size);
                       return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
                     }};
  EXPECT_EQ(heif_context_write(context.c, &writer, &out).code, heif_error_Ok);
  return out;
}

// libheif's own decoding of the primary picture, over black, compared
// pixel by pixel.
void expectMatchesLibheif(const Picture& p, const Bytes& file) {
  Context context;
  ASSERT_EQ(heif_context_read_from_memory(context.c, file.data(), file.size(), nullptr).code, heif_error_Ok);
  heif_image_handle* handle = nullptr;
  ASSERT_EQ(heif_context_get_primary_image_handle(context.c, &handle).code, heif_error_Ok);
  heif_image* image = nullptr;
  ASSERT_EQ(heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr).code,
            heif_error_Ok);
  int stride = 0;
  const std::uint8_t* rgba = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
  const int w = heif_image_get_width(image, heif_channel_interleaved),
            h = heif_image_get_height(image, heif_channel_interleaved);
  EXPECT_EQ(p.width(), w);
  EXPECT_EQ(p.height(), h);
  int differing = 0;
  for (int y = 0; y < std::min(h, p.height()); ++y)
    for (int x = 0; x < std::min(w, p.width()); ++x) {
      const std::uint8_t* s = rgba + y * stride + x * 4;
      auto c = [&](int i) { return int((s[i] * unsigned(s[3]) + 127) / 255); };
      differing += p.pixel(x, y) != rgb(c(0), c(1), c(2));
    }
  EXPECT_EQ(differing, 0);
  heif_image_release(image);
  heif_image_handle_release(handle);
}

struct Format {
  heif_compression_format format;
  const char* extension;
  const char* name;
};
constexpr Format kFormats[] = {{heif_compression_HEVC, "heic", "HEIF"}, {heif_compression_AV1, "avif", "AVIF"}};

bool canEncode(heif_compression_format f) { return heif_have_encoder_for_format(f) && heif_have_decoder_for_format(f); }

TEST(HeifReader, ColourAndAlphaMatchTheLibrarysDecoding) {
  constexpr int kW = 64, kH = 32;
  for (const Format& f : kFormats) {
    if (!canEncode(f.format)) {
      ADD_FAILURE() << "no " << f.name << " encoder or decoder in libheif";
      continue;
    }
    const Bytes rgb = test::quarters(kW, kH);
    const Bytes file = encodeHeif(rgb, kW, kH, false, f.format);
    const Picture p = test::decode(file, f.extension);
    EXPECT_EQ(p.bits(), 24);
    expectMatchesLibheif(p, file);
    // The quarters keep their colours.
    EXPECT_GT(redOf(p.pixel(8, 8)), 200) << f.name;
    EXPECT_GT(greenOf(p.pixel(kW - 8, 8)), 200) << f.name;
    EXPECT_GT(blueOf(p.pixel(8, kH - 8)), 200) << f.name;

    // Alpha: the left half transparent, shown black.
    Bytes rgba(std::size_t(kW) * kH * 4);
    for (std::size_t i = 0; i < std::size_t(kW) * kH; ++i) {
      rgba[4 * i] = 250, rgba[4 * i + 1] = 200, rgba[4 * i + 2] = 100;
      rgba[4 * i + 3] = (i % kW) < kW / 2 ? 0 : 255;
    }
    const Bytes withAlpha = encodeHeif(rgba, kW, kH, true, f.format);
    const Picture a = test::decode(withAlpha, f.extension);
    expectMatchesLibheif(a, withAlpha);
    EXPECT_EQ(a.pixel(4, 4), kBlack) << f.name;
    EXPECT_GT(redOf(a.pixel(kW - 8, 4)), 230) << f.name;
  }
}

TEST(HeifReader, RecordedRotationAndMirroringAreApplied) {
  constexpr int kW = 64, kH = 32;
  const Bytes upright = test::quarters(kW, kH);
  for (const Format& f : kFormats) {
    if (!canEncode(f.format)) continue;
    for (int o : {2, 3, 6, 8}) {
      int sw = 0, sh = 0;
      const Bytes stored = test::storedFrom(upright, kW, kH, o, sw, sh);
      const Picture p = test::decode(encodeHeif(stored, sw, sh, false, f.format, heif_orientation(o)), f.extension);
      ASSERT_EQ(p.width(), kW) << f.name << " orientation " << o;
      ASSERT_EQ(p.height(), kH) << f.name << " orientation " << o;
      const Pixel corners[4] = {p.pixel(6, 6), p.pixel(kW - 7, 6), p.pixel(6, kH - 7), p.pixel(kW - 7, kH - 7)};
      const int expected[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
      for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(redOf(corners[k]), expected[k][0], 40) << f.name << " orientation " << o << " corner " << k;
        EXPECT_NEAR(greenOf(corners[k]), expected[k][1], 40) << f.name << " orientation " << o << " corner " << k;
        EXPECT_NEAR(blueOf(corners[k]), expected[k][2], 40) << f.name << " orientation " << o << " corner " << k;
      }
    }
  }
}

TEST(HeifReader, DamagedFilesFailWithAMessageNamingTheFormat) {
  EXPECT_EQ(test::errorOf({1, 2, 3}, "heic"), "Not a valid HEIF file.");
  EXPECT_EQ(test::errorOf({1, 2, 3}, "HEIF"), "Not a valid HEIF file.");
  EXPECT_EQ(test::errorOf({1, 2, 3}, "Avif"), "Not a valid AVIF file.");
  for (const Format& f : kFormats) {
    if (!canEncode(f.format)) continue;
    const Bytes file = encodeHeif(test::quarters(32, 16), 32, 16, false, f.format);
    for (std::size_t cut : {std::size_t(16), std::size_t(40), file.size() / 2, file.size() - 10}) {
      const std::string message = test::errorOf(Bytes(file.begin(), file.begin() + std::ptrdiff_t(cut)), f.extension);
      EXPECT_FALSE(message.empty()) << f.name << " cut at " << cut;
      EXPECT_TRUE(message.rfind(std::string(f.name) + ": ", 0) == 0 ||
                  message == std::string("Not a valid ") + f.name + " file.")
          << f.name << " cut at " << cut << ": " << message;
    }
  }
}

// A 'meta' box with items of the given types (ID = position + 1) and one
// 'dimg' reference from item `from` to item `to`.
Bytes metaWithReference(const std::vector<const char*>& types, unsigned from, unsigned to) {
  test::FileBuilder infe;
  for (std::size_t i = 0; i < types.size(); ++i)
    infe.be32(20).text("infe").be32(0x02000000).be16(unsigned(i + 1)).be16(0).text(types[i]);
  test::FileBuilder meta;
  meta.be32(0);  // version and flags
  meta.be32(std::uint32_t(14 + infe.size())).text("iinf").be32(0).be16(unsigned(types.size())).raw(infe.bytes);
  meta.be32(26).text("iref").be32(0).be32(14).text("dimg").be16(from).be16(1).be16(to);
  test::FileBuilder file;
  file.be32(16).text("ftyp").text("heic").be32(0);
  file.be32(std::uint32_t(8 + meta.size())).text("meta").raw(meta.bytes);
  return file.bytes;
}

TEST(HeifReader, DerivedPicturesOfNonPicturesAreRefusedBeforeTheLibrarySeesThem) {
  EXPECT_TRUE(heifDerivationsSound(metaWithReference({"hvc1", "grid"}, 2, 1)));
  EXPECT_TRUE(heifDerivationsSound(metaWithReference({"av01", "iden"}, 2, 1)));
  EXPECT_FALSE(heifDerivationsSound(metaWithReference({"hvc0", "iden"}, 2, 1)));  // not a picture type
  EXPECT_FALSE(heifDerivationsSound(metaWithReference({"hvc1", "iden"}, 2, 7)));  // no such item
  // Cut anywhere: never a read past the end (the library judges the rest).
  const Bytes whole = metaWithReference({"hvc0", "iden"}, 2, 1);
  for (std::size_t n = 0; n < whole.size(); ++n)
    heifDerivationsSound(Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(n)));

  // A file found by fuzzing: an identity picture whose source is an item of
  // an unknown type made the library abort the program.
  std::ifstream in(std::string(LUMORA_SOURCE_DIR) + "/tests/imaging/data/derived_from_non_picture.heic",
                   std::ios::binary);
  const Bytes file((std::istreambuf_iterator<char>(in)), {});
  ASSERT_GT(file.size(), 100u);
  EXPECT_EQ(test::errorOf(file, "heic"), "HEIF: a derived picture refers to an item that is not a picture.");
}

}  // namespace
}  // namespace lumora
