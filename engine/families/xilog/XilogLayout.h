// The SCM Xilog layout of a program: a work-piece header line with the
// part's dimensions, and every sub-contour (a run of G1, G2 and G3 moves)
// opened by one positioning line that carries the last rapid position, the
// depth, feed, spindle speed and tool. Rapid moves are never written as
// blocks of their own.
//
// A contour that begins with a plunge in Z alone is opened at the plunge's
// depth, and the plunge itself is not written. One whose first feed move
// goes anywhere in X or Y (a ramp, a helix, any arc) is opened at the rapid
// position at that move's start height, and the move follows as a block of
// the contour, so that its path is kept.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/FamilyLayout.h"
#include "engine/MoveWords.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

class XilogLayout final : public FamilyLayout {
 public:
  // Reads `profile` live; `valueAssignment` is the run's value assignment
  // text, owned by the caller and fixed for the run.
  XilogLayout(const MachineProfile& profile, const std::string& valueAssignment);

  // The next feed move opens a sub-contour; no rapid words are kept.
  void StartWritingPass() override;

  // The work-piece header line: width, height and the negated minimum
  // corner of `extents`, as geometry number texts; 95 when it fails.
  Outcome WriteHeaderLine(CncLines& lines, OutputBuffer& out, const DrawingExtents& extents) override;

  // The change code before feed moves stands in each opening line instead.
  bool WritesFeedChangeCodeLine() const override { return false; }
  // Arcs in the XY plane only; no frames; no dwell.
  bool SaysArcsIn(Plane plane) const override { return plane == Plane::kXY; }
  bool SaysFrames() const override { return false; }
  bool HasDwell() const override { return false; }

  // A held-back F word is never written in this layout.
  void HoldFeedWord(std::string_view) override {}

  // A rapid move writes nothing and keeps its G, X and Y words for the next
  // opening line. A feed move opens a contour (95 when that line fails) or
  // is a block of it (93), with V and S words for a feed or speed changed
  // since they were last written; a value that is not finite gives 153 /
  // 154 and writes nothing. A straight move right after an opening line that
  // stays where that line put the tool is dropped.
  Outcome WriteMove(CncLines& lines, OutputBuffer& out, const Move& move, MachineState& state) override;

 private:
  // "V=" + the feed in m/min, or "S=" + the speed, as nearest integers with
  // halves to even, then one blank; empty when the value is not finite.
  static std::string FeedWord(const MachineState& state);
  static std::string SpeedWord(const MachineState& state);
  Outcome WriteFeedMove(CncLines& lines, OutputBuffer& out, const Move& move, MachineState& state);
  // The opening line to depth `z`, with the move's start as the point a
  // relative depth is measured from.
  std::string OpeningLine(const Move& move, long double z, const std::string& feedWord, const std::string& speedWord,
                          std::uint16_t toolIndex) const;
  // A move right after an opening line that would repeat it: straight, in
  // neither X nor Y, at the depth the line went to. Without modal
  // coordinates such a block carries the full position and stays.
  bool RepeatsOpeningLine(const Move& move) const;

  const MachineProfile& profile_;
  const std::string& valueAssignment_;
  MoveWords words_;
  bool contourStartPending_ = true;  // the next feed move opens a sub-contour
  bool afterContourHeader_ = false;  // an opening line was written, no block of its contour yet
  long double openingZ_ = 0;         // the depth the last opening line went to
  std::string savedRapidWords_;      // G, X and Y words of the last rapid move
  std::string text_;                 // the words of the move in hand; kept to reuse its memory
};

}  // namespace morvatex
