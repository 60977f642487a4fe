// Player: the device context that the records of both metafile kinds drive
// (map mode, window and viewport, world transform, selected objects,
// colours and modes, clipping, current position, the path being recorded),
// with the drawing operations that turn logical shapes into canvas calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/metafile/canvas.h"
#include "imaging/metafile/metafile.h"
#include "imaging/metafile/objects.h"

namespace lumora::metafile {

enum MapMode {
  kMmText = 1,
  kMmLoMetric,
  kMmHiMetric,
  kMmLoEnglish,
  kMmHiEnglish,
  kMmTwips,
  kMmIsotropic,
  kMmAnisotropic
};

struct DeviceContext {
  int mapMode = kMmText;
  PointF windowOrg{0, 0}, windowExt{1, 1}, viewportOrg{0, 0}, viewportExt{1, 1};
  Matrix world;
  LogPen pen;
  LogBrush brush;
  LogFont font;
  Color textColor{0, 0, 0}, bkColor{255, 255, 255};
  bool opaqueBk = true;
  FillRule fillRule = FillRule::OddEven;
  std::uint32_t textAlign = 0;
  int rop2 = 13;
  bool clockwiseArcs = false;
  double miterLimit = 10;
  PointF current;  // logical
  Clip clip;
};

class Player {
 public:
  // `deviceToPixels` maps the device space of the records' viewport to the
  // picture; `devicePerMm` is the device resolution the physical map modes
  // use.
  Player(Canvas& canvas, const Frame& frame, const PlayLimits& limits, Matrix deviceToPixels, PointF devicePerMm);

  DeviceContext& dc() { return dc_; }
  const Frame& frame() const { return frame_; }

  // Counts a record against the record limit.
  void countRecord();

  // The whole map from logical coordinates to pixels.
  Matrix logicalToPixels() const;
  // Logical coordinates keep the picture's y-down orientation.
  bool yDown() const { return logicalToPixels().determinant() >= 0; }

  void saveDc();
  // n < 0: that many levels back; n > 0: the level with that number.
  void restoreDc(int n);

  // Selecting stock objects and table objects.
  void selectStock(std::uint32_t index);
  void select(const GdiObject& object);

  // Clipping in logical (or, for regions of enhanced metafiles, device)
  // coordinates.
  void clipRect(RectF logical, ClipStep::Op op);
  void clipRegion(const Region& region, ClipStep::Op op, bool deviceUnits);
  void clipPath(ClipStep::Op op);
  void resetClip();
  void offsetClip(double dx, double dy);

  // Figures: filled with the brush and outlined with the pen, or added to
  // the path when a path is being recorded.
  void drawFigure(const Path& logical);
  // Lines: outlined only; a new figure of the path being recorded.
  void drawLines(const Path& logical);
  // Lines and curves that start at the current point (which the path's
  // first element gives): they continue the open figure of a recorded path.
  void drawFromCurrent(const Path& logical);
  void moveTo(PointF logical);
  void fillRegion(const Region& region, const LogBrush& brush, bool deviceUnits);
  void setPixel(PointF logical, Color color);

  // Paths.
  void beginPath();
  void endPath() { recording_ = false; }
  void abortPath();
  void closeFigure();
  bool recording() const { return recording_; }
  void fillPath();
  void strokePath();
  void strokeAndFillPath();

  // Text: `chars` one UTF-8 character each, `advances` in logical units or
  // empty. `box` (when given) is filled with the background colour when
  // `opaqueBox`, and clips the text when `clipped`.
  struct TextBox {
    RectF rect;
    bool opaque = false, clipped = false;
  };
  void drawText(PointF reference, std::vector<std::string> chars, std::vector<double> advances, const TextBox* box);

  // Raster operations. `dib` is a packed DIB (info header, colours, bits);
  // empty for operations without a source. A source rectangle counts from
  // the DIB's bottom row when `srcFromBottom` (the StretchDIBits convention)
  // and the DIB is stored bottom-up.
  void blit(std::span<const std::uint8_t> dib, double srcX, double srcY, double srcW, double srcH, RectF dest,
            std::uint32_t rop, bool srcFromBottom);

  // Decodes a packed DIB (null when it cannot be read, or claims more
  // pixels than its bytes can hold).
  struct Dib {
    std::shared_ptr<const Bitmap> bitmap;
    bool bottomUp = false;
  };
  Dib decodeDib(std::span<const std::uint8_t> dib) const;
  // Adds painting work; throws "Metafile is too complex." past the limit.
  void chargeWork(double work);

 private:
  StrokeStyle strokeStyle(const LogPen& pen) const;
  bool fillStyle(const LogBrush& brush, FillStyle& out) const;
  void paintPath(const Path& pixels, bool fill, bool stroke);
  void charge(const RectF& pixels, std::size_t elements);
  void appendToPath(const Path& pixels, bool continueFigure);
  void syncClip();

  Canvas& canvas_;
  Frame frame_;
  PlayLimits limits_;
  Matrix deviceToPixels_;
  PointF devicePerMm_;
  DeviceContext dc_;
  std::vector<DeviceContext> saved_;
  Path path_;  // pixels
  bool recording_ = false;
  bool clipDirty_ = false;
  std::size_t records_ = 0;
  double work_ = 0;
};

}  // namespace lumora::metafile
