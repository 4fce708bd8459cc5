// Writes the CNC program: header lines, the blocks of every interpreted line,
// trailer lines. Almost every text comes from the machine profile; with
// `Sonderbehandlung` 1 the program takes the SCM Xilog layout, with any other
// value the plain DIN layout.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/DrawingExtents.h"
#include "engine/IselInterpreter.h"
#include "engine/MachineState.h"
#include "engine/OutputBuffer.h"
#include "engine/families/xilog/XilogLayout.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

class DinBlockWriter {
 public:
  // Reads `profile` live at every call; keeps no copy of it.
  explicit DinBlockWriter(const MachineProfile& profile) : profile_(profile), xilog_(profile, valueAssignment_) {}
  // The Xilog layout refers to this writer's value assignment text.
  DinBlockWriter(const DinBlockWriter&) = delete;
  DinBlockWriter& operator=(const DinBlockWriter&) = delete;

  // The start of a run: no block has been numbered yet, and the value
  // assignment text (`ZeichenWertzuweisung` without trailing blanks) is fixed.
  void StartRun(std::string_view valueAssignment);

  // The start of the writing pass: the per-program state goes back to its
  // initial values (the block number counts on).
  void StartWritingPass();

  // Writes `Vorspann1` unnumbered, the work-piece header line of the Xilog
  // layout when chosen, then `Vorspann2` to `Vorspann6` numbered; empty lines
  // are left out. The work-piece line is tried even after `Vorspann1` failed;
  // `Vorspann2` to `Vorspann6` only while nothing has failed. Returns the
  // outcome code of the last failure (81, 95, 82, or one the buffer reports
  // for an earlier line), or 0.
  Outcome WriteHeader(OutputBuffer& out, const DrawingExtents& extents);

  // Writes the blocks of one interpreted line of the writing pass: the move
  // block under the modal rules (with its change code line before it), the
  // feed, spindle, tool change, coolant, plane and halt lines. Every block of
  // the line is tried even after one failed. Returns 0, or the outcome code
  // of the last write that failed (85 to 93, 95), or 153 / 154 when a feed
  // or speed to be written is not a finite number (an infinite output
  // factor): that block is not written. In the Xilog layout, writing the
  // feed and speed clears `feedChanged` / `speedChanged` in `state`.
  Outcome WriteBlocks(OutputBuffer& out, const InterpretedLine& line, MachineState& state);

  // Writes `Nachspann1` and `Nachspann2` numbered and `Nachspann3` without a
  // number (it still draws one). Stops at the first failure: 84, or 0.
  Outcome WriteTrailer(OutputBuffer& out);

  // Appends the prefix of the next numbered line to `text`: `_N` + number +
  // one blank, or nothing when numbering is off. The first call of a run
  // gives `ErsterSatz`, every further one adds `SatznummernIncrement`.
  void AppendBlockNumber(std::string& text);

 private:
  // Each writes one line, `text` + CR LF, as one piece of the output, and
  // returns 0 or the failure code (`failure` for this line).
  static Outcome WriteLine(OutputBuffer& out, std::string_view text, Outcome failure);
  // `text` with the next block number in front.
  Outcome WriteNumberedLine(OutputBuffer& out, std::string_view text, Outcome failure);
  // A non-empty code line with the next block number in front; an empty one
  // writes nothing and draws no number.
  Outcome WriteCode(OutputBuffer& out, std::string_view code, Outcome failure);

  Outcome WriteMove(OutputBuffer& out, MachineState& state);
  // Writes the words in hand as a numbered move block of the DIN layout,
  // with a held-back F word behind them; 92 when it fails.
  Outcome WriteMoveBlock(OutputBuffer& out);
  // An arc back to its start point that the R word would give (DIN layout).
  bool IsRadiusFullCircle(const MachineState& state) const;
  // Writes such a full circle as two half circles, each a move block under
  // the normal rules; the state itself is left as the one circle.
  Outcome WriteFullCircleHalves(OutputBuffer& out, const MachineState& state);
  // The change code before a rapid move after feed moves, or before a feed
  // move after rapid moves; 88 / 89 when it cannot be written.
  Outcome WriteChangeCode(OutputBuffer& out, MotionKind motionKind);
  // Appends the words of a move block, each followed by one blank.
  void AppendMoveWords(const MachineState& state, std::string& words);
  // address + value assignment text + geometry number text + one blank.
  void AppendWord(std::string& words, std::string_view address, long double value) const;
  Outcome WriteFeed(OutputBuffer& out, const MachineState& state);
  Outcome WriteSpindle(OutputBuffer& out, const InterpretedLine& line, const MachineState& state);
  Outcome WriteToolChange(OutputBuffer& out, const MachineState& state);
  bool UsesXilogLayout() const { return profile_.Sonderbehandlung == 1; }

  const MachineProfile& profile_;
  std::string valueAssignment_;
  // True once a line has been numbered in this run.
  bool numbered_ = false;
  // Last block number used. 64 bits, so a large first number or increment
  // can never wrap around.
  std::int64_t blockNumber_ = 0;

  // Per program, from the start of the writing pass.
  MotionKind prevMotion_ = MotionKind::kNone;
  bool beforeG0Written_ = false;    // the change code to rapid handled since the last feed move or tool change
  bool beforeG123Written_ = false;  // the change code to feed handled since the last rapid move or tool change
  std::string pendingFeedWord_;     // an F word held back for the next move block
  std::string words_;               // the words of the move in hand; kept to reuse its memory
  XilogLayout xilog_;
};

}  // namespace morvatex
