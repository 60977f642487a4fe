#include "settings_window/dir_scan_tree_view.h"

#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <memory>

namespace lumora {

namespace {

// A tree node with the record of what it shows.
class ScanNode : public QTreeWidgetItem {
 public:
  static constexpr int kType = QTreeWidgetItem::UserType + 7;
  ScanNode() : QTreeWidgetItem(kType) {}
  ScanRecord record;
  bool hasRecord = false;
};

int depthOf(const QTreeWidgetItem* node) {
  int depth = 0;
  for (const QTreeWidgetItem* p = node->parent(); p; p = p->parent()) ++depth;
  return depth;
}

QIcon folderIcon() { return QFileIconProvider().icon(QFileIconProvider::Folder); }

// Keeps levels() raised by a node's depth for as long as a rescan runs.
class LevelsRaise {
 public:
  LevelsRaise(int& raise, int by) : raise_(raise) { raise_ = by; }
  ~LevelsRaise() { raise_ = 0; }

 private:
  int& raise_;
};

}  // namespace

FolderTreeScan::~FolderTreeScan() = default;

const ScanRecord* FolderTreeScan::recordOf(const QTreeWidgetItem* node) {
  if (!node || node->type() != ScanNode::kType) return nullptr;
  const auto* scanNode = static_cast<const ScanNode*>(node);
  return scanNode->hasRecord ? &scanNode->record : nullptr;
}

std::string FolderTreeScan::nodePath(const QTreeWidgetItem* node) const {
  const ScanRecord* rec = recordsOnNodes ? recordOf(node) : nullptr;
  return rec ? rec->path : std::string();
}

QTreeWidgetItem* FolderTreeScan::stackAt(int level) const {
  return (level >= 0 && level < kStackSize) ? stack_[std::size_t(level)] : nullptr;
}

void FolderTreeScan::setStack(int level, QTreeWidgetItem* node) {
  if (level >= 0 && level < kStackSize) stack_[std::size_t(level)] = node;
}

void FolderTreeScan::forgetNode(QTreeWidgetItem* node) {
  // The node and everything below it go: no stack entry may keep them.
  for (QTreeWidgetItem*& entry : stack_)
    for (QTreeWidgetItem* p = entry; p; p = p->parent())
      if (p == node) {
        entry = nullptr;
        break;
      }
  if (current_)
    for (QTreeWidgetItem* p = current_; p; p = p->parent())
      if (p == node) {
        current_ = nullptr;
        break;
      }
}

QTreeWidgetItem* FolderTreeScan::addNode(const ScanRecord& rec, const QIcon& icon) {
  auto node = std::make_unique<ScanNode>();
  node->setText(0, QFile::decodeName(QByteArray::fromStdString(rec.name)));
  node->setIcon(0, icon);
  if (recordsOnNodes) {
    node->record = rec;
    node->hasRecord = true;
  }
  node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
  QTreeWidgetItem* parent = stackAt(level_);
  ScanNode* raw = node.release();  // owned by the tree from here on
  if (parent)
    parent->addChild(raw);
  else
    tree->addTopLevelItem(raw);
  return raw;
}

void FolderTreeScan::dirAdded(const std::string& dir, const FolderEntry& entry) {
  const std::string folder = dir.substr(0, dir.size() - entry.name.size() - 1);
  QTreeWidgetItem* node = addNode(makeScanRecord(folder, entry), folderIcon());
  setStack(level_ + 1, node);
  current_ = node;
  FolderScan::dirAdded(dir, entry);
}

void FolderTreeScan::fileAdded(const std::string& folder, const FolderEntry& entry) {
  const ScanRecord rec = makeScanRecord(folder, entry);
  current_ = addNode(rec, QFileIconProvider().icon(QFileInfo(QFile::decodeName(QByteArray::fromStdString(rec.path)))));
  FolderScan::fileAdded(folder, entry);
}

void FolderTreeScan::dirComplete(const std::string& dir, int count) {
  if (onFolderDone) onFolderDone(*this, dir, count);
  FolderScan::dirComplete(dir, count);
  const ScanRecord* rec = recordsOnNodes ? recordOf(current_) : nullptr;
  if (rec && rec->path.ends_with('/')) {
    const bool hasChildren = folderHasChildren(dir);
    current_->setChildIndicatorPolicy(hasChildren ? QTreeWidgetItem::ShowIndicator
                                                  : QTreeWidgetItem::DontShowIndicator);
    if ((!hasChildren || count <= 0) && !keepEmptyFolders && current_ != rescanned_) {
      QTreeWidgetItem* gone = current_;
      forgetNode(gone);
      delete gone;
    }
  }
  current_ = stackAt(level_);
}

void FolderTreeScan::deleteCurrentIfChildless() {
  if (!current_ || current_->childCount() > 0 || current_ == rescanned_) return;
  QTreeWidgetItem* gone = current_;
  forgetNode(gone);
  delete gone;
}

void FolderTreeScan::reset() {
  FolderScan::reset();
  releaseNodes();
  if (tree) tree->setIconSize(QSize(16, 16));
  stack_.fill(nullptr);
  current_ = nullptr;
}

void FolderTreeScan::releaseNodes() {
  stack_.fill(nullptr);
  current_ = nullptr;
  if (tree) tree->clear();
}

void FolderTreeScan::scanRoot(const std::string& path) {
  tree->setUpdatesEnabled(false);
  reset();
  scanFolder(path);
  tree->setUpdatesEnabled(true);
}

void FolderTreeScan::rescanNode(QTreeWidgetItem* node, const std::string& path) {
  if (!node || path.empty()) return;
  for (QTreeWidgetItem* child : node->takeChildren()) delete child;
  const int depth = depthOf(node);
  stack_.fill(nullptr);
  level_ = depth + 1;
  current_ = node;
  setStack(level_, node);
  rescanned_ = node;
  {
    LevelsRaise raise(levelsRaise_, depth);
    scanFolder(path);
  }
  rescanned_ = nullptr;
  stack_.fill(nullptr);
  current_ = nullptr;
}

}  // namespace lumora
