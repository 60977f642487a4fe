#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTest>

#include "settings_window/file_list_box.h"
#include "players/flash_player.h"
#include "tests/settings_window/window_fixture.h"

namespace lumora {
namespace {

using testing::WindowFixture;

// A 24-bit Windows bitmap of one colour.
std::string bmpBytes(int w, int h) {
  const int stride = (w * 3 + 3) / 4 * 4;
  const int size = 54 + stride * h;
  std::string b(std::size_t(size), '\0');
  auto put32 = [&](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[std::size_t(at + i)] = char((v >> (8 * i)) & 0xFF);
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, std::uint32_t(size));
  put32(10, 54);
  put32(14, 40);
  put32(18, std::uint32_t(w));
  put32(22, std::uint32_t(h));
  b[26] = 1;
  b[28] = 24;
  for (int i = 54; i < size; ++i) b[std::size_t(i)] = char(0x80);
  return b;
}

// A plain Flash movie: no frame size, 12 frames a second, `frames` frames.
std::string swfBytes(int frames) {
  std::string body;
  body += char(0x00);                      // RECT with 0-bit fields
  body += char(0x00), body += char(0x0C);  // 12.0 frames a second
  body += char(frames & 0xFF), body += char(frames >> 8);
  body += char(0x40), body += char(0x00);  // ShowFrame
  body += char(0x00), body += char(0x00);  // End
  const std::uint32_t length = std::uint32_t(8 + body.size());
  std::string head = "FWS";
  head += char(6);
  for (int i = 0; i < 4; ++i) head += char((length >> (8 * i)) & 0xFF);
  return head + body;
}

// Selects one row without the signals of the change (the tests call the
// handlers themselves).
void selectOnly(QListWidget* list, int row) {
  const QSignalBlocker quiet(list);
  list->clearSelection();
  list->setCurrentRow(row);
  list->item(row)->setSelected(true);
}

TEST(PicturePreview, SizeTextAndTheBoxRule) {
  WindowFixture f;
  const auto dir = f.home.path() / "pics";
  f.writeFile(dir / "a_wide.bmp", bmpBytes(500, 100));
  f.writeFile(dir / "b_square.bmp", bmpBytes(100, 100));
  f.writeFile(dir / "c_limit.bmp", bmpBytes(250, 120));
  f.writeFile(dir / "d_tall.bmp", bmpBytes(30, 600));
  f.writeFile(dir / "e_broken.bmp", "BM nonsense");
  auto w = f.open();
  w->pictureFiles()->setDirectory(dir.string());
  ASSERT_EQ(w->pictureFiles()->count(), 5);
  struct Case {
    int row;
    const char* text;
    QSize size;
  } cases[] = {
      {0, "500*100", {250, 50}}, {1, "100*100", {120, 120}}, {2, "250*120", {250, 120}}, {3, "30*600", {6, 120}}};
  for (const Case& c : cases) {
    selectOnly(w->pictureFiles(), c.row);
    w->previewChosenFile();
    EXPECT_TRUE(testing::waitUntil(
        [&] { return w->pictureSizeLabel()->text() == QString(c.text); }));  // decoded on the preview's worker
    EXPECT_EQ(w->pictureSizeLabel()->text(), QString(c.text));
    EXPECT_EQ(w->picturePreview()->size(), c.size) << c.text;
    EXPECT_EQ(w->picturePreview()->pos(), QPoint(0, 0));
    EXPECT_FALSE(w->picturePreview()->pixmap().isNull());
  }
  EXPECT_TRUE(f.messages.isEmpty());
  // A damaged picture: the message, and the preview keeps what it showed.
  selectOnly(w->pictureFiles(), 4);
  w->previewChosenFile();
  EXPECT_TRUE(testing::waitUntil([&] { return f.messages.size() == 1; }));
  EXPECT_EQ(w->pictureSizeLabel()->text(), "30*600");
  EXPECT_EQ(w->picturePreview()->size(), QSize(6, 120));
  // The current item deselected: an empty path, which cannot load.
  w->pictureFiles()->item(4)->setSelected(false);
  w->previewChosenFile();
  EXPECT_TRUE(testing::waitUntil([&] { return f.messages.size() == 2; }));
}

TEST(PicturePreview, PictureListEntryAndAClickOnTheList) {
  WindowFixture f;
  const auto pic = f.home.path() / "图片.bmp";
  f.writeFile(pic, bmpBytes(800, 600));
  f.home.writeList("pic.txt", "/nowhere/x.bmp\r\n");
  auto w = f.open();
  w->pictureFiles()->setDirectory(f.home.path().string());
  w->button(SettingsButton::AddAllPictures)->click();  // the Chinese name goes in as GB18030 and comes back as the file
  ASSERT_EQ(w->pictureList()->count(), 2);
  w->pictureList()->setCurrentRow(1);
  w->previewListedPicture();
  EXPECT_TRUE(testing::waitUntil([&] { return w->pictureSizeLabel()->text() == QString("800*600"); }));
  EXPECT_EQ(w->pictureSizeLabel()->text(), QString("800*600"));
  EXPECT_EQ(w->picturePreview()->size(), QSize(160, 120));
  w->pictureList()->setCurrentRow(0);
  w->previewListedPicture();
  EXPECT_TRUE(testing::waitUntil([&] { return f.messages.size() == 1; }));  // missing file
  EXPECT_EQ(w->pictureSizeLabel()->text(), "800*600");
}

TEST(PicturePreview, KeysMovingThroughTheFileListPreview) {
  WindowFixture f;
  const auto dir = f.home.path() / "pics";
  f.writeFile(dir / "a.bmp", bmpBytes(40, 20));
  f.writeFile(dir / "b.bmp", bmpBytes(20, 40));
  auto w = f.open();
  w->pictureFiles()->setDirectory(dir.string());
  // Becoming current without being chosen previews nothing.
  w->pictureFiles()->selectionModel()->setCurrentIndex(w->pictureFiles()->model()->index(0, 0),
                                                       QItemSelectionModel::NoUpdate);
  EXPECT_EQ(w->pictureSizeLabel()->text(), "");
  QTest::keyClick(w->pictureFiles(), Qt::Key_Down);
  EXPECT_TRUE(testing::waitUntil([&] { return w->pictureSizeLabel()->text() == QString("20*40"); }));
  EXPECT_EQ(w->pictureSizeLabel()->text(), QString("20*40"));
  QTest::keyClick(w->pictureFiles(), Qt::Key_Up);
  EXPECT_TRUE(testing::waitUntil([&] { return w->pictureSizeLabel()->text() == QString("40*20"); }));
  EXPECT_EQ(w->pictureSizeLabel()->text(), QString("40*20"));
  EXPECT_TRUE(f.messages.isEmpty());
}

struct MediaFixture : WindowFixture {
  MediaFixture() {
    dir = home.path() / "media";
    writeFile(dir / "movie.swf", swfBytes(42));
    writeFile(dir / "LOUD.SWF", swfBytes(7));
    writeFile(dir / "song.mp3", "not really");
    writeFile(dir / "x.swf.mp3", "not really");
    writeFile(dir / "fake.swf", "this is no movie");
    // A stand-in for the Flash player program.
    setenv("LUMORA_FLASH_BIN", LUMORA_SOURCE_DIR "/tests/players/fake_flash.py", 1);
  }
  ~MediaFixture() { unsetenv("LUMORA_FLASH_BIN"); }
  std::string path(const char* name) const { return (dir / name).string(); }
  std::filesystem::path dir;
};

TEST(MediaPreview, MoviesInTheFlashPreviewSongsInTheAudioPlayer) {
  MediaFixture f;
  auto w = f.open();
  w->mediaFiles()->setDirectory(f.dir.string());
  w->mediaFiles()->setMask("*.*");
  const auto row = [&](const char* name) {
    for (int i = 0; i < w->mediaFiles()->count(); ++i)
      if (w->mediaFiles()->fileName(i) == name) return i;
    return -1;
  };
  selectOnly(w->mediaFiles(), row("movie.swf"));
  w->playChosenFile();
  EXPECT_EQ(*f.audioLog, std::vector<std::string>{"stop"});
  EXPECT_EQ(w->frameCountLabel()->text(), "42");
  EXPECT_EQ(w->flashPreview()->movie(), f.path("movie.swf"));
  EXPECT_TRUE(w->flashPreview()->running());

  // A song stops the movie first.
  selectOnly(w->mediaFiles(), row("x.swf.mp3"));
  w->playChosenFile();
  EXPECT_EQ(*f.audioLog, (std::vector<std::string>{"stop", "source " + f.path("x.swf.mp3"), "play"}));
  EXPECT_FALSE(w->flashPreview()->running());

  // Upper-case .SWF is a movie; the song stops.
  selectOnly(w->mediaFiles(), row("LOUD.SWF"));
  w->playChosenFile();
  EXPECT_EQ(f.audioLog->back(), "stop");
  EXPECT_EQ(w->frameCountLabel()->text(), "7");

  // Stop: both players; the movie and its count stay.
  f.audioLog->clear();
  w->button(SettingsButton::StopPreview)->click();
  EXPECT_EQ(*f.audioLog, std::vector<std::string>{"stop"});
  EXPECT_EQ(w->frameCountLabel()->text(), "7");
  EXPECT_EQ(w->flashPreview()->movie(), f.path("LOUD.SWF"));
  EXPECT_FALSE(w->flashPreview()->running());
  w->button(SettingsButton::StopPreview)->click();  // again, with nothing playing
  EXPECT_TRUE(f.messages.isEmpty());
}

TEST(MediaPreview, DeviceErrorAndOtherFailures) {
  MediaFixture f;
  f.home.writeList("music.txt", "");
  auto w = f.open();
  w->playListedMedia();  // no current entry
  ASSERT_EQ(f.messages.size(), 1);
  EXPECT_TRUE(f.audioLog->empty());

  testing::FakeAudio::failPlay = true;
  w->mediaFiles()->setDirectory(f.dir.string());
  w->button(SettingsButton::AddAllMedia)->click();
  for (int i = 0; i < w->mediaList()->count(); ++i)
    if (w->mediaList()->item(i)->text().endsWith("song.mp3")) w->mediaList()->setCurrentRow(i);
  w->playListedMedia();
  ASSERT_EQ(f.messages.size(), 2);
  EXPECT_EQ(f.messages[1], "设备正在使用或无法播放该类型文件！");

  // A .swf that is no movie is an ordinary error; the last movie stays.
  for (int i = 0; i < w->mediaList()->count(); ++i)
    if (w->mediaList()->item(i)->text().endsWith("movie.swf")) w->mediaList()->setCurrentRow(i);
  w->playListedMedia();
  for (int i = 0; i < w->mediaList()->count(); ++i)
    if (w->mediaList()->item(i)->text().endsWith("fake.swf")) w->mediaList()->setCurrentRow(i);
  w->playListedMedia();
  ASSERT_EQ(f.messages.size(), 3);
  EXPECT_NE(f.messages[2], "设备正在使用或无法播放该类型文件！");
  EXPECT_EQ(w->flashPreview()->movie(), f.path("movie.swf"));
  EXPECT_EQ(w->frameCountLabel()->text(), "42");
}

}  // namespace
}  // namespace lumora
