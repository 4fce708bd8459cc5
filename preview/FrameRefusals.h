// The frames a conversion's CNC program cannot say, for the trace: the
// writer of the CNC program (engine/DinBlockWriter.cpp) refuses a work
// frame, and a move outside the first work frame or with an axis not known
// in its frame, with code 162 where the family of its settings has no frames
// or the output is relative. The trace writes nothing, so it asks the same
// questions here; TraceMatchesConversion keeps the two in step.
#pragma once

#include "engine/IselInterpreter.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

class FrameRefusals {
 public:
  // Refuses nothing when `settings` ask for no CNC program.
  explicit FrameRefusals(const SettingsRecord& settings);

  // Whether the CNC program cannot say `step` (code 162).
  bool Refuses(const InterpretedLine& step) const;

 private:
  bool framesRefused_ = false;  // a work frame, and any move outside the first one
  bool movesRefused_ = false;   // any move outside the first work frame
};

}  // namespace morvatex
