// The part of a CNC program that a control family lays out its own way: a
// header line of its own, and the blocks each move becomes. The DIN block
// writer (engine/DinBlockWriter.h) writes everything the families share
// (block numbers, header and trailer lines, feed, spindle, tool, coolant,
// plane and halt lines, the change codes) and hands each move to the
// layout of the run's family (ControlFamily::NewLayout), which writes
// through the same numbered lines.
#pragma once

#include <string_view>

#include "engine/CncLines.h"
#include "engine/DrawingExtents.h"
#include "engine/MachineState.h"
#include "engine/Move.h"
#include "engine/OutcomeCodes.h"
#include "engine/OutputBuffer.h"

namespace morvatex {

class FamilyLayout {
 public:
  virtual ~FamilyLayout() = default;

  // The start of the writing pass: the per-program state goes back to its
  // initial values.
  virtual void StartWritingPass() = 0;

  // Writes the family's own header line, which stands after `Vorspann1`,
  // with `extents` of the measuring pass. Returns 0 (also when the family
  // has none) or the failure code.
  virtual Outcome WriteHeaderLine(CncLines& lines, OutputBuffer& out, const DrawingExtents& extents) = 0;

  // Whether the change code before feed moves (`VorWechselZuG123`) stands
  // as a line of its own.
  virtual bool WritesFeedChangeCodeLine() const = 0;

  // Whether the family's blocks can say an arc in `plane` with the words
  // the settings give; where not, its arcs go out as straight segments.
  virtual bool SaysArcsIn(Plane plane) const = 0;
  // Whether the family knows the machine frame and the work frames (and so
  // moves whose axes are not all known in their frame); where not, such
  // moves are refused.
  virtual bool SaysFrames() const = 0;
  // Whether the family has a dwell (RS274 G4).
  virtual bool HasDwell() const = 0;

  // Takes the F word of a VEL (with its trailing blank) to be held back for
  // the next move block; a newer one replaces it.
  virtual void HoldFeedWord(std::string_view word) = 0;

  // Writes the blocks of one move (kind rapid to counter-clockwise arc),
  // after the writer has written its change code. `state` is the machine
  // state after the move's line, for what is not geometry: the first-use
  // marks, the centre of the line before, feed, speed and tool; a layout
  // that reports feed and speed changes clears `feedChanged` and
  // `speedChanged`. Every block is tried even after one failed; returns 0
  // or the code of the last failure.
  virtual Outcome WriteMove(CncLines& lines, OutputBuffer& out, const Move& move, MachineState& state) = 0;
};

}  // namespace morvatex
