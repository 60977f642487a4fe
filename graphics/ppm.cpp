#include "graphics/ppm.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "platform/core/atomic_file.h"

namespace lumora {

namespace {

int readNumber(const std::vector<unsigned char>& d, std::size_t& pos) {
  for (;;) {
    while (pos < d.size() && std::isspace(d[pos])) ++pos;
    if (pos < d.size() && d[pos] == '#') {
      while (pos < d.size() && d[pos] != '\n') ++pos;
      continue;
    }
    break;
  }
  long long v = 0;
  std::size_t start = pos;
  while (pos < d.size() && std::isdigit(d[pos]) && v < (1 << 24)) v = v * 10 + (d[pos++] - '0');
  if (pos == start) throw std::runtime_error("not a binary PPM file");
  return int(v);
}

}  // namespace

Bitmap readPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)), {});
  if (d.size() < 2 || d[0] != 'P' || d[1] != '6') throw std::runtime_error(path + ": not a binary PPM file");
  std::size_t pos = 2;
  const int w = readNumber(d, pos), h = readNumber(d, pos), max = readNumber(d, pos);
  if (max != 255 || w <= 0 || h <= 0) throw std::runtime_error(path + ": unsupported PPM header");
  ++pos;
  if (d.size() < pos || (d.size() - pos) / 3 / std::size_t(w) < std::size_t(h))
    throw std::runtime_error(path + ": PPM data is short");
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x, pos += 3) b.at(x, y) = rgb(d[pos], d[pos + 1], d[pos + 2]);
  return b;
}

void writePpm(const Bitmap& b, const std::string& path) {
  std::vector<unsigned char> out;
  const std::string head = "P6\n" + std::to_string(b.width()) + " " + std::to_string(b.height()) + "\n255\n";
  out.assign(head.begin(), head.end());
  out.reserve(out.size() + std::size_t(b.width()) * b.height() * 3);
  for (int y = 0; y < b.height(); ++y)
    for (int x = 0; x < b.width(); ++x) {
      const Pixel p = b.at(x, y);
      out.push_back(static_cast<unsigned char>(redOf(p)));
      out.push_back(static_cast<unsigned char>(greenOf(p)));
      out.push_back(static_cast<unsigned char>(blueOf(p)));
    }
  if (path == "-") {
    std::fwrite(out.data(), 1, out.size(), stdout);
    return;
  }
  writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(out.data()), out.size()));
}

}  // namespace lumora
