#include "saver/core/missing_entries.h"

#include <sys/stat.h>

#include "platform/core/ansi.h"

namespace lumora {

bool entryFileExists(const std::string& ansiPath) {
  struct stat info {};
  return ::stat(pathFromAnsi(ansiPath).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void dropMissingEntries(std::vector<std::string>& entries, const std::function<bool(const std::string&)>& exists) {
  if (entries.empty()) return;
  std::size_t kept = 0;
  const std::size_t last = entries.size() - 1;
  for (std::size_t i = 0; i < last; ++i) {
    if (!exists(entries[i])) continue;
    if (kept != i) entries[kept] = std::move(entries[i]);
    ++kept;
  }
  if (kept != last) entries[kept] = std::move(entries[last]);
  entries.resize(kept + 1);
}

}  // namespace lumora
