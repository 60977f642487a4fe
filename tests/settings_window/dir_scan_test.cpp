#include <dirent.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QApplication>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "settings_window/dir_scan.h"
#include "settings_window/dir_scan_tree_view.h"
#include "tests/saver/qt_app.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

// A scratch folder tree, removed afterwards; root() ends with "/".
class TempTree {
 public:
  TempTree() {
    static int n = 0;
    root_ = fs::temp_directory_path() / ("lumora-scan-" + std::to_string(::getpid()) + "-" + std::to_string(n++));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  ~TempTree() { fs::remove_all(root_); }
  std::string root() const { return root_.string() + "/"; }
  void dir(const std::string& rel) const { fs::create_directories(root_ / rel); }
  void file(const std::string& rel) const { std::ofstream(root_ / rel) << "x"; }
  void remove(const std::string& rel) const { fs::remove_all(root_ / rel); }

 private:
  fs::path root_;
};

QTreeWidgetItem* child(QTreeWidgetItem* parent, const QString& text) {
  for (int i = 0; i < parent->childCount(); ++i)
    if (parent->child(i)->text(0) == text) return parent->child(i);
  return nullptr;
}

QTreeWidgetItem* top(QTreeWidget& tree, const QString& text) {
  for (int i = 0; i < tree.topLevelItemCount(); ++i)
    if (tree.topLevelItem(i)->text(0) == text) return tree.topLevelItem(i);
  return nullptr;
}

bool expandMark(const QTreeWidgetItem* node) { return node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator; }

int maxDepth(QTreeWidgetItem* node, int depth) {
  int deepest = depth;
  for (int i = 0; i < node->childCount(); ++i) deepest = std::max(deepest, maxDepth(node->child(i), depth + 1));
  return deepest;
}

// The scan as the settings window sets it up.
struct WindowScan {
  WindowScan() : scan(&tree) {
    scan.setLevels(3);
    scan.recursive = true;
    scan.recordsOnNodes = true;
    scan.keepEmptyFolders = true;
  }
  bool appReady = (testing::qtApp(), true);
  QTreeWidget tree;
  FolderTreeScan scan;
};

TEST(DirScan, LevelsAreClampedToTwoThroughFifteen) {
  FolderScan scan;
  EXPECT_EQ(scan.levels(), 15);
  scan.setLevels(20);
  EXPECT_EQ(scan.levels(), 15);
  scan.setLevels(1);
  EXPECT_EQ(scan.levels(), 2);
  scan.setLevels(-7);
  EXPECT_EQ(scan.levels(), 2);
  scan.setLevels(9);
  EXPECT_EQ(scan.levels(), 9);
}

TEST(DirScan, AcceptedFilesGetTheirDotAndAStarTakesAll) {
  FolderScan scan;
  EXPECT_FALSE(scan.accepts("a.jpg"));  // empty list: no file
  scan.setAcceptedFiles({"jpg", ".Png"});
  EXPECT_EQ(scan.acceptedFiles(), (std::vector<std::string>{".jpg", ".Png"}));
  EXPECT_TRUE(scan.accepts("A.JPG"));
  EXPECT_TRUE(scan.accepts("x.png"));
  EXPECT_FALSE(scan.accepts("x.jpeg"));
  EXPECT_FALSE(scan.accepts("jpg"));
  scan.setAcceptedFiles({"*.*"});
  EXPECT_TRUE(scan.accepts("anything"));
}

TEST(DirScan, EventsCountsAndLevelsOfARecursiveScan) {
  TempTree t;
  t.dir("a/a1");
  t.file("a/a1/p.jpg");
  t.file("a/q.jpg");
  t.file("a/notes.txt");
  t.dir("skip/inner");
  t.file("top.jpg");
  // dirComplete is where the counts arrive; watch it through a subclass.
  class Watch : public FolderScan {
   public:
    std::map<std::string, int> ends;
    void dirComplete(const std::string& dir, int count) override {
      ends[dir] = count;
      FolderScan::dirComplete(dir, count);
    }
  } watch;
  watch.recursive = true;
  watch.setLevels(5);
  watch.setAcceptedFiles({"jpg"});
  std::vector<std::string> added, files;
  watch.onFolderFound = [](FolderScan&, const std::string& dir, bool& canAdd) {
    if (dir.ends_with("/skip/")) canAdd = false;
  };
  watch.onFolderAdded = [&](FolderScan&, const std::string& dir) { added.push_back(dir); };
  watch.onFileAdded = [&](FolderScan&, const std::string& f) { files.push_back(f); };
  watch.scanRoot(t.root());

  std::sort(added.begin(), added.end());
  EXPECT_EQ(added, (std::vector<std::string>{t.root() + "a/", t.root() + "a/a1/"}));  // skip/ and skip/inner/ vetoed
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{t.root() + "a/a1/p.jpg", t.root() + "a/q.jpg", t.root() + "top.jpg"}));
  EXPECT_EQ(watch.ends[t.root() + "a/a1/"], 1);
  EXPECT_EQ(watch.ends[t.root() + "a/"], 2);
  EXPECT_EQ(watch.ends[t.root()], 3);
  EXPECT_EQ(watch.ends.count(t.root() + "skip/"), 0u);
  EXPECT_EQ(watch.level(), 0);  // every level entered was left again
}

TEST(DirScan, ChildrenTestCountsFoldersAndAcceptedFilesOnly) {
  TempTree t;
  t.dir("empty");
  t.dir("withdir/sub");
  t.file("withfile.txt");
  t.dir("files");
  t.file("files/a.txt");
  FolderScan scan;
  EXPECT_FALSE(scan.folderHasChildren(t.root() + "empty/"));
  EXPECT_TRUE(scan.folderHasChildren(t.root() + "withdir/"));
  EXPECT_FALSE(scan.folderHasChildren(t.root() + "files/"));
  scan.setAcceptedFiles({"txt"});
  EXPECT_TRUE(scan.folderHasChildren(t.root() + "files/"));
  EXPECT_FALSE(scan.folderHasChildren(t.root() + "missing/"));
}

TEST(DirScanTreeView, RootScanFillsTwoLevelsWithExpandMarksAndPaths) {
  TempTree t;
  t.dir("a/a1/a1x/deeper");
  t.dir("a/a2");
  t.dir("b");
  t.file("a/a2/p.jpg");
  WindowScan w;
  w.scan.scanRoot(t.root());
  ASSERT_EQ(w.tree.topLevelItemCount(), 2);
  QTreeWidgetItem* a = top(w.tree, "a");
  QTreeWidgetItem* b = top(w.tree, "b");
  ASSERT_TRUE(a && b);
  ASSERT_EQ(a->childCount(), 2);
  QTreeWidgetItem* a1 = child(a, "a1");
  QTreeWidgetItem* a2 = child(a, "a2");
  ASSERT_TRUE(a1 && a2);
  // The second level is not read further: a1 only shows that it has more.
  EXPECT_EQ(a1->childCount(), 0);
  EXPECT_TRUE(expandMark(a1));
  EXPECT_FALSE(expandMark(a2));  // a file is no child: no files are accepted
  EXPECT_TRUE(expandMark(a));
  EXPECT_FALSE(expandMark(b));
  EXPECT_EQ(w.scan.nodePath(a), t.root() + "a/");
  EXPECT_EQ(w.scan.nodePath(a1), t.root() + "a/a1/");
  const ScanRecord* rec = FolderTreeScan::recordOf(a1);
  ASSERT_TRUE(rec);
  EXPECT_EQ(rec->name, "a1");
  EXPECT_TRUE(rec->directory);
  // Without recordsOnNodes no node has a path.
  w.scan.recordsOnNodes = false;
  EXPECT_EQ(w.scan.nodePath(a1), "");
}

TEST(DirScanTreeView, ExpandingReadsTheFolderAfreshTwoLevelsDown) {
  TempTree t;
  t.dir("a/a1/a1x/deeper/deepest");
  t.dir("a/a1/old");
  WindowScan w;
  w.scan.scanRoot(t.root());
  QTreeWidgetItem* a1 = child(top(w.tree, "a"), "a1");
  ASSERT_TRUE(a1);
  w.scan.rescanNode(a1, w.scan.nodePath(a1));
  ASSERT_EQ(a1->childCount(), 2);
  QTreeWidgetItem* a1x = child(a1, "a1x");
  ASSERT_TRUE(a1x);
  ASSERT_EQ(a1x->childCount(), 1);
  EXPECT_EQ(a1x->child(0)->text(0), "deeper");
  EXPECT_EQ(a1x->child(0)->childCount(), 0);
  EXPECT_TRUE(expandMark(a1x->child(0)));
  EXPECT_EQ(w.scan.nodePath(a1x->child(0)), t.root() + "a/a1/a1x/deeper/");

  // Changes on disk show at the next expansion: old goes, new comes.
  t.remove("a/a1/old");
  t.dir("a/a1/new");
  w.scan.rescanNode(a1, w.scan.nodePath(a1));
  EXPECT_FALSE(child(a1, "old"));
  EXPECT_TRUE(child(a1, "new"));
  // A folder emptied on disk loses its children and its mark, but stays.
  t.remove("a/a1/a1x");
  t.remove("a/a1/new");
  w.scan.rescanNode(a1, w.scan.nodePath(a1));
  EXPECT_EQ(a1->childCount(), 0);
  EXPECT_FALSE(expandMark(a1));
  EXPECT_EQ(child(top(w.tree, "a"), "a1"), a1);
}

TEST(DirScanTreeView, WithoutEmptyDirsFoldersWithoutChildrenGo) {
  TempTree t;
  t.dir("full/sub/subsub");
  t.dir("bare");
  WindowScan w;
  w.scan.keepEmptyFolders = false;
  w.scan.scanRoot(t.root());
  // No files are accepted, so every folder has a count of 0 and goes.
  EXPECT_EQ(w.tree.topLevelItemCount(), 0);
}

TEST(DirScanTreeView, DeepTreesStopAtTheLevelStack) {
  TempTree t;
  std::string rel;
  for (int i = 0; i < 22; ++i) rel += "d" + std::to_string(i) + "/";
  t.dir(rel);
  WindowScan w;
  w.scan.setLevels(20);  // stored as 15
  w.scan.scanRoot(t.root());
  ASSERT_EQ(w.tree.topLevelItemCount(), 1);
  QTreeWidgetItem* root = w.tree.topLevelItem(0);
  EXPECT_EQ(maxDepth(root, 0), 13);  // levels 1..14 hold folders
  // Expanding the deepest nodes again and again never goes past the stack.
  for (int round = 0; round < 4; ++round) {
    QTreeWidgetItem* node = root;
    while (node->childCount() > 0) node = node->child(0);
    w.scan.rescanNode(node, w.scan.nodePath(node));
    EXPECT_LE(maxDepth(root, 0), 14);
  }
  // And a root scan afterwards starts clean.
  w.scan.setLevels(3);
  w.scan.scanRoot(t.root());
  EXPECT_EQ(maxDepth(w.tree.topLevelItem(0), 0), 1);
}

// While it lives, the calling thread reads folders as any user does: root's
// power to read and search every folder (CAP_DAC_OVERRIDE,
// CAP_DAC_READ_SEARCH) is out of its effective set, kept in the permitted
// set and put back at the end. Does nothing for a user without them.
class FolderPermissionsHold {
 public:
  FolderPermissionsHold() {
    if (::syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
    lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    lowered_ = ::syscall(SYS_capset, &header_, lowered) == 0;
  }
  ~FolderPermissionsHold() {
    if (lowered_) ::syscall(SYS_capset, &header_, saved_);
  }
  FolderPermissionsHold(const FolderPermissionsHold&) = delete;
  FolderPermissionsHold& operator=(const FolderPermissionsHold&) = delete;

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
  bool lowered_ = false;
};

TEST(DirScanTreeView, UnreadableFolderHasNoChildren) {
  TempTree t;
  t.dir("locked/inside");
  fs::permissions(t.root() + "locked", fs::perms::none);
  const FolderPermissionsHold asAnyUser;  // root too
  const std::unique_ptr<DIR, int (*)(DIR*)> opened(::opendir((t.root() + "locked").c_str()), ::closedir);
  ASSERT_EQ(opened, nullptr) << "the folder must be unreadable for the test to mean anything";
  WindowScan w;
  w.scan.scanRoot(t.root());
  ASSERT_EQ(w.tree.topLevelItemCount(), 1);
  EXPECT_EQ(w.tree.topLevelItem(0)->childCount(), 0);
  EXPECT_FALSE(expandMark(w.tree.topLevelItem(0)));
  fs::permissions(t.root() + "locked", fs::perms::owner_all);
}

}  // namespace
}  // namespace lumora
