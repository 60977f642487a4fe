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

void SettingsWindow::placeChosen(FileTab tab) {
  FileTabControls& c = controls(tab);
  const std::string path = c.places->drivePath();
  c.scan->scanRoot(path);
  c.files->setDirectory(path);
}

void SettingsWindow::folderClicked(FileTab tab) { showTreeFolder(tab, controls(tab).folders->currentItem()); }

void SettingsWindow::showTreeFolder(FileTab tab, QTreeWidgetItem* node) {
  if (!node || !node->isSelected()) return;
  FileTabControls& c = controls(tab);
  const std::string path = c.scan->nodePath(node);
  if (path.empty()) return;
  if (c.files->directory() != path) c.files->setDirectory(path);
}

void SettingsWindow::folderExpanding(FileTab tab, QTreeWidgetItem* node) {
  FolderTreeScan& scan = *controls(tab).scan;
  const std::string path = scan.nodePath(node);
  WaitCursor hourglass;
  scan.rescanNode(node, path);
}

void SettingsWindow::connectHandlers() {
  // Each tab starts on its own place: the Pictures or Music folder when
  // there is one, else the home folder, shown in the tree and the file list.
  constexpr std::pair<FileTab, Place::Kind> kStartPlaces[] = {{FileTab::Pictures, Place::Kind::Pictures},
                                                              {FileTab::Media, Place::Kind::Music}};
  for (const auto& [tab, start] : kStartPlaces) {
    FileTabControls& c = controls(tab);
    c.scan = std::make_unique<FolderTreeScan>(c.folders);
    setUpScan(*c.scan);
    c.places->selectStartPlace(start);
    placeChosen(tab);
  }

  using enum SettingsButton;
  auto on = [this](SettingsButton which, auto handler) {
    connect(button(which), &QPushButton::clicked, this, handler);
  };
  on(AddPictures, [this] { addFiles(pictureFiles(), pictureList(), false); });
  on(AddAllPictures, [this] { addAllFiles(FileTab::Pictures); });
  on(AddMedia, [this] { addFiles(mediaFiles(), mediaList(), false); });
  on(AddAllMedia, [this] { addAllFiles(FileTab::Media); });
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
  connect(pictureFiles(), &QListWidget::itemClicked, this, [this] { previewChosenFile(); });
  connect(pictureFiles(), &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0 && QApplication::mouseButtons() == Qt::NoButton && pictureFiles()->item(row)->isSelected())
      previewChosenFile();
  });
  connect(pictureList(), &QListWidget::itemClicked, this, [this] { previewListedPicture(); });
  connect(mediaFiles(), &QListWidget::itemDoubleClicked, this, [this] { playChosenFile(); });
  connect(mediaList(), &QListWidget::itemDoubleClicked, this, [this] { playListedMedia(); });

  // The keys move the current folder (arrows, Home/End, typing a name) and
  // Enter picks it: the file list follows as it does a click. A folder that
  // only became current without being selected (the tree taking the focus)
  // changes nothing.
  for (const FileTab tab : {FileTab::Pictures, FileTab::Media}) {
    const FileTabControls& c = controls(tab);
    connect(c.places, &QComboBox::activated, this, [this, tab] { placeChosen(tab); });
    connect(c.folders, &QTreeWidget::itemClicked, this, [this, tab] { folderClicked(tab); });
    connect(c.folders, &QTreeWidget::currentItemChanged, this,
            [this, tab](QTreeWidgetItem* n) { showTreeFolder(tab, n); });
    connect(c.folders, &QTreeWidget::itemActivated, this, [this, tab](QTreeWidgetItem* n) { showTreeFolder(tab, n); });
    connect(c.folders, &QTreeWidget::itemExpanded, this,
            [this, tab](QTreeWidgetItem* node) { folderExpanding(tab, node); });
    // Enter in a file list adds its chosen files.
    new ListKeys(c.files, [this, tab] { addFiles(controls(tab).files, listOf(tab), false); }, {});
  }
  // Delete in a list removes the chosen entries.
  for (QListWidget* list : lists_) new ListKeys(list, {}, [this, list] { removeSelected(list); });
}

}  // namespace lumora
