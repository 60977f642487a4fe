#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <set>

#include "config/drive_combo_box.h"
#include "config/file_list_box.h"
#include "config/filter_combo_box.h"
#include "config/radio_group.h"
#include "platform/core/ansi.h"
#include "platform/core/paths.h"
#include "platform/core/registry_file.h"
#include "settings/list_file.h"
#include "settings/settings.h"
#include "tests/config/window_fixture.h"

namespace lumora {
namespace {

using testing::WindowFixture;

QStringList texts(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

void select(QListWidget* list, std::initializer_list<int> rows) {
  list->clearSelection();
  for (int r : rows) list->item(r)->setSelected(true);
}

std::string registryWith(const std::string& values) {
  return "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\software\\vistel]\r\n" + values;
}

TEST(SettingsWindow, LayoutCaptionsAndStartingState) {
  WindowFixture f;
  auto w = f.open();
  EXPECT_EQ(w->windowTitle(), "Lumora V3.70");
  EXPECT_EQ(w->size(), QSize(572, 466));
  EXPECT_FALSE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
  QTabWidget* tabs = w->pageControl1();
  ASSERT_EQ(tabs->count(), 5);
  EXPECT_EQ(tabs->tabText(0), "图片清单");
  EXPECT_EQ(tabs->tabText(1), "多媒体文件清单");
  EXPECT_EQ(tabs->tabText(2), "文字清单");
  EXPECT_EQ(tabs->tabText(3), "其它设置");
  EXPECT_EQ(tabs->tabText(4), "版本信息");
  EXPECT_EQ(w->button(7)->text(), "确  定");
  EXPECT_EQ(w->button(8)->text(), "取  消");
  EXPECT_EQ(w->button(1)->text(), "—> 添加");
  EXPECT_EQ(w->button(23)->text(), "<-- 移除");
  EXPECT_EQ(w->button(16)->text(), "停止预览");
  // Design-time choices.
  EXPECT_EQ(w->radioGroup2()->itemIndex(), 0);
  EXPECT_EQ(w->radioGroup1()->itemIndex(), 1);
  EXPECT_EQ(w->radioGroup4()->itemIndex(), -1);
  EXPECT_TRUE(w->radioButton(2)->isChecked());
  EXPECT_TRUE(w->radioButton(3)->isChecked());
  EXPECT_TRUE(w->checkBox3()->isChecked());
  EXPECT_EQ(w->upDown3()->value(), 1);
  EXPECT_EQ(w->upDown1()->maximum(), 200);
  EXPECT_EQ(w->upDown2()->value(), 5);
  EXPECT_EQ(w->edit5()->text(), "欢迎使用《Lumora》");
  // Filter selectors: descriptions shown, masks applied.
  EXPECT_EQ(w->filterComboBox2()->count(), 12);
  EXPECT_EQ(w->filterComboBox2()->itemText(4), " 剪贴画(*.wmf;*.emf)");
  EXPECT_EQ(w->filterComboBox1()->itemText(0), "所有多媒体文件(*.mp3;*.swf;*.rm)");
  w->filterComboBox1()->setCurrentIndex(2);
  EXPECT_EQ(w->fileListBox2()->mask(), "*.swf");
  // Fonts: "Default" first, then the installed families.
  EXPECT_EQ(w->comboBox3()->itemText(0), "Default");
  EXPECT_GT(w->comboBox3()->count(), 1);
  // Creating the window creates the folder and the key.
  EXPECT_TRUE(std::filesystem::is_directory(f.home.path() / "Lumora_Studio"));
  EXPECT_TRUE(RegistryFile::load(f.home.registry()).keyExists(kShowKey));
  EXPECT_TRUE(f.messages.isEmpty());
}

TEST(SettingsWindow, CreationLoadsTheFourListsInEitherEncoding) {
  WindowFixture f;
  f.home.writeList("pic.txt", "/p/a.jpg\r\n/p/b.jpg\r\n");
  f.home.writeList("music.txt", "/m/s.mp3\n");
  f.home.writeList("label.txt", "\xC4\xE3\xBA\xC3\r\n\r\nhi");  // GB18030 "你好", an empty line, no final end
  f.home.writeList("fontn.txt", "黑体\n");                       // UTF-8 written by hand
  auto w = f.open();
  EXPECT_EQ(texts(w->listBox(1)), (QStringList{"/p/a.jpg", "/p/b.jpg"}));
  EXPECT_EQ(texts(w->listBox(2)), QStringList{"/m/s.mp3"});
  EXPECT_EQ(texts(w->listBox(3)), (QStringList{"你好", "", "hi"}));
  EXPECT_EQ(texts(w->listBox(4)), QStringList{"黑体"});
}

TEST(SettingsWindow, AddingFilesTwiceAndAllAndRemovingSelected) {
  WindowFixture f;
  const auto folder = f.home.path() / "pics";
  for (const char* name : {"b.jpg", "a.JPG", "c.gif", "notes.txt"}) f.writeFile(folder / name, "x");
  auto w = f.open();
  w->fileListBox1()->setDirectory(folder.string());
  ASSERT_EQ(w->fileListBox1()->count(), 3);  // the mask drops notes.txt, matches .JPG
  select(w->fileListBox1(), {1});
  w->button(1)->click();
  w->button(1)->click();  // the same file again goes in again
  const QString b = QString::fromStdString((folder / "b.jpg").string());
  EXPECT_EQ(texts(w->listBox(1)), (QStringList{b, b}));
  w->button(4)->click();
  EXPECT_EQ(w->listBox(1)->count(), 5);
  EXPECT_EQ(w->listBox(1)->item(2)->text(), QString::fromStdString((folder / "a.JPG").string()));
  // Remove the 1st, 3rd and 4th in one go; the rest keep their order.
  select(w->listBox(1), {0, 2, 3});
  w->button(2)->click();
  EXPECT_EQ(texts(w->listBox(1)), (QStringList{b, QString::fromStdString((folder / "c.gif").string())}));
  w->button(3)->click();
  EXPECT_EQ(w->listBox(1)->count(), 0);
  // Files from the root of a drive get one separator.
  w->fileListBox2()->setDirectory("/");
  w->fileListBox2()->setMask("*.*");
  if (w->fileListBox2()->count() > 0) {
    select(w->fileListBox2(), {0});
    w->button(13)->click();
    ASSERT_EQ(w->listBox(2)->count(), 1);
    EXPECT_TRUE(w->listBox(2)->item(0)->text().startsWith("/"));
    EXPECT_FALSE(w->listBox(2)->item(0)->text().startsWith("//"));
  }
}

TEST(SettingsWindow, CaptionsByButtonAndEnterAndFonts) {
  WindowFixture f;
  auto w = f.open();
  w->edit6()->setText("第一行");
  w->button(17)->click();
  EXPECT_TRUE(w->edit6()->text().isEmpty());
  QTest::keyClicks(w->edit6(), "two");
  QTest::keyClick(w->edit6(), Qt::Key_Return);
  QTest::keyClick(w->edit6(), Qt::Key_Enter);  // empty: an empty line
  QTest::keyClick(w->edit6(), Qt::Key_A);      // other keys type
  EXPECT_EQ(texts(w->listBox(3)), (QStringList{"第一行", "two", ""}));
  EXPECT_EQ(w->edit6()->text(), "a");
  w->comboBox3()->setEditText("Some Font");
  w->button(22)->click();
  w->button(22)->click();
  EXPECT_EQ(texts(w->listBox(4)), (QStringList{"Some Font", "Some Font"}));
  EXPECT_EQ(w->comboBox3()->currentText(), "Some Font");
  select(w->listBox(4), {0});
  w->button(23)->click();
  EXPECT_EQ(w->listBox(4)->count(), 1);
  select(w->listBox(3), {0, 2});
  w->button(18)->click();
  EXPECT_EQ(texts(w->listBox(3)), QStringList{"two"});
  w->button(24)->click();
  w->button(19)->click();
  EXPECT_EQ(w->listBox(4)->count() + w->listBox(3)->count(), 0);
}

TEST(SettingsWindow, SavingAppendsTxtOnlyWhenMissing) {
  WindowFixture f;
  auto w = f.open();
  w->edit6()->setText("你好");
  w->button(17)->click();
  w->edit6()->setText("x");
  w->button(17)->click();
  const auto dir = f.home.path();
  f.nextSave = QString::fromStdString((dir / "a.txt").string());
  w->button(20)->click();
  f.nextSave = QString::fromStdString((dir / "b.TXT").string());
  w->button(20)->click();
  f.nextSave = QString::fromStdString((dir / "c").string());
  w->button(20)->click();
  f.nextSave = QString::fromStdString((dir / "d.txt.bak").string());
  w->button(20)->click();
  EXPECT_EQ(f.fileBytes(dir / "a.txt"), "\xC4\xE3\xBA\xC3\r\nx\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "a.txt.txt"));
  EXPECT_TRUE(std::filesystem::exists(dir / "b.TXT"));
  EXPECT_TRUE(std::filesystem::exists(dir / "c.txt"));
  EXPECT_TRUE(std::filesystem::exists(dir / "d.txt.bak.txt"));
  EXPECT_EQ(f.filters.first(), "文本文件(*.txt)");
  // Cancelling the dialog writes nothing.
  f.nextSave.clear();
  w->button(5)->click();
  EXPECT_TRUE(f.messages.isEmpty());
}

TEST(SettingsWindow, OpeningReplacesTheListAndFailuresKeepIt) {
  WindowFixture f;
  auto w = f.open();
  const auto list = f.home.path() / "saved.txt";
  f.writeFile(list, "/x/1.mp3\r\n/x/2.swf\r\n");
  w->edit6()->setText("keep");
  w->button(17)->click();
  f.nextOpen = QString::fromStdString(list.string());
  w->button(12)->click();
  EXPECT_EQ(texts(w->listBox(2)), (QStringList{"/x/1.mp3", "/x/2.swf"}));
  w->button(21)->click();
  EXPECT_EQ(texts(w->listBox(3)), (QStringList{"/x/1.mp3", "/x/2.swf"}));  // replaced, not merged
  // A file that is gone, and one that cannot be read: a message, the list stays.
  f.nextOpen = QString::fromStdString((f.home.path() / "gone.txt").string());
  w->button(6)->click();
  ASSERT_EQ(f.messages.size(), 1);
  EXPECT_TRUE(f.messages[0].contains("No such file")) << f.messages[0].toStdString();
  f.nextOpen = QString::fromStdString(f.home.path().string());  // a folder
  w->button(21)->click();
  EXPECT_EQ(f.messages.size(), 2);
  EXPECT_EQ(w->listBox(3)->count(), 2);
  // Saving into a folder that does not exist reports the system's reason.
  f.nextSave = QString::fromStdString((f.home.path() / "no" / "such" / "x").string());
  w->button(11)->click();
  ASSERT_EQ(f.messages.size(), 3);
  EXPECT_TRUE(f.messages[2].contains("No such file")) << f.messages[2].toStdString();
  EXPECT_TRUE(w->isEnabled());
}

TEST(SettingsWindow, FittingChoicesEnableTheTilingControls) {
  WindowFixture f;
  auto w = f.open();
  QTest::mouseClick(w->radioButton(1), Qt::LeftButton);
  EXPECT_TRUE(w->radioButton(1)->isChecked());
  EXPECT_FALSE(w->checkBox1()->isEnabled());
  EXPECT_FALSE(w->comboBox2()->isEnabled());
  EXPECT_EQ(w->settingsFromControls().fittingThreshold, -1);
  EXPECT_EQ(w->settingsFromControls().tiling, -1);
  QTest::mouseClick(w->radioButton(2), Qt::LeftButton);
  EXPECT_TRUE(w->checkBox1()->isEnabled());
  EXPECT_TRUE(w->comboBox2()->isEnabled());
  w->comboBox1()->setCurrentIndex(1);
  w->checkBox1()->setChecked(true);
  w->comboBox2()->setCurrentIndex(2);
  EXPECT_EQ(w->settingsFromControls().fittingThreshold, 1);
  EXPECT_EQ(w->settingsFromControls().tiling, 2);
  // An unchecked tiling box writes -1 while the combo box stays usable.
  w->checkBox1()->setChecked(false);
  EXPECT_TRUE(w->comboBox2()->isEnabled());
  EXPECT_EQ(w->settingsFromControls().tiling, -1);
}

TEST(SettingsWindow, ShowingLoadsStoredOptionsAndConfirmWritesThemBack) {
  WindowFixture f;
  f.home.writeRegistry(registryWith("\"other\"=\"kept\"\r\n"));
  SettingCodes codes;  // no caption order
  codes.pictureOrder = 1;
  codes.transitionSpeed = 7;
  codes.mediaOrder = 2;
  codes.shutdownMinutes = 30;
  codes.pauseSeconds = 12;
  codes.lyrics = 0;
  codes.fittingThreshold = 2;
  codes.tiling = 3;
  codes.openingDisplay = 1;
  codes.openingCaption = "\xC4\xE3\xBA\xC3!";
  codes.openingPicture = "/pics/open.jpg";
  f.home.writeSettings(codes);
  auto w = f.open();
  w->show();
  EXPECT_EQ(w->radioGroup2()->itemIndex(), 1);
  EXPECT_EQ(w->radioGroup1()->itemIndex(), 2);
  EXPECT_EQ(w->radioGroup4()->itemIndex(), -1);  // no caption order stored
  EXPECT_EQ(w->upDown3()->value(), 7);
  EXPECT_EQ(w->upDown1()->value(), 30);
  EXPECT_EQ(w->upDown2()->value(), 12);
  EXPECT_FALSE(w->checkBox3()->isChecked());
  EXPECT_TRUE(w->radioButton(2)->isChecked());
  EXPECT_EQ(w->comboBox1()->currentText(), "1024*768");
  EXPECT_TRUE(w->checkBox1()->isChecked());
  EXPECT_EQ(w->comboBox2()->currentText(), "300*300");
  EXPECT_EQ(w->edit5()->text(), "你好!");
  EXPECT_EQ(w->edit8()->text(), "/pics/open.jpg");
  EXPECT_TRUE(w->radioButton(4)->isChecked());

  w->button(7)->click();
  EXPECT_FALSE(w->isVisible());
  const RegistryFile reg = RegistryFile::load(f.home.registry());
  const StoredSettings s = readStoredSettings(reg);
  EXPECT_EQ(s.pictureOrder, 1);
  EXPECT_EQ(s.transitionSpeed, 7);
  EXPECT_EQ(s.captionOrder, -1);
  EXPECT_EQ(s.mediaOrder, 2);
  EXPECT_EQ(s.shutdownMinutes, 30);
  EXPECT_EQ(s.pauseSeconds, 12);
  EXPECT_EQ(s.lyrics, 0);
  EXPECT_EQ(s.fittingThreshold, 2);
  EXPECT_EQ(s.tiling, 3);
  EXPECT_EQ(s.openingDisplay, 1);
  EXPECT_EQ(s.openingCaption, "\xC4\xE3\xBA\xC3!");
  EXPECT_EQ(s.openingPicture, "/pics/open.jpg");
  EXPECT_EQ(reg.string(kShowKey, "other"), "kept");
}

TEST(SettingsWindow, StoredFitAllDisablesTilingAndWritesNoTiling) {
  WindowFixture f;
  SettingCodes codes;
  codes.fittingThreshold = -1;
  codes.tiling = 1;
  f.home.writeSettings(codes);
  auto w = f.open();
  w->show();
  EXPECT_TRUE(w->radioButton(1)->isChecked());
  EXPECT_FALSE(w->checkBox1()->isEnabled());
  EXPECT_FALSE(w->comboBox2()->isEnabled());
  EXPECT_FALSE(w->checkBox1()->isChecked());  // the stored tiling was not read
  w->button(7)->click();
  const StoredSettings s = readStoredSettings(RegistryFile::load(f.home.registry()));
  EXPECT_EQ(s.fittingThreshold, -1);
  EXPECT_EQ(s.tiling, -1);
}

TEST(SettingsWindow, OutOfRangeValuesLeaveTheControlsAlone) {
  WindowFixture f;
  SettingCodes codes;
  codes.fittingThreshold = 7;
  codes.tiling = 9;
  codes.pictureOrder = 5;
  codes.captionOrder = -1;
  codes.transitionSpeed = 1000;
  f.home.writeSettings(codes);
  auto w = f.open();
  w->show();
  EXPECT_TRUE(w->radioButton(2)->isChecked());
  EXPECT_EQ(w->comboBox1()->currentIndex(), 0);
  EXPECT_TRUE(w->checkBox1()->isEnabled());  // the tiling was read (the threshold is not fit-all) but 9 marks nothing
  EXPECT_FALSE(w->checkBox1()->isChecked());
  EXPECT_EQ(w->radioGroup2()->itemIndex(), 0);
  EXPECT_EQ(w->radioGroup4()->itemIndex(), -1);
  EXPECT_EQ(w->upDown3()->value(), 100);  // the up-down keeps to its range
}

TEST(SettingsWindow, PictureOrderWithoutRepeatsIsTheThirdChoiceAndStoredAsTwo) {
  WindowFixture f;
  SettingCodes codes;
  codes.pictureOrder = 2;
  f.home.writeSettings(codes);
  auto w = f.open();
  w->show();
  ASSERT_EQ(w->radioGroup2()->count(), 3);
  EXPECT_EQ(w->radioGroup2()->item(2)->text(), QStringLiteral("随机不重复"));
  EXPECT_EQ(w->radioGroup2()->itemIndex(), 2);
  w->button(7)->click();
  EXPECT_EQ(readStoredSettings(RegistryFile::load(f.home.registry())).pictureOrder, 2);
}

TEST(SettingsWindow, ConfirmWritesEveryListAtomicallyAndCancelWritesNothing) {
  WindowFixture f;
  f.home.writeList("pic.txt", "/p/1.jpg\r\n/p/2.jpg\r\n");
  f.home.writeList("label.txt", "a\r\nb\r\n");
  {
    auto w = f.open();
    w->show();
    select(w->listBox(1), {0, 1});
    w->button(2)->click();
    w->button(19)->click();
    w->radioGroup4()->setItemIndex(2);
    w->button(8)->click();
    EXPECT_FALSE(w->isVisible());
  }
  EXPECT_EQ(f.fileBytes(f.listFile("pic.txt")), "/p/1.jpg\r\n/p/2.jpg\r\n");
  EXPECT_EQ(f.fileBytes(f.listFile("label.txt")), "a\r\nb\r\n");
  EXPECT_FALSE(readStoredSettings(RegistryFile::load(f.home.registry())).captionOrder);
  EXPECT_FALSE(std::filesystem::exists(f.listFile("music.txt")));

  auto w = f.open();
  w->show();
  select(w->listBox(1), {0});
  w->button(2)->click();
  w->button(7)->click();
  EXPECT_EQ(f.fileBytes(f.listFile("pic.txt")), "/p/2.jpg\r\n");
  EXPECT_EQ(f.fileBytes(f.listFile("music.txt")), "");
  EXPECT_EQ(f.fileBytes(f.listFile("fontn.txt")), "");
  EXPECT_EQ(readStoredSettings(RegistryFile::load(f.home.registry())).captionOrder, -1);
}

TEST(SettingsWindow, AFailedConfirmReportsAndKeepsTheWindowAndTheFiles) {
  WindowFixture f;
  f.home.writeList("pic.txt", "/p/1.jpg\r\n");
  f.home.writeList("fontn.txt", "old\r\n");
  // A folder that is not empty where label.txt should go: it cannot be replaced.
  f.writeFile(f.listFile("label.txt") / "inside", "x");
  auto w = f.open();
  w->show();
  w->button(3)->click();
  w->button(24)->click();
  w->button(7)->click();
  ASSERT_EQ(f.messages.size(), 1);
  EXPECT_TRUE(f.messages[0].contains("label.txt")) << f.messages[0].toStdString();
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(f.fileBytes(f.listFile("pic.txt")), "");        // written before the failure
  EXPECT_EQ(f.fileBytes(f.listFile("fontn.txt")), "old\r\n");  // not reached
  EXPECT_FALSE(readStoredSettings(RegistryFile::load(f.home.registry())).pictureOrder);  // values not reached
  // No temporary file is left behind.
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(f.home.path() / "Lumora_Studio"))
    names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"fontn.txt", "label.txt", "music.txt", "pic.txt"}));
}

TEST(SettingsWindow, UnreadableListFileAtCreationIsReportedAndTheRestLoads) {
  WindowFixture f;
  std::filesystem::create_directories(f.listFile("pic.txt"));  // a folder where the file should be
  f.home.writeList("music.txt", "/m/a.mp3\r\n");
  auto w = f.open();
  EXPECT_EQ(f.messages.size(), 0);  // a folder is no list file: an empty list, as a missing one
  std::filesystem::remove(f.listFile("pic.txt"));
  if (::geteuid() != 0) {
    f.home.writeList("label.txt", "x\r\n");
    std::filesystem::permissions(f.listFile("label.txt"), std::filesystem::perms::none);
    auto w2 = f.open();
    EXPECT_EQ(f.messages.size(), 1);
    EXPECT_EQ(w2->listBox(3)->count(), 0);
    EXPECT_EQ(texts(w2->listBox(2)), QStringList{"/m/a.mp3"});
  }
}

TEST(SettingsWindow, ChineseOpeningCaptionSurvivesConfirmAndShowing) {
  WindowFixture f;
  {
    auto w = f.open();
    w->show();
    w->edit5()->setText("春眠不觉晓 Lumora");
    w->button(7)->click();
  }
  const auto stored = readStoredSettings(RegistryFile::load(f.home.registry())).openingCaption;
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->size(), 5u * 2 + 7);  // five GB18030 characters of 2 bytes, 7 ASCII bytes
  auto w = f.open();
  w->show();
  EXPECT_EQ(w->edit5()->text(), "春眠不觉晓 Lumora");
}

TEST(SettingsWindow, OpeningPictureDialogFillsEdit8Only) {
  WindowFixture f;
  auto w = f.open();
  f.nextPicture = "/pics/x.tga";
  w->button(25)->click();
  EXPECT_EQ(w->edit8()->text(), "/pics/x.tga");
  EXPECT_TRUE(w->radioButton(3)->isChecked());  // the choice is the user's
  const QString filter = f.filters.last();
  EXPECT_TRUE(filter.startsWith("All (*.bmp *.ico")) << filter.toStdString();
  EXPECT_TRUE(filter.contains("Truevision images (*.tga)"));
  EXPECT_TRUE(filter.contains(";;Kodak Photo-CD images (*.pcd)"));
  f.nextPicture.clear();
  w->button(25)->click();
  EXPECT_EQ(w->edit8()->text(), "/pics/x.tga");
}

TEST(SettingsWindow, AboutPicturesSwapEverySecond) {
  WindowFixture f;
  auto w = f.open();
  EXPECT_EQ(w->timer1()->interval(), 1000);
  EXPECT_TRUE(w->timer1()->isActive());
  EXPECT_EQ(w->aboutPictureShown(), 0);
  w->timer1Timer();
  EXPECT_EQ(w->aboutPictureShown(), 1);
  w->timer1Timer();
  EXPECT_EQ(w->aboutPictureShown(), 0);
  QTRY_COMPARE_WITH_TIMEOUT(w->aboutPictureShown(), 1, 2500);
}

// What the window confirms is what the show then reads, through the saver's
// own readers over the same LUMORA_HOME.
TEST(SettingsWindow, RoundTripIntoTheShow) {
  WindowFixture f;
  const auto pics = f.home.path() / "pics";
  f.writeFile(pics / "你好.bmp", "x");
  f.writeFile(pics / "two.jpg", "x");
  {
    auto w = f.open();
    w->show();
    w->fileListBox1()->setDirectory(pics.string());
    w->button(4)->click();
    w->edit6()->setText("早上好");
    w->button(17)->click();
    w->comboBox3()->setEditText("黑体");
    w->button(22)->click();
    w->radioGroup2()->setItemIndex(1);
    w->radioGroup4()->setItemIndex(1);
    w->radioGroup1()->setItemIndex(0);
    w->upDown3()->setValue(3);
    w->upDown2()->setValue(9);
    w->upDown1()->setValue(45);
    w->checkBox3()->setChecked(false);
    w->comboBox1()->setCurrentIndex(2);
    w->checkBox1()->setChecked(true);
    w->comboBox2()->setCurrentIndex(1);
    w->edit5()->setText("欢迎");
    w->button(7)->click();
  }
  const ShowSettings s = loadShowSettings(registryFilePath());
  EXPECT_EQ(s.pictureOrder, PictureOrder::Random);
  EXPECT_EQ(s.captionOrder, PlayOrder::InList);
  EXPECT_EQ(s.mediaOrder, PlayOrder::None);
  EXPECT_EQ(s.transitionSpeed, 3);
  EXPECT_EQ(s.pauseMs(), 9000);
  EXPECT_EQ(s.shutdownMinutes, 45);
  EXPECT_FALSE(s.lyricsOn);
  EXPECT_EQ(s.fittingThreshold, FittingThreshold::Below1024x768);
  EXPECT_EQ(s.tiling, Tiling::UpTo500);
  EXPECT_EQ(s.openingDisplay, OpeningDisplay::Caption);
  EXPECT_EQ(s.openingCaption, "\xBB\xB6\xD3\xAD");  // 欢迎 in GB18030
  const StringList pictures = readListFile(listFilePath(kPictureListFile));
  ASSERT_EQ(pictures.size(), 2u);
  EXPECT_EQ(pathFromAnsi(pictures[0]), pics / "two.jpg");  // sorted by name: "two" < "你好"
  EXPECT_EQ(pictures[1].substr(pictures[1].size() - 8), "\xC4\xE3\xBA\xC3.bmp");  // GB18030
  EXPECT_EQ(pathFromAnsi(pictures[1]), pics / "你好.bmp");
  EXPECT_TRUE(std::filesystem::exists(pathFromAnsi(pictures[1])));
  EXPECT_EQ(readListFile(listFilePath(kCaptionListFile)), StringList{"\xD4\xE7\xC9\xCF\xBA\xC3"});
  EXPECT_EQ(readListFile(listFilePath(kFontListFile)), StringList{"\xBA\xDA\xCC\xE5"});
  EXPECT_TRUE(readListFile(listFilePath(kMediaListFile)).empty());
}

TEST(SettingsWindow, EntriesThatAreNoValidTextAreWrittenBackByteForByte) {
  WindowFixture f;
  const std::string odd = "/p/\x81\x20odd.jpg\r\n/p/ok.jpg\r\n";  // \x81\x20 starts no GB18030 character
  f.home.writeList("pic.txt", odd);
  auto w = f.open();
  w->show();
  w->button(7)->click();
  EXPECT_EQ(f.fileBytes(f.listFile("pic.txt")), odd);
}

}  // namespace
}  // namespace lumora

namespace lumora {
namespace {

// The picture tab's tree over a scratch folder: picking the drive, clicking
// a folder, expanding one under the hourglass.
TEST(SettingsWindowTrees, DriveClickAndExpansion) {
  WindowFixture f;
  const auto root = f.home.path() / "drive";
  f.writeFile(root / "a" / "a1" / "deep" / "x.txt", "x");
  f.writeFile(root / "a" / "a1" / "p.jpg", "x");
  f.writeFile(root / "a" / "a1" / "UP.JPG", "x");
  f.writeFile(root / "a" / "a1" / "n.txt", "x");
  f.writeFile(root / "b" / "q.jpg", "x");
  auto w = f.open();
  EXPECT_EQ(w->driveComboBox1()->itemText(w->driveComboBox1()->count() - 1), "/");
  const std::string drive = root.string() + "/";
  w->driveComboBox1()->addItem("scratch", QByteArray::fromStdString(drive));
  w->driveComboBox1()->setCurrentIndex(w->driveComboBox1()->count() - 1);
  w->driveComboBoxChange(1);
  ASSERT_EQ(w->treeView1()->topLevelItemCount(), 2);
  EXPECT_EQ(w->fileListBox1()->directory(), drive);
  QTreeWidgetItem* a = w->treeView1()->topLevelItem(0);
  ASSERT_EQ(a->text(0), "a");
  ASSERT_EQ(a->childCount(), 1);
  QTreeWidgetItem* a1 = a->child(0);
  EXPECT_EQ(a1->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);

  // A click on a folder shows its files through the tab's mask.
  w->treeView1()->setCurrentItem(a1);
  w->treeViewClick(1);
  EXPECT_EQ(w->fileListBox1()->directory(), drive + "a/a1/");
  ASSERT_EQ(w->fileListBox1()->count(), 2);
  EXPECT_EQ(w->fileListBox1()->fileName(0), "UP.JPG");
  EXPECT_EQ(w->fileListBox1()->fileName(1), "p.jpg");
  // No selected node: nothing changes and nothing is reported.
  w->treeView1()->clearSelection();
  w->treeViewClick(1);
  EXPECT_EQ(w->fileListBox1()->directory(), drive + "a/a1/");

  // Expanding reads the folder afresh, under the hourglass.
  std::vector<int> cursors;
  w->dirScanTreeView1().OnDirFound = [&](TDADirScan&, const std::string&, bool&) {
    cursors.push_back(QApplication::overrideCursor() ? int(QApplication::overrideCursor()->shape()) : -1);
  };
  f.writeFile(root / "a" / "a1" / "fresh" / "y.txt", "y");
  w->treeView1()->expandItem(a1);
  ASSERT_EQ(a1->childCount(), 2);
  EXPECT_EQ(a1->child(0)->text(0), "deep");
  EXPECT_EQ(a1->child(1)->text(0), "fresh");
  ASSERT_FALSE(cursors.empty());
  for (int c : cursors) EXPECT_EQ(c, int(Qt::WaitCursor));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the default cursor again
  // The media tab's tree is its own: still on the home folder.
  EXPECT_EQ(w->treeView2()->topLevelItemCount(), 0);
  EXPECT_EQ(w->fileListBox2()->directory(), f.userHome().string() + "/");
}

}  // namespace
}  // namespace lumora
