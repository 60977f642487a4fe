// An EffectHost for the tool: counts the pumps and the drawing operations
// on the Stage, and calls back at each, so that a transition can be caught
// in the middle or written out frame by frame.
#pragma once

#include <functional>

#include "effects/effect.h"

namespace lumora::tool {

class RecordingHost : public EffectHost {
 public:
  std::function<void(int pumpNumber)> onPump;          // after pump n (1-based)
  std::function<void(int operationNumber)> onStageOp;  // after stage op n (1-based)

  void stageChanged() override {
    ++stageOps;
    if (onStageOp) onStageOp(stageOps);
  }
  void stageDrawn(const Rect& area) override {
    lastArea = area;
    stageChanged();
  }
  void pump() override {
    ++pumps;
    if (onPump) onPump(pumps);
  }

  int pumps = 0;
  int stageOps = 0;
  Rect lastArea;  // what the latest Stage operation covered
};

}  // namespace lumora::tool
