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

#include "settings_window/drive_combo_box.h"
#include "settings_window/file_list_box.h"
#include "settings_window/filter_combo_box.h"
#include "settings_window/radio_group.h"
#include "platform/core/ansi.h"
#include "platform/core/paths.h"
#include "platform/core/registry_file.h"
#include "settings/list_file.h"
#include "settings/settings.h"
#include "tests/settings_window/window_fixture.h"

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
  QTabWidget* tabs = w->tabs();
  ASSERT_EQ(tabs->count(), 5);
  EXPECT_EQ(tabs->tabText(0), "图片清单");
  EXPECT_EQ(tabs->tabText(1), "多媒体文件清单");
  EXPECT_EQ(tabs->tabText(2), "文字清单");
  EXPECT_EQ(tabs->tabText(3), "其它设置");
  EXPECT_EQ(tabs->tabText(4), "版本信息");
  EXPECT_EQ(w->button(SettingsButton::Confirm)->text(), "确  定");
  EXPECT_EQ(w->button(SettingsButton::Cancel)->text(), "取  消");
  EXPECT_EQ(w->button(SettingsButton::AddPictures)->text(), "—> 添加");
  EXPECT_EQ(w->button(SettingsButton::RemoveFonts)->text(), "<-- 移除");
  EXPECT_EQ(w->button(SettingsButton::StopPreview)->text(), "停止预览");
  // Design-time choices.
  EXPECT_EQ(w->pictureOrderChoice()->itemIndex(), 0);
  EXPECT_EQ(w->mediaOrderChoice()->itemIndex(), 1);
  EXPECT_EQ(w->captionOrderChoice()->itemIndex(), -1);
  EXPECT_TRUE(w->fitLargerChoice()->isChecked());
  EXPECT_TRUE(w->openingCaptionChoice()->isChecked());
  EXPECT_TRUE(w->lyricsCheck()->isChecked());
  EXPECT_EQ(w->transitionSpeed()->value(), 1);
  EXPECT_EQ(w->shutdownMinutes()->maximum(), 200);
  EXPECT_EQ(w->pauseSeconds()->value(), 5);
  EXPECT_EQ(w->openingCaptionEdit()->text(), "欢迎使用《Lumora》");
  // Filter selectors: descriptions shown, masks applied.
  EXPECT_EQ(w->pictureFilter()->count(), 12);
  EXPECT_EQ(w->pictureFilter()->itemText(4), " 剪贴画(*.wmf;*.emf)");
  EXPECT_EQ(w->mediaFilter()->itemText(0), "所有多媒体文件(*.mp3;*.swf;*.rm)");
  w->mediaFilter()->setCurrentIndex(2);
  EXPECT_EQ(w->mediaFiles()->mask(), "*.swf");
  // Fonts: "Default" first, then the installed families.
  EXPECT_EQ(w->fontChoice()->itemText(0), "Default");
  EXPECT_GT(w->fontChoice()->count(), 1);
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
  f.home.writeList("fontn.txt", "黑体\n");                      // UTF-8 written by hand
  auto w = f.open();
  EXPECT_EQ(texts(w->pictureList()), (QStringList{"/p/a.jpg", "/p/b.jpg"}));
  EXPECT_EQ(texts(w->mediaList()), QStringList{"/m/s.mp3"});
  EXPECT_EQ(texts(w->captionList()), (QStringList{"你好", "", "hi"}));
  EXPECT_EQ(texts(w->fontList()), QStringList{"黑体"});
}

TEST(SettingsWindow, AddingFilesTwiceAndAllAndRemovingSelected) {
  WindowFixture f;
  const auto folder = f.home.path() / "pics";
  for (const char* name : {"b.jpg", "a.JPG", "c.gif", "notes.txt"}) f.writeFile(folder / name, "x");
  auto w = f.open();
  w->pictureFiles()->setDirectory(folder.string());
  ASSERT_EQ(w->pictureFiles()->count(), 3);  // the mask drops notes.txt, matches .JPG
  select(w->pictureFiles(), {1});
  w->button(SettingsButton::AddPictures)->click();
  w->button(SettingsButton::AddPictures)->click();  // the same file again goes in again
  const QString b = QString::fromStdString((folder / "b.jpg").string());
  EXPECT_EQ(texts(w->pictureList()), (QStringList{b, b}));
  w->button(SettingsButton::AddAllPictures)->click();
  EXPECT_EQ(w->pictureList()->count(), 5);
  EXPECT_EQ(w->pictureList()->item(2)->text(), QString::fromStdString((folder / "a.JPG").string()));
  // Remove the 1st, 3rd and 4th in one go; the rest keep their order.
  select(w->pictureList(), {0, 2, 3});
  w->button(SettingsButton::RemovePictures)->click();
  EXPECT_EQ(texts(w->pictureList()), (QStringList{b, QString::fromStdString((folder / "c.gif").string())}));
  w->button(SettingsButton::RemoveAllPictures)->click();
  EXPECT_EQ(w->pictureList()->count(), 0);
  // Files from the root of a drive get one separator.
  w->mediaFiles()->setDirectory("/");
  w->mediaFiles()->setMask("*.*");
  if (w->mediaFiles()->count() > 0) {
    select(w->mediaFiles(), {0});
    w->button(SettingsButton::AddMedia)->click();
    ASSERT_EQ(w->mediaList()->count(), 1);
    EXPECT_TRUE(w->mediaList()->item(0)->text().startsWith("/"));
    EXPECT_FALSE(w->mediaList()->item(0)->text().startsWith("//"));
  }
}

TEST(SettingsWindow, CaptionsByButtonAndEnterAndFonts) {
  WindowFixture f;
  auto w = f.open();
  w->captionEdit()->setText("第一行");
  w->button(SettingsButton::AddCaption)->click();
  EXPECT_TRUE(w->captionEdit()->text().isEmpty());
  QTest::keyClicks(w->captionEdit(), "two");
  QTest::keyClick(w->captionEdit(), Qt::Key_Return);
  QTest::keyClick(w->captionEdit(), Qt::Key_Enter);  // empty: an empty line
  QTest::keyClick(w->captionEdit(), Qt::Key_A);      // other keys type
  EXPECT_EQ(texts(w->captionList()), (QStringList{"第一行", "two", ""}));
  EXPECT_EQ(w->captionEdit()->text(), "a");
  w->fontChoice()->setEditText("Some Font");
  w->button(SettingsButton::AddFont)->click();
  w->button(SettingsButton::AddFont)->click();
  EXPECT_EQ(texts(w->fontList()), (QStringList{"Some Font", "Some Font"}));
  EXPECT_EQ(w->fontChoice()->currentText(), "Some Font");
  select(w->fontList(), {0});
  w->button(SettingsButton::RemoveFonts)->click();
  EXPECT_EQ(w->fontList()->count(), 1);
  select(w->captionList(), {0, 2});
  w->button(SettingsButton::RemoveCaptions)->click();
  EXPECT_EQ(texts(w->captionList()), QStringList{"two"});
  w->button(SettingsButton::RemoveAllFonts)->click();
  w->button(SettingsButton::RemoveAllCaptions)->click();
  EXPECT_EQ(w->fontList()->count() + w->captionList()->count(), 0);
}

TEST(SettingsWindow, SavingAppendsTxtOnlyWhenMissing) {
  WindowFixture f;
  auto w = f.open();
  w->captionEdit()->setText("你好");
  w->button(SettingsButton::AddCaption)->click();
  w->captionEdit()->setText("x");
  w->button(SettingsButton::AddCaption)->click();
  const auto dir = f.home.path();
  f.nextSave = QString::fromStdString((dir / "a.txt").string());
  w->button(SettingsButton::SaveCaptionList)->click();
  f.nextSave = QString::fromStdString((dir / "b.TXT").string());
  w->button(SettingsButton::SaveCaptionList)->click();
  f.nextSave = QString::fromStdString((dir / "c").string());
  w->button(SettingsButton::SaveCaptionList)->click();
  f.nextSave = QString::fromStdString((dir / "d.txt.bak").string());
  w->button(SettingsButton::SaveCaptionList)->click();
  EXPECT_EQ(f.fileBytes(dir / "a.txt"), "\xC4\xE3\xBA\xC3\r\nx\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "a.txt.txt"));
  EXPECT_TRUE(std::filesystem::exists(dir / "b.TXT"));
  EXPECT_TRUE(std::filesystem::exists(dir / "c.txt"));
  EXPECT_TRUE(std::filesystem::exists(dir / "d.txt.bak.txt"));
  EXPECT_EQ(f.filters.first(), "文本文件(*.txt)");
  // Cancelling the dialog writes nothing.
  f.nextSave.clear();
  w->button(SettingsButton::SavePictureList)->click();
  EXPECT_TRUE(f.messages.isEmpty());
}

TEST(SettingsWindow, OpeningReplacesTheListAndFailuresKeepIt) {
  WindowFixture f;
  auto w = f.open();
  const auto list = f.home.path() / "saved.txt";
  f.writeFile(list, "/x/1.mp3\r\n/x/2.swf\r\n");
  w->captionEdit()->setText("keep");
  w->button(SettingsButton::AddCaption)->click();
  f.nextOpen = QString::fromStdString(list.string());
  w->button(SettingsButton::OpenMediaList)->click();
  EXPECT_EQ(texts(w->mediaList()), (QStringList{"/x/1.mp3", "/x/2.swf"}));
  w->button(SettingsButton::OpenCaptionList)->click();
  EXPECT_EQ(texts(w->captionList()), (QStringList{"/x/1.mp3", "/x/2.swf"}));  // replaced, not merged
  // A file that is gone, and one that cannot be read: a message, the list stays.
  f.nextOpen = QString::fromStdString((f.home.path() / "gone.txt").string());
  w->button(SettingsButton::OpenPictureList)->click();
  ASSERT_EQ(f.messages.size(), 1);
  EXPECT_TRUE(f.messages[0].contains("No such file")) << f.messages[0].toStdString();
  f.nextOpen = QString::fromStdString(f.home.path().string());  // a folder
  w->button(SettingsButton::OpenCaptionList)->click();
  EXPECT_EQ(f.messages.size(), 2);
  EXPECT_EQ(w->captionList()->count(), 2);
  // Saving into a folder that does not exist reports the system's reason.
  f.nextSave = QString::fromStdString((f.home.path() / "no" / "such" / "x").string());
  w->button(SettingsButton::SaveMediaList)->click();
  ASSERT_EQ(f.messages.size(), 3);
  EXPECT_TRUE(f.messages[2].contains("No such file")) << f.messages[2].toStdString();
  EXPECT_TRUE(w->isEnabled());
}

TEST(SettingsWindow, FittingChoicesEnableTheTilingControls) {
  WindowFixture f;
  auto w = f.open();
  QTest::mouseClick(w->fitAllChoice(), Qt::LeftButton);
  EXPECT_TRUE(w->fitAllChoice()->isChecked());
  EXPECT_FALSE(w->tilingCheck()->isEnabled());
  EXPECT_FALSE(w->tilingSizeChoice()->isEnabled());
  EXPECT_EQ(w->settingsFromControls().fittingThreshold, -1);
  EXPECT_EQ(w->settingsFromControls().tiling, -1);
  QTest::mouseClick(w->fitLargerChoice(), Qt::LeftButton);
  EXPECT_TRUE(w->tilingCheck()->isEnabled());
  EXPECT_TRUE(w->tilingSizeChoice()->isEnabled());
  w->fittingSizeChoice()->setCurrentIndex(1);
  w->tilingCheck()->setChecked(true);
  w->tilingSizeChoice()->setCurrentIndex(2);
  EXPECT_EQ(w->settingsFromControls().fittingThreshold, 1);
  EXPECT_EQ(w->settingsFromControls().tiling, 2);
  // An unchecked tiling box writes -1 while the combo box stays usable.
  w->tilingCheck()->setChecked(false);
  EXPECT_TRUE(w->tilingSizeChoice()->isEnabled());
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
  EXPECT_EQ(w->pictureOrderChoice()->itemIndex(), 1);
  EXPECT_EQ(w->mediaOrderChoice()->itemIndex(), 2);
  EXPECT_EQ(w->captionOrderChoice()->itemIndex(), -1);  // no caption order stored
  EXPECT_EQ(w->transitionSpeed()->value(), 7);
  EXPECT_EQ(w->shutdownMinutes()->value(), 30);
  EXPECT_EQ(w->pauseSeconds()->value(), 12);
  EXPECT_FALSE(w->lyricsCheck()->isChecked());
  EXPECT_TRUE(w->fitLargerChoice()->isChecked());
  EXPECT_EQ(w->fittingSizeChoice()->currentText(), "1024*768");
  EXPECT_TRUE(w->tilingCheck()->isChecked());
  EXPECT_EQ(w->tilingSizeChoice()->currentText(), "300*300");
  EXPECT_EQ(w->openingCaptionEdit()->text(), "你好!");
  EXPECT_EQ(w->openingPictureEdit()->text(), "/pics/open.jpg");
  EXPECT_TRUE(w->openingPictureChoice()->isChecked());

  w->button(SettingsButton::Confirm)->click();
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
  EXPECT_TRUE(w->fitAllChoice()->isChecked());
  EXPECT_FALSE(w->tilingCheck()->isEnabled());
  EXPECT_FALSE(w->tilingSizeChoice()->isEnabled());
  EXPECT_FALSE(w->tilingCheck()->isChecked());  // the stored tiling was not read
  w->button(SettingsButton::Confirm)->click();
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
  EXPECT_TRUE(w->fitLargerChoice()->isChecked());
  EXPECT_EQ(w->fittingSizeChoice()->currentIndex(), 0);
  EXPECT_TRUE(w->tilingCheck()->isEnabled());  // the tiling was read (the threshold is not fit-all) but 9 marks nothing
  EXPECT_FALSE(w->tilingCheck()->isChecked());
  EXPECT_EQ(w->pictureOrderChoice()->itemIndex(), 0);
  EXPECT_EQ(w->captionOrderChoice()->itemIndex(), -1);
  EXPECT_EQ(w->transitionSpeed()->value(), 100);  // the up-down keeps to its range
}

TEST(SettingsWindow, PictureOrderWithoutRepeatsIsTheThirdChoiceAndStoredAsTwo) {
  WindowFixture f;
  SettingCodes codes;
  codes.pictureOrder = 2;
  f.home.writeSettings(codes);
  auto w = f.open();
  w->show();
  ASSERT_EQ(w->pictureOrderChoice()->count(), 3);
  EXPECT_EQ(w->pictureOrderChoice()->item(2)->text(), QStringLiteral("随机不重复"));
  EXPECT_EQ(w->pictureOrderChoice()->itemIndex(), 2);
  w->button(SettingsButton::Confirm)->click();
  EXPECT_EQ(readStoredSettings(RegistryFile::load(f.home.registry())).pictureOrder, 2);
}

TEST(SettingsWindow, ConfirmWritesEveryListAtomicallyAndCancelWritesNothing) {
  WindowFixture f;
  f.home.writeList("pic.txt", "/p/1.jpg\r\n/p/2.jpg\r\n");
  f.home.writeList("label.txt", "a\r\nb\r\n");
  {
    auto w = f.open();
    w->show();
    select(w->pictureList(), {0, 1});
    w->button(SettingsButton::RemovePictures)->click();
    w->button(SettingsButton::RemoveAllCaptions)->click();
    w->captionOrderChoice()->setItemIndex(2);
    w->button(SettingsButton::Cancel)->click();
    EXPECT_FALSE(w->isVisible());
  }
  EXPECT_EQ(f.fileBytes(f.listFile("pic.txt")), "/p/1.jpg\r\n/p/2.jpg\r\n");
  EXPECT_EQ(f.fileBytes(f.listFile("label.txt")), "a\r\nb\r\n");
  EXPECT_FALSE(readStoredSettings(RegistryFile::load(f.home.registry())).captionOrder);
  EXPECT_FALSE(std::filesystem::exists(f.listFile("music.txt")));

  auto w = f.open();
  w->show();
  select(w->pictureList(), {0});
  w->button(SettingsButton::RemovePictures)->click();
  w->button(SettingsButton::Confirm)->click();
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
  w->button(SettingsButton::RemoveAllPictures)->click();
  w->button(SettingsButton::RemoveAllFonts)->click();
  w->button(SettingsButton::Confirm)->click();
  ASSERT_EQ(f.messages.size(), 1);
  EXPECT_TRUE(f.messages[0].contains("label.txt")) << f.messages[0].toStdString();
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(f.fileBytes(f.listFile("pic.txt")), "");                                     // written before the failure
  EXPECT_EQ(f.fileBytes(f.listFile("fontn.txt")), "old\r\n");                            // not reached
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
    EXPECT_EQ(w2->captionList()->count(), 0);
    EXPECT_EQ(texts(w2->mediaList()), QStringList{"/m/a.mp3"});
  }
}

TEST(SettingsWindow, ChineseOpeningCaptionSurvivesConfirmAndShowing) {
  WindowFixture f;
  {
    auto w = f.open();
    w->show();
    w->openingCaptionEdit()->setText("春眠不觉晓 Lumora");
    w->button(SettingsButton::Confirm)->click();
  }
  const auto stored = readStoredSettings(RegistryFile::load(f.home.registry())).openingCaption;
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->size(), 5u * 2 + 7);  // five GB18030 characters of 2 bytes, 7 ASCII bytes
  auto w = f.open();
  w->show();
  EXPECT_EQ(w->openingCaptionEdit()->text(), "春眠不觉晓 Lumora");
}

TEST(SettingsWindow, OpeningPictureDialogFillsOnlyTheOpeningPictureEdit) {
  WindowFixture f;
  auto w = f.open();
  f.nextPicture = "/pics/x.tga";
  w->button(SettingsButton::BrowseOpeningPicture)->click();
  EXPECT_EQ(w->openingPictureEdit()->text(), "/pics/x.tga");
  EXPECT_TRUE(w->openingCaptionChoice()->isChecked());  // the choice is the user's
  const QString filter = f.filters.last();
  EXPECT_TRUE(filter.startsWith("All (*.bmp *.ico")) << filter.toStdString();
  EXPECT_TRUE(filter.contains("Truevision images (*.tga)"));
  EXPECT_TRUE(filter.contains(";;Kodak Photo-CD images (*.pcd)"));
  f.nextPicture.clear();
  w->button(SettingsButton::BrowseOpeningPicture)->click();
  EXPECT_EQ(w->openingPictureEdit()->text(), "/pics/x.tga");
}

TEST(SettingsWindow, AboutPicturesSwapEverySecond) {
  WindowFixture f;
  auto w = f.open();
  EXPECT_EQ(w->aboutPictureTimer()->interval(), 1000);
  EXPECT_TRUE(w->aboutPictureTimer()->isActive());
  EXPECT_EQ(w->aboutPictureShown(), 0);
  w->showOtherAboutPicture();
  EXPECT_EQ(w->aboutPictureShown(), 1);
  w->showOtherAboutPicture();
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
    w->pictureFiles()->setDirectory(pics.string());
    w->button(SettingsButton::AddAllPictures)->click();
    w->captionEdit()->setText("早上好");
    w->button(SettingsButton::AddCaption)->click();
    w->fontChoice()->setEditText("黑体");
    w->button(SettingsButton::AddFont)->click();
    w->pictureOrderChoice()->setItemIndex(1);
    w->captionOrderChoice()->setItemIndex(1);
    w->mediaOrderChoice()->setItemIndex(0);
    w->transitionSpeed()->setValue(3);
    w->pauseSeconds()->setValue(9);
    w->shutdownMinutes()->setValue(45);
    w->lyricsCheck()->setChecked(false);
    w->fittingSizeChoice()->setCurrentIndex(2);
    w->tilingCheck()->setChecked(true);
    w->tilingSizeChoice()->setCurrentIndex(1);
    w->openingCaptionEdit()->setText("欢迎");
    w->button(SettingsButton::Confirm)->click();
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
  EXPECT_EQ(pathFromAnsi(pictures[0]), pics / "two.jpg");                         // sorted by name: "two" < "你好"
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
  w->button(SettingsButton::Confirm)->click();
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
  EXPECT_EQ(w->picturePlaces()->itemText(w->picturePlaces()->count() - 1), "/");
  const std::string drive = root.string() + "/";
  w->picturePlaces()->addItem("scratch", QByteArray::fromStdString(drive));
  w->picturePlaces()->setCurrentIndex(w->picturePlaces()->count() - 1);
  w->placeChosen(FileTab::Pictures);
  ASSERT_EQ(w->pictureFolders()->topLevelItemCount(), 2);
  EXPECT_EQ(w->pictureFiles()->directory(), drive);
  QTreeWidgetItem* a = w->pictureFolders()->topLevelItem(0);
  ASSERT_EQ(a->text(0), "a");
  ASSERT_EQ(a->childCount(), 1);
  QTreeWidgetItem* a1 = a->child(0);
  EXPECT_EQ(a1->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);

  // A click on a folder shows its files through the tab's mask.
  w->pictureFolders()->setCurrentItem(a1);
  w->folderClicked(FileTab::Pictures);
  EXPECT_EQ(w->pictureFiles()->directory(), drive + "a/a1/");
  ASSERT_EQ(w->pictureFiles()->count(), 2);
  EXPECT_EQ(w->pictureFiles()->fileName(0), "UP.JPG");
  EXPECT_EQ(w->pictureFiles()->fileName(1), "p.jpg");
  // No selected node: nothing changes and nothing is reported.
  w->pictureFolders()->clearSelection();
  w->folderClicked(FileTab::Pictures);
  EXPECT_EQ(w->pictureFiles()->directory(), drive + "a/a1/");

  // Expanding reads the folder afresh, under the hourglass.
  std::vector<int> cursors;
  w->pictureFolderScan().onFolderFound = [&](FolderScan&, const std::string&, bool&) {
    cursors.push_back(QApplication::overrideCursor() ? int(QApplication::overrideCursor()->shape()) : -1);
  };
  f.writeFile(root / "a" / "a1" / "fresh" / "y.txt", "y");
  w->pictureFolders()->expandItem(a1);
  ASSERT_EQ(a1->childCount(), 2);
  EXPECT_EQ(a1->child(0)->text(0), "deep");
  EXPECT_EQ(a1->child(1)->text(0), "fresh");
  ASSERT_FALSE(cursors.empty());
  for (int c : cursors) EXPECT_EQ(c, int(Qt::WaitCursor));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the default cursor again
  // The media tab's tree is its own: still on the home folder.
  EXPECT_EQ(w->mediaFolders()->topLevelItemCount(), 0);
  EXPECT_EQ(w->mediaFiles()->directory(), f.userHome().string() + "/");
}

}  // namespace
}  // namespace lumora
