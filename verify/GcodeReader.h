// Reads a CNC program line by line as a control model reads it, and traces
// its tool path: moves and arcs with the feed, spindle speed and tool in
// force, each with its CNC line number. What the model cannot read becomes a
// finding; reading goes on with the next word.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "settings/SettingsRecord.h"
#include "verify/TracedMove.h"

namespace morvatex {

class GcodeReader {
 public:
  // Under kConfigured, `profile` gives the letters, codes, value assignment,
  // relative modes, factors and the layout; under kRs274 only the layout
  // matters to nobody: RS274/NGC is read as the standard gives it. The
  // profile is read at every line; it must outlive the reader.
  GcodeReader(ControlModel model, const MachineProfile& profile);

  // Reads one line (without its line end) numbered `lineNumber`; appends the
  // moves it makes to `moves` and what it cannot read to `findings`.
  void ReadLine(std::string_view text, std::size_t lineNumber, std::vector<TracedMove>& moves,
                std::vector<ReadFinding>& findings);

 private:
  struct Words;  // the words of one line
  void ReadRs274(std::string_view text, std::size_t lineNumber, std::vector<TracedMove>& moves,
                 std::vector<ReadFinding>& findings);
  // A G word of RS274/NGC: its motion into `w`, its modes into the reader.
  void TakeGCode(double value, Words& w, std::size_t lineNumber, std::vector<ReadFinding>& findings);
  void ReadConfigured(std::string_view text, std::size_t lineNumber, std::vector<TracedMove>& moves,
                      std::vector<ReadFinding>& findings);
  // Moves from the current point to (x, y, z) in the current motion mode;
  // an arc about (cx, cy), or by `radius` when it has no centre.
  void Move(const Words& words, double x, double y, double z, std::size_t lineNumber, std::vector<TracedMove>& moves,
            std::vector<ReadFinding>& findings);
  TracedMove MoveFromHere(MotionKind kind, double x, double y, double z, std::size_t lineNumber) const;

  ControlModel model_;
  const MachineProfile& profile_;
  MotionKind motion_ = MotionKind::kNone;
  double x_ = 0, y_ = 0, z_ = 0;
  bool zKnown_ = true;
  // RS274/NGC modes.
  bool incremental_ = false;  // G91
  bool arcAbsolute_ = false;  // G90.1; I and J relative to the start (G91.1) otherwise
  double unit_ = 1;           // 25.4 under G20
  int plane_ = 17;
  // Configured model: the I, J and R last written (modal centre words).
  double lastI_ = 0, lastJ_ = 0;
  double pendingTool_ = 0;  // T waits for M6
  ModalValue feed_, speed_, tool_;
};

}  // namespace morvatex
