// The registry file: the current user's registry keys that Lumora uses, kept
// in one text file in the "REGEDIT4" export format, so that a person can read
// and edit it and a Windows user could import it:
//
//     REGEDIT4
//
//     [HKEY_CURRENT_USER\software\vistel]
//     "order"=dword:00000000
//     "caption"="aAbAcA"
//
// Keys are named by full path ("HKEY_CURRENT_USER\software\vistel"); key
// paths and value names compare without regard to ASCII case (bytes inside a
// double-byte character are never folded). A value keeps its type: dword or
// string; values of other types ("hex:..." and friends) are kept verbatim and
// written back unchanged, but read as missing. Strings are ANSI (GB18030)
// bytes; in the file every '\' and '"' of a string or a value name is escaped
// with '\'; a string with a line break or a NUL byte, which a quoted string
// cannot hold, is written as hex(1) data (its bytes and a 0 byte) and read
// back whole as a string. "@" is a key's default value. Comment lines (';')
// are not kept.
//
// Reading a value as another type than it has gives nothing: it is treated as
// missing (a string read as a dword, a dword read as a string).
//
// Writing goes through a temporary file beside the registry file (write,
// fsync, rename, fsync of the folder) while holding an advisory lock (flock on
// "<file>.lock"), and leaves the file with mode 0600 (it holds the password).
// Use RegistryFile::update for read-modify-write: it loads, changes and saves
// under one lock, so two writers never lose each other's values.
//
// A line that cannot be read never costs the others: every value that can be
// read is kept, and each line that cannot (with the lines it continues onto,
// and the lines under a key line that cannot be read) is kept as it is, in
// its place, and written back unchanged when the file is next written.
// load() says so on standard error; the file itself is never replaced by
// reading. A file larger than kMaxRegistryFileBytes is not read at all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lumora {

class AtomicFileSet;

// A registry file that could not be read or written. The message
// names the file and the system's reason.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The largest registry file read; a larger one is refused with a message.
inline constexpr std::size_t kMaxRegistryFileBytes = std::size_t(16) << 20;

class RegistryFile {
 public:
  enum class Type { Dword, String, Other };

  // An empty registry bound to no file (save() throws until a path is set).
  RegistryFile() = default;

  // Reads the file at path. A missing or empty file gives an empty registry.
  // Lines that cannot be read are kept and reported on standard error (see
  // above). Throws RegistryError when the file exists but cannot be read, or
  // is larger than kMaxRegistryFileBytes.
  static RegistryFile load(const std::filesystem::path& path);

  // Read-modify-write under the lock: loads the file, calls change, and saves
  // the result when change returns true (nothing is written when it returns
  // false). Returns what change returned. Throws RegistryError on a failed
  // write; the old file is then left whole.
  static bool update(const std::filesystem::path& path, const std::function<bool(RegistryFile&)>& change);

  // update() as the last of several files replaced together: under the lock,
  // loads the file and calls change; when it returns true, stages the new
  // text in `files` after what is staged there already and commits them all
  // (the registry file is renamed last), still under the lock. Nothing of
  // `files` is replaced when change returns false or anything fails before
  // the first rename.
  static bool updateTogether(const std::filesystem::path& path, AtomicFileSet& files,
                             const std::function<bool(RegistryFile&)>& change);

  const std::filesystem::path& path() const { return path_; }
  void setPath(std::filesystem::path path) { path_ = std::move(path); }

  // A key exists when it was created or when some key below it exists.
  bool keyExists(std::string_view key) const;
  bool valueExists(std::string_view key, std::string_view name) const;
  std::optional<Type> valueType(std::string_view key, std::string_view name) const;

  // The value when it exists with this type; nothing otherwise.
  std::optional<std::uint32_t> dword(std::string_view key, std::string_view name) const;
  std::optional<std::string> string(std::string_view key, std::string_view name) const;  // ANSI bytes

  // Set a value, creating its key when missing; the value takes the new type.
  // A value that exists keeps its position and the spelling of its name.
  void setDword(std::string_view key, std::string_view name, std::uint32_t value);
  void setString(std::string_view key, std::string_view name, std::string_view ansi);
  void createKey(std::string_view key);
  // Removes a value; returns whether it existed.
  bool deleteValue(std::string_view key, std::string_view name);

  // Writes the whole registry to path() (under the lock, atomically, mode
  // 0600). This replaces what the file holds: prefer update() when other
  // writers may have changed the file since it was loaded.
  void save() const;

  // The file's text, as save() writes it.
  std::string serialize() const;
  // Parses a file's text in one pass (time linear in its length). Lines that
  // cannot be read are kept (see above) and named in problems().
  static RegistryFile parse(std::string_view text);

  // Every value, key by key in file order: what a write and a later read
  // must give back (tests and fuzzing compare with it).
  struct ValueView {
    std::string key, name;  // as first written
    Type type;
    std::uint32_t dword;
    std::string data;  // string bytes, or the raw text after '=' for Other
    bool operator==(const ValueView&) const = default;
  };
  std::vector<ValueView> values() const;

  // What parse() could not read, one entry per kept line or group of lines:
  // "line N: why".
  const std::vector<std::string>& problems() const { return problems_; }

 private:
  // A value, or lines of the file that could not be read (kept non-empty),
  // which are written back as they were and found by no lookup.
  struct Value {
    std::string name;  // as first written
    Type type = Type::String;
    std::uint32_t dword = 0;
    std::string data;  // string bytes, or the raw text after '=' for Other
    bool removed = false;
    std::vector<std::string> kept;
  };
  // A part of the file under one "[...]" line: a key, or (isKey false) the
  // lines before the first key line, or under a key line that cannot be read
  // or that deletes a key ("[-...]"), which hold kept lines only.
  struct Section {
    std::string path;    // a key's path as first written
    std::string header;  // the opening line of a section that is no key ("" before the first key)
    bool isKey = true;
    bool removed = false;
    std::vector<Value> values;
    std::unordered_map<std::string, std::size_t> index;  // folded name -> values index
  };

  Section* findKey(std::string_view key);
  const Section* findKey(std::string_view key) const;
  Section& ensureKey(std::string_view key);
  const Value* findValue(std::string_view key, std::string_view name) const;
  Value& ensureValue(std::string_view key, std::string_view name);
  Section& addSection(Section section);
  void removeKeyTree(const std::string& foldedKey);

  std::filesystem::path path_;
  std::vector<Section> sections_;                // in file order; removed keys stay as gaps
  std::map<std::string, std::size_t> keyIndex_;  // folded path of a live key -> sections_ index
  std::vector<std::string> problems_;
};

// ASCII case folding of ANSI text that leaves the bytes of double-byte
// characters alone: the comparison key of key paths and value names.
std::string foldAnsiCase(std::string_view ansi);

}  // namespace lumora
