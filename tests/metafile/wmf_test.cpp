// Windows metafiles written record by record: the picture's size, and what
// lands at chosen pixels for each family of records.
#include <gtest/gtest.h>

#include "tests/metafile/metafile_builder.h"

namespace lumora::test {
namespace {

// A 100 x 100 picture whose logical units are its pixels.
WmfBuilder oneToOne() {
  WmfBuilder w;
  w.windowOrg(0, 0).windowExt(100, 100);
  return w;
}
Bytes placeable100(const WmfBuilder& w, int objects = 16) { return w.placeable(0, 0, 100, 100, 96, objects); }

TEST(Wmf, SizeFromThePlaceableHeaderAt96DotsPerInch) {
  WmfBuilder w;
  // 2 x 1 inches in twips.
  const Picture p = renderWmf(w.placeable(-1440, 0, 1440, 1440, 1440));
  EXPECT_EQ(p.width(), 192);
  EXPECT_EQ(p.height(), 96);
  EXPECT_EQ(p.bits(), 32);
  EXPECT_EQ(p.pixel(10, 10), kWhite);
}

TEST(Wmf, StandardHeaderTakesItsSizeFromTheWindowExtent) {
  WmfBuilder w;
  w.mapMode(8).windowOrg(0, 0).windowExt(80, 40).brush(0, colorRef(255, 0, 0)).select(0).rectangle(0, 0, 40, 40);
  const Picture p = renderWmf(w.standard());
  EXPECT_EQ(p.width(), 80);
  EXPECT_EQ(p.height(), 40);
  EXPECT_EQ(p.pixel(20, 20), kRed);
  EXPECT_EQ(p.pixel(60, 20), kWhite);
  EXPECT_EQ(errorOf(WmfBuilder().standard(), "wmf"), "Metafile has no size.");
}

TEST(Wmf, LargePicturesAreScaledToTheLongestSideLimit) {
  WmfBuilder w;
  const Picture p = renderWmf(w.placeable(0, 0, 30000, 15000, 1000));  // 30 x 15 inches
  EXPECT_EQ(p.width(), 2880);
  EXPECT_EQ(p.height(), 1440);
  const Picture big = renderWmf(w.placeable(0, 0, 32000, 16000, 100));
  EXPECT_EQ(big.width(), 4096);
  EXPECT_EQ(big.height(), 2048);
}

TEST(Wmf, PolygonInsideIsFilledAndOutsideIsNot) {
  WmfBuilder w = oneToOne();
  w.brush(0, colorRef(0, 0, 255)).select(0).pen(5, 0, 0).select(1);
  w.polygon({{10, 10}, {90, 10}, {50, 90}});
  const Picture p = renderWmf(placeable100(w));
  EXPECT_EQ(p.pixel(50, 30), kBlue);
  EXPECT_EQ(p.pixel(15, 80), kWhite);
  EXPECT_EQ(p.pixel(85, 80), kWhite);
}

TEST(Wmf, PolyPolygonFillModes) {
  // An outer square and an inner one in the same direction: alternate
  // leaves a hole, winding fills it.
  auto picture = [](int mode) {
    WmfBuilder w = oneToOne();
    w.brush(0, colorRef(0, 255, 0)).select(0).pen(5, 0, 0).select(1).r(0x0106, {mode});
    Writer params;
    params.i16(2).i16(4).i16(4);
    for (auto [x, y] : {std::pair{10, 10}, {90, 10}, {90, 90}, {10, 90}, {30, 30}, {70, 30}, {70, 70}, {30, 70}})
      params.i16(x).i16(y);
    w.record(0x0538, params.bytes);
    return renderWmf(placeable100(w));
  };
  const Picture alternate = picture(1), winding = picture(2);
  EXPECT_EQ(alternate.pixel(20, 50), kGreen);
  EXPECT_EQ(alternate.pixel(50, 50), kWhite);
  EXPECT_EQ(winding.pixel(20, 50), kGreen);
  EXPECT_EQ(winding.pixel(50, 50), kGreen);
}

TEST(Wmf, LinesWithThePenAndTheCurrentPosition) {
  WmfBuilder w = oneToOne();
  w.pen(0, 3, colorRef(255, 0, 0)).select(0);
  w.r(0x0214, {20, 10}).r(0x0213, {20, 90});  // MOVETO (10,20), LINETO (90,20)
  w.polygon({{50, 40}, {50, 95}}, 0x0325);    // POLYLINE
  const Picture p = renderWmf(placeable100(w));
  EXPECT_EQ(p.pixel(50, 20), kRed);
  EXPECT_EQ(p.pixel(50, 70), kRed);
  EXPECT_EQ(p.pixel(50, 25), kWhite);
  EXPECT_EQ(p.pixel(5, 20), kWhite);
  EXPECT_EQ(p.pixel(55, 70), kWhite);
}

TEST(Wmf, RectangleEllipseAndRoundRectangle) {
  WmfBuilder w = oneToOne();
  w.brush(0, colorRef(255, 0, 0)).select(0).pen(5, 0, 0).select(1);
  w.ellipse(0, 0, 50, 50);
  w.r(0x061C, {20, 20, 100, 100, 50, 50});  // ROUNDRECT (50,50)-(100,100), corners 20 x 20
  const Picture p = renderWmf(placeable100(w));
  EXPECT_EQ(p.pixel(25, 25), kRed);  // centre of the ellipse
  EXPECT_EQ(p.pixel(3, 3), kWhite);  // outside its corner
  EXPECT_EQ(p.pixel(75, 75), kRed);
  EXPECT_EQ(p.pixel(51, 51), kWhite);  // the rounded corner
  EXPECT_EQ(p.pixel(75, 52), kRed);
}

TEST(Wmf, ArcPieAndChordRunCounterClockwise) {
  // Start on the right, end at the top: counter-clockwise that is the upper
  // right quarter.
  auto shape = [](unsigned function) {
    WmfBuilder w = oneToOne();
    w.brush(0, colorRef(0, 0, 255)).select(0).pen(0, 4, colorRef(255, 0, 0)).select(1);
    w.r(function, {0, 50, 50, 100, 90, 90, 10, 10});  // end (50,0), start (100,50), box (10,10)-(90,90)
    return renderWmf(placeable100(w));
  };
  const Picture pie = shape(0x081A), chord = shape(0x0830), arc = shape(0x0817);
  EXPECT_EQ(pie.pixel(65, 35), kBlue);
  EXPECT_EQ(pie.pixel(35, 65), kWhite);
  EXPECT_EQ(pie.pixel(35, 35), kWhite);
  EXPECT_EQ(chord.pixel(75, 25), kBlue);
  EXPECT_EQ(chord.pixel(55, 45), kWhite);        // below the chord
  EXPECT_EQ(arc.pixel(50 + 28, 50 - 28), kRed);  // on the curve
  EXPECT_EQ(arc.pixel(50 - 28, 50 + 28), kWhite);
  EXPECT_EQ(inkIn(arc, 40, 40, 60, 60), 0);
}

TEST(Wmf, AnisotropicAndIsotropicMapping) {
  // Window 0..200 x 0..100 on a 100 x 100 picture: anisotropic squeezes x,
  // isotropic keeps the units square (the smaller scale) from the top-left.
  auto picture = [](int mode) {
    WmfBuilder w;
    w.mapMode(mode).windowOrg(0, 0).windowExt(200, 100);
    w.brush(0, colorRef(255, 0, 0)).select(0).pen(5, 0, 0).select(1).rectangle(100, 0, 200, 100);
    return renderWmf(w.placeable(0, 0, 100, 100, 96));
  };
  const Picture aniso = picture(8), iso = picture(7);
  EXPECT_EQ(aniso.pixel(75, 80), kRed);
  EXPECT_EQ(aniso.pixel(25, 80), kWhite);
  EXPECT_EQ(iso.pixel(75, 25), kRed);
  EXPECT_EQ(iso.pixel(75, 75), kWhite);
}

TEST(Wmf, WindowOriginAndNegativeExtentFlip) {
  WmfBuilder w;
  w.mapMode(8).windowOrg(0, 100).windowExt(100, -100);  // y up
  w.brush(0, colorRef(255, 0, 0)).select(0).pen(5, 0, 0).select(1).rectangle(0, 0, 100, 20);
  const Picture p = renderWmf(w.placeable(0, 0, 100, 100, 96));
  EXPECT_EQ(p.pixel(50, 95), kRed);
  EXPECT_EQ(p.pixel(50, 5), kWhite);
}

TEST(Wmf, SaveAndRestoreTheDeviceContext) {
  WmfBuilder w = oneToOne();
  w.brush(0, colorRef(255, 0, 0)).brush(0, colorRef(0, 0, 255)).pen(5, 0, 0).select(2);
  w.select(0).r(0x001E, {}).select(1).rectangle(0, 0, 50, 50).r(0x0127, {-1}).rectangle(50, 50, 100, 100);
  const Picture p = renderWmf(placeable100(w));
  EXPECT_EQ(p.pixel(25, 25), kBlue);
  EXPECT_EQ(p.pixel(75, 75), kRed);
}

TEST(Wmf, ObjectsTakeTheLowestFreeSlotAndBadIndexesAreIgnored) {
  WmfBuilder w = oneToOne();
  w.pen(5, 0, 0).brush(0, colorRef(255, 0, 0)).remove(0);  // slots: 0 free, 1 red
  w.brush(0, colorRef(0, 0, 255));                         // goes to slot 0
  w.select(0).rectangle(0, 0, 50, 100).select(1).rectangle(50, 0, 100, 100);
  w.select(7).select(-1).remove(300);  // nothing there: ignored
  w.rectangle(40, 40, 60, 60);
  const Picture p = renderWmf(placeable100(w, 2));
  EXPECT_EQ(p.pixel(10, 10), kBlue);
  EXPECT_EQ(p.pixel(80, 10), kRed);
  EXPECT_EQ(p.pixel(45, 50), kRed);  // still the red brush
}

TEST(Wmf, ObjectTableFullDropsTheNewObject) {
  WmfBuilder w = oneToOne();
  w.brush(0, colorRef(255, 0, 0)).brush(0, colorRef(0, 0, 255)).select(0).select(1).rectangle(0, 0, 100, 100);
  // One slot: the blue brush finds no place and slot 1 does not exist.
  EXPECT_EQ(renderWmf(placeable100(w, 1)).pixel(50, 50), kRed);
}

TEST(Wmf, HatchedBrushWithOpaqueAndTransparentBackground) {
  auto picture = [](int bkMode) {
    WmfBuilder w = oneToOne();
    w.color(0x0201, colorRef(0, 255, 0)).r(0x0102, {bkMode});
    w.brush(2, colorRef(255, 0, 0), 0).select(0).pen(5, 0, 0).select(1).rectangle(0, 0, 100, 100);
    return renderWmf(placeable100(w));
  };
  for (int mode : {1, 2}) {
    const Picture p = picture(mode);
    int red = 0, other = 0;
    for (int y = 20; y < 36; ++y) {
      if (p.pixel(50, y) == kRed)
        ++red;
      else if (p.pixel(50, y) == (mode == 2 ? kGreen : kWhite))
        ++other;
    }
    EXPECT_EQ(red, 2) << mode;  // horizontal lines every 8 pixels
    EXPECT_EQ(other, 14) << mode;
    // Every pixel of a hatch row is red.
    const int row = p.pixel(50, 20) == kRed ? 20 : p.pixel(50, 21) == kRed ? 21 : -1;
    if (row >= 0) {
      EXPECT_EQ(p.pixel(3, row), kRed);
    }
  }
}

TEST(Wmf, DibPatternBrushTiles) {
  // 2 x 2 checker of red and blue.
  const Bytes dib = dib24(2, 2, {0xFF0000, 0x0000FF, 0x0000FF, 0xFF0000});
  WmfBuilder w = oneToOne();
  Writer params;
  params.u16(5).u16(0).raw(dib);
  w.record(0x0142, params.bytes).select(0).pen(5, 0, 0).select(1).rectangle(0, 0, 100, 100);
  const Picture p = renderWmf(placeable100(w));
  EXPECT_EQ(p.pixel(10, 10), kRed);
  EXPECT_EQ(p.pixel(11, 10), kBlue);
  EXPECT_EQ(p.pixel(10, 11), kBlue);
  EXPECT_EQ(p.pixel(11, 11), kRed);
}

TEST(Wmf, ChineseTextOutInTheAnsiCodePage) {
  WmfBuilder w = oneToOne();
  w.font(-30, "\xCB\xCE\xCC\xE5").select(0).color(0x0209, colorRef(0, 0, 0)).r(0x0102, {1});
  Writer params;
  params.i16(4).text("\xD6\xD0\xCE\xC4").i16(10).i16(5);  // "中文" at (5, 10), top-left aligned
  w.record(0x0521, params.bytes);
  const Picture p = renderWmf(placeable100(w));
  EXPECT_GT(inkIn(p, 5, 10, 35, 40), 40);   // the first character
  EXPECT_GT(inkIn(p, 35, 10, 65, 40), 40);  // the second
  EXPECT_EQ(inkIn(p, 0, 45, 100, 100), 0);
  EXPECT_EQ(inkIn(p, 70, 0, 100, 100), 0);
}

TEST(Wmf, ExtTextOutWithOpaqueBoxAdvancesAndAlignment) {
  WmfBuilder w = oneToOne();
  w.font(-20, "Arial").select(0).color(0x0201, colorRef(0, 255, 0)).color(0x0209, colorRef(0, 0, 0));
  w.r(0x012E, {6 | 24}).r(0x0102, {1});  // centred on the baseline; no text background
  Writer params;
  params.i16(50).i16(50).i16(2).u16(2);     // y, x, count, ETO_OPAQUE
  params.i16(0).i16(60).i16(100).i16(100);  // the box
  params.text("II").i16(30).i16(30);        // two letters 30 units apart
  w.record(0x0A32, params.bytes);
  const Picture p = renderWmf(placeable100(w));
  EXPECT_EQ(p.pixel(5, 95), kGreen);  // the box, opaque
  EXPECT_EQ(p.pixel(5, 55), kWhite);
  // Centred: the 60-unit run spans 20..80; each I sits at its advance.
  EXPECT_GT(inkIn(p, 20, 35, 30, 50), 4);
  EXPECT_GT(inkIn(p, 50, 35, 60, 50), 4);
  EXPECT_EQ(inkIn(p, 32, 35, 48, 50), 0);
  EXPECT_EQ(inkIn(p, 0, 0, 100, 30), 0);
}

TEST(Wmf, StretchDibCopiesAndScales) {
  const Bytes dib = dib24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0x000000});
  WmfBuilder w = oneToOne();
  Writer params;
  params.u32(0xCC0020).u16(0).i16(2).i16(2).i16(0).i16(0).i16(60).i16(60).i16(20).i16(20).raw(dib);
  w.record(0x0F43, params.bytes);
  const Picture p = renderWmf(placeable100(w));
  EXPECT_EQ(p.pixel(30, 30), kRed);
  EXPECT_EQ(p.pixel(70, 30), kGreen);
  EXPECT_EQ(p.pixel(30, 70), kBlue);
  EXPECT_EQ(p.pixel(70, 70), kBlack);
  EXPECT_EQ(p.pixel(10, 10), kWhite);
  EXPECT_EQ(p.pixel(90, 90), kWhite);
}

TEST(Wmf, DibBlitRasterOperations) {
  // A black-on-white mask ANDed in, then the red picture ORed into the hole:
  // the classic transparent blit.
  const Bytes mask = dib24(2, 1, {0x000000, 0xFFFFFF});
  const Bytes image = dib24(2, 1, {0xFF0000, 0x000000});
  auto blit = [](WmfBuilder& w, const Bytes& dib, std::uint32_t rop) {
    Writer params;  // DIBSTRETCHBLT
    params.u32(rop).i16(1).i16(2).i16(0).i16(0).i16(100).i16(100).i16(0).i16(0).raw(dib);
    w.record(0x0B41, params.bytes);
  };
  WmfBuilder w = oneToOne();
  w.brush(0, colorRef(0, 0, 255)).select(0).pen(5, 0, 0).select(1).rectangle(0, 0, 100, 100);
  blit(w, mask, 0x8800C6);   // SRCAND
  blit(w, image, 0xEE0086);  // SRCPAINT
  const Picture p = renderWmf(placeable100(w));
  EXPECT_EQ(p.pixel(25, 50), kRed);
  EXPECT_EQ(p.pixel(75, 50), kBlue);

  WmfBuilder inv = oneToOne();
  inv.r(0x061D, {0x0009, 0x0055, 100, 50, 0, 0});  // PATBLT DSTINVERT over the left half: black
  blit(inv, image, 0x660046);                      // SRCINVERT: black ^ red, white ^ black
  const Picture q = renderWmf(placeable100(inv));
  EXPECT_EQ(q.pixel(25, 50), kRed);
  EXPECT_EQ(q.pixel(75, 50), kWhite);
}

TEST(Wmf, ClipRectangles) {
  WmfBuilder w = oneToOne();
  w.brush(0, colorRef(255, 0, 0)).select(0).pen(5, 0, 0).select(1);
  w.r(0x0416, {80, 80, 20, 20});  // INTERSECTCLIPRECT (20,20)-(80,80)
  w.r(0x0415, {60, 60, 40, 40});  // EXCLUDECLIPRECT (40,40)-(60,60)
  w.rectangle(0, 0, 100, 100);
  const Picture p = renderWmf(placeable100(w));
  EXPECT_EQ(p.pixel(10, 10), kWhite);
  EXPECT_EQ(p.pixel(30, 30), kRed);
  EXPECT_EQ(p.pixel(50, 50), kWhite);
  EXPECT_EQ(p.pixel(90, 50), kWhite);
}

TEST(Wmf, HostileRecordsFailCleanly) {
  const Bytes good = placeable100(oneToOne());
  EXPECT_EQ(errorOf({1, 2, 3}, "wmf"), "Not a valid metafile.");

  Bytes zero = good;  // a record of size 0 would never advance
  zero[22 + 18] = 0;
  EXPECT_EQ(errorOf(zero, "wmf"), "Metafile is damaged.");

  Bytes past = good;  // a record longer than the file
  past[22 + 18 + 2] = 0x40;
  EXPECT_EQ(errorOf(past, "wmf"), "Metafile is damaged.");

  // Counts beyond their record are skipped, not read.
  WmfBuilder w = oneToOne();
  w.brush(0, colorRef(255, 0, 0)).select(0).r(0x0324, {30000, 0, 0, 100, 0}).r(0x0538, {30000, 1});
  w.r(0x0521, {30000}).r(0x0A32, {0, 0, 30000, 6});
  EXPECT_EQ(renderWmf(placeable100(w)).pixel(50, 50), kWhite);

  // A DIB claiming far more pixels than its bytes hold draws nothing.
  Writer params;
  params.u32(0xCC0020).u16(0).i16(1).i16(1).i16(0).i16(0).i16(100).i16(100).i16(0).i16(0);
  params.u32(40).i32(60000).i32(60000).u16(1).u16(24).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
  WmfBuilder d = oneToOne();
  d.record(0x0F43, params.bytes);
  EXPECT_EQ(renderWmf(placeable100(d)).pixel(50, 50), kWhite);
}

TEST(Wmf, RecordAndWorkLimits) {
  WmfBuilder w = oneToOne();
  for (int i = 0; i < 20; ++i) w.r(0x001E, {});
  const Bytes file = placeable100(w);
  metafile::PlayLimits limits;
  limits.maxRecords = 10;
  EXPECT_EQ(messageOf([&] { renderMetafile(file, limits); }), "Metafile has too many records.");

  WmfBuilder heavy = oneToOne();
  heavy.brush(0, colorRef(255, 0, 0)).select(0);
  for (int i = 0; i < 200; ++i) heavy.rectangle(-1000, -1000, 1000, 1000);
  limits = {};
  limits.workPerPixel = 10;
  EXPECT_EQ(messageOf([&] { renderMetafile(placeable100(heavy), limits); }), "Metafile is too complex.");
}

}  // namespace
}  // namespace lumora::test
