// The lines not carried over whole, as the trace collects them from steps
// built as the extended dialect hands them (the moves, marks and times of
// real programs are in ToolPathTest).
#include "preview/PathRecorder.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "engine/IselInterpreter.h"
#include "engine/MachineState.h"

namespace morvatex {
namespace {

// Each line noted once however many of its steps name it, its reasons
// joined; a program of a million unknown lines keeps the first ones and
// counts the rest.
TEST(PathRecorder, ListsTheFirstLinesNotCarriedAndCountsAll) {
  ToolPath path;
  PathRecorder recorder(path);
  const MachineState state;
  const std::size_t lines = ToolPath::kListedNotCarried + 5;
  for (std::size_t index = 0; index < lines; ++index) {
    InterpretedLine step;
    step.notCarried = "Befehl unbekannt: X" + std::to_string(index);
    recorder.Record(step, index, state);
    recorder.Record(step, index, state);  // a second step of the line, for the same reason
    if (index == 0) {
      step.notCarried = "Wort Q7 wird ignoriert";
      recorder.Record(step, index, state);
    }
  }
  EXPECT_EQ(path.notCarriedCount, lines);
  ASSERT_EQ(path.notCarried.size(), ToolPath::kListedNotCarried);
  EXPECT_EQ(path.notCarried.front().reason, "Befehl unbekannt: X0; Wort Q7 wird ignoriert");
  EXPECT_EQ(path.notCarried.back().line, ToolPath::kListedNotCarried);
  EXPECT_EQ(path.notCarried.back().reason, "Befehl unbekannt: X" + std::to_string(ToolPath::kListedNotCarried - 1));
}

}  // namespace
}  // namespace morvatex
