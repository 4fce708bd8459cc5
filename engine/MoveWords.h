// The words of a move block under the modal rules of the settings, as every
// control family builds them: the G word, X, Y and Z, and for an arc I, J
// and K. The radius word has a form of each family's own; its layout adds it.
#pragma once

#include <string>
#include <string_view>

#include "engine/MachineState.h"
#include "engine/Move.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

// What the words of a move are compared with beyond its own start point.
struct WordContext {
  Point centre;  // the centre in force before the move: I, J and K are written when they differ from it
  // Which coordinates the last word of the move's line gave for the first time.
  FirstUse firstUseX = FirstUse::kBefore, firstUseY = FirstUse::kBefore, firstUseZ = FirstUse::kBefore;

  // For the move of a move line: the centre of the line before it and the
  // marks its words left.
  static WordContext Of(const MachineState& state) {
    return {{state.prevI, state.prevJ, state.prevK}, state.firstUseX, state.firstUseY, state.firstUseZ};
  }
};

class MoveWords {
 public:
  // What a family's layout changes in the rules.
  struct Rules {
    bool firstUseCounts = true;          // a coordinate given for the first time is written, modal or not
    bool rapidAlwaysPositioned = false;  // a rapid move always gets its X and Y word
  };

  // Reads `profile` live; `valueAssignment` is the run's value assignment
  // text, owned by the caller and fixed for the run.
  MoveWords(const MachineProfile& profile, const std::string& valueAssignment, Rules rules)
      : profile_(profile), valueAssignment_(valueAssignment), rules_(rules) {}

  // The start of the writing pass: the next move writes its G word.
  void StartWritingPass() { prevMotion_ = MotionKind::kNone; }

  // Appends the G, X and Y words of `move` (kind rapid to counter-clockwise
  // arc), each followed by one blank. Values are compared exactly with the
  // move's start point; relative output gives the step from it.
  void AppendPlaneWords(const Move& move, const WordContext& context, std::string& words) const;
  // Appends its Z word, then for an arc its I and J words (`IJWerte`; a
  // relative centre is measured from the start point) and its K word
  // (`KWerte`).
  void AppendDepthAndCentreWords(const Move& move, const WordContext& context, std::string& words) const;
  // Both, in this order.
  void AppendWords(const Move& move, const WordContext& context, std::string& words) const;

  // The move of `kind` has been laid out: the next G word is compared with it.
  void Moved(MotionKind kind) { prevMotion_ = kind; }

  // address + value assignment text + geometry number text + one blank.
  void AppendWord(std::string& words, std::string_view address, long double value) const;

 private:
  const MachineProfile& profile_;
  const std::string& valueAssignment_;
  Rules rules_;
  MotionKind prevMotion_ = MotionKind::kNone;  // of the last move laid out in this writing pass
};

}  // namespace morvatex
