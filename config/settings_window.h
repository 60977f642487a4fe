// TForm2, the settings window ("/C"): the picture, media, caption and font
// lists, the show's options, the previews and the directory trees. Lists are
// loaded when the window is created, options every time it is shown;
// "确  定" writes everything, "取  消" nothing.
#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "config/dir_scan_tree_view.h"
#include "config/window_services.h"

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

class SettingsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit SettingsWindow(SettingsWindowServices services = {}, QWidget* parent = nullptr);
  ~SettingsWindow() override;

  // Controls, by their names in the window.
  QTabWidget* pageControl1() const { return pageControl1_; }
  QPushButton* button(int n) const { return buttons_.at(std::size_t(n)); }  // Button1 .. Button25
  QListWidget* listBox(int n) const { return listBoxes_.at(std::size_t(n)); }  // ListBox1 .. ListBox4
  FileListBox* fileListBox1() const { return fileListBox1_; }
  FileListBox* fileListBox2() const { return fileListBox2_; }
  FilterComboBox* filterComboBox1() const { return filterComboBox1_; }
  FilterComboBox* filterComboBox2() const { return filterComboBox2_; }
  DriveComboBox* driveComboBox1() const { return driveComboBox1_; }
  DriveComboBox* driveComboBox2() const { return driveComboBox2_; }
  QTreeWidget* treeView1() const { return treeView1_; }
  QTreeWidget* treeView2() const { return treeView2_; }
  TDADirScanTreeView& dirScanTreeView1() { return *dirScan1_; }
  TDADirScanTreeView& dirScanTreeView2() { return *dirScan2_; }
  QLabel* image1() const { return image1_; }
  QLabel* label1() const { return label1_; }
  QLabel* label23() const { return label23_; }
  FlashPlayer* shockwaveFlash1() const { return shockwaveFlash1_; }
  AudioPlayerControl& realAudio1() const { return *realAudio1_; }
  QCheckBox* checkBox1() const { return checkBox1_; }
  QCheckBox* checkBox3() const { return checkBox3_; }
  // "包含子文件夹" beside "==> 全部添加" (1 picture tab, 2 media tab).
  QCheckBox* subfoldersBox(int tab) const { return tab == 1 ? subfolders1_ : subfolders2_; }
  // "共 N 项" under the picture (1) and media (2) lists.
  QLabel* countLabel(int tab) const { return tab == 1 ? countLabel1_ : countLabel2_; }
  QComboBox* comboBox1() const { return comboBox1_; }
  QComboBox* comboBox2() const { return comboBox2_; }
  QComboBox* comboBox3() const { return comboBox3_; }
  QRadioButton* radioButton(int n) const { return radioButtons_.at(std::size_t(n)); }  // RadioButton1 .. 4
  RadioGroup* radioGroup1() const { return radioGroup1_; }
  RadioGroup* radioGroup2() const { return radioGroup2_; }
  RadioGroup* radioGroup4() const { return radioGroup4_; }
  QSpinBox* upDown1() const { return upDown1_; }
  QSpinBox* upDown2() const { return upDown2_; }
  QSpinBox* upDown3() const { return upDown3_; }
  QSpinBox* upDownFxms() const { return upDownFxms_; }  // the shortest transition, ms
  QLineEdit* edit5() const { return edit5_; }
  QLineEdit* edit6() const { return edit6_; }
  QLineEdit* edit8() const { return edit8_; }
  QTimer* timer1() const { return timer1_; }
  // The idle start and the password switch, in the options tab.
  DesktopOptionsBox* desktopOptions() const { return desktopOptions_; }
  // Which of the about tab's two pictures shows (0 or 1).
  int aboutPictureShown() const;

  // Handlers.
  void formCreate();
  void formShow();
  void addFiles(FileListBox* files, QListWidget* list, bool all);  // Button1/4/13/14
  // Button4/14: every file of the list, or with "包含子文件夹" checked every
  // matching file below its folder, each entry at most once.
  void addAllFiles(int tab);
  void removeSelected(QListWidget* list);                          // Button2/9/18/23
  void removeAll(QListWidget* list);                               // Button3/10/19/24
  void saveList(QListWidget* list);                                // Button5/11/20
  void openList(QListWidget* list);                                // Button6/12/21
  void button17Click();  // add Edit6's text as a caption
  void button22Click();  // add ComboBox3's text as a font
  void button25Click();  // choose the opening picture
  void radioButton1Click();
  void radioButton2Click();
  void button7Click();  // confirm
  void button8Click();  // cancel
  void timer1Timer();
  // Previews.
  void fileListBox1Click();
  void listBox1Click();
  void seepic(int width, int height);
  void fileListBox2DblClick();
  void listBox2DblClick();
  void button16Click();
  // Trees.
  void driveComboBoxChange(int tab);  // 1 picture tab, 2 media tab
  void treeViewClick(int tab);
  void treeViewExpanding(int tab, QTreeWidgetItem* node);

  // The values the confirm writes, as the controls hold them now.
  SettingsToWrite settingsFromControls() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void buildLayout();
  QWidget* buildPictureTab();
  QWidget* buildMediaTab();
  QWidget* buildTextTab();
  QWidget* buildOptionsTab();
  QWidget* buildAboutTab();
  QPushButton* makeButton(int n, const char* caption, QWidget* parent);
  QListWidget* makeListBox(int n, QWidget* parent);
  QCheckBox* makeSubfoldersBox(int tab, QWidget* parent);
  QLabel* makeCountLabel(int tab, QListWidget* list, QWidget* parent);
  // Points the tab's file list at the tree's current folder (a click, or the
  // keys moving the current folder).
  void showTreeFolder(int tab, QTreeWidgetItem* node);
  void connectHandlers();
  void report(const std::exception& error);
  void report(const QString& text);
  void previewPicture(const std::string& path);
  void playMedia(const std::string& path);

  SettingsWindowServices services_;
  QTabWidget* pageControl1_ = nullptr;
  std::array<QPushButton*, 26> buttons_{};
  std::array<QListWidget*, 5> listBoxes_{};
  std::array<QRadioButton*, 5> radioButtons_{};
  DriveComboBox* driveComboBox1_ = nullptr;
  DriveComboBox* driveComboBox2_ = nullptr;
  QTreeWidget* treeView1_ = nullptr;
  QTreeWidget* treeView2_ = nullptr;
  FileListBox* fileListBox1_ = nullptr;
  FileListBox* fileListBox2_ = nullptr;
  FilterComboBox* filterComboBox1_ = nullptr;
  FilterComboBox* filterComboBox2_ = nullptr;
  std::unique_ptr<TDADirScanTreeView> dirScan1_;
  std::unique_ptr<TDADirScanTreeView> dirScan2_;
  QLabel* image1_ = nullptr;
  QLabel* label1_ = nullptr;
  PreviewLoader* previewLoader_ = nullptr;  // child: decodes Image1's picture
  QLabel* label23_ = nullptr;
  FlashPlayer* shockwaveFlash1_ = nullptr;
  std::unique_ptr<AudioPlayerControl> realAudio1_;
  QCheckBox* checkBox1_ = nullptr;
  QCheckBox* checkBox3_ = nullptr;
  QCheckBox* subfolders1_ = nullptr;
  QCheckBox* subfolders2_ = nullptr;
  QLabel* countLabel1_ = nullptr;
  QLabel* countLabel2_ = nullptr;
  QComboBox* comboBox1_ = nullptr;
  QComboBox* comboBox2_ = nullptr;
  QComboBox* comboBox3_ = nullptr;
  RadioGroup* radioGroup1_ = nullptr;
  RadioGroup* radioGroup2_ = nullptr;
  RadioGroup* radioGroup4_ = nullptr;
  QSpinBox* upDown1_ = nullptr;
  QSpinBox* upDown2_ = nullptr;
  QSpinBox* upDown3_ = nullptr;
  QSpinBox* upDownFxms_ = nullptr;
  QLineEdit* edit5_ = nullptr;
  QLineEdit* edit6_ = nullptr;
  QLineEdit* edit8_ = nullptr;
  std::array<QLabel*, 2> aboutPictures_{};
  QTimer* timer1_ = nullptr;
  DesktopOptionsBox* desktopOptions_ = nullptr;
};

}  // namespace lumora
