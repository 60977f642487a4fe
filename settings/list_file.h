// List files: the picture, media, caption and font lists, one entry per line.
//
// Read: entries come back as ANSI (GB18030) bytes; CR, LF and CR LF all end a
// line; an empty line is an empty entry; a final line end adds no entry. A
// file that is valid UTF-8 and has non-ASCII bytes is taken as UTF-8 (a list
// written by hand on Linux) and converted to ANSI; any other file is taken as
// GB18030 as it is.
//
// Write: ANSI bytes, CR LF after every entry, atomically (temporary file
// beside the target, fsync, rename): a failure throws and leaves the old file
// whole. An entry that itself holds CR or LF comes back as several entries;
// callers keep line breaks out of entries.
#pragma once

#include <filesystem>
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

// The entries of a list file; a missing file is an empty list. Throws
// ListFileError when the file exists but cannot be read.
StringList readListFile(const std::filesystem::path& path);

// Splits file contents into entries (line ends and encoding as above).
StringList parseListText(const std::string& bytes);

// Replaces the file whole by the entries, each followed by CR LF.
void writeListFile(const std::filesystem::path& path, const StringList& entries);

}  // namespace lumora
