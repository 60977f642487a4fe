// The list-file reader: any bytes, read as a path list and as a text list,
// give entries without a crash; no entry holds a line break, and entries
// written and read again are as many (the reading may take written GB18030
// text as UTF-8, so their bytes may differ).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/list_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lumora;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // Which readings name a file is decided by the input, not the disk.
  const FileExistsTest exists = [](const std::string& path) { return !path.empty() && (path.back() & 1); };
  for (const ListKind kind : {ListKind::Paths, ListKind::Text}) {
    const StringList entries = parseListText(bytes, kind, exists);
    for (const std::string& entry : entries)
      if (entry.find_first_of("\r\n") != std::string::npos) std::abort();
    if (kind == ListKind::Text) {
      if (parseListText(listFileBytes(entries), ListKind::Text, exists).size() != entries.size()) std::abort();
    }
  }
  return 0;
}
