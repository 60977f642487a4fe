// Enhanced metafiles written record by record.
#include <gtest/gtest.h>

#include "tests/metafile/metafile_builder.h"

namespace lumora::test {
namespace {

constexpr std::uint32_t kNullPen = 0x80000008, kNullBrush = 0x80000005;

// A red brush and no pen: figures are filled only.
EmfBuilder redFill() {
  EmfBuilder e;
  e.brush(1, 0, colorRef(255, 0, 0)).select(1).select(kNullPen);
  return e;
}

TEST(Emf, SizeFromTheFrameAt96DotsPerInch) {
  EmfBuilder e;
  const Picture p = renderEmf(e.build(120, 60));
  EXPECT_EQ(p.width(), 120);
  EXPECT_EQ(p.height(), 60);
  EXPECT_EQ(p.bits(), 32);

  // The same frame recorded on a 300-dots-per-inch reference device.
  Bytes hiRes = e.build(120, 60);
  Writer dev;
  dev.i32(3000).i32(3000);
  std::copy(dev.bytes.begin(), dev.bytes.end(), hiRes.begin() + 72);
  for (int i = 100; i < 108; ++i) hiRes[std::size_t(i)] = 0;  // no micrometres: millimetres count
  const Picture q = renderEmf(hiRes);
  EXPECT_EQ(q.width(), 120);
  EXPECT_EQ(q.height(), 60);
}

TEST(Emf, SixteenBitPolygonInsideAndOutside) {
  EmfBuilder e = redFill();
  e.polygon16({{10, 10}, {90, 10}, {50, 90}});
  const Picture p = renderEmf(e.build(100, 100));
  EXPECT_EQ(p.pixel(50, 30), kRed);
  EXPECT_EQ(p.pixel(15, 80), kWhite);
}

TEST(Emf, PolylinesAndPolyPolygons) {
  EmfBuilder e;
  e.pen(1, 0, 4, colorRef(0, 0, 255)).select(1).brush(2, 0, colorRef(0, 255, 0)).select(2);
  e.points32(4, {{0, 10}, {100, 10}});  // POLYLINE
  Writer pp;                            // POLYPOLYGON16: two squares
  pp.i32(0).i32(0).i32(0).i32(0).u32(2).u32(8).u32(4).u32(4);
  for (auto [x, y] : {std::pair{20, 30}, {40, 30}, {40, 50}, {20, 50}, {60, 30}, {80, 30}, {80, 50}, {60, 50}})
    pp.i16(x).i16(y);
  e.record(91, pp.bytes);
  const Picture p = renderEmf(e.build(100, 100));
  EXPECT_EQ(p.pixel(50, 10), kBlue);
  EXPECT_EQ(p.pixel(30, 40), kGreen);
  EXPECT_EQ(p.pixel(70, 40), kGreen);
  EXPECT_EQ(p.pixel(50, 40), kWhite);
}

TEST(Emf, PathWithBeziersFilledAndStroked) {
  EmfBuilder e;
  e.brush(1, 0, colorRef(255, 0, 0)).select(1).pen(2, 0, 6, colorRef(0, 0, 255)).select(2);
  e.ints(59, {});        // BEGINPATH
  e.ints(27, {10, 50});  // MOVETOEX
  Writer bez;            // POLYBEZIERTO16: a bulge up to y ~ 12, back to (90,50)
  bez.i32(0).i32(0).i32(0).i32(0).u32(3).i16(10).i16(0).i16(90).i16(0).i16(90).i16(50);
  e.record(88, bez.bytes);
  e.ints(61, {}).ints(60, {});  // CLOSEFIGURE, ENDPATH
  e.ints(63, {0, 0, 0, 0});     // STROKEANDFILLPATH
  const Picture p = renderEmf(e.build(100, 100));
  EXPECT_EQ(p.pixel(50, 30), kRed);
  EXPECT_EQ(p.pixel(50, 50), kBlue);  // the closing line, stroked
  EXPECT_EQ(p.pixel(50, 13), kBlue);  // the top of the curve
  EXPECT_EQ(p.pixel(50, 70), kWhite);
  EXPECT_EQ(p.pixel(50, 5), kWhite);
}

TEST(Emf, DrawingInsideAPathIsNotPaintedUntilFilled) {
  EmfBuilder e = redFill();
  e.ints(59, {}).ints(43, {0, 0, 50, 50}).ints(60, {});
  const Picture unfilled = renderEmf(e.build(100, 100));
  EXPECT_EQ(unfilled.pixel(25, 25), kWhite);
  e.ints(62, {0, 0, 0, 0});  // FILLPATH
  EXPECT_EQ(renderEmf(e.build(100, 100)).pixel(25, 25), kRed);
}

TEST(Emf, WorldTransformSetAndModified) {
  EmfBuilder e = redFill();
  e.xform(35, 2, 0, 0, 2, 10, 0);     // SETWORLDTRANSFORM: scale 2, then move right 10
  e.ints(43, {0, 0, 20, 20});         // lands on (10,0)-(50,40)
  e.xform(36, 1, 0, 0, 1, 0, 20, 2);  // MODIFY, left multiply: move down 20 first
  e.brush(2, 0, colorRef(0, 0, 255)).select(2).ints(43, {0, 0, 10, 10});  // (10,40)-(30,60)
  const Picture p = renderEmf(e.build(100, 100));
  EXPECT_EQ(p.pixel(45, 35), kRed);
  EXPECT_EQ(p.pixel(5, 5), kWhite);
  EXPECT_EQ(p.pixel(55, 5), kWhite);
  EXPECT_EQ(p.pixel(20, 50), kBlue);
  EXPECT_EQ(p.pixel(35, 50), kWhite);
}

TEST(Emf, MapModesTextAndLoMetricWithViewport) {
  // MM_LOMETRIC: tenths of a millimetre, y up; the viewport origin moved to
  // the bottom left. 254 units = 1 inch = 96 pixels.
  EmfBuilder e = redFill();
  e.ints(17, {2}).ints(12, {0, 100});    // SETMAPMODE, SETVIEWPORTORGEX
  e.ints(43, {0, 254 / 2, 254 / 2, 0});  // half an inch square above the origin
  const Picture p = renderEmf(e.build(100, 100));
  EXPECT_EQ(p.pixel(24, 76), kRed);
  EXPECT_EQ(p.pixel(24, 40), kWhite);
  EXPECT_EQ(p.pixel(60, 76), kWhite);

  EmfBuilder a = redFill();  // anisotropic: window 0..10 on viewport 0..100
  a.ints(17, {8}).ints(9, {10, 10}).ints(11, {100, 100}).ints(43, {5, 5, 10, 10});
  const Picture q = renderEmf(a.build(100, 100));
  EXPECT_EQ(q.pixel(75, 75), kRed);
  EXPECT_EQ(q.pixel(25, 25), kWhite);
}

TEST(Emf, ClippingRectanglesRestoredWithTheDeviceContext) {
  EmfBuilder e = redFill();
  e.ints(33, {});               // SAVEDC
  e.ints(30, {0, 0, 50, 100});  // INTERSECTCLIPRECT: left half
  e.ints(29, {0, 0, 20, 20});   // EXCLUDECLIPRECT
  e.ints(43, {0, 0, 100, 50});
  e.ints(34, {-1});  // RESTOREDC: no clip again
  e.ints(43, {0, 60, 100, 100});
  const Picture p = renderEmf(e.build(100, 100));
  EXPECT_EQ(p.pixel(30, 30), kRed);
  EXPECT_EQ(p.pixel(10, 10), kWhite);
  EXPECT_EQ(p.pixel(75, 30), kWhite);
  EXPECT_EQ(p.pixel(75, 80), kRed);
}

TEST(Emf, ClipRegionSelectedInDeviceUnits) {
  EmfBuilder e = redFill();
  Writer rgn;  // EXTSELECTCLIPRGN, RGN_COPY, one rectangle
  rgn.u32(48).u32(5).u32(32).u32(1).u32(1).u32(16).i32(0).i32(0).i32(30).i32(30).i32(0).i32(0).i32(30).i32(30);
  e.record(75, rgn.bytes);
  e.ints(43, {0, 0, 100, 100});
  const Picture p = renderEmf(e.build(100, 100));
  EXPECT_EQ(p.pixel(15, 15), kRed);
  EXPECT_EQ(p.pixel(50, 50), kWhite);
}

// EXTCREATEFONTINDIRECTW with a face name, then EXTTEXTOUTW.
void wideText(EmfBuilder& e, int height, const std::u16string& face, const std::u16string& text, int x, int y,
              std::uint32_t options = 0, std::initializer_list<int> box = {0, 0, 0, 0}) {
  Writer font;
  font.u32(3).i32(height).i32(0).i32(0).i32(0).i32(400).u8(0).u8(0).u8(0).u8(134).u32(0);
  for (std::size_t i = 0; i < 32; ++i) font.u16(i < face.size() ? face[i] : 0);
  e.record(82, font.bytes).select(3);
  Writer t;
  t.i32(0).i32(0).i32(0).i32(0).u32(1).f32(1).f32(1);
  const std::uint32_t offString = 76;
  t.i32(x).i32(y).u32(std::uint32_t(text.size())).u32(offString).u32(options);
  for (int v : box) t.i32(v);
  t.u32(0);
  for (char16_t c : text) t.u16(c);
  e.record(84, t.bytes);
}

TEST(Emf, ChineseWideTextInItsBox) {
  EmfBuilder e;
  e.ints(18, {1});  // transparent background
  wideText(e, -30, u"宋体", u"中文", 10, 20);
  const Picture p = renderEmf(e.build(100, 100));
  EXPECT_GT(inkIn(p, 10, 20, 40, 50), 40);
  EXPECT_GT(inkIn(p, 40, 20, 70, 50), 40);
  EXPECT_EQ(inkIn(p, 0, 0, 100, 18), 0);
  EXPECT_EQ(inkIn(p, 0, 55, 100, 100), 0);
  EXPECT_EQ(inkIn(p, 75, 0, 100, 100), 0);
}

TEST(Emf, TextClippedToItsRectangle) {
  EmfBuilder e;
  e.ints(18, {1});
  wideText(e, -40, u"DejaVu Sans", u"WWWW", 0, 10, 4, {0, 0, 30, 100});  // ETO_CLIPPED
  const Picture p = renderEmf(e.build(100, 100));
  EXPECT_GT(inkIn(p, 0, 10, 30, 50), 40);
  EXPECT_EQ(inkIn(p, 31, 0, 100, 100), 0);
}

TEST(Emf, StretchDibBitsFromABottomUpDib) {
  const Bytes dib = dib24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0x000000});
  EmfBuilder e;
  Writer r;
  const std::uint32_t offBmi = 80, cbBmi = 40, offBits = offBmi + cbBmi;
  r.i32(0).i32(0).i32(0).i32(0);
  r.i32(20).i32(20).i32(0).i32(0).i32(2).i32(1);  // destination (20,20); source: the bottom row
  r.u32(offBmi).u32(cbBmi).u32(offBits).u32(std::uint32_t(dib.size() - 40)).u32(0).u32(0xCC0020);
  r.i32(60).i32(30);
  r.raw(dib);
  e.record(81, r.bytes);
  const Picture p = renderEmf(e.build(100, 100));
  EXPECT_EQ(p.pixel(30, 35), kBlue);
  EXPECT_EQ(p.pixel(70, 35), kBlack);
  EXPECT_EQ(p.pixel(30, 55), kWhite);
}

TEST(Emf, CommentsAndUnknownRecordsAreSkippedBySize) {
  EmfBuilder e = redFill();
  Writer comment;
  comment.u32(8).text("EMF+").u32(0x43).bytes.resize(12 + 8, 0xAB);
  e.record(70, comment.bytes);
  e.record(9999, Bytes(40, 0x42));
  e.ints(43, {0, 0, 50, 50});
  const Picture p = renderEmf(e.build(100, 100));
  EXPECT_EQ(p.pixel(25, 25), kRed);
}

TEST(Emf, StockObjectsAndBadHandles) {
  EmfBuilder e;
  e.select(0x80000004).select(kNullPen).ints(43, {0, 0, 50, 50});  // BLACK_BRUSH
  e.select(kNullBrush).pen(1, 0, 4, colorRef(255, 0, 0)).select(1).ints(43, {60, 60, 90, 90});
  e.select(200).select(12).ints(40, {5000});  // outside the table, empty slot: ignored
  e.brush(70000, 0, colorRef(0, 255, 0)).select(70000);
  e.ints(43, {10, 60, 40, 90});
  const Picture p = renderEmf(e.build(100, 100, 16));
  EXPECT_EQ(p.pixel(25, 25), kBlack);
  EXPECT_EQ(p.pixel(75, 75), kWhite);  // a null brush inside
  EXPECT_EQ(p.pixel(60, 75), kRed);    // the outline
  EXPECT_EQ(p.pixel(25, 75), kWhite);  // still the null brush
}

TEST(Emf, HostileSizesAndCounts) {
  EXPECT_EQ(errorOf(Bytes(20, 1), "emf"), "Not a valid metafile.");
  Bytes header = EmfBuilder().build(10, 10);
  header[4] = 0xF0;  // header size past the file
  EXPECT_EQ(errorOf(header, "emf"), "Not a valid metafile.");

  EmfBuilder tiny;
  tiny.record(43, {});
  Bytes small = tiny.build(10, 10);
  small[108 + 4] = 4;  // a record smaller than its own type and size
  EXPECT_EQ(errorOf(small, "emf"), "Metafile is damaged.");

  Bytes past = tiny.build(10, 10);
  past[108 + 6] = 0x10;  // size far beyond the file
  EXPECT_EQ(errorOf(past, "emf"), "Metafile is damaged.");

  EmfBuilder counts = redFill();
  Writer big;
  big.i32(0).i32(0).i32(0).i32(0).u32(0xFFFFFFF0).i16(0).i16(0);
  counts.record(86, big.bytes);
  Writer pp;
  pp.i32(0).i32(0).i32(0).i32(0).u32(0x40000000).u32(1).u32(1);
  counts.record(8, pp.bytes);
  Writer text;
  text.i32(0).i32(0).i32(0).i32(0).u32(1).f32(1).f32(1).i32(0).i32(0).u32(0x7FFFFFFF).u32(76).u32(0);
  counts.record(84, text.bytes);
  counts.xform(35, std::numeric_limits<float>::infinity(), 0, 0, 1, 0, 0);
  counts.ints(43, {0, 0, 10, 10});
  const Picture p = renderEmf(counts.build(20, 20));
  EXPECT_EQ(p.pixel(5, 5), kRed);  // the rectangle still lands where it should
}

TEST(Emf, HugePenWidthIsBoundedByThePicture) {
  // A pen a billion pixels wide once took Qt's stroker minutes; it covers
  // the picture all the same.
  EmfBuilder e;
  e.pen(1, 0x10000, 1 << 30, colorRef(0, 0, 255)).select(1);
  e.points32(4, {{0, 50}, {100, 50}});
  const Picture p = renderEmf(e.build(100, 100));
  EXPECT_EQ(p.pixel(50, 5), kBlue);
}

}  // namespace
}  // namespace lumora::test
