// FolderTreeScan: the folder scan that fills a tree view with what it
// finds. Folder nodes carry their ScanRecord (when recordsOnNodes is on) and
// an expand mark when the folder has subfolders; expanding a node reads its
// folder again.
#pragma once

#include <QTreeWidget>
#include <array>
#include <functional>
#include <string>

#include "settings_window/dir_scan.h"

namespace lumora {

class FolderTreeScan : public FolderScan {
 public:
  using FolderDone = std::function<void(FolderScan& sender, const std::string& dirName, int filesFound)>;
  // The level stack: index = level, the node under which that level's
  // folders go.
  static constexpr int kStackSize = 16;

  explicit FolderTreeScan(QTreeWidget* tree = nullptr) : tree(tree) {}
  ~FolderTreeScan() override;

  QTreeWidget* tree;
  bool keepEmptyFolders = false;  // keep folders without subfolders or accepted files
  FolderDone onFolderDone;

  // Replaces the node's children by a fresh scan of its folder.
  void rescanNode(QTreeWidgetItem* node, const std::string& path);
  // The node's folder (or file) path from its record; "" without one.
  std::string nodePath(const QTreeWidgetItem* node) const;
  // The record of a node, or null.
  static const ScanRecord* recordOf(const QTreeWidgetItem* node);

  void fileAdded(const std::string& folder, const FolderEntry& entry) override;
  void dirAdded(const std::string& dir, const FolderEntry& entry) override;
  void dirComplete(const std::string& dir, int count) override;
  void reset() override;
  // Empties the tree and fills it from the folder path ("/"-terminated).
  void scanRoot(const std::string& path) override;
  void releaseNodes() override;
  void deleteCurrentIfChildless() override;

 protected:
  // The stack holds levels 0..15, and a folder added at level L goes to
  // entry L + 1: no folder is added at level 15.
  int storageLimit() const override { return kStackSize - 1; }

 private:
  QTreeWidgetItem* addNode(const ScanRecord& rec, const QIcon& icon);
  QTreeWidgetItem* stackAt(int level) const;
  void setStack(int level, QTreeWidgetItem* node);
  void forgetNode(QTreeWidgetItem* node);

  std::array<QTreeWidgetItem*, kStackSize> stack_{};
  QTreeWidgetItem* current_ = nullptr;
  QTreeWidgetItem* rescanned_ = nullptr;  // the node a rescan runs for: never deleted by it
};

}  // namespace lumora
