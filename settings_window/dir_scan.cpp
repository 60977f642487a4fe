#include "settings_window/dir_scan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

namespace lumora {

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool equalNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

// The extension of a file name from its last dot, dot included ("" when none).
std::string extensionOf(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

}  // namespace

std::vector<FolderEntry> readFolderEntries(const std::string& folder) {
  std::vector<FolderEntry> entries;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return entries;
  while (const dirent* d = ::readdir(dir.get())) {
    const std::string name = d->d_name;
    if (name == "." || name == "..") continue;
    FolderEntry entry;
    entry.name = name;
    struct stat info {};
    const std::string full = folder + name;
    if (::stat(full.c_str(), &info) == 0 || ::lstat(full.c_str(), &info) == 0) {
      entry.directory = S_ISDIR(info.st_mode);
      entry.time = info.st_mtime;
      entry.size = entry.directory ? 0 : std::uint64_t(info.st_size);
    }
    entries.push_back(std::move(entry));
  }
  // Listed by name, as the desktop the tree was made for returns them (a
  // Linux folder returns its entries in no order a person could follow).
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return entries;
}

ScanRecord makeScanRecord(const std::string& folder, const FolderEntry& entry) {
  ScanRecord rec;
  rec.time = entry.time;
  rec.size = entry.size;
  rec.directory = entry.directory;
  rec.name = entry.name;
  rec.path = folder + entry.name + (entry.directory ? "/" : "");
  return rec;
}

void FolderScan::setLevels(int levels) { levels_ = std::clamp(levels, kMinLevels, kMaxLevels); }

void FolderScan::setAcceptedFiles(const std::vector<std::string>& types) {
  acceptedFiles_.clear();
  for (const std::string& t : types) {
    if (t.find('*') == std::string::npos && !t.starts_with('.'))
      acceptedFiles_.push_back("." + t);
    else
      acceptedFiles_.push_back(t);
  }
}

bool FolderScan::accepts(const std::string& fileName) const {
  const std::string ext = extensionOf(fileName);
  for (const std::string& t : acceptedFiles_)
    if (t.find('*') != std::string::npos || equalNoCase(t, ext)) return true;
  return false;
}

bool FolderScan::folderHasChildren(const std::string& dir) const {
  // "." and ".." are never counted, wherever the file system lists them.
  for (const FolderEntry& e : readFolderEntries(dir))
    if (e.directory || accepts(e.name)) return true;
  return false;
}

int FolderScan::levelLimit() const { return std::min(levels_ + levelsRaise_, storageLimit()); }

int FolderScan::scanFolder(const std::string& folder) {
  int count = 0;
  for (const FolderEntry& entry : readFolderEntries(folder)) {
    if (entry.directory) {
      const std::string dir = folder + entry.name + "/";
      bool canAdd = level_ < levelLimit();
      if (onFolderFound) onFolderFound(*this, dir, canAdd);
      // A folder that is not taken is not descended into either: its
      // subfolders would land one level too high and the level count would
      // drift when it completes.
      if (!canAdd) continue;
      dirAdded(dir, entry);
      if (onFolderAdded) onFolderAdded(*this, dir);
      if (recursive && level_ < levelLimit())
        count += scanFolder(dir);
      else
        dirComplete(dir, count);
    } else if (accepts(entry.name)) {
      ++count;
      bool canAdd = true;
      const std::string file = folder + entry.name;
      if (onFileFound) onFileFound(*this, file, canAdd);
      if (canAdd) {
        fileAdded(folder, entry);
        if (onFileAdded) onFileAdded(*this, file);
      }
    }
  }
  dirComplete(folder, count);
  return count;
}

void FolderScan::fileAdded(const std::string&, const FolderEntry&) {}

void FolderScan::dirAdded(const std::string&, const FolderEntry&) {
  if (recursive) level_ = std::max(0, level_ + 1);
}

void FolderScan::dirComplete(const std::string&, int) {
  if (recursive) --level_;
}

void FolderScan::reset() { level_ = 1; }

void FolderScan::scanRoot(const std::string& path) {
  reset();
  scanFolder(path);
}

}  // namespace lumora
