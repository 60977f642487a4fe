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

#include "settings_window/drive_combo_box.h"
#include "settings_window/file_list_box.h"
#include "settings_window/list_keys.h"
#include "settings_window/settings_window.h"

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

void setUpScan(FolderTreeScan& scan) {
  scan.setLevels(3);
  scan.recursive = true;
  scan.recordsOnNodes = true;
  scan.keepEmptyFolders = true;
}

}  // namespace

void SettingsWindow::placeChosen(int tab) {
  DriveComboBox* drive = tab == 1 ? picturePlaces_ : mediaPlaces_;
  const std::string path = drive->drivePath();
  (tab == 1 ? pictureFolderScan_ : mediaFolderScan_)->scanRoot(path);
  (tab == 1 ? pictureFiles_ : mediaFiles_)->setDirectory(path);
}

void SettingsWindow::folderClicked(int tab) { showTreeFolder(tab, (tab == 1 ? pictureFolders_ : mediaFolders_)->currentItem()); }

void SettingsWindow::showTreeFolder(int tab, QTreeWidgetItem* node) {
  if (!node || !node->isSelected()) return;
  const std::string path = (tab == 1 ? pictureFolderScan_ : mediaFolderScan_)->nodePath(node);
  if (path.empty()) return;
  FileListBox* files = tab == 1 ? pictureFiles_ : mediaFiles_;
  if (files->directory() != path) files->setDirectory(path);
}

void SettingsWindow::folderExpanding(int tab, QTreeWidgetItem* node) {
  FolderTreeScan& scan = tab == 1 ? *pictureFolderScan_ : *mediaFolderScan_;
  const std::string path = scan.nodePath(node);
  WaitCursor hourglass;
  scan.rescanNode(node, path);
}

void SettingsWindow::connectHandlers() {
  pictureFolderScan_ = std::make_unique<FolderTreeScan>(pictureFolders_);
  mediaFolderScan_ = std::make_unique<FolderTreeScan>(mediaFolders_);
  setUpScan(*pictureFolderScan_);
  setUpScan(*mediaFolderScan_);
  // Each tab starts on its own place: the Pictures or Music folder when
  // there is one, else the home folder, shown in the tree and the file list.
  picturePlaces_->selectStartPlace(Place::Kind::Pictures);
  mediaPlaces_->selectStartPlace(Place::Kind::Music);
  placeChosen(1);
  placeChosen(2);

  using enum SettingsButton;
  auto on = [this](SettingsButton which, auto handler) {
    connect(button(which), &QPushButton::clicked, this, handler);
  };
  on(AddPictures, [this] { addFiles(pictureFiles_, pictureList(), false); });
  on(AddAllPictures, [this] { addAllFiles(1); });
  on(AddMedia, [this] { addFiles(mediaFiles_, mediaList(), false); });
  on(AddAllMedia, [this] { addAllFiles(2); });
  on(RemovePictures, [this] { removeSelected(pictureList()); });
  on(RemoveMedia, [this] { removeSelected(mediaList()); });
  on(RemoveCaptions, [this] { removeSelected(captionList()); });
  on(RemoveFonts, [this] { removeSelected(fontList()); });
  on(RemoveAllPictures, [this] { removeAll(pictureList()); });
  on(RemoveAllMedia, [this] { removeAll(mediaList()); });
  on(RemoveAllCaptions, [this] { removeAll(captionList()); });
  on(RemoveAllFonts, [this] { removeAll(fontList()); });
  on(SavePictureList, [this] { saveList(pictureList()); });
  on(SaveMediaList, [this] { saveList(mediaList()); });
  on(SaveCaptionList, [this] { saveList(captionList()); });
  on(OpenPictureList, [this] { openList(pictureList()); });
  on(OpenMediaList, [this] { openList(mediaList()); });
  on(OpenCaptionList, [this] { openList(captionList()); });
  on(AddCaption, [this] { addCaption(); });
  on(AddFont, [this] { addFont(); });
  on(BrowseOpeningPicture, [this] { chooseOpeningPicture(); });
  on(Confirm, [this] { confirm(); });
  on(Cancel, [this] { cancel(); });
  on(StopPreview, [this] { stopPreview(); });
  connect(captionEdit_, &QLineEdit::returnPressed, this, [this] { addCaption(); });
  connect(fitAllChoice(), &QRadioButton::clicked, this, [this] { fitAllChosen(); });
  connect(fitLargerChoice(), &QRadioButton::clicked, this, [this] { fitLargerChosen(); });
  connect(aboutPictureTimer_, &QTimer::timeout, this, [this] { showOtherAboutPicture(); });
  aboutPictureTimer_->start();

  // Picture preview on a click, or when the keys move onto another file (a
  // file that only became current, say when the list took the focus, is no
  // choice yet).
  connect(pictureFiles_, &QListWidget::itemClicked, this, [this] { previewChosenFile(); });
  connect(pictureFiles_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0 && QApplication::mouseButtons() == Qt::NoButton && pictureFiles_->item(row)->isSelected())
      previewChosenFile();
  });
  connect(pictureList(), &QListWidget::itemClicked, this, [this] { previewListedPicture(); });
  connect(mediaFiles_, &QListWidget::itemDoubleClicked, this, [this] { playChosenFile(); });
  connect(mediaList(), &QListWidget::itemDoubleClicked, this, [this] { playListedMedia(); });

  connect(picturePlaces_, &QComboBox::activated, this, [this] { placeChosen(1); });
  connect(mediaPlaces_, &QComboBox::activated, this, [this] { placeChosen(2); });
  connect(pictureFolders_, &QTreeWidget::itemClicked, this, [this] { folderClicked(1); });
  connect(mediaFolders_, &QTreeWidget::itemClicked, this, [this] { folderClicked(2); });
  // The keys move the current folder (arrows, Home/End, typing a name) and
  // Enter picks it: the file list follows as it does a click. A folder that
  // only became current without being selected (the tree taking the focus)
  // changes nothing.
  connect(pictureFolders_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* n) { showTreeFolder(1, n); });
  connect(mediaFolders_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* n) { showTreeFolder(2, n); });
  connect(pictureFolders_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* n) { showTreeFolder(1, n); });
  connect(mediaFolders_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* n) { showTreeFolder(2, n); });
  // Enter in a file list adds its chosen files; Delete in a list removes
  // the chosen entries.
  new ListKeys(pictureFiles_, [this] { addFiles(pictureFiles_, pictureList(), false); }, {});
  new ListKeys(mediaFiles_, [this] { addFiles(mediaFiles_, mediaList(), false); }, {});
  for (QListWidget* list : lists_) new ListKeys(list, {}, [this, list] { removeSelected(list); });
  connect(pictureFolders_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) { folderExpanding(1, node); });
  connect(mediaFolders_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) { folderExpanding(2, node); });
}

}  // namespace lumora
