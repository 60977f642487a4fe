// Every sample picture of tests/data, read through the loader: it must come
// out as the expected picture beside it, in the reader's pixel format; and
// shortened copies of it must be refused with a message, never read past
// their end (the rule for each is at ShortenedCopiesAreRefusedWithAMessage).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "imaging/loader.h"
#include "tests/samples/sample_list.h"

namespace lumora::test {
namespace {

std::string extensionOf(const std::string& file) { return file.substr(file.find_last_of('.') + 1); }

class ReaderSample : public ::testing::TestWithParam<Sample> {
 protected:
  std::filesystem::path path() const { return sampleData() / GetParam().file; }
};

TEST_P(ReaderSample, ComesOutAsTheExpectedPicture) {
  const Sample& s = GetParam();
  const Picture picture = loadPicture(path().string());
  const ExpectedPicture expected = readExpected(sampleData() / s.expected);
  EXPECT_EQ(picture.bits(), s.bits);
  ASSERT_EQ(picture.width(), expected.width);
  ASSERT_EQ(picture.height(), expected.height);
  int wrong = 0;
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x) {
      const Pixel got = picture.pixel(x, y), want = expected.at(x, y);
      const int difference = std::max({std::abs(redOf(got) - redOf(want)), std::abs(greenOf(got) - greenOf(want)),
                                       std::abs(blueOf(got) - blueOf(want))});
      if (difference > s.tolerance && ++wrong <= 3)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << got << " instead of " << want;
    }
  EXPECT_EQ(wrong, 0) << "pixels off by more than " << s.tolerance;
}

// Lengths to cut a file of `size` bytes to: every small one, the powers of
// two, and a few fractions of the whole.
std::set<std::size_t> cutLengths(std::size_t size) {
  std::set<std::size_t> lengths;
  for (std::size_t n = 0; n < 40; ++n) lengths.insert(n);
  for (std::size_t n = 64; n < size; n *= 2) lengths.insert(n);
  for (std::size_t eighths = 1; eighths < 8; ++eighths) lengths.insert(size * eighths / 8);
  lengths.insert(size - 1);
  std::erase_if(lengths, [&](std::size_t n) { return n >= size; });
  return lengths;
}

bool samePixels(const Picture& a, const Picture& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) return false;
  return true;
}

// A shortened copy is refused with a message; or, where only bytes the
// reader does not use were cut (row padding, a trailer), it comes out as the
// whole file does; or, for decoders that show what arrived (CUT "partial"),
// it gives a picture of the whole one's size. It is never read past its end.
TEST_P(ReaderSample, ShortenedCopiesAreRefusedWithAMessage) {
  const Sample& s = GetParam();
  const std::vector<std::uint8_t> whole = fileBytes(path());
  const Picture full = loadPicture(path().string());
  for (std::size_t length : cutLengths(whole.size())) {
    // A buffer of exactly the cut length, so reading past it is caught by
    // the address sanitizer.
    const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + std::ptrdiff_t(length));
    try {
      const Picture p = decodePicture(cut, extensionOf(s.file), path().string());
      if (s.cutMayLoad) {
        EXPECT_TRUE(p.empty() || (p.width() == full.width() && p.height() == full.height()))
            << "cut to " << length << " of " << whole.size() << " bytes: " << p.width() << " x " << p.height();
      } else {
        EXPECT_TRUE(samePixels(p, full)) << "cut to " << length << " of " << whole.size()
                                         << " bytes, it loads as another picture";
      }
    } catch (const PictureError& e) {
      EXPECT_STRNE(e.what(), "") << "cut to " << length;
    }
  }
}

std::string testName(const ::testing::TestParamInfo<Sample>& info) {
  std::string name = info.param.file;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

// Metafiles are painted by the Qt renderer, which a build without the GUI
// does not have: there they cannot be read at all.
bool readable(const Sample& s) {
#ifdef LUMORA_SAMPLES_WITHOUT_METAFILES
  const std::string ext = extensionOf(s.file);
  return ext != "wmf" && ext != "emf";
#else
  (void)s;
  return true;
#endif
}

std::vector<Sample> readableSamples() {
  std::vector<Sample> samples = readSampleList();
  std::erase_if(samples, [](const Sample& s) { return !readable(s); });
  return samples;
}

INSTANTIATE_TEST_SUITE_P(TestsData, ReaderSample, ::testing::ValuesIn(readableSamples()), testName);

TEST(SampleList, NamesEveryFileOfTheFolder) {
  std::set<std::string> listed = {"samples.txt"};
  for (const Sample& s : readSampleList()) {
    listed.insert(s.file);
    listed.insert(s.expected);
    // A Dr. Halo picture's palette file stands beside it.
    if (extensionOf(s.file) == "cut") listed.insert(s.file.substr(0, s.file.size() - 3) + "pal");
  }
  for (const auto& entry : std::filesystem::recursive_directory_iterator(sampleData())) {
    if (!entry.is_regular_file()) continue;
    const std::string rel = std::filesystem::relative(entry.path(), sampleData()).generic_string();
    EXPECT_TRUE(listed.count(rel)) << rel << " is in tests/data but not in samples.txt";
  }
}

TEST(SampleList, HoldsAFileOfEveryTypeTheLoaderReads) {
  std::set<std::string> extensions;
  for (const Sample& s : readSampleList()) extensions.insert(extensionOf(s.file));
  for (const FileType& type : fileTypes()) EXPECT_TRUE(extensions.count(type.extension)) << "no ." << type.extension;
}

}  // namespace
}  // namespace lumora::test
