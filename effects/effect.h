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

// What one run of an effect issues, as counted by a dry run.
struct EffectCounts {
  long long pumps = 0;
  long long stageOps = 0;  // copies and draws onto the Stage
  // Those of them whose destination covers part of the Stage: the steps a
  // viewer can see (a strip of width 0 that starts a wipe is not one).
  long long visibleStageOps = 0;
  // Whether WorkBitmap and SpareBitmap are read or written at all: a
  // transition that leaves one alone does not need it made.
  bool usesWork = false;
  bool usesSpare = false;
};

// What an effect needs from the window it draws into.
class EffectHost {
 public:
  virtual ~EffectHost() = default;
  // The Stage was drawn on; bring the screen up to date if a frame is due.
  virtual void stageChanged() = 0;
  // The Stage was drawn on inside `area` (normalised, possibly reaching past
  // the Stage's edges). A host that presents only what changed overrides it.
  virtual void stageDrawn(const Rect& area) {
    (void)area;
    stageChanged();
  }
  // Bring the screen up to date if due, then process all pending events.
  virtual void pump() = 0;
  // A transition with these counts is about to run and should last at least
  // `minimumMs`; a host that shows it may pace it. Ended: it has returned.
  virtual void transitionStarting(const EffectCounts& counts, int minimumMs) {
    (void)counts;
    (void)minimumMs;
  }
  virtual void transitionEnded() {}
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

// The pixels a copy's destination rectangle covers (right < left covers
// right + 1 .. left), as a rectangle with left <= right and top <= bottom.
Rect coveredArea(Rect r);

// Whether `covered` (normalised, as coveredArea gives it) holds at least one
// pixel of a bitmap of width x height.
bool coversPartOf(const Rect& covered, int width, int height);

struct EffectBitmaps {
  Bitmap& frame;
  Bitmap& work;
  Bitmap& spare;
  Bitmap& stage;
};

class EffectContext {
 public:
  EffectContext(EffectBitmaps bitmaps, int screenW, int screenH, int speed, Random& random, EffectHost* host = nullptr,
                EffectTrace* trace = nullptr)
      : W(screenW), H(screenH), speed(speed), bitmaps_(bitmaps), random_(random), host_(host), trace_(trace) {}

  const int W;      // ScreenW
  const int H;      // ScreenH
  const int speed;  // `speed`: 1..100, the larger the slower

  // A dry run: counts pumps and Stage operations into `counts` and draws
  // nothing; random draws still advance `random`.
  EffectContext(EffectBitmaps bitmaps, int screenW, int screenH, int speed, Random& random, EffectCounts& counts)
      : W(screenW),
        H(screenH),
        speed(speed),
        bitmaps_(bitmaps),
        random_(random),
        host_(nullptr),
        trace_(nullptr),
        counts_(&counts) {}

  // True in a dry run: effects that work on pixel bytes skip that work.
  bool dry() const { return counts_ != nullptr; }

  // One rectangle copy, rectangles exactly as the effect passes them.
  void copy(Surface src, Rect srcRect, Surface dst, Rect dstRect) {
    if (counts_) {
      noteUse(src);
      noteUse(dst);
      if (dst == Surface::Stage) countStageOps(1, coveredArea(dstRect));
      return;
    }
    if (trace_) trace_->copy(src, srcRect, dst, dstRect);
    copyRect(bitmap(src), srcRect, bitmap(dst), dstRect);
    if (dst == Surface::Stage && host_) host_->stageDrawn(coveredArea(dstRect));
  }
  // `times` identical copies (nothing when times <= 0).
  void copyRepeated(int times, Surface src, Rect srcRect, Surface dst, Rect dstRect) {
    if (counts_) {
      if (times <= 0) return;
      noteUse(src);
      noteUse(dst);
      if (dst == Surface::Stage) countStageOps(times, coveredArea(dstRect));
      return;
    }
    for (int i = 0; i < times; ++i) copy(src, srcRect, dst, dstRect);
  }
  // Whole-bitmap draw of src at (x, y) in dst.
  void draw(Surface src, Surface dst, int x, int y) {
    if (counts_) {
      noteUse(src);
      noteUse(dst);
      if (dst == Surface::Stage) countStageOps(1, {x, y, x + bitmap(src).width(), y + bitmap(src).height()});
      return;
    }
    if (trace_) trace_->draw(src, dst, x, y);
    drawBitmap(bitmap(src), bitmap(dst), x, y);
    if (dst == Surface::Stage && host_) host_->stageDrawn({x, y, x + bitmap(src).width(), y + bitmap(src).height()});
  }
  // The final draw: FrameBitmap whole at (0, 0) on the Stage.
  void finalDraw() { draw(Surface::Frame, Surface::Stage, 0, 0); }
  void pump() {
    if (counts_) {
      ++counts_->pumps;
      return;
    }
    if (trace_) trace_->pump();
    if (host_) host_->pump();
  }
  // Random(n) from the show's shared generator.
  int random(int n) {
    const int v = random_.next(n);
    if (trace_) trace_->random(n, v);
    return v;
  }

  EffectHost* host() const { return host_; }

  // Direct pixel access, for the effects that work on pixel bytes. A dry
  // run notes the surface as used.
  Bitmap& bitmap(Surface s) {
    if (counts_) noteUse(s);
    switch (s) {
      case Surface::Frame:
        return bitmaps_.frame;
      case Surface::Work:
        return bitmaps_.work;
      case Surface::Spare:
        return bitmaps_.spare;
      case Surface::Stage:
        break;
    }
    return bitmaps_.stage;
  }

 private:
  void noteUse(Surface s) {
    if (s == Surface::Work) counts_->usesWork = true;
    if (s == Surface::Spare) counts_->usesSpare = true;
  }
  void countStageOps(long long times, const Rect& covered) {
    counts_->stageOps += times;
    if (coversPartOf(covered, bitmaps_.stage.width(), bitmaps_.stage.height())) counts_->visibleStageOps += times;
  }

  EffectBitmaps bitmaps_;
  Random& random_;
  EffectHost* host_;
  EffectTrace* trace_;
  EffectCounts* counts_ = nullptr;
};

using Effect = void (*)(EffectContext&);
constexpr int kEffectCount = 122;
using EffectTable = std::array<Effect, kEffectCount>;

// The table of all 122 numbers; an entry is null while its effect is missing.
const EffectTable& effectTable();

// Runs effect n; a number outside 0..121 (or without an effect) draws
// FrameBitmap whole at (0, 0) on the Stage.
void runEffect(int n, EffectContext& ctx);

// What effect n would issue with these inputs, found by running it dry: it
// draws nothing and leaves `random` as it found it. Only the bitmaps' sizes
// are read.
EffectCounts countEffect(int n, EffectBitmaps bitmaps, int screenW, int screenH, int speed, const Random& random);

// Each source unit of effects fills its numbers of the table.
void installEffects0to22(EffectTable& table);
void installEffects23to45(EffectTable& table);
void installEffects46to69(EffectTable& table);
void installEffects70to93(EffectTable& table);
void installEffects94to121(EffectTable& table);

}  // namespace lumora
