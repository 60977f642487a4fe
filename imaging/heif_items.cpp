#include "imaging/heif_items.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace lumora {

namespace {

using Bytes = std::span<const std::uint8_t>;

std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
std::uint32_t be16(const std::uint8_t* p) { return (std::uint32_t(p[0]) << 8) | p[1]; }

// A cursor over big-endian numbers that reports running out instead of
// reading past its bytes.
class Cursor {
 public:
  explicit Cursor(Bytes bytes) : bytes_(bytes) {}
  bool has(std::size_t n) const { return bytes_.size() - at_ >= n; }
  std::optional<std::uint32_t> u16() {
    if (!has(2)) return std::nullopt;
    at_ += 2;
    return be16(bytes_.data() + at_ - 2);
  }
  std::optional<std::uint32_t> u32() {
    if (!has(4)) return std::nullopt;
    at_ += 4;
    return be32(bytes_.data() + at_ - 4);
  }
  std::optional<std::uint32_t> id(bool wide) { return wide ? u32() : u16(); }
  bool skip(std::size_t n) {
    if (!has(n)) return false;
    at_ += n;
    return true;
  }
  Bytes rest() const { return bytes_.subspan(at_); }

 private:
  Bytes bytes_;
  std::size_t at_ = 0;
};

struct Box {
  std::array<char, 4> type{};
  Bytes body;
};

// The boxes laid one after another in `bytes`; stops at the first that does
// not fit.
std::vector<Box> boxesIn(Bytes bytes) {
  std::vector<Box> boxes;
  std::size_t at = 0;
  while (bytes.size() - at >= 8) {
    std::uint64_t size = be32(bytes.data() + at);
    std::size_t header = 8;
    if (size == 1) {
      if (bytes.size() - at < 16) break;
      size = (std::uint64_t(be32(bytes.data() + at + 8)) << 32) | be32(bytes.data() + at + 12);
      header = 16;
    } else if (size == 0) {
      size = bytes.size() - at;
    }
    if (size < header || size > bytes.size() - at) break;
    Box box;
    std::memcpy(box.type.data(), bytes.data() + at + 4, 4);
    box.body = bytes.subspan(at + header, std::size_t(size) - header);
    boxes.push_back(box);
    at += std::size_t(size);
  }
  return boxes;
}

bool is(const Box& b, std::string_view type) { return std::string_view(b.type.data(), 4) == type; }

// Item types the library decodes as pictures.
bool isPictureType(std::uint32_t type) {
  static constexpr std::array<const char*, 6> kTypes = {"hvc1", "av01", "grid", "iden", "iovl", "jpeg"};
  return std::any_of(kTypes.begin(), kTypes.end(),
                     [&](const char* t) { return be32(reinterpret_cast<const std::uint8_t*>(t)) == type; });
}

// Item ID -> item type from 'iinf' (item info entries of version 2 or 3).
std::map<std::uint32_t, std::uint32_t> itemTypes(Bytes iinf) {
  std::map<std::uint32_t, std::uint32_t> types;
  Cursor in(iinf);
  const auto versionFlags = in.u32();
  if (!versionFlags) return types;
  if (!in.skip((*versionFlags >> 24) == 0 ? 2 : 4)) return types;  // the entry count
  for (const Box& entry : boxesIn(in.rest())) {
    if (!is(entry, "infe")) continue;
    Cursor e(entry.body);
    const auto vf = e.u32();
    if (!vf || (*vf >> 24) < 2) continue;
    const auto id = e.id((*vf >> 24) >= 3);
    if (!id || !e.skip(2)) continue;  // item protection index
    const auto type = e.u32();
    if (type) types[*id] = *type;
  }
  return types;
}

}  // namespace

bool heifDerivationsSound(Bytes file) {
  for (const Box& top : boxesIn(file)) {
    if (!is(top, "meta") || top.body.size() < 4) continue;
    const std::vector<Box> boxes = boxesIn(top.body.subspan(4));
    std::map<std::uint32_t, std::uint32_t> types;
    for (const Box& b : boxes)
      if (is(b, "iinf")) types = itemTypes(b.body);
    for (const Box& b : boxes) {
      if (!is(b, "iref")) continue;
      Cursor in(b.body);
      const auto versionFlags = in.u32();
      if (!versionFlags) continue;
      const bool wide = (*versionFlags >> 24) != 0;
      for (const Box& ref : boxesIn(in.rest())) {
        if (!is(ref, "dimg")) continue;
        Cursor r(ref.body);
        const auto from = r.id(wide);
        const auto count = r.u16();
        if (!from || !count) continue;
        for (std::uint32_t k = 0; k < *count; ++k) {
          const auto to = r.id(wide);
          if (!to) break;
          const auto it = types.find(*to);
          if (it == types.end() || !isPictureType(it->second)) return false;
        }
      }
    }
  }
  return true;
}

}  // namespace lumora
