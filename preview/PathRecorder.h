// What the trace's writing pass keeps of each step the interpreter hands it
// (engine/PassRunner.h): the step's moves with their marks, the lengths and
// feed times, the dwells, the tool changes and the lines not carried over
// whole.
#pragma once

#include <cstddef>
#include <string_view>

#include "engine/IselInterpreter.h"
#include "engine/MachineState.h"
#include "preview/ToolPath.h"

namespace morvatex {

class PathRecorder {
 public:
  explicit PathRecorder(ToolPath& path) : path_(path) {}

  // Records `step` of the line at `index` (0-based) with the machine state
  // after it. The steps of one line come one after the other; the moves of
  // a line not carried over whole are marked from its first step with a
  // reason on. Throws std::bad_alloc as the path grows.
  void Record(const InterpretedLine& step, std::size_t index, const MachineState& state);

 private:
  // Notes line `line` (1-based) as not carried over for `reason`: counted
  // once, its reasons joined.
  void NoteNotCarried(std::size_t line, std::string_view reason);

  ToolPath& path_;
  std::size_t notCarriedLine_ = 0;  // the line noted last, 1-based
  bool dwelt_ = false;              // a dwell since the last move
};

}  // namespace morvatex
