// The settings window ("/C"): the picture, media, caption and font
// lists, the show's options, the previews and the directory trees. Lists are
// loaded when the window is created, options every time it is shown;
// "确  定" writes everything, "取  消" nothing.
#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "settings_window/dir_scan_tree_view.h"
#include "settings_window/window_services.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class QVBoxLayout;

namespace lumora {

class AudioPlayerControl;
class DesktopOptionsBox;
class DriveComboBox;
class FileListBox;
class FilterComboBox;
class FlashPlayer;
class PreviewLoader;
class RadioGroup;
struct SettingsToWrite;

// The window's push buttons, by job.
enum class SettingsButton {
  AddPictures,
  AddAllPictures,
  RemovePictures,
  RemoveAllPictures,
  SavePictureList,
  OpenPictureList,
  AddMedia,
  AddAllMedia,
  RemoveMedia,
  RemoveAllMedia,
  SaveMediaList,
  OpenMediaList,
  AddCaption,
  RemoveCaptions,
  RemoveAllCaptions,
  SaveCaptionList,
  OpenCaptionList,
  AddFont,
  RemoveFonts,
  RemoveAllFonts,
  StopPreview,
  BrowseOpeningPicture,
  Confirm,
  Cancel,
  Count
};

// The two tabs that browse folders for files to add to their list.
enum class FileTab { Pictures, Media };

class SettingsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit SettingsWindow(SettingsWindowServices services = {}, QWidget* parent = nullptr);
  ~SettingsWindow() override;

  // Controls, by their jobs.
  QTabWidget* tabs() const { return tabs_; }
  QPushButton* button(SettingsButton which) const { return buttons_.at(std::size_t(which)); }
  // The four lists, in the order of their files: pictures, media, captions, fonts.
  QListWidget* pictureList() const { return lists_[0]; }
  QListWidget* mediaList() const { return lists_[1]; }
  QListWidget* captionList() const { return lists_[2]; }
  QListWidget* fontList() const { return lists_[3]; }
  FileListBox* pictureFiles() const { return controls(FileTab::Pictures).files; }
  FileListBox* mediaFiles() const { return controls(FileTab::Media).files; }
  FilterComboBox* mediaFilter() const { return controls(FileTab::Media).filter; }
  FilterComboBox* pictureFilter() const { return controls(FileTab::Pictures).filter; }
  DriveComboBox* picturePlaces() const { return controls(FileTab::Pictures).places; }
  DriveComboBox* mediaPlaces() const { return controls(FileTab::Media).places; }
  QTreeWidget* pictureFolders() const { return controls(FileTab::Pictures).folders; }
  QTreeWidget* mediaFolders() const { return controls(FileTab::Media).folders; }
  FolderTreeScan& pictureFolderScan() { return *controls(FileTab::Pictures).scan; }
  FolderTreeScan& mediaFolderScan() { return *controls(FileTab::Media).scan; }
  QLabel* picturePreview() const { return picturePreview_; }
  QLabel* pictureSizeLabel() const { return pictureSizeLabel_; }
  QLabel* frameCountLabel() const { return frameCountLabel_; }
  FlashPlayer* flashPreview() const { return flashPreview_; }
  AudioPlayerControl& audioPreview() const { return *audioPreview_; }
  QCheckBox* tilingCheck() const { return tilingCheck_; }
  QCheckBox* lyricsCheck() const { return lyricsCheck_; }
  // "包含子文件夹" beside "==> 全部添加".
  QCheckBox* subfoldersBox(FileTab tab) const { return controls(tab).subfolders; }
  // "共 N 项" under the tab's list.
  QLabel* countLabel(FileTab tab) const { return controls(tab).count; }
  QComboBox* fittingSizeChoice() const { return fittingSizeChoice_; }
  QComboBox* tilingSizeChoice() const { return tilingSizeChoice_; }
  QComboBox* fontChoice() const { return fontChoice_; }
  // Fitting: every picture fitted to the screen, or those from a size up.
  QRadioButton* fitAllChoice() const { return fitAllChoice_; }
  QRadioButton* fitLargerChoice() const { return fitLargerChoice_; }
  // Before the first picture: the opening caption or the opening picture.
  QRadioButton* openingCaptionChoice() const { return openingCaptionChoice_; }
  QRadioButton* openingPictureChoice() const { return openingPictureChoice_; }
  RadioGroup* mediaOrderChoice() const { return mediaOrderChoice_; }
  RadioGroup* pictureOrderChoice() const { return pictureOrderChoice_; }
  RadioGroup* captionOrderChoice() const { return captionOrderChoice_; }
  QSpinBox* shutdownMinutes() const { return shutdownMinutes_; }
  QSpinBox* pauseSeconds() const { return pauseSeconds_; }
  QSpinBox* transitionSpeed() const { return transitionSpeed_; }
  QSpinBox* shortestTransitionMs() const { return shortestTransitionMs_; }
  QLineEdit* openingCaptionEdit() const { return openingCaptionEdit_; }
  QLineEdit* captionEdit() const { return captionEdit_; }
  QLineEdit* openingPictureEdit() const { return openingPictureEdit_; }
  QTimer* aboutPictureTimer() const { return aboutPictureTimer_; }
  // The idle start and the password switch, in the options tab.
  DesktopOptionsBox* desktopOptions() const { return desktopOptions_; }
  // Which of the about tab's two pictures shows (0 or 1).
  int aboutPictureShown() const;

  // Handlers.
  void loadListsAndFonts();  // once, when the window is created
  void loadOptions();        // each time it is shown
  // The selected files of the file list (all of them with `all`).
  void addFiles(FileListBox* files, QListWidget* list, bool all);
  // "==> 全部添加": every file of the list, or with "包含子文件夹" checked
  // every matching file below its folder, each entry at most once.
  void addAllFiles(FileTab tab);
  void removeSelected(QListWidget* list);
  void removeAll(QListWidget* list);
  void saveList(QListWidget* list);
  void openList(QListWidget* list);
  void addCaption();            // the caption edit's text, as a caption
  void addFont();               // the font choice's text, as a font
  void chooseOpeningPicture();  // a picture dialog fills the opening picture's edit
  void fitAllChosen();
  void fitLargerChosen();
  void confirm();  // writes everything and closes
  void cancel();   // closes, writing nothing
  void showOtherAboutPicture();
  // Previews.
  void previewChosenFile();     // the picture tab's file list
  void previewListedPicture();  // the picture list
  void showPreviewSize(int width, int height);
  void playChosenFile();   // the media tab's file list
  void playListedMedia();  // the media list
  void stopPreview();
  // Trees.
  void placeChosen(FileTab tab);
  void folderClicked(FileTab tab);
  void folderExpanding(FileTab tab, QTreeWidgetItem* node);

  // The values the confirm writes, as the controls hold them now.
  SettingsToWrite settingsFromControls() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct FileTabLayout;  // a row of the table the file tabs are built from
  // What a file tab holds: where its files come from and what takes them.
  struct FileTabControls {
    DriveComboBox* places = nullptr;
    QTreeWidget* folders = nullptr;
    FileListBox* files = nullptr;
    FilterComboBox* filter = nullptr;
    QCheckBox* subfolders = nullptr;
    QLabel* count = nullptr;
    std::unique_ptr<FolderTreeScan> scan;
  };
  static const FileTabLayout kFileTabLayouts[2];

  FileTabControls& controls(FileTab tab) { return fileTabs_[std::size_t(tab)]; }
  const FileTabControls& controls(FileTab tab) const { return fileTabs_[std::size_t(tab)]; }
  QListWidget* listOf(FileTab tab) const { return tab == FileTab::Pictures ? pictureList() : mediaList(); }

  void buildLayout();
  // The picture or the media tab, from its row of the table.
  QWidget* buildFileTab(const FileTabLayout& layout);
  // What only one of them has: the middle column's controls under the list
  // buttons, and the preview box beside the list (returned).
  QWidget* addPicturePreview(QWidget* tab, QVBoxLayout* middle);
  QWidget* addMediaPreview(QWidget* tab, QVBoxLayout* middle);
  QWidget* buildTextTab();
  QWidget* buildOptionsTab();
  QWidget* buildAboutTab();
  QPushButton* makeButton(SettingsButton which, const char* caption, QWidget* parent);
  // List `index` of the four (pictures, media, captions, fonts).
  QListWidget* makeList(int index, const char* name, QWidget* parent);
  // "共 N 项" for the list, object name "CountLabel<number>".
  QLabel* makeCountLabel(int number, QListWidget* list, QWidget* parent);
  // Points the tab's file list at the tree's current folder (a click, or the
  // keys moving the current folder).
  void showTreeFolder(FileTab tab, QTreeWidgetItem* node);
  void connectHandlers();
  void report(const std::exception& error);
  void report(const QString& text);
  void previewPicture(const std::string& path);
  void playMedia(const std::string& path);

  SettingsWindowServices services_;
  QTabWidget* tabs_ = nullptr;
  std::array<QPushButton*, std::size_t(SettingsButton::Count)> buttons_{};
  std::array<QListWidget*, 4> lists_{};
  QRadioButton* fitAllChoice_ = nullptr;
  QRadioButton* fitLargerChoice_ = nullptr;
  QRadioButton* openingCaptionChoice_ = nullptr;
  QRadioButton* openingPictureChoice_ = nullptr;
  std::array<FileTabControls, 2> fileTabs_;  // by FileTab
  QLabel* picturePreview_ = nullptr;
  QLabel* pictureSizeLabel_ = nullptr;
  PreviewLoader* previewLoader_ = nullptr;  // child: decodes the previewed picture
  QLabel* frameCountLabel_ = nullptr;
  FlashPlayer* flashPreview_ = nullptr;
  std::unique_ptr<AudioPlayerControl> audioPreview_;
  QCheckBox* tilingCheck_ = nullptr;
  QCheckBox* lyricsCheck_ = nullptr;
  QComboBox* fittingSizeChoice_ = nullptr;
  QComboBox* tilingSizeChoice_ = nullptr;
  QComboBox* fontChoice_ = nullptr;
  RadioGroup* mediaOrderChoice_ = nullptr;
  RadioGroup* pictureOrderChoice_ = nullptr;
  RadioGroup* captionOrderChoice_ = nullptr;
  QSpinBox* shutdownMinutes_ = nullptr;
  QSpinBox* pauseSeconds_ = nullptr;
  QSpinBox* transitionSpeed_ = nullptr;
  QSpinBox* shortestTransitionMs_ = nullptr;
  QLineEdit* openingCaptionEdit_ = nullptr;
  QLineEdit* captionEdit_ = nullptr;
  QLineEdit* openingPictureEdit_ = nullptr;
  std::array<QLabel*, 2> aboutPictures_{};
  QTimer* aboutPictureTimer_ = nullptr;
  DesktopOptionsBox* desktopOptions_ = nullptr;
};

}  // namespace lumora
