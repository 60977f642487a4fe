#include "platform/core/registry_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>
#include <system_error>

#include "platform/core/ansi.h"
#include "platform/core/atomic_file.h"

namespace lumora {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kLineEnd = "\r\n";

std::string_view trimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string_view trimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

// Reads a quoted string starting at text[0] == '"' into out and leaves `text`
// after the closing quote; false when it has none. "\\" and "\"" are
// escapes; any other backslash stands for itself.
bool readQuoted(std::string_view& text, std::string& out) {
  out.clear();
  std::size_t i = 1;
  for (;;) {
    if (i >= text.size()) return false;
    const char c = text[i];
    if (c == '"') break;
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
      out.push_back(text[i + 1]);
      i += 2;
      continue;
    }
    out.push_back(c);
    ++i;
  }
  text.remove_prefix(i + 1);
  return true;
}

std::string quote(std::string_view bytes) {
  std::string out = "\"";
  for (const char c : bytes) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

std::optional<std::uint32_t> parseHexDword(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : digits) {
    const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                  : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                  : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                              : -1;
    if (d < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(d);
  }
  return value;
}

// The raw data of another registry type: hex:..., hex(N):...
bool isOtherTypeData(std::string_view data) {
  if (!startsWithNoCase(data, "hex")) return false;
  data.remove_prefix(3);
  if (!data.empty() && data.front() == '(') {
    const std::size_t close = data.find(')');
    if (close == std::string_view::npos || close == 1) return false;
    for (std::size_t i = 1; i < close; ++i)
      if (!std::isxdigit(static_cast<unsigned char>(data[i]))) return false;
    data.remove_prefix(close + 1);
  }
  if (data.empty() || data.front() != ':') return false;
  for (const char c : data.substr(1))
    if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ',' && c != ' ' && c != '\t') return false;
  return true;
}

// A string held as hex(1) data (bytes ending in a 0 byte): the form this
// file uses for strings with line breaks, which a quoted string cannot hold.
std::optional<std::string> stringFromHex1(std::string_view data) {
  if (!startsWithNoCase(data, "hex(1):")) return std::nullopt;
  data.remove_prefix(7);
  std::string bytes;
  std::string digits;
  auto flush = [&]() -> bool {
    if (digits.empty()) return true;
    const std::optional<std::uint32_t> byte = parseHexDword(digits);
    if (!byte || *byte > 0xFF || digits.size() > 2) return false;
    bytes.push_back(static_cast<char>(*byte));
    digits.clear();
    return true;
  };
  for (const char c : data) {
    if (c == ',') {
      if (!flush()) return std::nullopt;
    } else if (c != ' ' && c != '\t') {
      digits.push_back(c);
    }
  }
  if (!flush()) return std::nullopt;
  // The data ends in the string's terminating 0 byte; 0 bytes before it are
  // the string's own.
  if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
  return bytes;
}

std::string hex1FromString(std::string_view bytes) {
  std::string out = "hex(1):";
  char digits[4];
  for (const char c : bytes) {
    std::snprintf(digits, sizeof digits, "%02x,", static_cast<unsigned char>(c));
    out += digits;
  }
  return out + "00";
}

bool needsHex1(std::string_view bytes) {
  return bytes.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Splits text into lines on LF, CR LF or CR.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::filesystem::path lockPathOf(const std::filesystem::path& path) {
  return std::filesystem::path(path.string() + ".lock");
}

// Takes the registry file's lock for a read-change-write, or fails with the
// registry's error.
void lockForUpdate(std::optional<FileLock>& lock, const std::filesystem::path& path) {
  try {
    lock.emplace(lockPathOf(path));
  } catch (const std::system_error& e) {
    throw RegistryError(std::string("registry file: ") + e.what());
  }
}

// Reads and parses the file, saying on standard error what it had to keep
// unread. A missing file is an empty registry.
RegistryFile readRegistry(const std::filesystem::path& path) {
  std::optional<std::string> text;
  try {
    text = readWholeFile(path, kMaxRegistryFileBytes);
  } catch (const std::system_error& e) {
    if (e.code() == std::errc::file_too_large)
      throw RegistryError("registry file " + path.string() + " is larger than " +
                          std::to_string(kMaxRegistryFileBytes >> 20) + " MB: not read");
    throw RegistryError(std::string("registry file: ") + e.what());
  }
  RegistryFile registry = text ? RegistryFile::parse(*text) : RegistryFile();
  if (const std::vector<std::string>& problems = registry.problems(); !problems.empty()) {
    std::cerr << "lumora: registry file " << path.string() << ": " << problems.size()
              << (problems.size() == 1 ? " line" : " lines") << " cannot be read and will be kept as written ("
              << problems.front() << (problems.size() > 1 ? ", ..." : "") << ")\n";
  }
  registry.setPath(path);
  return registry;
}

void writeUnlocked(const std::filesystem::path& path, const std::string& text) {
  try {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    writeFileAtomically(path, text, 0600);
  } catch (const std::system_error& e) {  // filesystem_error included
    throw RegistryError(std::string("registry file: ") + e.what());
  }
}

// One value line (with the lines it continues onto, which advance `index`):
// its name and value, or why it cannot be read.
struct ValueLine {
  const char* error = nullptr;
  std::string name;
  RegistryFile::Type type = RegistryFile::Type::String;
  std::uint32_t dword = 0;
  std::string data;
  bool remove = false;  // "name"=-
};

ValueLine readValueLine(std::string_view line, const std::vector<std::string_view>& lines, std::size_t& index) {
  ValueLine value;
  auto fail = [&](const char* why) {
    value.error = why;
    return std::move(value);
  };
  if (line.front() == '@') {
    line.remove_prefix(1);
  } else if (line.front() == '"') {
    if (!readQuoted(line, value.name)) return fail("a quoted text has no closing quote");
  } else {
    return fail("a value line starts with neither \" nor @");
  }
  line = trimLeft(line);
  if (line.empty() || line.front() != '=') return fail("a value has no =");
  line = trimLeft(line.substr(1));

  if (!line.empty() && line.front() == '"') {
    if (!readQuoted(line, value.data)) return fail("a quoted text has no closing quote");
    if (!trimLeft(line).empty()) return fail("text follows a quoted value");
    value.type = RegistryFile::Type::String;
  } else if (startsWithNoCase(line, "dword:")) {
    const std::optional<std::uint32_t> number = parseHexDword(line.substr(6));
    if (!number) return fail("a dword is not 1 to 8 hexadecimal digits");
    value.type = RegistryFile::Type::Dword;
    value.dword = *number;
  } else if (line == "-") {
    value.remove = true;
  } else {
    // hex data, possibly continued over several lines: each line that ends
    // in '\' goes on with the next one.
    std::string data(line);
    for (std::string_view piece = line; piece.ends_with('\\');) {
      data.pop_back();
      if (index + 1 >= lines.size()) return fail("a continued value has no next line");
      piece = trimLeft(trimRight(lines[++index]));
      data += piece;
    }
    if (!isOtherTypeData(data)) return fail("a value has data of no known form");
    if (std::optional<std::string> text = stringFromHex1(data)) {
      value.type = RegistryFile::Type::String;
      value.data = std::move(*text);
    } else {
      value.type = RegistryFile::Type::Other;
      value.data = std::move(data);
    }
  }
  return value;
}

void writeValue(std::string& out, std::string_view name, RegistryFile::Type type, std::uint32_t dword,
                std::string_view data) {
  out += name.empty() ? std::string("@") : quote(name);
  out += "=";
  switch (type) {
    case RegistryFile::Type::Dword: {
      char digits[9];
      std::snprintf(digits, sizeof digits, "%08x", dword);
      out += "dword:";
      out += digits;
      break;
    }
    case RegistryFile::Type::String:
      out += needsHex1(data) ? hex1FromString(data) : quote(data);
      break;
    case RegistryFile::Type::Other:
      out += data;
      break;
  }
  out += kLineEnd;
}

// Kept lines as they were. When the last one ends in '\' (a value that was
// to continue past the end of the file), a comment line follows for it to
// continue onto: otherwise it would take in the line written after it, and
// that comment keeps the value unreadable, as it was.
void writeKept(std::string& out, const std::vector<std::string>& kept) {
  for (const std::string& line : kept) {
    out += line;
    out += kLineEnd;
  }
  if (!kept.empty() && trimRight(kept.back()).ends_with('\\')) {
    out += "; (the line above continued past the end of the file)";
    out += kLineEnd;
  }
}

}  // namespace

std::string foldAnsiCase(std::string_view ansi) {
  std::string out(ansi);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t length = gb18030SequenceLength(out, i);
    if (length == 1 && out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
    i += length;
  }
  return out;
}

RegistryFile::Section& RegistryFile::addSection(Section section) {
  sections_.push_back(std::move(section));
  return sections_.back();
}

void RegistryFile::removeKeyTree(const std::string& foldedKey) {
  if (auto it = keyIndex_.find(foldedKey); it != keyIndex_.end()) {
    sections_[it->second].removed = true;
    keyIndex_.erase(it);
  }
  const std::string below = foldedKey + "\\";
  for (auto it = keyIndex_.lower_bound(below); it != keyIndex_.end() && it->first.starts_with(below);) {
    sections_[it->second].removed = true;
    it = keyIndex_.erase(it);
  }
}

RegistryFile RegistryFile::parse(std::string_view text) {
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  RegistryFile registry;
  const std::vector<std::string_view> lines = splitLines(text);
  bool headerSeen = false;
  // Where lines go: a key, the lines of no key (before the first key line,
  // under a key line that cannot be read), or a deleted key ("[-key]").
  enum class Place { NoKey, Key, DeletedKey } place = Place::NoKey;
  std::size_t current = 0;
  bool haveSection = false;

  auto keep = [&](std::size_t first, std::size_t last, std::string why) {
    if (!haveSection) {
      registry.addSection(Section{{}, {}, false, false, {}, {}});
      current = registry.sections_.size() - 1;
      haveSection = true;
    }
    Value kept;
    for (std::size_t i = first; i <= last; ++i) kept.kept.emplace_back(lines[i]);
    registry.sections_[current].values.push_back(std::move(kept));
    if (!why.empty()) registry.problems_.push_back("line " + std::to_string(first + 1) + ": " + why);
  };
  auto openNoKey = [&](std::string_view header, Place where) {
    registry.addSection(Section{{}, std::string(header), false, false, {}, {}});
    current = registry.sections_.size() - 1;
    haveSection = true;
    place = where;
  };

  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::size_t first = index;
    std::string_view line = trimLeft(trimRight(lines[index]));
    if (line.empty()) continue;
    if (!headerSeen) {
      headerSeen = true;
      if (line == kHeader) continue;
      // Read on: the lines themselves may be fine.
      registry.problems_.push_back("line " + std::to_string(index + 1) + ": the file does not start with REGEDIT4");
    }
    if (line.front() == ';') continue;
    if (line.front() == '[') {
      std::string_view key = line.substr(1, line.size() - 1);
      if (line.back() != ']' || line.size() < 2) {
        openNoKey(lines[index], Place::NoKey);
        registry.problems_.push_back("line " + std::to_string(index + 1) + ": a key line does not end with ]");
        continue;
      }
      key.remove_suffix(1);
      if (!key.empty() && key.front() == '-') {
        key.remove_prefix(1);
        registry.removeKeyTree(foldAnsiCase(key));
        openNoKey(lines[index], Place::DeletedKey);
        continue;
      }
      if (key.empty()) {
        openNoKey(lines[index], Place::NoKey);
        registry.problems_.push_back("line " + std::to_string(index + 1) + ": a key has no name");
        continue;
      }
      Section& section = registry.ensureKey(key);
      current = static_cast<std::size_t>(&section - registry.sections_.data());
      haveSection = true;
      place = Place::Key;
      continue;
    }

    ValueLine value = readValueLine(line, lines, index);
    if (value.error) {
      keep(first, index, value.error);
      continue;
    }
    if (place == Place::DeletedKey) continue;
    if (place == Place::NoKey) {
      // Under a key line that cannot be read the line is fine: its key is not.
      const bool underUnreadKey = haveSection && !registry.sections_[current].header.empty();
      keep(first, index, underUnreadKey ? std::string() : std::string("a value stands before any key"));
      continue;
    }
    Section& section = registry.sections_[current];
    const std::string folded = foldAnsiCase(value.name);
    const auto found = section.index.find(folded);
    if (value.remove) {
      if (found != section.index.end()) {
        section.values[found->second].removed = true;
        section.index.erase(found);
      }
      continue;
    }
    Value stored{std::move(value.name), value.type, value.dword, std::move(value.data), false, {}};
    if (found != section.index.end()) {
      Value& old = section.values[found->second];
      stored.name = std::move(old.name);
      old = std::move(stored);
    } else {
      section.index.emplace(folded, section.values.size());
      section.values.push_back(std::move(stored));
    }
  }
  return registry;
}

std::string RegistryFile::serialize() const {
  std::string out(kHeader);
  out += kLineEnd;
  for (const Section& section : sections_) {
    if (section.removed) continue;
    if (!section.isKey && section.values.empty()) continue;
    out += kLineEnd;
    if (section.isKey) {
      out += "[" + section.path + "]";
      out += kLineEnd;
    } else if (!section.header.empty()) {
      out += section.header;
      out += kLineEnd;
    }
    for (const Value& value : section.values) {
      if (value.removed) continue;
      if (!value.kept.empty())
        writeKept(out, value.kept);
      else
        writeValue(out, value.name, value.type, value.dword, value.data);
    }
  }
  out += kLineEnd;
  return out;
}

RegistryFile RegistryFile::load(const std::filesystem::path& path) {
  // Readers need no lock: writers replace the file by a rename, so a reader
  // sees either the old file or the new one.
  return readRegistry(path);
}

bool RegistryFile::update(const std::filesystem::path& path, const std::function<bool(RegistryFile&)>& change) {
  std::optional<FileLock> lock;
  lockForUpdate(lock, path);
  RegistryFile registry = readRegistry(path);
  if (!change(registry)) return false;
  writeUnlocked(path, registry.serialize());
  return true;
}

bool RegistryFile::updateTogether(const std::filesystem::path& path, AtomicFileSet& files,
                                  const std::function<bool(RegistryFile&)>& change) {
  std::optional<FileLock> lock;
  lockForUpdate(lock, path);
  RegistryFile registry = readRegistry(path);
  if (!change(registry)) return false;
  try {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    files.stage(path, registry.serialize(), 0600);
  } catch (const std::system_error& e) {  // filesystem_error included
    throw RegistryError(std::string("registry file: ") + e.what());
  }
  files.commit();  // its error names the file it could not replace
  return true;
}

void RegistryFile::save() const {
  if (path_.empty()) throw RegistryError("registry file: no file to save to");
  try {
    FileLock lock(lockPathOf(path_));
    writeUnlocked(path_, serialize());
  } catch (const std::system_error& e) {
    throw RegistryError(std::string("registry file: ") + e.what());
  }
}

RegistryFile::Section* RegistryFile::findKey(std::string_view key) {
  const auto found = keyIndex_.find(foldAnsiCase(key));
  return found == keyIndex_.end() ? nullptr : &sections_[found->second];
}

const RegistryFile::Section* RegistryFile::findKey(std::string_view key) const {
  return const_cast<RegistryFile*>(this)->findKey(key);
}

RegistryFile::Section& RegistryFile::ensureKey(std::string_view key) {
  if (Section* found = findKey(key)) return *found;
  keyIndex_.emplace(foldAnsiCase(key), sections_.size());
  return addSection(Section{std::string(key), {}, true, false, {}, {}});
}

const RegistryFile::Value* RegistryFile::findValue(std::string_view key, std::string_view name) const {
  const Section* section = findKey(key);
  if (!section) return nullptr;
  const auto found = section->index.find(foldAnsiCase(name));
  return found == section->index.end() ? nullptr : &section->values[found->second];
}

RegistryFile::Value& RegistryFile::ensureValue(std::string_view key, std::string_view name) {
  Section& section = ensureKey(key);
  const auto [slot, added] = section.index.emplace(foldAnsiCase(name), section.values.size());
  if (added) section.values.push_back(Value{std::string(name), Type::String, 0, {}, false, {}});
  return section.values[slot->second];
}

bool RegistryFile::keyExists(std::string_view key) const {
  const std::string folded = foldAnsiCase(key);
  if (keyIndex_.contains(folded)) return true;
  const std::string below = folded + "\\";
  const auto next = keyIndex_.lower_bound(below);
  return next != keyIndex_.end() && next->first.starts_with(below);
}
std::vector<RegistryFile::ValueView> RegistryFile::values() const {
  std::vector<ValueView> out;
  for (const Section& section : sections_) {
    if (!section.isKey || section.removed) continue;
    for (const Value& v : section.values)
      if (!v.removed && v.kept.empty()) out.push_back(ValueView{section.path, v.name, v.type, v.dword, v.data});
  }
  return out;
}

bool RegistryFile::valueExists(std::string_view key, std::string_view name) const {
  return findValue(key, name) != nullptr;
}

std::optional<RegistryFile::Type> RegistryFile::valueType(std::string_view key, std::string_view name) const {
  const Value* v = findValue(key, name);
  if (!v) return std::nullopt;
  return v->type;
}

std::optional<std::uint32_t> RegistryFile::dword(std::string_view key, std::string_view name) const {
  const Value* v = findValue(key, name);
  if (!v || v->type != Type::Dword) return std::nullopt;
  return v->dword;
}

std::optional<std::string> RegistryFile::string(std::string_view key, std::string_view name) const {
  const Value* v = findValue(key, name);
  if (!v || v->type != Type::String) return std::nullopt;
  return v->data;
}

void RegistryFile::setDword(std::string_view key, std::string_view name, std::uint32_t value) {
  Value& v = ensureValue(key, name);
  v.type = Type::Dword;
  v.dword = value;
  v.data.clear();
}

void RegistryFile::setString(std::string_view key, std::string_view name, std::string_view ansi) {
  Value& v = ensureValue(key, name);
  v.type = Type::String;
  v.dword = 0;
  v.data = std::string(ansi);
}

void RegistryFile::createKey(std::string_view key) { ensureKey(key); }

bool RegistryFile::deleteValue(std::string_view key, std::string_view name) {
  Section* section = findKey(key);
  if (!section) return false;
  const auto found = section->index.find(foldAnsiCase(name));
  if (found == section->index.end()) return false;
  section->values[found->second].removed = true;
  section->index.erase(found);
  return true;
}

}  // namespace lumora
