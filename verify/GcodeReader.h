// Reads a CNC program line by line as a control model reads it, and traces
// its tool path: moves and arcs (in the plane G17, G18 or G19 selects) with
// the feed, spindle speed, spindle state and tool in force, dwells (G4), each
// with its CNC line number and its frame (G53 for its block, G54 to G59
// modal). What the model cannot read becomes a finding; reading goes on with
// the next word. The program's end code (M2, M30) ends the reading: a
// control reads nothing after it.
//
// The reader knows no frame's offsets: after a change of frame an axis is
// unknown until a word gives it, and stays where it stands, as the
// interpreter has it (engine/Move.h, `unknownAxes`).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ControlFamily.h"
#include "settings/SettingsRecord.h"
#include "verify/TracedMove.h"

namespace morvatex {

class GcodeReader {
 public:
  // Under kConfigured, `profile` gives the letters, codes, value assignment,
  // relative modes, factors and the control family, which reads its own
  // words; under kRs274 RS274/NGC is read as LinuxCNC reads it. The profile
  // is read at every line; it must outlive the reader.
  GcodeReader(ControlModel model, const MachineProfile& profile);

  // Reads one line (without its line end) numbered `lineNumber`; appends the
  // moves it makes to `moves` and what it cannot read to `findings`. After
  // the end code, lines are passed over.
  void ReadLine(std::string_view text, std::size_t lineNumber, std::vector<TracedMove>& moves,
                std::vector<ReadFinding>& findings);

  // Whether an end code was read, at which line, and the code as written.
  bool Ended() const { return endLine_ > 0; }
  std::size_t EndLine() const { return endLine_; }
  const std::string& EndCode() const { return endCode_; }

 private:
  struct Words;  // the words of one line
  // One block of RS274/NGC: its words, its modes, then its move.
  void ReadRs274(std::string_view text, std::size_t lineNumber, std::vector<TracedMove>& moves,
                 std::vector<ReadFinding>& findings);
  // The words of one block into `w`; what RS274/NGC does not read is noted
  // and passed over.
  void ReadRs274Words(std::string_view text, std::size_t lineNumber, Words& w, std::vector<ReadFinding>& findings);
  // An address word other than G, M and N into `w`; a letter RS274/NGC
  // does not know, or one given twice (`seen` by letter), is noted instead.
  static void TakeRs274Address(char letter, double value, int decimals, bool (&seen)[26], Words& w,
                               std::size_t lineNumber, std::vector<ReadFinding>& findings);
  // The dwell and move of a block whose words and modes were taken, unless
  // CheckRs274Block refuses it.
  void MoveRs274(Words& w, std::size_t lineNumber, std::vector<TracedMove>& moves, std::vector<ReadFinding>& findings);
  // A G word of RS274/NGC: its motion into `w`, its modes into the reader.
  void TakeGCode(double value, Words& w, std::size_t lineNumber, std::vector<ReadFinding>& findings);
  // What a block of RS274/NGC sets besides its move: feed, speed, tool,
  // spindle, motion mode and the program's end.
  void TakeRs274Modes(const Words& w, std::size_t lineNumber, std::vector<ReadFinding>& findings);
  // What LinuxCNC refuses in a block of G4, G53 or P, a feed move without a
  // feed (once), and the block's arc words that do not belong to its plane;
  // false when the block does not move.
  bool CheckRs274Block(const Words& w, std::size_t lineNumber, std::vector<ReadFinding>& findings);
  // A dwell the block asks for, before its move.
  void Dwell(const Words& w, std::size_t lineNumber, std::vector<TracedMove>& moves);
  // An M word of RS274/NGC: the spindle, the tool change and the end.
  void TakeMCode(double value, Words& w, std::size_t lineNumber, std::vector<ReadFinding>& findings);
  void ReadConfigured(std::string_view text, std::size_t lineNumber, std::vector<TracedMove>& moves,
                      std::vector<ReadFinding>& findings);
  // One word of a configured line; false when it is none the reader knows.
  bool TakeConfiguredWord(std::string_view word, bool lastWord, Words& w);
  // The spindle codes of the settings that a configured line holds.
  void TakeSpindleCodes(std::string_view text);
  // The plane codes of the settings (G17, G18, G19) that a configured line holds.
  void TakePlaneCodes(std::string_view text);
  // The words the writer puts beside the configured ones (G4 P, G53, G54
  // to G59); false for any other word.
  bool TakeFrameOrDwellWord(std::string_view word, Words& w);
  // Moves from the current point to (x, y, z) in the current motion mode;
  // an arc about its centre words, or by its radius when it has none.
  // `given` holds the axes the block writes (AxisBits).
  void Move(const Words& words, double x, double y, double z, std::uint8_t given, std::size_t lineNumber,
            std::vector<TracedMove>& moves, std::vector<ReadFinding>& findings);
  // The frame the block moves in; after a change every axis it does not
  // give is unknown. Returns the axes it makes known again.
  std::uint8_t EnterFrame(const Words& w, std::uint8_t given);
  // The arc's centre from its words in the current plane; false when it has none.
  bool ArcCentre(const Words& w, TracedMove& move, std::size_t lineNumber, std::vector<ReadFinding>& findings) const;
  // The centre given by R: on the side of the chord its sign and direction ask for.
  bool CentreByRadius(const Words& w, TracedMove& move, std::size_t lineNumber,
                      std::vector<ReadFinding>& findings) const;
  // A radius word beside I and J must describe the same arc.
  void CheckRadiusWord(const Words& w, const TracedMove& move, std::size_t lineNumber,
                       std::vector<ReadFinding>& findings) const;
  TracedMove MoveFromHere(MotionKind kind, double x, double y, double z, std::size_t lineNumber) const;

  ControlModel model_;
  const MachineProfile& profile_;
  const ControlFamily& family_;
  MotionKind motion_ = MotionKind::kNone;
  double x_ = 0, y_ = 0, z_ = 0;
  bool zKnown_ = true;
  // RS274/NGC modes.
  bool incremental_ = false;  // G91
  bool arcAbsolute_ = false;  // G90.1; I and J relative to the start (G91.1) otherwise
  double unit_ = 1;           // 25.4 under G20
  Plane plane_ = Plane::kXY;
  // The work frame in force, the frame the position is known in, and the
  // axes not given since that frame was entered (AxisBits).
  Frame workFrame_ = Frame::kWork1;
  Frame positionFrame_ = Frame::kWork1;
  std::uint8_t unknownAxes_ = 0;
  // RS274/NGC: a feed move without a feed was noted (LinuxCNC refuses it).
  bool noFeedNoted_ = false;
  // Configured model: the I, J and K last written (modal centre words).
  double lastI_ = 0, lastJ_ = 0, lastK_ = 0;
  double pendingTool_ = 0;  // T waits for M6
  ModalValue feed_, speed_, tool_;
  SpindleState spindle_ = SpindleState::kStopped;  // a control starts with its spindle still
  std::size_t endLine_ = 0;
  std::string endCode_;
};

}  // namespace morvatex
