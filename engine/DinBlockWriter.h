// Writes the CNC program: header lines, the blocks of every interpreted line,
// trailer lines. Almost every text comes from the machine profile. What the
// control families share is written here; each move, and a header line of
// the family's own, goes to the layout of the run's family
// (engine/FamilyLayout.h), chosen once per run.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/CncLines.h"
#include "engine/ControlFamily.h"
#include "engine/DrawingExtents.h"
#include "engine/FamilyLayout.h"
#include "engine/IselInterpreter.h"
#include "engine/MachineState.h"
#include "engine/Move.h"
#include "engine/OutputBuffer.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

class DinBlockWriter {
 public:
  // Reads `profile` live at every call; keeps no copy of it.
  explicit DinBlockWriter(const MachineProfile& profile) : profile_(profile), lines_(profile) {}
  // The layout refers to this writer's value assignment text.
  DinBlockWriter(const DinBlockWriter&) = delete;
  DinBlockWriter& operator=(const DinBlockWriter&) = delete;

  // The start of a run, before any other call: no block has been numbered
  // yet, the value assignment text (`ZeichenWertzuweisung` without trailing
  // blanks) is fixed, and `family` lays out the moves.
  void StartRun(std::string_view valueAssignment, const ControlFamily& family);

  // The start of the writing pass: the per-program state goes back to its
  // initial values (the block number counts on).
  void StartWritingPass();

  // Writes `Vorspann1` unnumbered, the family's own header line (the
  // work-piece line of the Xilog layout), then `Vorspann2` to `Vorspann6`
  // numbered; empty lines are left out. The family's line is tried even
  // after `Vorspann1` failed; `Vorspann2` to `Vorspann6` only while nothing
  // has failed. Returns the outcome code of the last failure (81, 95, 82, or
  // one the buffer reports for an earlier line), or 0.
  Outcome WriteHeader(OutputBuffer& out, const DrawingExtents& extents);

  // Writes the blocks of one interpreted line of the writing pass: for each
  // of its moves the change code line and the family's blocks; the feed,
  // spindle, tool change, coolant, plane and halt lines. Every block of the
  // line is tried even after one failed. Returns 0, or the outcome code of
  // the last write that failed (85 to 93, 95), or 153 / 154 when a feed or
  // speed to be written is not a finite number (an infinite output factor):
  // that block is not written. A layout that reports feed and speed with
  // its moves clears `feedChanged` / `speedChanged` in `state`.
  Outcome WriteBlocks(OutputBuffer& out, const InterpretedLine& line, MachineState& state);

  // Writes `Nachspann1` and `Nachspann2` numbered and `Nachspann3` without a
  // number (it still draws one). Stops at the first failure: 84, or 0.
  Outcome WriteTrailer(OutputBuffer& out);

  // What the last WriteBlocks could not carry over, and what it carried
  // only as straight segments, in German; empty when nothing.
  const std::string& NotCarried() const { return notCarried_; }
  const std::string& Approximated() const { return approximated_; }

  // Appends the prefix of the next numbered line to `text` (CncLines).
  void AppendBlockNumber(std::string& text) { lines_.AppendBlockNumber(text); }

 private:
  // The change code line and the family's blocks of one move; 155 for a
  // kind that is no move.
  Outcome WriteMove(OutputBuffer& out, const Move& move, MachineState& state);
  // The change code before a rapid move after feed moves, or before a feed
  // move after rapid moves; 88 / 89 when it cannot be written.
  Outcome WriteChangeCode(OutputBuffer& out, MotionKind motionKind);
  Outcome WriteFeed(OutputBuffer& out, const MachineState& state);
  // A dwell of `seconds` ("G4 P" and the seconds); noted as not carried
  // where the family has none.
  Outcome WriteDwell(OutputBuffer& out, long double seconds);
  Outcome WriteSpindle(OutputBuffer& out, const InterpretedLine& line, const MachineState& state);
  Outcome WriteToolChange(OutputBuffer& out, const MachineState& state);

  const MachineProfile& profile_;
  CncLines lines_;
  std::string valueAssignment_;
  std::unique_ptr<FamilyLayout> layout_;   // of the run's family
  std::string notCarried_, approximated_;  // of the last WriteBlocks

  // Per program, from the start of the writing pass.
  bool beforeG0Written_ = false;    // the change code to rapid handled since the last feed move or tool change
  bool beforeG123Written_ = false;  // the change code to feed handled since the last rapid move or tool change
};

}  // namespace morvatex
