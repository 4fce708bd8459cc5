// The lines of a CNC program as every control family writes them: each line
// one piece of the output, numbered or not, with the block numbers counting
// on through header, blocks and trailer of one run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/OutcomeCodes.h"
#include "engine/OutputBuffer.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

class CncLines {
 public:
  // Reads `profile` live (numbering on or off, first number, increment,
  // address `_N`); keeps no copy of it.
  explicit CncLines(const MachineProfile& profile) : profile_(profile) {}

  // The start of a run: no block has been numbered yet.
  void StartRun() {
    numbered_ = false;
    blockNumber_ = 0;
  }

  // Appends the prefix of the next numbered line to `text`: `_N` + number +
  // one blank, or nothing when numbering is off. The first call of a run
  // gives `ErsterSatz`, every further one adds `SatznummernIncrement`.
  void AppendBlockNumber(std::string& text);

  // Writes `text` + CR LF as one piece of `out`; returns 0 or the failure
  // code (`failure` for this line, or that of an earlier piece).
  static Outcome WriteLine(OutputBuffer& out, std::string_view text, Outcome failure);
  // The same with the next block number in front.
  Outcome WriteNumbered(OutputBuffer& out, std::string_view text, Outcome failure);
  // A code line of the settings, numbered; an empty one writes nothing and
  // draws no number.
  Outcome WriteCode(OutputBuffer& out, std::string_view code, Outcome failure) {
    return code.empty() ? Outcome::kSuccess : WriteNumbered(out, code, failure);
  }

 private:
  const MachineProfile& profile_;
  // True once a line has been numbered in this run.
  bool numbered_ = false;
  // Last block number used. 64 bits, so a large first number or increment
  // can never wrap around.
  std::int64_t blockNumber_ = 0;
};

}  // namespace morvatex
