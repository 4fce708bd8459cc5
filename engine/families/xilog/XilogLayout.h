// The SCM Xilog program layout, chosen by `Sonderbehandlung` 1: a work-piece
// header line with the part's dimensions, and every sub-contour (a run of
// G1, G2 and G3 moves) opened by one positioning line that carries the last
// rapid position, the plunge depth, feed, spindle speed and tool. Rapid moves
// are never written as blocks of their own.
//
// The layout builds texts and keeps its per-program state; the DIN block
// writer numbers and writes the lines.
#pragma once

#include <string>
#include <string_view>

#include "engine/DrawingExtents.h"
#include "engine/MachineState.h"
#include "engine/OutcomeCodes.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

// What one move writes in this layout.
struct XilogBlock {
  enum class Kind {
    kNothing,       // rapid moves, and a dropped block right after an opening line
    kOpeningLine,   // the line that opens a sub-contour (outcome 95 when it fails)
    kContourBlock,  // a block inside a sub-contour (outcome 93 when it fails)
  };
  Kind kind = Kind::kNothing;
  std::string text;  // the line after its block number prefix
  // Not kSuccess: the feed or speed has no number text (not finite); nothing is written.
  Outcome valueError = Outcome::kSuccess;
};

class XilogLayout {
 public:
  // Reads `profile` live; `valueAssignment` is the run's value assignment
  // text, owned by the caller and fixed for the run.
  XilogLayout(const MachineProfile& profile, const std::string& valueAssignment)
      : profile_(profile), valueAssignment_(valueAssignment) {}

  // The start of the writing pass: the next feed move opens a sub-contour,
  // no rapid words and no radius word are kept.
  void StartWritingPass();

  // The work-piece header line after its block number prefix: width, height
  // and the negated minimum corner of `extents`, as geometry number texts.
  std::string WorkpieceHeader(const DrawingExtents& extents) const;

  // The radius word of an arc of `motionKind`: "r" + value assignment text,
  // "-" for a clockwise arc, the radius, one blank. Kept as the arc's radius
  // word for an opening line.
  std::string TakeRadiusWord(MotionKind motionKind, long double radius);

  // Called right after the Y word of a rapid move with the words so far
  // (G, X, Y): they are kept for the next opening line, and the radius word
  // is forgotten.
  void TakeRapidWords(std::string_view words);

  // Decides what a move with its `words` (each with its trailing blank)
  // writes, and follows the layout's state. An opening line and a block with
  // a V or S word clear `feedChanged` / `speedChanged` in `state`.
  XilogBlock TakeMove(MachineState& state, std::string_view words);

 private:
  // "V=" + the feed in m/min, or "S=" + the speed, as nearest integers with
  // halves to even, then one blank; empty when the value is not finite.
  static std::string FeedWord(const MachineState& state);
  static std::string SpeedWord(const MachineState& state);
  std::string OpeningLine(const MachineState& state, const std::string& feedWord, const std::string& speedWord) const;
  // True when `words` hold an X or a Y word: the configured address
  // followed by the value assignment text.
  bool HasXOrYWord(std::string_view words) const;

  const MachineProfile& profile_;
  const std::string& valueAssignment_;
  bool contourStartPending_ = true;  // the next feed move opens a sub-contour
  bool afterContourHeader_ = false;  // an opening line was written, no block of its contour yet
  long double openingZ_ = 0;         // the depth the last opening line went to
  std::string savedRapidWords_;      // G, X and Y words of the last rapid move
  std::string radiusWord_;           // R word of the current arc, emptied by every rapid move
};

}  // namespace morvatex
