// FolderScan: a scan of a folder tree, a few levels at a time. It walks the
// folders (and the accepted files) of a folder in name order, keeps the
// current level, and calls its virtual operations as it finds, adds and
// completes folders; FolderTreeScan overrides them to fill a tree view.
// Paths use "/" and a folder path always ends with "/".
#pragma once

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumora {

// What the scan knows of one found item; attached to a tree node when
// `recordsOnNodes` is on.
struct ScanRecord {
  std::int64_t time = 0;   // modification time, seconds since 1970
  std::uint64_t size = 0;  // bytes (0 for a folder)
  bool directory = false;  // the attribute that matters here
  std::string name;        // the entry's name
  std::string path;        // folder: its path ending with "/"; file: folder path + name
};

// One entry of a folder as the directory search returns it.
struct FolderEntry {
  std::string name;
  bool directory = false;
  std::int64_t time = 0;
  std::uint64_t size = 0;
};

// The entries of a folder other than "." and "..", sorted by name; a folder
// that cannot be read gives none. A link to a folder counts
// as a folder.
std::vector<FolderEntry> readFolderEntries(const std::string& folder);

class FolderScan {
 public:
  static constexpr int kMinLevels = 2;
  static constexpr int kMaxLevels = 15;

  using FolderFound = std::function<void(FolderScan& sender, const std::string& dirName, bool& canAdd)>;
  using FolderAdded = std::function<void(FolderScan& sender, const std::string& dirName)>;
  using FileFound = std::function<void(FolderScan& sender, const std::string& fileName, bool& canAdd)>;
  using FileAdded = std::function<void(FolderScan& sender, const std::string& fileName)>;

  FolderScan() = default;
  virtual ~FolderScan() = default;
  FolderScan(const FolderScan&) = delete;
  FolderScan& operator=(const FolderScan&) = delete;

  // Depth limit of a scan, kept within kMinLevels..kMaxLevels.
  int levels() const { return levels_; }
  void setLevels(int levels);

  // File types taken into the scan: an entry holding "*" takes every file;
  // an entry without a leading dot gets one; an empty list takes no file.
  const std::vector<std::string>& acceptedFiles() const { return acceptedFiles_; }
  void setAcceptedFiles(const std::vector<std::string>& types);
  bool accepts(const std::string& fileName) const;

  bool recursive = false;       // descend into the folders found
  bool recordsOnNodes = false;  // records on nodes, node paths available

  FolderFound onFolderFound;
  FolderAdded onFolderAdded;
  FileFound onFileFound;
  FileAdded onFileAdded;

  // The current level (1 at the root of a scan).
  int level() const { return level_; }

  // Whether a folder holds a subfolder or an accepted file.
  bool folderHasChildren(const std::string& dir) const;

  // The virtual operations, in their slot order.
  virtual void deleteCurrentIfChildless() {}
  // Scans folder F ("/"-terminated) and returns the count of accepted files
  // found in it and in its scanned subfolders.
  virtual int scanFolder(const std::string& folder);
  virtual void fileAdded(const std::string& folder, const FolderEntry& entry);
  virtual void dirAdded(const std::string& dir, const FolderEntry& entry);
  virtual void dirComplete(const std::string& dir, int count);
  virtual void reset();
  virtual void scanRoot(const std::string& path);
  virtual void releaseNodes() {}

 protected:
  // How deep a scan may go right now: levels() (raised during a rescan), but
  // never beyond what the subclass can hold.
  int levelLimit() const;
  // The deepest level a subclass can hold (its level stack).
  virtual int storageLimit() const { return INT_MAX; }

  int level_ = 1;
  int levelsRaise_ = 0;  // added to levels() while a node is rescanned

 private:
  int levels_ = kMaxLevels;
  std::vector<std::string> acceptedFiles_;
};

// A record for an entry of a folder.
ScanRecord makeScanRecord(const std::string& folder, const FolderEntry& entry);

}  // namespace lumora
