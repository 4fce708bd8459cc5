// Writes the CNC program: header lines, the blocks of every interpreted line,
// trailer lines. Almost every text comes from the machine profile; with
// `Sonderbehandlung` 1 the program takes the SCM Xilog layout.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/FileSystem.h"
#include "engine/DrawingExtents.h"
#include "engine/IselInterpreter.h"
#include "engine/MachineState.h"
#include "settings/Einstellungen.h"

namespace morvatex {

class DinBlockWriter {
 public:
  // Reads `profile` live at every call; keeps no copy of it.
  explicit DinBlockWriter(const Maschinenprofil& profile) : profile_(profile) {}

  // The start of a run: no block has been numbered yet, and the value
  // assignment text (`ZeichenWertzuweisung` without trailing blanks) is fixed.
  void StartRun(std::string_view valueAssignment);

  // The start of the writing pass: the per-program state goes back to its
  // initial values (the block number counts on).
  void StartWritingPass();

  // Writes `Vorspann1` unnumbered, the work-piece header line of the Xilog
  // layout when chosen, then `Vorspann2` to `Vorspann6` numbered; empty lines
  // are left out. Stops at the first line that cannot be written and returns
  // its outcome code (81, 95, 82), or 0.
  int WriteHeader(WritableFile& out, const DrawingExtents& extents);

  // Writes the blocks of one interpreted line of the writing pass. Returns 0,
  // or the outcome code of the last write that failed.
  int WriteBlocks(WritableFile& out, const InterpretedLine& line, MachineState& state);

  // Writes `Nachspann1` and `Nachspann2` numbered and `Nachspann3` without a
  // number (it still draws one). Stops at the first failure: 84, or 0.
  int WriteTrailer(WritableFile& out);

  // The prefix of the next numbered line: `_N` + number + one blank, or empty
  // when numbering is off. The first call of a run gives `ErsterSatz`, every
  // further one adds `SatznummernIncrement`.
  std::string NextBlockNumber();

 private:
  // Writes `text` + CR LF in one write.
  static bool WriteLine(WritableFile& out, std::string_view text);
  // Writes a non-empty code line with the next block number in front; an
  // empty one writes nothing and draws no number.
  bool WriteNumberedCodeLine(WritableFile& out, std::string_view code);
  // The SCM Xilog work-piece header line; false when it cannot be written.
  bool WriteWorkpieceHeader(WritableFile& out, const DrawingExtents& extents);

  const Maschinenprofil& profile_;
  std::string valueAssignment_;
  // Last block number used; -1 until the first numbered line. 64 bits, so a
  // large first number or increment can never wrap around.
  std::int64_t blockNumber_ = -1;
};

}  // namespace morvatex
