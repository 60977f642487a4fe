// The effect contract: what a transition gets from the slide step and the
// only operations it draws with. Every transition is a fixed sequence of
// rectangle copies, whole-bitmap draws, pumps and random draws through an
// EffectContext, which forwards them to the bitmaps, the window (pump) and,
// for lumora-tool, a trace.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>

#include "graphics/bitmap.h"
#include "graphics/random.h"

namespace lumora {

// The four drawing surfaces of one slide step.
enum class Surface : std::uint8_t {
  Frame,  // FrameBitmap: the composed next picture
  Work,   // WorkBitmap: scratch, white at entry
  Spare,  // SpareBitmap: scratch, white at entry
  Stage,  // the stage window's canvas
};

const char* surfaceName(Surface s);

// What an effect needs from the window it draws into.
class EffectHost {
 public:
  virtual ~EffectHost() = default;
  // The Stage was drawn on; bring the screen up to date if a frame is due.
  virtual void stageChanged() = 0;
  // Bring the screen up to date if due, then process all pending events.
  virtual void pump() = 0;
};

// Records every operation, one line each (the lumora-tool trace format).
class EffectTrace {
 public:
  explicit EffectTrace(std::ostream& out) : out_(out) {}
  void copy(Surface s, Rect sr, Surface d, Rect dr);
  void draw(Surface s, Surface d, int x, int y);
  void pump();
  void random(int n, int v);

 private:
  std::ostream& out_;
};

struct EffectBitmaps {
  Bitmap& frame;
  Bitmap& work;
  Bitmap& spare;
  Bitmap& stage;
};

class EffectContext {
 public:
  EffectContext(EffectBitmaps bitmaps, int screenW, int screenH, int speed, Random& random,
                EffectHost* host = nullptr, EffectTrace* trace = nullptr)
      : W(screenW), H(screenH), speed(speed), bitmaps_(bitmaps), random_(random), host_(host),
        trace_(trace) {}

  const int W;      // ScreenW
  const int H;      // ScreenH
  const int speed;  // `speed`: 1..100, the larger the slower

  // One rectangle copy, rectangles exactly as the effect passes them.
  void copy(Surface src, Rect srcRect, Surface dst, Rect dstRect) {
    if (trace_) trace_->copy(src, srcRect, dst, dstRect);
    copyRect(bitmap(src), srcRect, bitmap(dst), dstRect);
    if (dst == Surface::Stage && host_) host_->stageChanged();
  }
  // `times` identical copies (nothing when times <= 0).
  void copyRepeated(int times, Surface src, Rect srcRect, Surface dst, Rect dstRect) {
    for (int i = 0; i < times; ++i) copy(src, srcRect, dst, dstRect);
  }
  // Whole-bitmap draw of src at (x, y) in dst.
  void draw(Surface src, Surface dst, int x, int y) {
    if (trace_) trace_->draw(src, dst, x, y);
    drawBitmap(bitmap(src), bitmap(dst), x, y);
    if (dst == Surface::Stage && host_) host_->stageChanged();
  }
  // The final draw: FrameBitmap whole at (0, 0) on the Stage.
  void finalDraw() { draw(Surface::Frame, Surface::Stage, 0, 0); }
  void pump() {
    if (trace_) trace_->pump();
    if (host_) host_->pump();
  }
  // Random(n) from the show's shared generator.
  int random(int n) {
    const int v = random_.next(n);
    if (trace_) trace_->random(n, v);
    return v;
  }

  // Direct pixel access, for the effects that work on pixel bytes.
  Bitmap& bitmap(Surface s) {
    switch (s) {
      case Surface::Frame: return bitmaps_.frame;
      case Surface::Work: return bitmaps_.work;
      case Surface::Spare: return bitmaps_.spare;
      case Surface::Stage: break;
    }
    return bitmaps_.stage;
  }

 private:
  EffectBitmaps bitmaps_;
  Random& random_;
  EffectHost* host_;
  EffectTrace* trace_;
};

using Effect = void (*)(EffectContext&);
constexpr int kEffectCount = 122;
using EffectTable = std::array<Effect, kEffectCount>;

// The table of all 122 numbers; an entry is null while its effect is missing.
const EffectTable& effectTable();

// Runs effect n; a number outside 0..121 (or without an effect) draws
// FrameBitmap whole at (0, 0) on the Stage.
void runEffect(int n, EffectContext& ctx);

// Each source unit of effects fills its numbers of the table.
void installEffects0to22(EffectTable& table);
void installEffects23to45(EffectTable& table);
void installEffects46to69(EffectTable& table);
void installEffects70to93(EffectTable& table);
void installEffects94to121(EffectTable& table);

}  // namespace lumora
