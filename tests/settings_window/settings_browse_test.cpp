// Browsing in the settings window: the places the tabs start on, the keys
// in the trees and lists, adding a whole tree of folders, the counts.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "settings_window/drive_combo_box.h"
#include "settings_window/file_list_box.h"
#include "settings_window/filter_combo_box.h"
#include "settings_window/list_entries.h"
#include "settings_window/walk_progress.h"
#include "settings/list_file.h"
#include "tests/settings_window/window_fixture.h"

namespace lumora {
namespace {

using testing::WindowFixture;
namespace fs = std::filesystem;

// A home folder with Pictures and Music folders under localised names.
struct BrowseFixture : WindowFixture {
  BrowseFixture() {
    writeFile(userHome() / ".config" / "user-dirs.dirs",
              "XDG_PICTURES_DIR=\"$HOME/图片\"\nXDG_MUSIC_DIR=\"$HOME/音乐\"\nXDG_VIDEOS_DIR=\"$HOME/视频\"\n");
    writeFile(pictures() / "a.jpg", "x");
    writeFile(pictures() / "b.bmp", "x");
    writeFile(pictures() / "read.txt", "x");
    writeFile(pictures() / "2023" / "12" / "c.jpg", "x");
    writeFile(pictures() / "2024" / "d.gif", "x");
    writeFile(userHome() / "音乐" / "song.mp3", "x");
  }
  fs::path pictures() const { return userHome() / "图片"; }
  std::string folder(const fs::path& p) const { return p.string() + "/"; }
};

// A path as the lists keep it (ANSI bytes).
std::string ansi(const fs::path& p) { return ansiFromFsPath(p.string()); }

QStringList fileNames(const FileListBox* files) {
  QStringList out;
  for (int r = 0; r < files->count(); ++r) out << files->item(r)->text();
  return out;
}

QStringList entries(const QListWidget* list) {
  QStringList out;
  for (int r = 0; r < list->count(); ++r) out << list->item(r)->text();
  return out;
}

TEST(SettingsBrowse, TheSelectorsListThePlacesAndEachTabStartsOnItsOwn) {
  BrowseFixture f;
  auto w = f.open();
  DriveComboBox* drive = w->picturePlaces();
  ASSERT_GE(drive->count(), 4);
  EXPECT_EQ(drive->itemText(0), QString::fromStdString(f.userHome().string()));
  EXPECT_EQ(drive->itemText(1), "图片");
  EXPECT_EQ(drive->itemText(2), "音乐");  // no 视频: that folder is not there
  EXPECT_EQ(drive->itemText(drive->count() - 1), "/");
  EXPECT_EQ(drive->currentIndex(), 1);
  EXPECT_EQ(w->mediaPlaces()->currentIndex(), 2);

  // The picture tab shows its folder's subfolders and files.
  QTreeWidget* tree = w->pictureFolders();
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  EXPECT_EQ(tree->topLevelItem(0)->text(0), "2023");
  EXPECT_EQ(tree->topLevelItem(0)->childCount(), 1);  // one level below, ready
  EXPECT_EQ(w->pictureFiles()->directory(), f.folder(f.pictures()));
  EXPECT_EQ(fileNames(w->pictureFiles()), (QStringList{"a.jpg", "b.bmp"}));
  EXPECT_EQ(fileNames(w->mediaFiles()), (QStringList{"song.mp3"}));

  // Choosing another place shows it in the tree and the file list.
  drive->setCurrentIndex(0);
  w->placeChosen(FileTab::Pictures);
  EXPECT_EQ(w->pictureFiles()->directory(), f.folder(f.userHome()));
  ASSERT_EQ(tree->topLevelItemCount(), 3);  // .config, 图片, 音乐
  EXPECT_EQ(tree->topLevelItem(1)->text(0), "图片");
  EXPECT_TRUE(f.messages.isEmpty());
}

TEST(SettingsBrowse, TheKeysMoveTheFileListsFolderAsAClickDoes) {
  BrowseFixture f;
  auto w = f.open();
  QTreeWidget* tree = w->pictureFolders();
  // The tree taking the focus makes a folder current without choosing it.
  tree->setCurrentItem(tree->topLevelItem(0), 0, QItemSelectionModel::NoUpdate);
  EXPECT_EQ(w->pictureFiles()->directory(), f.folder(f.pictures()));

  tree->setCurrentItem(nullptr);
  QTest::keyClick(tree, Qt::Key_Down);  // onto "2023"
  EXPECT_EQ(w->pictureFiles()->directory(), f.folder(f.pictures() / "2023"));
  QTest::keyClick(tree, Qt::Key_End);  // onto "2024"
  EXPECT_EQ(w->pictureFiles()->directory(), f.folder(f.pictures() / "2024"));
  EXPECT_EQ(fileNames(w->pictureFiles()), (QStringList{"d.gif"}));
  QTest::keyClick(tree, Qt::Key_Home);
  EXPECT_EQ(w->pictureFiles()->directory(), f.folder(f.pictures() / "2023"));
  QTest::keyClicks(tree, "2024");  // typing a name
  EXPECT_EQ(w->pictureFiles()->directory(), f.folder(f.pictures() / "2024"));
  // Right opens the folder (read afresh); Down then goes into it.
  QTest::keyClick(tree, Qt::Key_Home);
  QTest::keyClick(tree, Qt::Key_Right);
  QTest::keyClick(tree, Qt::Key_Down);
  EXPECT_EQ(w->pictureFiles()->directory(), f.folder(f.pictures() / "2023" / "12"));
  EXPECT_EQ(fileNames(w->pictureFiles()), (QStringList{"c.jpg"}));
}

TEST(SettingsBrowse, EnterAddsDeleteRemovesAndCtrlASelectsAll) {
  BrowseFixture f;
  auto w = f.open();
  FileListBox* files = w->pictureFiles();
  QListWidget* list = w->pictureList();
  QTest::keyClick(files, Qt::Key_Down);                     // a.jpg
  QTest::keyClick(files, Qt::Key_Down, Qt::ShiftModifier);  // and b.bmp
  QTest::keyClick(files, Qt::Key_Return);
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(listEntries(list)[1], ansi(f.pictures() / "b.bmp"));
  QTest::keyClick(files, Qt::Key_Up);  // only a.jpg
  QTest::keyClick(files, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(list->count(), 3);

  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(list->selectedItems().size(), 3);
  list->clearSelection();
  list->setCurrentRow(1);
  list->item(1)->setSelected(true);
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(entries(list), (QStringList{QString::fromStdString((f.pictures() / "a.jpg").string()),
                                        QString::fromStdString((f.pictures() / "a.jpg").string())}));
  // Delete works in the caption list too; Enter there adds nothing.
  w->captionEdit()->setText("hello");
  w->addCaption();
  w->captionList()->item(0)->setSelected(true);
  QTest::keyClick(w->captionList(), Qt::Key_Delete);
  EXPECT_EQ(w->captionList()->count(), 0);
}

TEST(SettingsBrowse, AddingAllWithSubfoldersTakesTheTreeInOrderOnce) {
  BrowseFixture f;
  auto w = f.open();
  QListWidget* list = w->pictureList();
  EXPECT_EQ(w->subfoldersBox(FileTab::Pictures)->text(), "包含子文件夹");
  EXPECT_EQ(w->subfoldersBox(FileTab::Media)->text(), "包含子文件夹");
  // Unchecked, the button takes the file list's files, as always.
  w->button(SettingsButton::AddAllPictures)->click();
  EXPECT_EQ(list->count(), 2);
  EXPECT_TRUE(f.walkLog->empty());

  w->subfoldersBox(FileTab::Pictures)->setChecked(true);
  w->button(SettingsButton::AddAllPictures)->click();
  const std::string p = ansi(f.pictures());
  EXPECT_EQ(listEntries(list), (StringList{p + "/a.jpg", p + "/b.bmp", p + "/2023/12/c.jpg", p + "/2024/d.gif"}));
  ASSERT_FALSE(f.walkLog->empty());
  EXPECT_EQ(f.walkLog->back(), 4u);

  // Again: nothing already there comes twice. The filter narrows the walk.
  f.writeFile(f.pictures() / "2024" / "e.jpg", "x");
  w->pictureFilter()->setCurrentIndex(1);  // JPEG
  w->button(SettingsButton::AddAllPictures)->click();
  EXPECT_EQ(list->count(), 5);
  EXPECT_EQ(listEntries(list).back(), p + "/2024/e.jpg");

  // A cancelled walk adds nothing.
  f.writeFile(f.pictures() / "2024" / "f.jpg", "x");
  f.cancelWalkAt = 2;
  w->button(SettingsButton::AddAllPictures)->click();
  EXPECT_EQ(list->count(), 5);
  // The media tab walks its own folder with its own mask.
  f.cancelWalkAt = 0;
  w->subfoldersBox(FileTab::Media)->setChecked(true);
  f.writeFile(f.userHome() / "音乐" / "cd1" / "t.rm", "x");
  w->button(SettingsButton::AddAllMedia)->click();
  EXPECT_EQ(entries(w->mediaList()).size(), 2);
}

TEST(SettingsBrowse, TheProgressDialogComesAfterItsDelayAndCancels) {
  testing::qtApp();
  QWidget parent;
  WalkProgressDialog late(&parent, 60000);
  EXPECT_TRUE(late.update(3));
  EXPECT_EQ(late.dialog(), nullptr);  // a quick walk shows nothing

  WalkProgressDialog progress(&parent, 0);
  EXPECT_TRUE(progress.update(7));
  ASSERT_NE(progress.dialog(), nullptr);
  EXPECT_TRUE(progress.dialog()->isVisible());
  EXPECT_TRUE(progress.dialog()->labelText().contains("7"));
  progress.dialog()->cancel();
  EXPECT_FALSE(progress.update(9));
}

TEST(SettingsBrowse, TheCountsFollowEveryChange) {
  BrowseFixture f;
  f.home.writeList("pic.txt", "/p/1.jpg\r\n/p/2.jpg\r\n/p/3.jpg\r\n");
  auto w = f.open();
  QLabel* count = w->countLabel(FileTab::Pictures);
  EXPECT_EQ(count->text(), "共 3 项");
  EXPECT_EQ(w->countLabel(FileTab::Media)->text(), "共 0 项");
  w->button(SettingsButton::AddPictures)->click();  // nothing chosen: nothing added
  EXPECT_EQ(count->text(), "共 3 项");
  w->button(SettingsButton::AddAllPictures)->click();
  EXPECT_EQ(count->text(), "共 5 项");
  w->pictureList()->item(0)->setSelected(true);
  w->button(SettingsButton::RemovePictures)->click();
  EXPECT_EQ(count->text(), "共 4 项");
  const fs::path saved = f.home.path() / "saved.txt";
  f.nextSave = QString::fromStdString(saved.string());
  w->button(SettingsButton::SavePictureList)->click();
  EXPECT_EQ(count->text(), "共 4 项");
  w->button(SettingsButton::RemoveAllPictures)->click();
  EXPECT_EQ(count->text(), "共 0 项");
  f.nextOpen = f.nextSave;
  w->button(SettingsButton::OpenPictureList)->click();
  EXPECT_EQ(count->text(), "共 4 项");
  QTest::keyClick(w->mediaFiles(), Qt::Key_Down);
  QTest::keyClick(w->mediaFiles(), Qt::Key_Return);
  EXPECT_EQ(w->countLabel(FileTab::Media)->text(), "共 1 项");
}

// Tab walks through every control of the picture tab, in reading order.
TEST(SettingsBrowse, TabRunsThroughEveryControlOfATab) {
  BrowseFixture f;
  auto w = f.open();
  w->show();
  QApplication::setActiveWindow(w.get());
  w->picturePlaces()->setFocus();
  std::vector<QWidget*> seen;
  for (int i = 0; i < 40 && w->tabs()->currentWidget()->isAncestorOf(QApplication::focusWidget()); ++i) {
    seen.push_back(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  const std::vector<QWidget*> expected = {w->picturePlaces(),
                                          w->pictureFolders(),
                                          w->pictureFiles(),
                                          w->pictureFilter(),
                                          w->button(SettingsButton::AddPictures),
                                          w->button(SettingsButton::AddAllPictures),
                                          w->subfoldersBox(FileTab::Pictures),
                                          w->button(SettingsButton::RemovePictures),
                                          w->button(SettingsButton::RemoveAllPictures),
                                          w->button(SettingsButton::SavePictureList),
                                          w->button(SettingsButton::OpenPictureList),
                                          w->pictureList()};
  EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace lumora
