#include "platform/core/registry_file.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
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

[[noreturn]] void parseError(std::size_t line, const std::string& what) {
  throw RegistryError("line " + std::to_string(line) + ": " + what);
}

// Reads a quoted string starting at text[0] == '"'; returns its bytes and
// leaves `text` after the closing quote. "\\" and "\"" are escapes; any other
// backslash stands for itself.
std::string readQuoted(std::string_view& text, std::size_t line) {
  std::string out;
  std::size_t i = 1;
  for (;;) {
    if (i >= text.size()) parseError(line, "a quoted text has no closing quote");
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
  return out;
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
                  : (c >= 'a' && c <= 'f')                   ? c - 'a' + 10
                  : (c >= 'A' && c <= 'F')                   ? c - 'A' + 10
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
  if (const std::size_t end = bytes.find('\0'); end != std::string::npos) bytes.resize(end);
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

std::filesystem::path asidePathOf(const std::filesystem::path& path) {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string base = path.string() + ".bad-" + stamp;
  std::filesystem::path aside(base);
  for (int n = 2; std::filesystem::exists(std::filesystem::symlink_status(aside)); ++n)
    aside = base + "-" + std::to_string(n);
  return aside;
}

// Reads and parses the file; the caller holds the lock. An unparsable file is
// renamed aside with a message on standard error.
RegistryFile loadUnlocked(const std::filesystem::path& path) {
  std::optional<std::string> text;
  try {
    text = readWholeFile(path);
  } catch (const std::system_error& e) {
    throw RegistryError(std::string("registry file: ") + e.what());
  }
  RegistryFile registry;
  if (text) {
    try {
      registry = RegistryFile::parse(*text);
    } catch (const RegistryError& e) {
      const std::filesystem::path aside = asidePathOf(path);
      if (std::rename(path.c_str(), aside.c_str()) != 0) {
        const std::error_code error(errno, std::generic_category());
        throw RegistryError("registry file " + path.string() + " cannot be parsed (" + e.what() +
                            ") and cannot be kept aside: " + error.message());
      }
      std::cerr << "lumora: registry file " << path.string() << " cannot be parsed (" << e.what()
                << "); kept aside as " << aside.string() << ", starting with empty settings\n";
      registry = RegistryFile();
    }
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

RegistryFile RegistryFile::parse(std::string_view text) {
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  RegistryFile registry;
  const std::vector<std::string_view> lines = splitLines(text);
  bool headerSeen = false;
  Key* current = nullptr;  // nullptr also inside a "[-key]" section
  bool inDeletedKey = false;
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::size_t lineNumber = index + 1;
    std::string_view line = trimRight(lines[index]);
    if (trimLeft(line).empty()) continue;
    if (!headerSeen) {
      if (trimLeft(line) != kHeader) parseError(lineNumber, "the file does not start with REGEDIT4");
      headerSeen = true;
      continue;
    }
    line = trimLeft(line);
    if (line.front() == ';') continue;
    if (line.front() == '[') {
      if (line.back() != ']') parseError(lineNumber, "a key line does not end with ]");
      std::string_view key = line.substr(1, line.size() - 2);
      if (!key.empty() && key.front() == '-') {
        key.remove_prefix(1);
        const std::string folded = foldAnsiCase(key);
        std::erase_if(registry.keys_, [&](const Key& k) {
          const std::string f = foldAnsiCase(k.path);
          return f == folded || f.starts_with(folded + "\\");
        });
        current = nullptr;
        inDeletedKey = true;
        continue;
      }
      if (key.empty()) parseError(lineNumber, "a key has no name");
      current = &registry.ensureKey(key);
      inDeletedKey = false;
      continue;
    }
    if (!current && !inDeletedKey) parseError(lineNumber, "a value stands before any key");

    std::string name;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else if (line.front() == '"') {
      name = readQuoted(line, lineNumber);
    } else {
      parseError(lineNumber, "a value line starts with neither \" nor @");
    }
    line = trimLeft(line);
    if (line.empty() || line.front() != '=') parseError(lineNumber, "a value has no =");
    line = trimLeft(line.substr(1));

    Value value;
    value.name = name;
    bool remove = false;
    if (!line.empty() && line.front() == '"') {
      value.type = Type::String;
      value.data = readQuoted(line, lineNumber);
      if (!trimLeft(line).empty()) parseError(lineNumber, "text follows a quoted value");
    } else if (startsWithNoCase(line, "dword:")) {
      const std::optional<std::uint32_t> number = parseHexDword(line.substr(6));
      if (!number) parseError(lineNumber, "a dword is not 1 to 8 hexadecimal digits");
      value.type = Type::Dword;
      value.dword = *number;
    } else if (line == "-") {
      remove = true;
    } else {
      // hex data, possibly continued over several lines ending in '\'.
      std::string data(line);
      while (!data.empty() && data.back() == '\\') {
        data.pop_back();
        if (++index >= lines.size()) parseError(lineNumber, "a continued value has no next line");
        data += trimLeft(trimRight(lines[index]));
      }
      if (!isOtherTypeData(data)) parseError(lineNumber, "a value has data of no known form");
      if (std::optional<std::string> text = stringFromHex1(data)) {
        value.type = Type::String;
        value.data = std::move(*text);
      } else {
        value.type = Type::Other;
        value.data = std::move(data);
      }
    }
    if (inDeletedKey) continue;
    const std::string folded = foldAnsiCase(value.name);
    auto it = std::find_if(current->values.begin(), current->values.end(),
                           [&](const Value& v) { return foldAnsiCase(v.name) == folded; });
    if (remove) {
      if (it != current->values.end()) current->values.erase(it);
    } else if (it != current->values.end()) {
      value.name = it->name;
      *it = std::move(value);
    } else {
      current->values.push_back(std::move(value));
    }
  }
  return registry;
}

std::string RegistryFile::serialize() const {
  std::string out(kHeader);
  out += kLineEnd;
  for (const Key& key : keys_) {
    out += kLineEnd;
    out += "[" + key.path + "]";
    out += kLineEnd;
    for (const Value& value : key.values) {
      out += value.name.empty() ? std::string("@") : quote(value.name);
      out += "=";
      switch (value.type) {
        case Type::Dword: {
          char digits[9];
          std::snprintf(digits, sizeof digits, "%08x", value.dword);
          out += "dword:";
          out += digits;
          break;
        }
        case Type::String:
          out += needsHex1(value.data) ? hex1FromString(value.data) : quote(value.data);
          break;
        case Type::Other:
          out += value.data;
          break;
      }
      out += kLineEnd;
    }
  }
  out += kLineEnd;
  return out;
}

RegistryFile RegistryFile::load(const std::filesystem::path& path) {
  // Readers need no lock: writers replace the file by a rename, so a reader
  // sees either the old file or the new one. Only keeping a bad file aside
  // must not race with a writer.
  std::optional<std::string> text;
  try {
    text = readWholeFile(path);
  } catch (const std::system_error& e) {
    throw RegistryError(std::string("registry file: ") + e.what());
  }
  if (text) {
    try {
      RegistryFile registry = parse(*text);
      registry.setPath(path);
      return registry;
    } catch (const RegistryError&) {
      FileLock lock(lockPathOf(path));
      return loadUnlocked(path);
    }
  }
  RegistryFile registry;
  registry.setPath(path);
  return registry;
}

bool RegistryFile::update(const std::filesystem::path& path,
                          const std::function<bool(RegistryFile&)>& change) {
  std::optional<FileLock> lock;
  lockForUpdate(lock, path);
  RegistryFile registry = loadUnlocked(path);
  if (!change(registry)) return false;
  writeUnlocked(path, registry.serialize());
  return true;
}

bool RegistryFile::updateTogether(const std::filesystem::path& path, AtomicFileSet& files,
                                  const std::function<bool(RegistryFile&)>& change) {
  std::optional<FileLock> lock;
  lockForUpdate(lock, path);
  RegistryFile registry = loadUnlocked(path);
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

RegistryFile::Key* RegistryFile::findKey(std::string_view key) {
  const std::string folded = foldAnsiCase(key);
  for (Key& k : keys_)
    if (foldAnsiCase(k.path) == folded) return &k;
  return nullptr;
}

const RegistryFile::Key* RegistryFile::findKey(std::string_view key) const {
  return const_cast<RegistryFile*>(this)->findKey(key);
}

RegistryFile::Key& RegistryFile::ensureKey(std::string_view key) {
  if (Key* found = findKey(key)) return *found;
  keys_.push_back(Key{std::string(key), {}});
  return keys_.back();
}

const RegistryFile::Value* RegistryFile::findValue(std::string_view key, std::string_view name) const {
  const Key* k = findKey(key);
  if (!k) return nullptr;
  const std::string folded = foldAnsiCase(name);
  for (const Value& v : k->values)
    if (foldAnsiCase(v.name) == folded) return &v;
  return nullptr;
}

RegistryFile::Value& RegistryFile::ensureValue(std::string_view key, std::string_view name) {
  Key& k = ensureKey(key);
  const std::string folded = foldAnsiCase(name);
  for (Value& v : k.values)
    if (foldAnsiCase(v.name) == folded) return v;
  k.values.push_back(Value{std::string(name), Type::String, 0, {}});
  return k.values.back();
}

bool RegistryFile::keyExists(std::string_view key) const {
  const std::string folded = foldAnsiCase(key);
  const std::string below = folded + "\\";
  return std::any_of(keys_.begin(), keys_.end(), [&](const Key& k) {
    const std::string f = foldAnsiCase(k.path);
    return f == folded || f.starts_with(below);
  });
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
  Key* k = findKey(key);
  if (!k) return false;
  const std::string folded = foldAnsiCase(name);
  const auto removed = std::erase_if(k->values, [&](const Value& v) { return foldAnsiCase(v.name) == folded; });
  return removed > 0;
}

}  // namespace lumora
