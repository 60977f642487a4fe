#include "settings/list_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "platform/core/ansi.h"
#include "platform/core/atomic_file.h"
#include "platform/core/paths.h"
#include "platform/core/regular_file.h"

namespace lumora {

std::filesystem::path listFilePath(const char* name) { return listFolder() / name; }

void ensureListFolder() {
  const std::filesystem::path folder = listFolder();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw ListFileError("cannot create the folder " + folder.string() + ": " + error.message());
}

bool listFileExists(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

ListKind listKindOf(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  return name == kPictureListFile || name == kMediaListFile ? ListKind::Paths : ListKind::Text;
}

bool anyFileExists(const std::string& ansiPath) {
  struct stat info {};
  return ::stat(pathFromAnsi(ansiPath).c_str(), &info) == 0;
}

namespace {

// Largest list file read (a list of a million long paths is well below).
constexpr std::size_t kMaxListFileBytes = std::size_t(256) << 20;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// True when valid UTF-8 text holds a 3- or 4-byte sequence (in valid UTF-8
// only their lead bytes are 0xE0 or above).
bool hasLongUtf8Sequence(std::string_view utf8) {
  for (const char c : utf8)
    if (static_cast<unsigned char>(c) >= 0xE0) return true;
  return false;
}

// CR, LF and CR LF end a line; CR and LF are never part of a GB18030
// double-byte character or a UTF-8 sequence, so the bytes can be split as
// they are, before the encoding is known.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// One line of a path list: the UTF-8 reading only when it names an existing
// file and the GB18030 reading does not.
std::string pathLine(std::string_view line, const FileExistsTest& exists) {
  std::string gb(line);
  if (!hasNonAscii(line) || !isValidUtf8(line)) return gb;
  std::string utf8 = utf8ToAnsi(line);
  if (exists(utf8) && !exists(gb)) return utf8;
  return gb;
}

}  // namespace

StringList parseListText(const std::string& bytes, ListKind kind, const FileExistsTest& exists) {
  std::string_view text(bytes);
  const bool marked = text.starts_with(kUtf8Mark);
  if (marked) text.remove_prefix(kUtf8Mark.size());
  const bool wholeUtf8 = marked || (kind == ListKind::Text && isValidUtf8(text) && hasLongUtf8Sequence(text));

  StringList entries;
  for (const std::string_view line : splitLines(text)) {
    if (wholeUtf8)
      entries.push_back(hasNonAscii(line) ? utf8ToAnsi(line) : std::string(line));
    else if (kind == ListKind::Paths)
      entries.push_back(pathLine(line, exists));
    else
      entries.emplace_back(line);
  }
  return entries;
}

StringList readListFile(const std::filesystem::path& path, ListKind kind) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = readRegularFile(path.string(), kMaxListFileBytes);
  } catch (const RegularFileError& e) {
    if (e.kind() == RegularFileError::Kind::Open && e.error() == ENOENT) return {};
    throw ListFileError(e.what());
  }
  return parseListText(std::string(bytes.begin(), bytes.end()), kind);
}

StringList readListFile(const std::filesystem::path& path) { return readListFile(path, listKindOf(path)); }

std::string listFileBytes(const StringList& entries) {
  std::string bytes;
  for (const std::string& entry : entries) {
    bytes += entry;
    bytes += "\r\n";
  }
  return bytes;
}

void writeListFile(const std::filesystem::path& path, const StringList& entries) {
  try {
    writeFileAtomically(path, listFileBytes(entries));
  } catch (const std::system_error& e) {
    throw ListFileError(e.what());
  }
}

}  // namespace lumora
