#include "tests/samples/sample_list.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "imaging/loader.h"

namespace lumora::test {

std::filesystem::path sampleData() { return std::filesystem::path(LUMORA_SOURCE_DIR) / "tests" / "data"; }

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<Sample> readSampleList() {
  const auto listPath = sampleData() / "samples.txt";
  std::ifstream in(listPath);
  if (!in) throw std::runtime_error("cannot open " + listPath.string());
  std::vector<Sample> samples;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Sample s;
    std::string cut;
    if (!(fields >> s.file >> s.expected >> s.bits >> s.tolerance >> cut) || (cut != "fails" && cut != "partial"))
      throw std::runtime_error("bad line in samples.txt: " + line);
    s.cutMayLoad = cut == "partial";
    samples.push_back(std::move(s));
  }
  return samples;
}

namespace {

// The next header number of a PPM, past white space and comments.
int ppmNumber(const std::vector<std::uint8_t>& b, std::size_t& at) {
  for (;;) {
    while (at < b.size() && std::isspace(b[at])) ++at;
    if (at < b.size() && b[at] == '#') {
      while (at < b.size() && b[at] != '\n') ++at;
      continue;
    }
    break;
  }
  if (at >= b.size() || !std::isdigit(b[at])) throw std::runtime_error("bad PPM header");
  int v = 0;
  while (at < b.size() && std::isdigit(b[at]) && v < 100000) v = v * 10 + (b[at++] - '0');
  return v;
}

}  // namespace

ExpectedPicture readExpected(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> b = fileBytes(path);
  ExpectedPicture e;
  if (path.extension() == ".png") {
    const Picture p = decodePicture(b, "png");
    e.width = p.width();
    e.height = p.height();
    for (int y = 0; y < e.height; ++y)
      for (int x = 0; x < e.width; ++x) e.pixels.push_back(p.pixel(x, y));
    return e;
  }
  if (b.size() < 2 || b[0] != 'P' || b[1] != '6') throw std::runtime_error("not a binary PPM: " + path.string());
  std::size_t at = 2;
  e.width = ppmNumber(b, at);
  e.height = ppmNumber(b, at);
  if (ppmNumber(b, at) != 255) throw std::runtime_error("PPM largest value must be 255: " + path.string());
  ++at;  // the one white-space byte before the pixels
  const std::size_t count = std::size_t(e.width) * std::size_t(e.height);
  if (b.size() - at < count * 3) throw std::runtime_error("PPM pixels cut short: " + path.string());
  for (std::size_t i = 0; i < count; ++i, at += 3) e.pixels.push_back(rgb(b[at], b[at + 1], b[at + 2]));
  return e;
}

}  // namespace lumora::test
