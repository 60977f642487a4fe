// The ANSI code page of this system: GB18030 (a superset of GB2312 and GBK
// that holds every Unicode character). Text that is measured in bytes
// (captions, stored texts, list entries, registry strings) is kept as ANSI
// bytes in std::string; it becomes UTF-8 only where it meets the screen, Qt or
// the file system.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace lumora {

// ANSI (GB18030) bytes to UTF-8. Lossless for every valid GB18030 sequence;
// a byte that starts no valid sequence becomes U+FFFD.
std::string ansiToUtf8(std::string_view ansi);

// UTF-8 to ANSI (GB18030) bytes, lossless for every Unicode scalar value
// except 24 private-use code points (U+E78D to U+E864) that GB18030-2022
// gave up for standard characters. A character that has no GB18030 form and
// each malformed UTF-8 byte become one '?'.
std::string utf8ToAnsi(std::string_view utf8);

// The length in ANSI bytes of a UTF-8 text (a GB2312 character counts 2).
std::size_t ansiLength(std::string_view utf8);

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates,
// nothing above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// True when some byte is 0x80 or above.
bool hasNonAscii(std::string_view bytes);

// A path given in ANSI bytes (as stored in a list file or a registry string)
// as a file-system path: converted to UTF-8. Bytes that are no valid GB18030
// text are used as they are (file names on Linux are bytes). The separator is
// '/'; '\' is an ordinary character of a name.
std::filesystem::path pathFromAnsi(std::string_view ansi);

// A file-system path as ANSI bytes (the inverse of pathFromAnsi). A path that
// is no valid UTF-8 is returned as it is.
std::string ansiFromPath(const std::filesystem::path& path);

// Length in bytes of the GB18030 sequence that starts at bytes[i]: 1, 2 or 4.
// A byte that starts no complete valid sequence counts 1. Used wherever ANSI
// text is walked character by character (case folding, measuring).
std::size_t gb18030SequenceLength(std::string_view bytes, std::size_t i);

}  // namespace lumora
