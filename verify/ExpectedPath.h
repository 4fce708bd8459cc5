// The tool path the Isel program asks for, as the conversion's interpreter
// leaves it after each line of the writing pass, handed to the comparison
// in the form the CNC program is expected to give it: with the tool, feed
// and spindle speed in force, and for the SCM Xilog layout with its rapid
// moves merged into the position that opens the next sub-contour (the
// layout writes no other rapid move and never the Z of one).
#pragma once

#include <cstddef>

#include "engine/IselInterpreter.h"
#include "engine/MachineState.h"
#include "settings/SettingsRecord.h"
#include "verify/PathComparison.h"

namespace morvatex {

class ExpectedPath {
 public:
  ExpectedPath(const MachineProfile& profile, PathComparison& comparison)
      : profile_(profile), comparison_(comparison) {}

  // Takes one interpreted line, numbered `lineNumber` (1-based).
  void TakeLine(const InterpretedLine& line, const MachineState& state, std::size_t lineNumber);

 private:
  const MachineProfile& profile_;
  PathComparison& comparison_;
  ModalValue feed_, speed_, tool_;
  bool rapidPending_ = false;  // Xilog: rapid moves since the last feed move
  TracedMove rapid_;
};

}  // namespace morvatex
