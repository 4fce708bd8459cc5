#include "engine/DrawingExtents.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/IselInterpreter.h"
#include "engine/MoveGeometry.h"
#include "tests/support/ConversionHarness.h"

namespace morvatex {
namespace {

// The extents after a measuring pass over `lines`.
DrawingExtents Measure(const std::vector<std::string_view>& lines) {
  const SettingsRecord settings = testing::NewConfigurationSettings();
  MachineState state;
  ExtentsTracker tracker;
  std::string text;
  Outcome code = Outcome::kSuccess;
  for (std::string_view line : lines) {
    const InterpretedLine interpreted = InterpretLine(line, Pass::kMeasuring, settings.Profil, state, text, code);
    tracker.Update(interpreted.moves, state);
    EndOfLine(state);
  }
  EXPECT_EQ(code, Outcome::kSuccess);
  return tracker.Extents();
}

// Positions are micrometres times the extended 0.001, a hair off whole
// millimetres; the axis points of arcs go through a square root as well.
void ExpectExtents(const DrawingExtents& e, double minX, double minY, double maxX, double maxY) {
  constexpr double kTolerance = 1e-15;
  EXPECT_NEAR(e.minX, minX, kTolerance);
  EXPECT_NEAR(e.minY, minY, kTolerance);
  EXPECT_NEAR(e.maxX, maxX, kTolerance);
  EXPECT_NEAR(e.maxY, maxY, kTolerance);
}

TEST(DrawingExtents, StartAtTheFirstMoveWhenTheProgramBeginsWithOne) {
  ExpectExtents(Measure({"FASTABS X5000 Y6000", "MOVEABS X7000 Y8000"}), 5, 6, 7, 8);
}

TEST(DrawingExtents, IncludeTheStartingPointWhenTheFirstLineIsNoMove) {
  ExpectExtents(Measure({"VEL 100", "FASTABS X5000 Y6000", "MOVEABS X7000 Y8000"}), 0, 0, 7, 8);
}

TEST(DrawingExtents, CountRapidMovesAndIgnoreZ) {
  ExpectExtents(Measure({"FASTABS X-3000 Y0 Z90000", "MOVEABS X1000 Y1000 Z-90000"}), -3, 0, 1, 1);
}

TEST(DrawingExtents, ExtendToTheAxisPointsAnArcPasses) {
  // Counter-clockwise from (10, 0) to (0, -10) about (0, 0): through 90° and 180°.
  ExpectExtents(Measure({"FASTABS X10000 Y0", "CCWABS I0 J0 X0 Y-10000"}), -10, -10, 10, 10);
  // The clockwise arc between the same points passes no axis point.
  ExpectExtents(Measure({"FASTABS X10000 Y0", "CWABS I0 J0 X0 Y-10000"}), 0, -10, 10, 0);
}

TEST(DrawingExtents, TakeAllFourAxisPointsOfAFullCircle) {
  ExpectExtents(Measure({"FASTABS X10000 Y0", "CWABS I0 J0 X10000 Y0"}), -10, -10, 10, 10);
}

TEST(DrawingExtents, UseTheCentreAfterWorkPieceZero) {
  // A half circle about (25, 5) after the zero moved to (20, 0), from (30, 5)
  // counter-clockwise to (20, 5): the top axis point (25, 10) counts.
  ExpectExtents(Measure({"FASTABS X20000 Y0", "WPZERO", "FASTABS X10000 Y5000", "CCWABS I5000 J5000 X0 Y5000"}), 20, 0,
                30, 10);
}

TEST(DrawingExtents, AnArcStartingOnAnAxisPointPassesTheOthers) {
  // Clockwise from (0, 10) about (0, 0) to (-10, 0): passes 0° and -90°.
  ExpectExtents(Measure({"FASTABS X0 Y10000", "CWABS I0 J0 X-10000 Y0"}), -10, -10, 10, 10);
}

// A line may give several moves: the end of each counts, and the axis
// points its arcs pass; the first point is where the line leaves the tool.
TEST(DrawingExtents, TakeEveryMoveOfALine) {
  MachineState state;
  state.posX = 4;
  state.posY = 3;
  Move line;
  line.kind = MotionKind::kLinear;
  line.end = {-3, 4, 0};
  Move arc;  // clockwise about (0, 0) through the top axis point (0, 5)
  arc.kind = MotionKind::kClockwise;
  arc.start = line.end;
  arc.end = {4, 3, 0};
  CompleteArc(arc);
  LineMoves moves;
  moves.push_back(line);
  moves.push_back(arc);
  ExtentsTracker tracker;
  tracker.Update(moves, state);
  ExpectExtents(tracker.Extents(), -3, 3, 4, 5);
}

}  // namespace
}  // namespace morvatex
