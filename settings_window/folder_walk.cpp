#include "settings_window/folder_walk.h"

#include <sys/stat.h>

#include <set>
#include <utility>

#include "settings_window/dir_scan.h"
#include "settings_window/file_masks.h"
#include "settings_window/file_names.h"

namespace lumora {

namespace {

class Walk {
 public:
  Walk(const std::string& mask, const std::function<bool(std::size_t)>& keepGoing)
      : mask_(mask), keepGoing_(keepGoing) {}

  // False when the walk was cancelled.
  bool folder(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return true;
    if (!seen_.insert({info.st_dev, info.st_ino}).second) return true;
    const std::vector<FolderEntry> entries = readFolderEntries(path);
    for (const FolderEntry& e : entries) {
      if (e.directory || e.name.starts_with('.') || !matchesMask(e.name, mask_)) continue;
      files_.push_back(joinFolderAndName(path, e.name));
    }
    if (keepGoing_ && !keepGoing_(files_.size())) return false;
    for (const FolderEntry& e : entries)
      if (e.directory && !e.name.starts_with('.') && !folder(joinFolderAndName(path, e.name) + "/")) return false;
    return true;
  }

  std::vector<std::string> take() { return std::move(files_); }

 private:
  const std::string& mask_;
  const std::function<bool(std::size_t)>& keepGoing_;
  std::set<std::pair<dev_t, ino_t>> seen_;
  std::vector<std::string> files_;
};

}  // namespace

std::optional<std::vector<std::string>> walkMatchingFiles(const std::string& folder, const std::string& mask,
                                                          const std::function<bool(std::size_t found)>& keepGoing) {
  Walk walk(mask, keepGoing);
  if (!walk.folder(folder.empty() || folder.back() == '/' ? folder : folder + "/")) return std::nullopt;
  return walk.take();
}

}  // namespace lumora
