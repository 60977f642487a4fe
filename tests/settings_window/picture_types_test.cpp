// The picture tab and today's file types: the file list shows PNG, WebP,
// HEIC/HEIF and AVIF files in any case of their extension, the filter
// selector has a line for them, and the preview's size text gives a
// photograph's upright size.
#include <gtest/gtest.h>

#include <QTest>

#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>

#include "settings_window/file_list_box.h"
#include "settings_window/filter_combo_box.h"
#include "imaging/test_encoders.h"
#include "tests/settings_window/window_fixture.h"

namespace lumora {
namespace {

using testing::WindowFixture;

std::string asString(const std::vector<std::uint8_t>& b) { return std::string(b.begin(), b.end()); }

QStringList shownNames(QListWidget* list) {
  QStringList names;
  for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
  return names;
}

void previewRow(SettingsWindow& w, int row) {
  QListWidget* list = w.pictureFiles();
  {
    const QSignalBlocker quiet(list);
    list->clearSelection();
    list->setCurrentRow(row);
    list->item(row)->setSelected(true);
  }
  w.previewChosenFile();
}

TEST(PictureTypes, FileListFilterAndUprightPreviewSize) {
  WindowFixture f;
  const auto dir = f.home.path() / "pics";
  test::PngLayout png;
  png.width = 300;
  png.height = 60;
  f.writeFile(dir / "a.png", asString(test::encodePng(png, std::vector<std::uint8_t>(300 * 3 * 60, 90))));
  // A photograph stored 80 x 40 that is upright 40 x 80.
  f.writeFile(dir / "b.JPG", asString(test::encodeJpeg(test::quarters(80, 40), 80, 40, 3, test::exifBlock(6))));
  for (const char* name : {"c.WEBP", "d.heic", "e.HEIF", "f.Avif", "g.txt", "h.pngx"}) f.writeFile(dir / name, "x");
  auto w = f.open();
  w->pictureFiles()->setDirectory(dir.string());
  EXPECT_EQ(shownNames(w->pictureFiles()), (QStringList{"a.png", "b.JPG", "c.WEBP", "d.heic", "e.HEIF", "f.Avif"}));

  previewRow(*w, 0);
  EXPECT_TRUE(testing::waitUntil(
      [&] { return w->pictureSizeLabel()->text() == QString("300*60"); }));  // decoded on the preview's worker
  EXPECT_EQ(w->pictureSizeLabel()->text(), QString("300*60"));
  EXPECT_EQ(w->picturePreview()->size(), QSize(250, 50));
  previewRow(*w, 1);
  EXPECT_TRUE(testing::waitUntil([&] { return w->pictureSizeLabel()->text() == QString("40*80"); }));
  EXPECT_EQ(w->pictureSizeLabel()->text(), QString("40*80"));
  EXPECT_EQ(w->picturePreview()->size(), QSize(60, 120));
  EXPECT_TRUE(f.messages.isEmpty());
  // A file the library refuses is reported; the preview keeps what it showed.
  previewRow(*w, 2);
  EXPECT_TRUE(testing::waitUntil([&] { return f.messages.size() == 1; }));
  EXPECT_EQ(f.messages[0], "Not a valid WebP file.");
  EXPECT_EQ(w->pictureSizeLabel()->text(), "40*80");

  // The line for HEIF and AVIF narrows the list to those.
  const int line = w->pictureFilter()->findText("HEIF/AVIF图片(*.heic;*.heif;*.avif)");
  ASSERT_GE(line, 0);
  w->pictureFilter()->setCurrentIndex(line);
  EXPECT_EQ(shownNames(w->pictureFiles()), (QStringList{"d.heic", "e.HEIF", "f.Avif"}));
}

}  // namespace
}  // namespace lumora
