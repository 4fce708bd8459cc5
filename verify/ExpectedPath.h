// The tool path the Isel program asks for, from the moves the conversion's
// interpreter makes of each line (or step of a line) of the writing pass,
// handed to the comparison in the form the CNC program is expected to give
// it: each move in its plane and frame, with the axes it does not know, the
// tool, feed, spindle speed and spindle state in force; its dwells; and
// without what the control family's layout leaves out by design
// (engine/ControlFamily.h). A line the interpreter does not carry over whole
// is a divergence of its own.
// Where rapid moves only open contours, the rapid moves before a contour
// become one position whose Z is not written, the way to the contour's first
// height one feed move from that unknown Z, and rapid moves after the last
// contour nothing.
#pragma once

#include <cstddef>

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

  // Takes one interpreted line (or step) of the writing pass, source line
  // `lineNumber` (1-based); `state` is the state after it (feed, speed and
  // tool of the lines that set them).
  void TakeLine(const InterpretedLine& line, std::size_t lineNumber, const MachineState& state);

 private:
  void TakeSpindle(const InterpretedLine& line);
  void TakeDwell(long double seconds, std::size_t lineNumber, const MachineState& state);
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
