// One pass over the source lines, as the conversion run and the preview's
// trace both run it: from the first line until the line that begins with
// PROGEND, the end of the lines, a failure or a stop.
//
// The pass begins with StartPass (the machine state of a new pass); what
// else a caller starts a pass with (its stop mark, the CNC writer's state of
// the writing pass) it does before. Then, for each line, in this order:
//   1. `stopQuery(index)` is called (also for the index past the last line).
//      Here the caller lets pending input through, brings its progress up to
//      date, and says whether a stop was requested: it decides itself how
//      often it really looks (the conversion at every line, the trace every
//      few hundred lines), so the call costs a line next to nothing.
//   2. A stop sets the code to 11 (Outcome::kStopped). The stop rule, one
//      for the conversion and the trace: the line in hand is still
//      completed (interpreted, its work done, its end of line taken), and
//      the pass ends after it. The line's own failures may still set their
//      codes over the 11; the code set last counts. (The conversion's
//      outcome report shows what the interpreter left of that line.)
//   3. Past the last line (no line began with PROGEND) the code becomes 111
//      in the measuring pass and 110 in the writing pass, and no line is
//      processed; this code also takes the place of a stop seen at step 2.
//   4. Otherwise the line is interpreted (engine/IselInterpreter.h) in the
//      program's dialect, its moves named after it (1-based), then
//      `lineWork(line, index)` does the caller's work for it (extents; CNC
//      and DXF output; the trace's and the check's moves), then EndOfLine.
//      `line.moves` holds the line's moves in order; the state is the one
//      after the line. In the extended dialect a line may be several steps
//      (a drill cycle): each is handed to `lineWork` with the same index,
//      as if it were a line of its own.
// The pass goes on while the finished flag (PROGEND) is clear, the code is
// at most 10, no stop was seen and `lineLimit` lines have not yet been
// interpreted. A line's work that sets the code back to a good value (the
// trace ignoring failures before a known one) does not undo a stop.
//
// `lines` needs size() and operator[](index) giving the line's text; each line
// is asked for at most once, in order, so a source read a piece at a time
// serves as well as a LineList. The hooks are templates, not std::function:
// a line takes about a microsecond, and they are inlined into the loop.
#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <string>

#include "engine/IselDialect.h"
#include "engine/IselInterpreter.h"
#include "engine/MachineState.h"
#include "engine/OutcomeCodes.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

// No limit on the lines of a pass but its end.
inline constexpr std::size_t kAllLines = std::numeric_limits<std::size_t>::max();

// Runs one pass (StartPass included) over `lines` and returns the 1-based
// number of the last line it interpreted, which is also how many lines it
// interpreted: the line in hand when it ended (the last line of the source
// when it ran past the end); 0 when it interpreted none. `currentLineText`
// receives what the interpreter leaves of each line; `code` is the outcome
// code, read and set.
template <typename Lines, typename StopQuery, typename LineWork>
std::size_t RunPassOverLines(Lines& lines, Pass pass, IselDialect dialect, const MachineProfile& profile,
                             MachineState& state, std::string& currentLineText, Outcome& code, StopQuery&& stopQuery,
                             LineWork&& lineWork, std::size_t lineLimit = kAllLines) {
  StartPass(state);
  const std::size_t count = lines.size();
  std::size_t index = 0;
  bool stopSeen = false;
  // Made once: a std::function per line would cost the extended dialect.
  const std::function<void(InterpretedLine&)> step = [&](InterpretedLine& line) {
    for (std::size_t i = 0; i < line.moves.size(); ++i) line.moves[i].line = index + 1;
    lineWork(static_cast<const InterpretedLine&>(line), index);
    EndOfLine(state);
  };
  while (!state.finished && IsGood(code) && !stopSeen && index < lineLimit) {
    if (stopQuery(index)) {
      code = Outcome::kStopped;  // the line in hand is still completed
      stopSeen = true;
    }
    if (index >= count) {
      code = pass == Pass::kWriting ? Outcome::kWritingPassNoEnd : Outcome::kMeasuringPassNoEnd;
      break;
    }
    if (dialect == IselDialect::kExtended) {
      InterpretExtendedLine(lines[index], pass, profile, state, currentLineText, code, step);
    } else {
      InterpretedLine line = InterpretLine(lines[index], pass, profile, state, currentLineText, code);
      for (std::size_t i = 0; i < line.moves.size(); ++i) line.moves[i].line = index + 1;
      lineWork(static_cast<const InterpretedLine&>(line), index);
      EndOfLine(state);
    }
    ++index;
  }
  return index;
}

}  // namespace morvatex
