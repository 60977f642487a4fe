// Metafiles written record by record for the tests, and pixel helpers.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "imaging/picture.h"
#include "imaging/reader_test_util.h"
#include "metafile_render/render.h"

namespace lumora::test {

using Bytes = std::vector<std::uint8_t>;

struct Writer {
  Bytes bytes;
  Writer& u8(unsigned v) {
    bytes.push_back(std::uint8_t(v));
    return *this;
  }
  Writer& u16(unsigned v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
  Writer& i16(int v) { return u16(unsigned(v) & 0xFFFF); }
  Writer& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Writer& i32(std::int32_t v) { return u32(std::uint32_t(v)); }
  Writer& f32(float f) {
    std::uint32_t v;
    std::memcpy(&v, &f, 4);
    return u32(v);
  }
  Writer& raw(std::span<const std::uint8_t> b) {
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
  }
  Writer& text(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
  }
  Writer& pad(std::size_t multiple) {
    while (bytes.size() % multiple) u8(0);
    return *this;
  }
};

inline std::uint32_t colorRef(int r, int g, int b) {
  return std::uint32_t(r) | (std::uint32_t(g) << 8) | (std::uint32_t(b) << 16);
}

// A bottom-up 24-bit DIB (info header, no palette) from top-down rows of
// 0xRRGGBB pixels.
inline Bytes dib24(int width, int height, const std::vector<std::uint32_t>& topDown) {
  Writer w;
  w.u32(40).i32(width).i32(height).u16(1).u16(24).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = topDown[std::size_t(y * width + x)];
      w.u8(p & 0xFF).u8((p >> 8) & 0xFF).u8((p >> 16) & 0xFF);
    }
    w.pad(4);
  }
  return w.bytes;
}

// Windows metafile: records of 16-bit parameters.
struct WmfBuilder {
  Bytes records;
  std::size_t maxRecord = 3;

  WmfBuilder& record(unsigned function, const Bytes& params) {
    Writer w;
    const std::size_t words = 3 + (params.size() + 1) / 2;
    w.u32(std::uint32_t(words)).u16(function).raw(params).pad(2);
    records.insert(records.end(), w.bytes.begin(), w.bytes.end());
    maxRecord = std::max(maxRecord, words);
    return *this;
  }
  WmfBuilder& r(unsigned function, std::initializer_list<int> params) {
    Writer w;
    for (int p : params) w.i16(p);
    return record(function, w.bytes);
  }
  WmfBuilder& color(unsigned function, std::uint32_t c) { return record(function, Writer().u32(c).bytes); }

  // Common records, parameters in the order the calls take them.
  WmfBuilder& windowOrg(int x, int y) { return r(0x020B, {y, x}); }
  WmfBuilder& windowExt(int x, int y) { return r(0x020C, {y, x}); }
  WmfBuilder& mapMode(int m) { return r(0x0103, {m}); }
  WmfBuilder& pen(int style, int width, std::uint32_t c) {
    return record(0x02FA, Writer().i16(style).i16(width).i16(0).u32(c).bytes);
  }
  WmfBuilder& brush(int style, std::uint32_t c, int hatch = 0) {
    return record(0x02FC, Writer().i16(style).u32(c).i16(hatch).bytes);
  }
  WmfBuilder& select(int index) { return r(0x012D, {index}); }
  WmfBuilder& remove(int index) { return r(0x01F0, {index}); }
  WmfBuilder& rectangle(int l, int t, int rt, int b) { return r(0x041B, {b, rt, t, l}); }
  WmfBuilder& ellipse(int l, int t, int rt, int b) { return r(0x0418, {b, rt, t, l}); }
  WmfBuilder& polygon(std::initializer_list<std::pair<int, int>> pts, unsigned function = 0x0324) {
    Writer w;
    w.i16(int(pts.size()));
    for (auto [x, y] : pts) w.i16(x).i16(y);
    return record(function, w.bytes);
  }
  WmfBuilder& font(int height, const std::string& ansiFace, int weight = 400, int escapement = 0) {
    Writer w;
    w.i16(height).i16(0).i16(escapement).i16(escapement).i16(weight);
    w.u8(0).u8(0).u8(0).u8(134).u8(0).u8(0).u8(0).u8(0).text(ansiFace).u8(0);
    return record(0x02FB, w.bytes);
  }

  Bytes standardHeader(int objects) const {
    Writer w;
    w.u16(1).u16(9).u16(0x300).u32(std::uint32_t(9 + records.size() / 2 + 3)).u16(objects);
    w.u32(std::uint32_t(maxRecord)).u16(0);
    return w.bytes;
  }
  Bytes standard(int objects = 16) const {
    Writer w;
    w.raw(standardHeader(objects)).raw(records).u32(3).u16(0);
    return w.bytes;
  }
  Bytes placeable(int l, int t, int rt, int b, int inch, int objects = 16) const {
    Writer w;
    w.u32(0x9AC6CDD7).u16(0).i16(l).i16(t).i16(rt).i16(b).u16(inch).u32(0);
    unsigned sum = 0;
    for (std::size_t i = 0; i < w.bytes.size(); i += 2) sum ^= unsigned(w.bytes[i] | (w.bytes[i + 1] << 8));
    w.u16(sum);
    w.raw(standard(objects));
    return w.bytes;
  }
};

// Enhanced metafile: a 96-dots-per-inch reference device, so one device
// pixel is one pixel of the picture.
struct EmfBuilder {
  Bytes records;
  std::uint32_t count = 0;

  EmfBuilder& record(std::uint32_t type, const Bytes& payload) {
    Writer w;
    Bytes body = payload;
    while (body.size() % 4) body.push_back(0);
    w.u32(type).u32(std::uint32_t(8 + body.size())).raw(body);
    records.insert(records.end(), w.bytes.begin(), w.bytes.end());
    ++count;
    return *this;
  }
  EmfBuilder& ints(std::uint32_t type, std::initializer_list<std::int32_t> values) {
    Writer w;
    for (std::int32_t v : values) w.i32(v);
    return record(type, w.bytes);
  }
  EmfBuilder& brush(std::uint32_t index, std::uint32_t style, std::uint32_t c, std::uint32_t hatch = 0) {
    return ints(39, {std::int32_t(index), std::int32_t(style), std::int32_t(c), std::int32_t(hatch)});
  }
  EmfBuilder& pen(std::uint32_t index, std::uint32_t style, int width, std::uint32_t c) {
    return ints(38, {std::int32_t(index), std::int32_t(style), width, 0, std::int32_t(c)});
  }
  EmfBuilder& select(std::uint32_t index) { return ints(37, {std::int32_t(index)}); }
  EmfBuilder& polygon16(std::initializer_list<std::pair<int, int>> pts, std::uint32_t type = 86) {
    Writer w;
    w.i32(0).i32(0).i32(0).i32(0).u32(std::uint32_t(pts.size()));
    for (auto [x, y] : pts) w.i16(x).i16(y);
    return record(type, w.bytes);
  }
  EmfBuilder& points32(std::uint32_t type, std::initializer_list<std::pair<int, int>> pts) {
    Writer w;
    w.i32(0).i32(0).i32(0).i32(0).u32(std::uint32_t(pts.size()));
    for (auto [x, y] : pts) w.i32(x).i32(y);
    return record(type, w.bytes);
  }
  EmfBuilder& xform(std::uint32_t type, float m11, float m12, float m21, float m22, float dx, float dy,
                    std::int32_t mode = -1) {
    Writer w;
    w.f32(m11).f32(m12).f32(m21).f32(m22).f32(dx).f32(dy);
    if (mode >= 0) w.i32(mode);
    return record(type, w.bytes);
  }

  // A picture of width x height pixels (96 per inch).
  Bytes build(int width, int height, int handles = 16) const {
    Writer w;
    const std::uint32_t headerSize = 108;
    const int frameW = width * 2540 / 96, frameH = height * 2540 / 96;
    w.u32(1).u32(headerSize).i32(0).i32(0).i32(width - 1).i32(height - 1);
    w.i32(0).i32(0).i32(frameW).i32(frameH);
    w.u32(0x464D4520).u32(0x10000).u32(std::uint32_t(headerSize + records.size() + 20)).u32(count + 2);
    w.u16(handles).u16(0).u32(0).u32(0).u32(0);
    w.i32(960).i32(960).i32(254).i32(254);  // 96 dots per inch
    w.u32(0).u32(0).u32(0).i32(254000).i32(254000);
    w.raw(records);
    w.u32(14).u32(20).u32(0).u32(16).u32(20);  // EOF
    return w.bytes;
  }
};

inline Picture renderWmf(const Bytes& b) { return decodePicture(b, "wmf"); }
inline Picture renderEmf(const Bytes& b) { return decodePicture(b, "emf"); }

// Pixels of the picture that differ from white in the rectangle [l, r) x [t, b).
inline int inkIn(const Picture& p, int l, int t, int r, int b) {
  int n = 0;
  for (int y = std::max(0, t); y < std::min(b, p.height()); ++y)
    for (int x = std::max(0, l); x < std::min(r, p.width()); ++x)
      if (p.pixel(x, y) != kWhite) ++n;
  return n;
}

constexpr Pixel kRed = rgb(255, 0, 0), kGreen = rgb(0, 255, 0), kBlue = rgb(0, 0, 255);

}  // namespace lumora::test
