// JPEG reader: colour, grey and CMYK files made with libjpeg's compressor,
// the reduced decoding for the slide step, and damaged files.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "imaging/jpeg_writer.h"
#include "imaging/loader.h"
#include "imaging/readers/readers.h"
#include "reader_test_util.h"

namespace lumora {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A flat picture of one colour (components as the colour space wants them).
Bytes encodeJpeg(int width, int height, J_COLOR_SPACE space, std::vector<std::uint8_t> colour) {
  const int components = int(colour.size());
  return test::writeJpeg(width, height, {components, space, 95, true, {}}, [&](int, std::uint8_t* row) {
    for (std::size_t i = 0; i < std::size_t(width) * colour.size(); ++i) row[i] = colour[i % colour.size()];
  });
}

Picture read(const Bytes& b) { return readJpeg(ReaderInput{b, {}}); }

void expectNear(Pixel p, int r, int g, int b) {
  EXPECT_NEAR(redOf(p), r, 3);
  EXPECT_NEAR(greenOf(p), g, 3);
  EXPECT_NEAR(blueOf(p), b, 3);
}

TEST(JpegReader, ColourGreyAndCmyk) {
  const Picture colour = read(encodeJpeg(33, 17, JCS_RGB, {200, 40, 90}));
  EXPECT_EQ(colour.width(), 33);
  EXPECT_EQ(colour.height(), 17);
  EXPECT_EQ(colour.bits(), 24);
  expectNear(colour.pixel(32, 16), 200, 40, 90);

  const Picture grey = read(encodeJpeg(8, 8, JCS_GRAYSCALE, {77}));
  EXPECT_EQ(grey.bits(), 8);
  expectNear(grey.pixel(3, 3), 77, 77, 77);

  // libjpeg writes CMYK with an Adobe marker: inks stored inverted, 255 = none.
  const Picture cmyk = read(encodeJpeg(8, 8, JCS_CMYK, {255, 0, 255, 255}));
  EXPECT_EQ(cmyk.bits(), 24);
  expectNear(cmyk.pixel(0, 0), 255, 0, 255);
}

TEST(JpegReader, ReducedDecodingKeepsAtLeastTheRequestedSize) {
  const Bytes big = encodeJpeg(800, 600, JCS_RGB, {10, 20, 30});
  auto size = [&](int fw, int fh) {
    const Picture p = readJpegToFit(ReaderInput{big, {}}, fw, fh);
    return std::pair(p.width(), p.height());
  };
  EXPECT_EQ(size(100, 75), std::pair(100, 75));
  // Only what the fitted picture needs: 800 x 600 fits a 101 x 75 box as 100 x 75,
  // and a 300 x 300 box as 300 x 225 (scale 3/8).
  EXPECT_EQ(size(101, 75), std::pair(100, 75));
  EXPECT_EQ(size(300, 300), std::pair(300, 225));
  EXPECT_EQ(size(400, 300), std::pair(400, 300));
  EXPECT_EQ(size(400, 301), std::pair(800, 600));
  EXPECT_EQ(size(0, 0), std::pair(800, 600));
  // Through the loader, as the slide step asks for it.
  LoadOptions fit;
  fit.fitWidth = 160;
  fit.fitHeight = 120;
  const Picture p = decodePicture(big, "JPG", {}, fit);
  EXPECT_EQ(p.width(), 200);
  // The size in the file stays known (the settings window's size text).
  EXPECT_EQ(std::pair(p.fullWidth(), p.fullHeight()), std::pair(800, 600));
  expectNear(p.pixel(50, 50), 10, 20, 30);
  EXPECT_EQ(decodePicture(big, "jpg").width(), 800);
}

TEST(JpegReader, DamagedFilesGiveLibjpegsMessageOrWhatIsThere) {
  EXPECT_EQ(test::messageOf([] {
              read(Bytes{'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'});
            }),
            "Not a JPEG file: starts with 0x6e 0x6f");
  EXPECT_THROW(read(Bytes{}), PictureError);
  // A file cut short in its entropy-coded data still gives a picture.
  Bytes cut = encodeJpeg(64, 64, JCS_RGB, {1, 2, 3});
  std::size_t sos = 0;
  for (std::size_t i = 0; i + 1 < cut.size(); ++i)
    if (cut[i] == 0xFF && cut[i + 1] == 0xDA) sos = i;
  ASSERT_GT(sos, 0u);
  cut.resize(sos + 16);
  const Picture p = read(cut);
  EXPECT_EQ(p.width(), 64);
  // A header cut short is an error.
  cut.resize(40);
  EXPECT_THROW(read(cut), PictureError);
}

TEST(JpegReader, SampleFilesLoadOrFailCleanly) {
  const Picture colour = test::loadSample("jpeg/colour.jpg");
  EXPECT_EQ(colour.width(), 13);
  EXPECT_EQ(colour.height(), 7);
  EXPECT_EQ(colour.bits(), 24);
  EXPECT_EQ(test::loadSample("jpeg/grey.jpg").bits(), 8);
  EXPECT_EQ(test::loadSample("jpeg/cmyk.jpg").bits(), 24);
  EXPECT_EQ(std::size_t(test::loadAllSamples({"jpg", "jpeg"})), test::samples({"jpg", "jpeg"}).size());
}

}  // namespace
}  // namespace lumora
