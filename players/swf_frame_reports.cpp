#include "players/swf_frame_reports.h"

#include <string>

namespace lumora {

namespace {

enum : int {
  kTagEnd = 0,
  kTagShowFrame = 1,
  kTagSetBackgroundColor = 9,
  kTagDoAction = 12,
  kTagFileAttributes = 69,
  kTagDoAbc = 72,
  kTagDoAbcDefine = 82,
};
constexpr std::uint8_t kActionGetUrl = 0x83;
constexpr std::uint8_t kFileAttributesAs3 = 0x08;

void put16(std::vector<std::uint8_t>& b, unsigned v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}
void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  put16(b, v & 0xFFFFu);
  put16(b, v >> 16);
}
std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

struct Tag {
  int code;
  std::size_t start;  // of the tag's header
  std::size_t end;    // past its data
  std::size_t dataStart;
};

// The tags of the main timeline, up to End or the last complete one.
std::vector<Tag> rootTags(const std::vector<std::uint8_t>& b, std::size_t pos) {
  std::vector<Tag> tags;
  while (b.size() - pos >= 2) {
    const std::size_t start = pos;
    const std::uint16_t head = le16(b.data() + pos);
    pos += 2;
    std::size_t length = head & 0x3Fu;
    if (length == 0x3F) {
      if (b.size() - pos < 4) break;
      length = le32(b.data() + pos);
      pos += 4;
    }
    if (length > b.size() - pos) break;
    tags.push_back({head >> 6, start, pos + length, pos});
    pos += length;
    if (tags.back().code == kTagEnd) break;
  }
  return tags;
}

bool isActionScript3(const std::vector<std::uint8_t>& b, const std::vector<Tag>& tags) {
  for (const Tag& t : tags) {
    if (t.code == kTagDoAbc || t.code == kTagDoAbcDefine) return true;
    if (t.code == kTagFileAttributes && t.end > t.dataStart && (b[t.dataStart] & kFileAttributesAs3)) return true;
  }
  return false;
}

}  // namespace

std::vector<std::uint8_t> frameReportTag(int frame) {
  const std::string url = std::string("FSCommand:") + kFrameReportCommand;
  const std::string target = std::to_string(frame);
  std::vector<std::uint8_t> action;  // ActionGetURL url, target; ActionEnd
  action.push_back(kActionGetUrl);
  put16(action, unsigned(url.size() + 1 + target.size() + 1));
  action.insert(action.end(), url.begin(), url.end());
  action.push_back(0);
  action.insert(action.end(), target.begin(), target.end());
  action.push_back(0);
  action.push_back(0);
  std::vector<std::uint8_t> tag;
  put16(tag, unsigned(kTagDoAction) << 6 | unsigned(action.size()));  // always under 63 bytes
  tag.insert(tag.end(), action.begin(), action.end());
  return tag;
}

SwfWithReports addFrameReports(const std::uint8_t* data, std::size_t size) {
  SwfMovie header;
  const std::vector<std::uint8_t> body = readSwfBody(data, size, header);
  if (body.empty()) throw SwfError("The Flash movie's header is cut off.");
  // The frame size (a RECT of 5 + 4 n bits), the rate and the count.
  const std::size_t rectBytes = (5 + 4 * std::size_t(body[0] >> 3) + 7) / 8;
  if (body.size() < rectBytes + 4) throw SwfError("The Flash movie's header is cut off.");
  const std::size_t tagsStart = rectBytes + 4;
  const std::vector<Tag> tags = rootTags(body, tagsStart);

  SwfWithReports out;
  out.actionScript3 = isActionScript3(body, tags);
  out.reportsFrames = !out.actionScript3;
  std::vector<std::uint8_t>& m = out.movie;
  m = {'F', 'W', 'S', std::uint8_t(header.version), 0, 0, 0, 0};
  m.insert(m.end(), body.begin(), body.begin() + std::ptrdiff_t(tagsStart));
  int frame = 0;
  bool ended = false;
  for (const Tag& t : tags) {
    if (t.code == kTagShowFrame && out.reportsFrames && frame < kMaxFrameReports) {
      const std::vector<std::uint8_t> report = frameReportTag(frame);
      m.insert(m.end(), report.begin(), report.end());
      ++out.reports;
    }
    if (t.code == kTagSetBackgroundColor && frame == 0 && !out.background && t.end - t.dataStart >= 3) {
      const std::uint8_t* rgb = body.data() + t.dataStart;
      out.background = std::uint32_t(rgb[0]) << 16 | std::uint32_t(rgb[1]) << 8 | rgb[2];
    }
    if (t.code == kTagShowFrame) ++frame;
    m.insert(m.end(), body.begin() + std::ptrdiff_t(t.start), body.begin() + std::ptrdiff_t(t.end));
    ended = t.code == kTagEnd;
  }
  if (!ended) put16(m, 0);  // a cut movie still ends cleanly
  const std::uint32_t length = std::uint32_t(m.size());
  std::vector<std::uint8_t> len;
  put32(len, length);
  std::copy(len.begin(), len.end(), m.begin() + 4);
  return out;
}

}  // namespace lumora
