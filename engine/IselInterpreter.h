// Interprets one line of an Isel NC program: block number, comment, keyword
// and parameters, and follows the machine state through it.
#pragma once

#include <cstddef>
#include <functional>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "engine/IselDialect.h"
#include "engine/MachineState.h"
#include "engine/Move.h"
#include "engine/OutcomeCodes.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

enum class Pass {
  kMeasuring,  // follows positions only, for the drawing extents
  kWriting,    // the full command set, feeding the CNC and DXF writers
};

// What a line asks the writers to do.
enum class CommandClass {
  kNone,  // no output: unknown lines, comments, the work-piece zero commands
  kMove,
  kFeed,       // VEL
  kRapidFeed,  // FASTVEL
  kSpindle,
  kCoolant,
  kTool,
  kPlane,
  kHalt,
  kWait,
  kEnd,    // PROGEND
  kFrame,  // extended dialect: a work frame made active (WPREGnACT)
};

// The moves of one line, in order. Nearly every line gives at most one; it
// is built in place, without being cleared first, so that a line costs no
// allocation and no copy, and any further ones go beside it.
class LineMoves {
 public:
  LineMoves() = default;
  LineMoves(const LineMoves& other) { *this = other; }
  LineMoves& operator=(const LineMoves& other) {
    if (this == &other) return *this;
    count_ = 0;
    more_.clear();
    other.ForEach([this](const Move& move) { push_back(move); });
    return *this;
  }

  // Appends `move`.
  void push_back(const Move& move) { new (Slot()) Move(move); }
  // Appends a move whose fields the caller sets, every one of them, before
  // it is read: the place of the first is not even cleared (a Move, an
  // aggregate of numbers, begins its life in the bytes given to it).
  Move& AppendForOverwrite() {
    if (count_ == 0) {
      ++count_;
      return First();
    }
    return *new (Slot()) Move;
  }
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  const Move& operator[](std::size_t index) const { return index == 0 ? First() : more_[index - 1]; }
  Move& operator[](std::size_t index) { return index == 0 ? First() : more_[index - 1]; }
  // Calls visit(const Move&) for each move in order.
  template <typename Visit>
  void ForEach(Visit&& visit) const {
    for (std::size_t i = 0; i < count_; ++i) visit((*this)[i]);
  }

 private:
  // The place of the next move, for a placement new (a Move needs no
  // destructor).
  void* Slot() {
    ++count_;
    if (count_ == 1) return first_;
    more_.emplace_back();
    return &more_.back();
  }
  const Move& First() const { return *std::launder(reinterpret_cast<const Move*>(first_)); }
  Move& First() { return *std::launder(reinterpret_cast<Move*>(first_)); }

  alignas(Move) unsigned char first_[sizeof(Move)];
  std::vector<Move> more_;
  std::size_t count_ = 0;
};
static_assert(std::is_trivially_destructible_v<Move>, "moves are built in place and never destroyed");

struct InterpretedLine {
  CommandClass commandClass = CommandClass::kNone;
  // The moves the line gives (command class kMove), each naming the line
  // (set by the pass runner; 0 when interpreted alone).
  LineMoves moves;
  bool feedRead = false;  // VEL: the value was read; feed, feedOut and feedChanged are set
  // SPINDLE: a speed was read (speedOut set), and which codes the line names.
  bool speedRead = false;
  bool spindleCounterClockwise = false;
  bool spindleClockwise = false;
  bool spindleOff = false;
  bool spindleOn = false;
  bool coolantOff = false;    // COOLANT: "OFF" named, else coolant on
  bool toolAccepted = false;  // GETTOOL: valid number taken into toolIndex; write the tool change
  bool planeXY = false;       // PLANE: the XY plane named
  Plane plane = Plane::kXY;   // PLANE: the plane named (extended dialect: also XZ and YZ)
  // WAIT, and a SPINDLE with TIME, in the extended dialect: a dwell of so
  // many seconds (negative: none; the original WAIT writes the halt code).
  long double dwellSeconds = -1;
  Frame frame = Frame::kWork1;  // kFrame: the work frame made active
  // Why the line is not carried over whole, in German; empty when it is.
  std::string notCarried;
};

// Resets the state for the start of a pass: positions, work offsets,
// programmed and previous values, motion kind, first-use marks, feed, speed,
// tool and the finished flag go back to their initial values.
void StartPass(MachineState& state);

// Interprets `line` in `pass`. `currentLineText` receives what is left of the
// line after cutting (the parameter text; empty after the words of a move).
// An error sets `code` to its outcome code (a later error on the same line
// overwriting an earlier one); the line is always interpreted to its end.
// `profile` supplies the two output factors for feed and speed.
InterpretedLine InterpretLine(std::string_view line, Pass pass, const MachineProfile& profile, MachineState& state,
                              std::string& currentLineText, Outcome& code);

// The end of every line, moves or not: the positions reached become the
// previous values of the next line.
void EndOfLine(MachineState& state);

// Interprets `line` in the extended dialect. Most lines are one step, as
// InterpretLine makes it; a drill cycle or a spindle start with a dwell is
// several (a move, a feed change, a dwell, ...). Each step is handed to
// `step` in order, followed by EndOfLine, so every part that follows the
// program takes a step as it takes a line of its own. At least one step is
// handed on, also for a line that does nothing.
void InterpretExtendedLine(std::string_view line, Pass pass, const MachineProfile& profile, MachineState& state,
                           std::string& currentLineText, Outcome& code,
                           const std::function<void(InterpretedLine&)>& step);

}  // namespace morvatex
