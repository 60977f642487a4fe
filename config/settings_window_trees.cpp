// The directory trees of the picture and media tabs, and the wiring of every
// control to its handler.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "config/drive_combo_box.h"
#include "config/file_list_box.h"
#include "config/list_keys.h"
#include "config/settings_window.h"

namespace lumora {

namespace {

// The hourglass while a folder is read; the default cursor again after.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

void setUpScan(TDADirScanTreeView& scan) {
  scan.setLevels(3);
  scan.RecursiveScan = true;
  scan.CompleteData = true;
  scan.EmptyDirs = true;
}

}  // namespace

void SettingsWindow::driveComboBoxChange(int tab) {
  DriveComboBox* drive = tab == 1 ? driveComboBox1_ : driveComboBox2_;
  const std::string path = drive->drivePath();
  (tab == 1 ? dirScan1_ : dirScan2_)->ScanRoot(path);
  (tab == 1 ? fileListBox1_ : fileListBox2_)->setDirectory(path);
}

void SettingsWindow::treeViewClick(int tab) { showTreeFolder(tab, (tab == 1 ? treeView1_ : treeView2_)->currentItem()); }

void SettingsWindow::showTreeFolder(int tab, QTreeWidgetItem* node) {
  if (!node || !node->isSelected()) return;
  const std::string path = (tab == 1 ? dirScan1_ : dirScan2_)->NodePath(node);
  if (path.empty()) return;
  FileListBox* files = tab == 1 ? fileListBox1_ : fileListBox2_;
  if (files->directory() != path) files->setDirectory(path);
}

void SettingsWindow::treeViewExpanding(int tab, QTreeWidgetItem* node) {
  TDADirScanTreeView& scan = tab == 1 ? *dirScan1_ : *dirScan2_;
  const std::string path = scan.NodePath(node);
  WaitCursor hourglass;
  scan.RescanNode(node, path);
}

void SettingsWindow::connectHandlers() {
  dirScan1_ = std::make_unique<TDADirScanTreeView>(treeView1_);
  dirScan2_ = std::make_unique<TDADirScanTreeView>(treeView2_);
  setUpScan(*dirScan1_);
  setUpScan(*dirScan2_);
  // Each tab starts on its own place: the Pictures or Music folder when
  // there is one, else the home folder, shown in the tree and the file list.
  driveComboBox1_->selectStartPlace(Place::Kind::Pictures);
  driveComboBox2_->selectStartPlace(Place::Kind::Music);
  driveComboBoxChange(1);
  driveComboBoxChange(2);

  auto on = [this](int n, auto handler) { connect(button(n), &QPushButton::clicked, this, handler); };
  on(1, [this] { addFiles(fileListBox1_, listBox(1), false); });
  on(4, [this] { addAllFiles(1); });
  on(13, [this] { addFiles(fileListBox2_, listBox(2), false); });
  on(14, [this] { addAllFiles(2); });
  on(2, [this] { removeSelected(listBox(1)); });
  on(9, [this] { removeSelected(listBox(2)); });
  on(18, [this] { removeSelected(listBox(3)); });
  on(23, [this] { removeSelected(listBox(4)); });
  on(3, [this] { removeAll(listBox(1)); });
  on(10, [this] { removeAll(listBox(2)); });
  on(19, [this] { removeAll(listBox(3)); });
  on(24, [this] { removeAll(listBox(4)); });
  on(5, [this] { saveList(listBox(1)); });
  on(11, [this] { saveList(listBox(2)); });
  on(20, [this] { saveList(listBox(3)); });
  on(6, [this] { openList(listBox(1)); });
  on(12, [this] { openList(listBox(2)); });
  on(21, [this] { openList(listBox(3)); });
  on(17, [this] { button17Click(); });
  on(22, [this] { button22Click(); });
  on(25, [this] { button25Click(); });
  on(7, [this] { button7Click(); });
  on(8, [this] { button8Click(); });
  on(16, [this] { button16Click(); });
  connect(edit6_, &QLineEdit::returnPressed, this, [this] { button17Click(); });
  connect(radioButton(1), &QRadioButton::clicked, this, [this] { radioButton1Click(); });
  connect(radioButton(2), &QRadioButton::clicked, this, [this] { radioButton2Click(); });
  connect(timer1_, &QTimer::timeout, this, [this] { timer1Timer(); });
  timer1_->start();

  // Picture preview on a click, or when the keys move onto another file (a
  // file that only became current, say when the list took the focus, is no
  // choice yet).
  connect(fileListBox1_, &QListWidget::itemClicked, this, [this] { fileListBox1Click(); });
  connect(fileListBox1_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0 && QApplication::mouseButtons() == Qt::NoButton && fileListBox1_->item(row)->isSelected())
      fileListBox1Click();
  });
  connect(listBox(1), &QListWidget::itemClicked, this, [this] { listBox1Click(); });
  connect(fileListBox2_, &QListWidget::itemDoubleClicked, this, [this] { fileListBox2DblClick(); });
  connect(listBox(2), &QListWidget::itemDoubleClicked, this, [this] { listBox2DblClick(); });

  connect(driveComboBox1_, &QComboBox::activated, this, [this] { driveComboBoxChange(1); });
  connect(driveComboBox2_, &QComboBox::activated, this, [this] { driveComboBoxChange(2); });
  connect(treeView1_, &QTreeWidget::itemClicked, this, [this] { treeViewClick(1); });
  connect(treeView2_, &QTreeWidget::itemClicked, this, [this] { treeViewClick(2); });
  // The keys move the current folder (arrows, Home/End, typing a name) and
  // Enter picks it: the file list follows as it does a click. A folder that
  // only became current without being selected (the tree taking the focus)
  // changes nothing.
  connect(treeView1_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* n) { showTreeFolder(1, n); });
  connect(treeView2_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* n) { showTreeFolder(2, n); });
  connect(treeView1_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* n) { showTreeFolder(1, n); });
  connect(treeView2_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* n) { showTreeFolder(2, n); });
  // Enter in a file list adds its chosen files; Delete in a list removes
  // the chosen entries.
  new ListKeys(fileListBox1_, [this] { addFiles(fileListBox1_, listBox(1), false); }, {});
  new ListKeys(fileListBox2_, [this] { addFiles(fileListBox2_, listBox(2), false); }, {});
  for (int n = 1; n <= 4; ++n) new ListKeys(listBox(n), {}, [this, n] { removeSelected(listBox(n)); });
  connect(treeView1_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) { treeViewExpanding(1, node); });
  connect(treeView2_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) { treeViewExpanding(2, node); });
}

}  // namespace lumora
