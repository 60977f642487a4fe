#include "settings/list_file.h"

#include <sys/stat.h>

#include <system_error>

#include "platform/core/ansi.h"
#include "platform/core/atomic_file.h"
#include "platform/core/paths.h"

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

StringList parseListText(const std::string& bytes) {
  std::string_view text(bytes);
  std::string converted;
  if (hasNonAscii(text) && isValidUtf8(text)) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    converted = utf8ToAnsi(text);
    text = converted;
  }
  // CR, LF and CR LF end a line; CR and LF are never part of a GB18030
  // double-byte character, so the bytes can be split as they are.
  StringList entries;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    entries.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) entries.emplace_back(text.substr(start));
  return entries;
}

StringList readListFile(const std::filesystem::path& path) {
  try {
    const std::optional<std::string> bytes = readWholeFile(path);
    return bytes ? parseListText(*bytes) : StringList{};
  } catch (const std::system_error& e) {
    throw ListFileError(e.what());
  }
}

void writeListFile(const std::filesystem::path& path, const StringList& entries) {
  std::string bytes;
  for (const std::string& entry : entries) {
    bytes += entry;
    bytes += "\r\n";
  }
  try {
    writeFileAtomically(path, bytes);
  } catch (const std::system_error& e) {
    throw ListFileError(e.what());
  }
}

}  // namespace lumora
