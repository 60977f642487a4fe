// List files: the picture, media, caption and font lists, one entry per line.
//
// Read: entries come back as ANSI (GB18030) bytes; CR, LF and CR LF all end a
// line; an empty line is an empty entry; a final line end adds no entry.
// Lists written here or on Windows are GB18030, lists written by hand on
// Linux are UTF-8, and some GB18030 text is valid UTF-8 too ("一" is D2 BB),
// so the encoding is decided so:
//  - a file that starts with the UTF-8 byte-order mark is UTF-8;
//  - path lists (pictures, media): each line is taken in the reading (UTF-8
//    or GB18030) that names an existing file; GB18030 when both or neither
//    do;
//  - text lists (captions, fonts): UTF-8 when the whole file is valid UTF-8
//    and holds at least one 3- or 4-byte sequence, else GB18030.
// UTF-8 text is converted to ANSI.
//
// Write: ANSI bytes, CR LF after every entry, atomically (temporary file
// beside the target, fsync, rename): a failure throws and leaves the old file
// whole. An entry that itself holds CR or LF comes back as several entries;
// callers keep line breaks out of entries.
#pragma once

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumora {

// A list file that could not be read or written; the message names the file
// and the system's reason.
class ListFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using StringList = std::vector<std::string>;  // entries as ANSI bytes

// What a list holds, which decides how its encoding is read.
enum class ListKind {
  Paths,  // file paths: the picture and media lists
  Text,   // captions and font names
};

// The kind of one of the four list files by its name ("pic.txt" and
// "music.txt" hold paths); any other name holds text.
ListKind listKindOf(const std::filesystem::path& path);

// Whether a path (ANSI bytes) names an existing file; path lists use it to
// pick each line's reading.
using FileExistsTest = std::function<bool(const std::string& ansiPath)>;
bool anyFileExists(const std::string& ansiPath);

// The four list files, by name, in the list folder.
inline constexpr const char* kPictureListFile = "pic.txt";
inline constexpr const char* kMediaListFile = "music.txt";
inline constexpr const char* kCaptionListFile = "label.txt";
inline constexpr const char* kFontListFile = "fontn.txt";

// listFolder() / name.
std::filesystem::path listFilePath(const char* name);

// Creates listFolder() with its missing parents (nothing when it exists).
// Throws ListFileError when it cannot be created.
void ensureListFolder();

// True when a regular file (or a link to one) exists at path.
bool listFileExists(const std::filesystem::path& path);

// The entries of a list file of the given kind; a missing file is an empty
// list. Throws ListFileError when the file exists but cannot be read.
StringList readListFile(const std::filesystem::path& path, ListKind kind);
// The same, with the kind taken from the file's name (listKindOf).
StringList readListFile(const std::filesystem::path& path);

// Splits file contents into entries (line ends and encoding as above).
StringList parseListText(const std::string& bytes, ListKind kind = ListKind::Text,
                         const FileExistsTest& exists = anyFileExists);

// The file's bytes for the entries: each followed by CR LF.
std::string listFileBytes(const StringList& entries);

// Replaces the file whole by the entries, each followed by CR LF.
void writeListFile(const std::filesystem::path& path, const StringList& entries);

}  // namespace lumora
