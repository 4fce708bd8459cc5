#include "engine/IselInterpreter.h"

#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "engine/ExtendedPrecision.h"
#include "engine/OutcomeCodes.h"
#include "tests/support/ConversionHarness.h"

namespace morvatex {
namespace {

class InterpreterTest : public ::testing::Test {
 protected:
  SettingsRecord settings = testing::NewConfigurationSettings();
  MachineState state;
  std::string text;
  Outcome code = Outcome::kSuccess;

  // Interprets one line as a pass does, End of line included.
  InterpretedLine Line(std::string_view line, Pass pass = Pass::kWriting) {
    const InterpretedLine result = InterpretLine(line, pass, settings.Profil, state, text, code);
    EndOfLine(state);
    return result;
  }
  static long double Mm(long micrometres) { return micrometres * kMillimetresPerMicrometre; }
};

TEST_F(InterpreterTest, MovesAfterABlockNumber) {
  const InterpretedLine line = Line("N10 MOVEABS X1000 Y2000");
  EXPECT_EQ(line.commandClass, CommandClass::kMove);
  EXPECT_EQ(state.motionKind, MotionKind::kLinear);
  EXPECT_EQ(state.posX, Mm(1000));
  EXPECT_EQ(state.posY, Mm(2000));
  EXPECT_EQ(code, Outcome::kSuccess);
  EXPECT_EQ(text, "");
}

TEST_F(InterpreterTest, SkipsKeywordsThatDoNotStandAtTheVeryStart) {
  for (std::string_view line : {"N10  MOVEABS X1000", " MOVEABS X1000", "moveabs X1000", ";MOVEABS X1000"}) {
    const InterpretedLine result = Line(line);
    EXPECT_EQ(result.commandClass, CommandClass::kNone) << line;
    EXPECT_EQ(state.motionKind, MotionKind::kNone) << line;
    EXPECT_EQ(state.posX, 0) << line;
  }
  EXPECT_EQ(code, Outcome::kSuccess);
}

TEST_F(InterpreterTest, ABlockNumberWithoutBlankIsAnError) {
  Line("N10");
  EXPECT_EQ(code, Outcome::kBlockNumber);
  EXPECT_EQ(text, "N10");
  code = Outcome::kSuccess;
  Line("N10MOVEABS;X1000");
  EXPECT_EQ(code, Outcome::kBlockNumber);
  EXPECT_EQ(text, "N10MOVEABS");
  code = Outcome::kSuccess;
  // The block number goes up to the first blank, even one inside a comment.
  Line("N10;MOVEABS X1000");
  EXPECT_EQ(code, Outcome::kSuccess);
  EXPECT_EQ(text, "X1000");
  EXPECT_EQ(state.posX, 0);
}

TEST_F(InterpreterTest, CutsTheCommentAtTheFirstSemicolon) {
  Line("MOVEABS X1000 ; go");
  EXPECT_EQ(state.posX, Mm(1000));
  Line("VEL 5000;Y9;Z");
  EXPECT_EQ(state.feed, 300);
  EXPECT_EQ(code, Outcome::kSuccess);
}

TEST_F(InterpreterTest, RemovesTheKeywordAndExactlyOneCharacterAfterIt) {
  Line("MOVEABS\tX1000");
  EXPECT_EQ(state.posX, Mm(1000));
  Line("MOVEABSX2000");  // "2000" is left: letter '2', value "000", ignored
  EXPECT_EQ(state.posX, Mm(1000));
  EXPECT_EQ(code, Outcome::kSuccess);
}

TEST_F(InterpreterTest, AParameterThatIsNoIntegerIsAnErrorOfItsPass) {
  Line("MOVEABS X1.5", Pass::kMeasuring);
  EXPECT_EQ(code, Outcome::kMeasuringNotInteger);
  EXPECT_EQ(text, "");
  code = Outcome::kSuccess;
  Line("MOVEABS X1.5 Y2000");
  EXPECT_EQ(code, Outcome::kWritingNotInteger);
  EXPECT_EQ(state.posY, Mm(2000)) << "the remaining words are still read";
  code = Outcome::kSuccess;
  Line("MOVEABS X1000 F200");
  EXPECT_EQ(code, Outcome::kSuccess);
  Line("MOVEABS X1000 Fabc");
  EXPECT_EQ(code, Outcome::kWritingNotInteger);
  code = Outcome::kSuccess;
  Line("MOVEABS X2147483648");
  EXPECT_EQ(code, Outcome::kWritingNotInteger);
}

TEST_F(InterpreterTest, ALoneAddressLetterAtTheEndIsNoInteger) {
  Line("MOVEABS X3000 Y");
  EXPECT_EQ(code, Outcome::kWritingNotInteger);
  EXPECT_EQ(state.posX, Mm(3000));
  EXPECT_EQ(text, "");
}

TEST_F(InterpreterTest, RelativeWordsAddToTheValuesReachedSoFar) {
  Line("MOVEREL X100");
  Line("MOVEREL X100");
  EXPECT_EQ(state.posX, Mm(200));
  Line("MOVEREL X100 X100 Y-50");
  EXPECT_EQ(state.posX, Mm(400));
  EXPECT_EQ(state.posY, Mm(-50));
  Line("CWABS I1000 J0 X0 Y0");
  Line("CWREL I500");
  EXPECT_EQ(state.progI, 1500);
  EXPECT_EQ(state.posI, Mm(1500));
}

TEST_F(InterpreterTest, OnAnAbsoluteLineTheLastOccurrenceWins) {
  Line("FASTABS X1000 X3000 Z5000");
  EXPECT_EQ(state.posX, Mm(3000));
  Line("FASTABS Z7000");
  EXPECT_EQ(state.posX, Mm(3000)) << "an address the line does not give keeps its value";
  EXPECT_EQ(state.posZ, Mm(7000));
  EXPECT_EQ(state.motionKind, MotionKind::kRapid);
}

TEST_F(InterpreterTest, WorkPieceZeroShiftsTheFollowingMoves) {
  Line("MOVEABS X10000");
  Line("WPZERO");
  EXPECT_EQ(state.posX, Mm(10000)) << "takes effect at the next move";
  Line("MOVEABS X0");
  EXPECT_EQ(state.posX, Mm(10000));
  Line("MOVEABS X5000");
  EXPECT_EQ(state.posX, Mm(15000));
}

TEST_F(InterpreterTest, WorkPieceZeroKeepsTheProgrammedValues) {
  Line("MOVEABS X10000");
  Line("WPZERO");
  Line("MOVEABS Y5000");
  EXPECT_EQ(state.posX, Mm(20000));
  EXPECT_EQ(state.posY, Mm(5000));
}

TEST_F(InterpreterTest, WpzeroabsAndWpclearResetTheOffsets) {
  Line("MOVEABS X10000 Y2000 Z3000");
  Line("WPZERO");
  Line("WPZEROABS");
  EXPECT_EQ(state.workOffsetX, 0);
  EXPECT_EQ(state.workOffsetY, 0);
  EXPECT_EQ(state.workOffsetZ, 0);
  Line("WPZERO");
  Line("WPCLEAR");
  EXPECT_EQ(state.workOffsetX, 0);
  Line("MOVEABS X1000");
  EXPECT_EQ(state.posX, Mm(1000));
}

TEST_F(InterpreterTest, AWorkOffsetBeyondSixtyFourBitsIsNoInteger) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  const struct {
    std::int64_t offset, programmed;
    std::string_view line;
    Pass pass;
    Outcome code;
  } cases[] = {
      {kMax - 5, 10, "WPZERO", Pass::kMeasuring, Outcome::kMeasuringNotInteger},
      {-kMax, -10, "WPZERO", Pass::kWriting, Outcome::kWritingNotInteger},
      {kMax - 5, 5, "WPZERO", Pass::kWriting, Outcome::kSuccess},
      {kMax, 0, "MOVEABS X1", Pass::kMeasuring, Outcome::kMeasuringNotInteger},
      {kMax - 1, 0, "MOVEABS X1", Pass::kWriting, Outcome::kSuccess},
  };
  for (const auto& c : cases) {
    state = MachineState{};
    code = Outcome::kSuccess;
    state.workOffsetX = c.offset;
    state.progX = c.programmed;
    Line(c.line, c.pass);
    EXPECT_EQ(code, c.code) << c.line << " " << c.offset;
    EXPECT_GT(c.offset < 0 ? -state.workOffsetX : state.workOffsetX, 0) << "never wrapped";
  }
  // The same from a program: the offset grows with the square of the lines.
  std::vector<std::string_view> program;
  for (int i = 0; i < 100000; ++i) {
    program.push_back("MOVEREL X2147483647");
    program.push_back("WPZERO");
  }
  program.push_back("PROGEND");
  EXPECT_EQ(testing::Convert(settings, testing::CrLfLines(program)).code, Outcome::kMeasuringNotInteger);
}

TEST_F(InterpreterTest, PositionsAreExtendedPrecisionProducts) {
  Line("MOVEABS X560 Y-1005 Z123456789");
  EXPECT_EQ(state.posX, 560 * 0.001L);
  EXPECT_EQ(state.posY, -1005 * 0.001L);
  EXPECT_EQ(state.posZ, 123456789 * 0.001L);
}

TEST_F(InterpreterTest, ComputesArcRadiusAndSize) {
  Line("MOVEABS X10000 Y0");
  Line("CWABS I0 J0 X0 Y10000");  // clockwise from 0° to 90°: three quarters
  EXPECT_EQ(state.motionKind, MotionKind::kClockwise);
  EXPECT_EQ(state.radius, 10);
  EXPECT_TRUE(state.largeArc);
  Line("CWABS I0 J0 X10000 Y0");  // clockwise from 90° to 0°: a quarter
  EXPECT_FALSE(state.largeArc);
  Line("CCWABS I0 J0 X10000 Y0");  // end = start: full circle, sweep 0
  EXPECT_EQ(state.motionKind, MotionKind::kCounterClockwise);
  EXPECT_FALSE(state.largeArc);
  Line("CCWABS I0 J0 X-10000 Y0");  // half circle: not more than 180°
  EXPECT_FALSE(state.largeArc);
}

TEST_F(InterpreterTest, FollowsFirstUseMarksInTheWritingPassOnly) {
  Line("FASTABS X0 Y0 Z5000");
  EXPECT_EQ(state.firstUseX, FirstUse::kBefore);
  EXPECT_EQ(state.firstUseY, FirstUse::kBefore);
  EXPECT_EQ(state.firstUseZ, FirstUse::kJustNow) << "Z gave the last value read";
  Line("MOVEABS Z0 X1");
  EXPECT_EQ(state.firstUseZ, FirstUse::kBefore);
  Line("MOVEABS Y1 Xa");
  EXPECT_EQ(state.firstUseX, FirstUse::kBefore);

  StartPass(state);
  Line("FASTABS X0 Y0 Z5000", Pass::kMeasuring);
  EXPECT_EQ(state.firstUseX, FirstUse::kNever);
  EXPECT_EQ(state.firstUseZ, FirstUse::kNever);
}

TEST_F(InterpreterTest, AFailedWordLeavesTheFirstUseMarksAlone) {
  Line("MOVEABS Z5000 Yx");
  EXPECT_EQ(state.firstUseZ, FirstUse::kJustNow);
  EXPECT_EQ(state.firstUseY, FirstUse::kNever);
}

TEST_F(InterpreterTest, ReadsTheFeedInMicrometresPerSecond) {
  settings.Profil.FaktorSonderF = 2.5;
  const InterpretedLine line = Line("VEL 5000");
  EXPECT_EQ(line.commandClass, CommandClass::kFeed);
  EXPECT_TRUE(line.feedRead);
  EXPECT_EQ(state.feed, 300);
  EXPECT_EQ(state.feedOut, 750);
  EXPECT_TRUE(state.feedChanged);

  state.feedChanged = false;
  const InterpretedLine bad = Line("VEL 5000.0");
  EXPECT_EQ(code, Outcome::kFeedNotInteger);
  EXPECT_EQ(text, "5000.0");
  EXPECT_FALSE(bad.feedRead);
  EXPECT_EQ(state.feed, 300);
  EXPECT_FALSE(state.feedChanged);
}

TEST_F(InterpreterTest, ALargeFeedNeverOverflows) {
  Line("VEL 2147483647");
  EXPECT_EQ(state.feed, 2147483647LL * 60 / 1000.0L);
}

TEST_F(InterpreterTest, ReadsSpindleSpeedPerMinuteOrPerSecond) {
  settings.Profil.FaktorSonderS = 0.5;
  InterpretedLine line = Line("SPINDLE CW RPM12000");
  EXPECT_TRUE(line.speedRead);
  EXPECT_EQ(state.speedOut, 72000 * 0.5L);
  EXPECT_TRUE(line.spindleClockwise);
  EXPECT_FALSE(line.spindleCounterClockwise);
  EXPECT_TRUE(state.speedChanged);

  line = Line("SPINDLE CW RPS200");
  EXPECT_EQ(state.speedOut, 72000 * 0.5L);
  EXPECT_EQ(code, Outcome::kSuccess);
}

TEST_F(InterpreterTest, ASpeedBehindABlankIsNotReadable) {
  const InterpretedLine line = Line("SPINDLE CW RPM 12000");
  EXPECT_EQ(code, Outcome::kSpeedNotInteger);
  EXPECT_EQ(text, "CW RPM 12000");
  EXPECT_FALSE(line.speedRead);
  EXPECT_TRUE(line.spindleClockwise) << "the codes are still found";
}

TEST_F(InterpreterTest, TakesAtMostTenCharactersBehindTheSpeedMarker) {
  InterpretedLine line = Line("SPINDLE ON RPM12000 CW");
  EXPECT_EQ(state.speedOut, 72000);
  EXPECT_TRUE(line.spindleOn && line.spindleClockwise);
  line = Line("SPINDLE RPM00000000012345");  // "0000000001" is read
  EXPECT_EQ(state.speedOut, 6);
  line = Line("SPINDLE RPS5 RPM7");  // RPM comes first whatever the order
  EXPECT_EQ(state.speedOut, 42);
}

TEST_F(InterpreterTest, FindsTheSpindleCodesAnywhere) {
  InterpretedLine line = Line("SPINDLE CCW");
  EXPECT_TRUE(line.spindleCounterClockwise);
  EXPECT_FALSE(line.spindleClockwise);
  EXPECT_FALSE(line.speedRead);
  line = Line("SPINDLE CCW CW OFF ON");
  EXPECT_TRUE(line.spindleCounterClockwise && line.spindleClockwise && line.spindleOff && line.spindleOn);
  line = Line("SPINDLE OFF");
  EXPECT_TRUE(line.spindleOff);
  EXPECT_FALSE(line.spindleOn || line.spindleClockwise || line.spindleCounterClockwise);
  EXPECT_EQ(code, Outcome::kSuccess);
}

TEST_F(InterpreterTest, ReadsCoolantPlaneHaltWaitAndFastvel) {
  EXPECT_TRUE(Line("COOLANT OFF").coolantOff);
  EXPECT_FALSE(Line("COOLANT ON").coolantOff);
  EXPECT_EQ(Line("COOLANT").commandClass, CommandClass::kCoolant);
  EXPECT_TRUE(Line("PLANE XY").planeXY);
  EXPECT_EQ(code, Outcome::kSuccess);
  EXPECT_EQ(Line("HALT").commandClass, CommandClass::kHalt);
  EXPECT_EQ(Line("WAIT 100").commandClass, CommandClass::kWait);
  const MachineState before = state;
  EXPECT_EQ(Line("FASTVEL 20000").commandClass, CommandClass::kRapidFeed);
  EXPECT_EQ(state.feed, before.feed);
  EXPECT_EQ(code, Outcome::kSuccess);
  Line("PLANE XZ");
  EXPECT_EQ(code, Outcome::kPlaneNotSupported);
  EXPECT_EQ(text, "XZ");
}

TEST_F(InterpreterTest, AcceptsToolNumbersFromZeroToNinetyNine) {
  InterpretedLine line = Line("GETTOOL 3");
  EXPECT_TRUE(line.toolAccepted);
  EXPECT_EQ(state.toolIndex, 3);
  for (std::string_view bad : {"GETTOOL 100", "GETTOOL -1", "GETTOOL 150x"}) {
    code = Outcome::kSuccess;
    line = Line(bad);
    EXPECT_EQ(code, Outcome::kToolOutOfRange) << bad;
    EXPECT_FALSE(line.toolAccepted) << bad;
  }
  code = Outcome::kSuccess;
  line = Line("GETTOOL x");
  EXPECT_EQ(code, Outcome::kToolNotInteger);
  EXPECT_EQ(text, "x");
  code = Outcome::kSuccess;
  line = Line("GETTOOL 5x");
  EXPECT_EQ(code, Outcome::kToolNotInteger);
  EXPECT_FALSE(line.toolAccepted);
  EXPECT_EQ(state.toolIndex, 3);
}

TEST_F(InterpreterTest, DoesNotTakeAToolOnceTheRunHasFailed) {
  code = Outcome::kStopped;
  EXPECT_FALSE(Line("GETTOOL 7").toolAccepted);
  EXPECT_EQ(state.toolIndex, 0);
}

TEST_F(InterpreterTest, TheMeasuringPassKnowsOnlyMovesWorkPieceZeroAndProgend) {
  for (std::string_view line : {"VEL x", "GETTOOL 500", "PLANE XZ", "SPINDLE RPM x", "HALT"}) {
    EXPECT_EQ(Line(line, Pass::kMeasuring).commandClass, CommandClass::kNone) << line;
  }
  EXPECT_EQ(code, Outcome::kSuccess);
  EXPECT_EQ(text, "HALT");
  EXPECT_EQ(Line("PROGEND", Pass::kMeasuring).commandClass, CommandClass::kEnd);
  EXPECT_TRUE(state.finished);
}

TEST_F(InterpreterTest, KeepsThePositionOnLinesWithoutAMove) {
  Line("MOVEABS X1000 Y2000");
  Line("VEL 100");
  EXPECT_EQ(state.motionKind, MotionKind::kNone);
  EXPECT_EQ(state.posX, Mm(1000));
  EXPECT_EQ(state.prevX, Mm(1000));
}

}  // namespace
}  // namespace morvatex
