// The tool path the Isel program asks for, from the moves the conversion's
// interpreter makes of each line of the writing pass, handed to the
// comparison in the form the CNC program is expected to give it: with the
// tool, feed, spindle speed and spindle state in force, and without what
// the control family's layout leaves out by design (engine/ControlFamily.h).
// Where rapid moves only open contours, the rapid moves before a contour
// become one position whose Z is not written, the way to the contour's first
// height one feed move from that unknown Z, and rapid moves after the last
// contour nothing.
#pragma once

#include "engine/ControlFamily.h"
#include "engine/IselInterpreter.h"
#include "engine/MachineState.h"
#include "settings/SettingsRecord.h"
#include "verify/PathComparison.h"

namespace morvatex {

class ExpectedPath {
 public:
  // `profile` must outlive the path; the spindle codes are read under
  // `model` (RS274/NGC reads M3, M4 and M5 whatever the settings write).
  ExpectedPath(const MachineProfile& profile, ControlModel model, PathComparison& comparison);

  // Takes one interpreted line of the writing pass; `state` is the state
  // after it (feed, speed and tool of the lines that set them).
  void TakeLine(const InterpretedLine& line, const MachineState& state);

 private:
  void TakeSpindle(const InterpretedLine& line);
  void TakeMove(TracedMove& move);
  // The first feed move of a contour under `rapidsOnlyOpenContours`.
  void OpenContour(const TracedMove& move);

  const MachineProfile& profile_;
  ControlModel model_;
  LayoutOmissions omissions_;
  PathComparison& comparison_;
  ModalValue feed_, speed_, tool_;
  SpindleState spindle_ = SpindleState::kUnknown;
  bool rapidPending_ = false;  // rapid moves since the last feed move
  bool contourOpen_ = false;   // a feed move since the last rapid move
  TracedMove rapid_;           // the rapid moves pending, merged
};

}  // namespace morvatex
