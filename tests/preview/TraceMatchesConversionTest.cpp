// The preview's trace and the conversion run share their passes
// (engine/PassRunner.h) and the checks of the source: for every program they
// must end with the same outcome code, blame the same line and measure the
// same drawing extents, whatever the settings and in either dialect, and a
// stop must end both at the same line.
#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ConversionRun.h"
#include "engine/LineList.h"
#include "engine/Move.h"
#include "engine/OutcomeCodes.h"
#include "engine/PassRunner.h"
#include "engine/StopRequest.h"
#include "preview/ToolPath.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/FakeFileSystem.h"

namespace morvatex {
namespace {

// The settings a conversion runs with: the trace writes no output, but
// asks, as its CNC program's writer does, whether the family can say the
// frames of the extended dialect; otherwise they must not matter to the
// codes, lines and extents.
struct SettingsVariant {
  const char* name;
  std::function<void(SettingsRecord&)> apply;
};
const SettingsVariant kVariants[] = {
    {"new configuration: CNC only", [](SettingsRecord&) {}},
    {"DXF only",
     [](SettingsRecord& s) {
       s.CNCDINCodeerstellen = false;
       s.DXFDateinerzeugen = true;
     }},
    {"both, SCM Xilog",
     [](SettingsRecord& s) {
       s.DXFDateinerzeugen = true;
       s.Profil.Sonderbehandlung = 1;
     }},
    {"both, lines and arcs, relative values, no block numbers, factors",
     [](SettingsRecord& s) {
       s.DXFDateinerzeugen = true;
       s.Erstelle2DPolylinien = false;
       s.Profil.XYZRelativ = true;
       s.Profil.IJKRelativ = true;
       s.Profil.Satznummerierung = false;
       s.Profil.FaktorSonderF = 0.5;
       s.Profil.FaktorSonderS = 3;
     }},
};

SettingsRecord SettingsOf(const SettingsVariant& variant) {
  SettingsRecord settings = testing::NewConfigurationSettings();
  variant.apply(settings);
  return settings;
}

struct Case {
  const char* name;
  std::vector<std::string_view> program;
  Outcome code;      // of both
  std::size_t line;  // 1-based, that both blame; 0 for none
};

const Case kCases[] = {
    {"a pocket with both kinds of move",
     {"N1 VEL 10000", "N2 FASTABS X0 Y0 Z5000", "N3 FASTABS X10000 Y20000", "N4 MOVEABS Z-1000", "N5 MOVEABS X110000",
      "N6 MOVEABS Y70000", "N7 MOVEREL X-100000", "N8 MOVEREL Y-50000", "N9 FASTREL Z6000", "N10 PROGEND"},
     Outcome::kSuccess,
     0},
    {"the first line no move: the start counts for the extents",
     {"VEL 1000", "FASTABS X5000 Y7000", "MOVEABS X9000", "MOVEABS Y8000", "PROGEND"},
     Outcome::kSuccess,
     0},
    {"4 lines", {"VEL 1000", "MOVEABS X1000", "MOVEABS Y1000", "PROGEND"}, Outcome::kTooFewLines, 0},
    {"5 lines pass the size check",
     {"VEL 1000", "MOVEABS X1000", "MOVEABS Y1000", "MOVEABS X0", "PROGEND"},
     Outcome::kSuccess,
     0},
    {"no PROGEND, only a lower-case one",
     {"VEL 1000", "MOVEABS X1000", "MOVEABS Y1000", "MOVEABS X0", "progend"},
     Outcome::kNoProgend,
     0},
    {"PROGEND only inside a comment: the measuring pass runs off the end",
     {"VEL 1000", "MOVEABS X1000", "MOVEABS Y-2000", "MOVEABS X-3000", "N5 ; PROGEND"},
     Outcome::kMeasuringPassNoEnd,
     5},
    {"lines after PROGEND are never interpreted",
     {"VEL 1000", "MOVEABS X1000", "PROGEND", "MOVEABS X1.5", "VEL x", "N12X"},
     Outcome::kSuccess,
     0},
    {"a non-integer in a move, found by the measuring pass",
     {"VEL 1000", "MOVEABS X1000", "MOVEABS Y1.5", "MOVEABS X0", "PROGEND"},
     Outcome::kMeasuringNotInteger,
     3},
    {"a non-integer in the first line",
     {"FASTABS X", "MOVEABS X1000", "MOVEABS Y1000", "MOVEABS X0", "PROGEND"},
     Outcome::kMeasuringNotInteger,
     1},
    {"the measuring pass's failure comes before an earlier one of the writing pass",
     {"VEL x", "GETTOOL 200", "MOVEABS X1000", "MOVEABS Y2000 Z1.5", "PLANE YZ", "PROGEND"},
     Outcome::kMeasuringNotInteger,
     4},
    {"GETTOOL 200, seen by the writing pass only",
     {"VEL 1000", "MOVEABS X1000", "GETTOOL 200", "MOVEABS X3000", "PROGEND"},
     Outcome::kToolOutOfRange,
     3},
    {"GETTOOL x", {"VEL 1000", "GETTOOL x", "MOVEABS X1000", "MOVEABS X3000", "PROGEND"}, Outcome::kToolNotInteger, 2},
    {"VEL x",
     {"MOVEABS X1000", "MOVEABS Y1000", "MOVEABS X0", "VEL x", "MOVEABS Y0", "PROGEND"},
     Outcome::kFeedNotInteger,
     4},
    {"SPINDLE with a speed that is no integer",
     {"VEL 1000", "SPINDLE CW RPM12x00", "MOVEABS X1000", "MOVEABS X0", "PROGEND"},
     Outcome::kSpeedNotInteger,
     2},
    {"PLANE YZ", {"VEL 1000", "MOVEABS X1000", "MOVEABS Y1000", "PLANE YZ", "PROGEND"}, Outcome::kPlaneNotSupported, 4},
    {"PLANE XY is fine", {"PLANE XY", "VEL 1000", "MOVEABS X1000", "MOVEABS Y1000", "PROGEND"}, Outcome::kSuccess, 0},
    {"a block number without its blank, N12X",
     {"N10 VEL 1000", "N11 MOVEABS X1000", "N12X", "N13 MOVEABS Y1000", "N14 PROGEND"},
     Outcome::kBlockNumber,
     3},
    {"a bad block number on the PROGEND line",
     {"N10 VEL 1000", "N11 MOVEABS X1000", "N12 MOVEABS X2000", "N13 MOVEABS Y1000", "N14PROGEND"},
     Outcome::kBlockNumber,
     5},
    {"arcs, relative ones and a full circle",
     {"VEL 6000", "FASTABS X10000 Y0", "CCWABS I0 J0 X0 Y-10000", "CWABS I0 J0 X10000 Y0",
      "CWABS I0 J0 X10000 Y0",  // end = start: the whole circle
      "CCWREL I-5000 J0 X-10000 Y0", "CWREL I0 J3000 X0 Y6000", "FASTABS X0 Y0", "PROGEND"},
     Outcome::kSuccess,
     0},
    {"a full circle first",
     {"CCWABS I-20000 J5000 X0 Y0", "VEL 6000", "MOVEABS X1000", "MOVEABS Y1000", "PROGEND"},
     Outcome::kSuccess,
     0},
    {"work-piece zero commands",
     {"VEL 1000", "FASTABS X20000 Y10000", "WPZERO", "MOVEABS X5000 Y-5000", "WPZEROABS", "MOVEABS X-1000",
      "FASTABS X3000 Y4000", "WPZERO", "MOVEREL X1000", "WPCLEAR", "MOVEABS Y-7000", "PROGEND"},
     Outcome::kSuccess,
     0},
    {"work-piece zeros adding up beyond 32 bits",
     {"FASTABS X2000000000", "WPZERO", "FASTABS X2000000000", "WPZERO", "FASTABS X2000000000", "WPZERO",
      "MOVEABS X1000", "PROGEND"},
     Outcome::kSuccess,
     0},
    {"comments and unknown lines",
     {"; a comment", "N1 ; MOVEABS X9000", "SOMETHING ELSE", "N2 MOVEABS X1000 ; to the right", "N3 PROGEND"},
     Outcome::kSuccess,
     0},
};

// What the conversion leaves for a comparison, and the trace.
struct Ending {
  Outcome code = Outcome::kSuccess;
  std::size_t line = 0;
  DrawingExtents extents;
};

Ending FromConversion(const testing::ConversionResult& r) { return {r.code, r.passEndLine, r.extents}; }
Ending FromTrace(const ToolPath& path) { return {path.code, path.failedLine, path.extents}; }

// The code and the extents always; the line for a failure, which the
// trace names only for a failure in a pass (the conversion then blames the
// line its last pass ended with) and for no stop in its measuring pass.
void ExpectSame(const Ending& trace, const Ending& conversion, bool compareLine = true) {
  EXPECT_EQ(trace.code, conversion.code);
  if (compareLine && !IsGood(conversion.code)) {
    EXPECT_EQ(trace.line, conversion.line);
  }
  EXPECT_EQ(trace.extents.minX, conversion.extents.minX);
  EXPECT_EQ(trace.extents.minY, conversion.extents.minY);
  EXPECT_EQ(trace.extents.maxX, conversion.extents.maxX);
  EXPECT_EQ(trace.extents.maxY, conversion.extents.maxY);
}

ToolPath TraceFile(const std::string& text, const SettingsRecord& settings, const std::function<bool()>& stopped = {},
                   const TraceProgressSink& progress = {}, IselDialect dialect = IselDialect::kOriginal) {
  testing::FakeFileSystem fs;
  fs.files["p.ncp"] = text;
  return TraceToolPathFile(fs, "p.ncp", settings, stopped, progress, dialect);
}

testing::ConversionResult ConvertIn(IselDialect dialect, const SettingsRecord& settings, const std::string& text) {
  testing::FakeFileSystem fs;
  ConversionOptions options;
  options.dialect = dialect;
  return testing::Convert(settings, text, fs, options);
}

constexpr IselDialect kDialects[] = {IselDialect::kOriginal, IselDialect::kExtended};

TEST(TraceMatchesConversion, ForEveryProgramOfTheTableAndEverySettingsVariant) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string text = testing::CrLfLines(c.program);
    LineList lines;
    for (std::string_view line : c.program) lines.push_back(line);
    for (const SettingsVariant& variant : kVariants) {
      SCOPED_TRACE(variant.name);
      const SettingsRecord settings = SettingsOf(variant);
      const Ending conversion = FromConversion(testing::Convert(settings, text));
      EXPECT_EQ(conversion.code, c.code);
      if (!IsGood(c.code)) {
        EXPECT_EQ(conversion.line, c.line);
      }
      ExpectSame(FromTrace(TraceFile(text, settings)), conversion);
      ExpectSame(FromTrace(TraceToolPath(lines, settings)), conversion);
      const Ending extended = FromConversion(ConvertIn(IselDialect::kExtended, settings, text));
      ExpectSame(FromTrace(TraceFile(text, settings, {}, {}, IselDialect::kExtended)), extended);
    }
  }
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// How many lines the conversion's report names as not carried over.
std::size_t NotCarriedInReport(const std::string& report) {
  const std::string heading = "Nicht umgesetzt: ";
  const std::size_t at = report.find(heading);
  return at == std::string::npos ? 0 : std::stoul(report.substr(at + heading.size()));
}

// The programs of today's CAM posts, in both dialects: the same endings,
// and the lines the interpreter does not carry over are the conversion's
// (without a CNC program, whose family may add lines of its own).
TEST(TraceMatchesConversion, ForEveryCorpusProgramInBothDialects) {
  int programs = 0, noted = 0;
  for (const auto& entry : std::filesystem::directory_iterator(MORVATEX_ISEL_CORPUS_DIR)) {
    if (entry.path().extension() != ".ncp") continue;
    ++programs;
    const std::string text = ReadAll(entry.path());
    for (const IselDialect dialect : kDialects) {
      for (const SettingsVariant& variant : kVariants) {
        SCOPED_TRACE(entry.path().filename().string() +
                     (dialect == IselDialect::kOriginal ? " original, " : " extended, ") + variant.name);
        const SettingsRecord settings = SettingsOf(variant);
        const testing::ConversionResult conversion = ConvertIn(dialect, settings, text);
        const ToolPath trace = TraceFile(text, settings, {}, {}, dialect);
        ExpectSame(FromTrace(trace), FromConversion(conversion));
        // A conversion whose measuring pass fails writes nothing, while the
        // trace names the lines up to the failure: they tell why it failed.
        if (!settings.CNCDINCodeerstellen && IsGood(conversion.code)) {
          EXPECT_EQ(trace.notCarriedCount, NotCarriedInReport(conversion.report));
          noted += trace.notCarriedCount > 0 ? 1 : 0;
        }
      }
    }
  }
  EXPECT_GE(programs, 8);
  EXPECT_GT(noted, 0) << "some programs have lines not carried over";
}

// The moves of the writing pass, each as the interpreter made it.
std::vector<Move> InterpretedMoves(const LineList& lines, const SettingsRecord& settings, IselDialect dialect) {
  std::vector<Move> moves;
  MachineState state;
  std::string currentLineText;
  Outcome code = Outcome::kSuccess;
  RunPassOverLines(
      lines, Pass::kWriting, dialect, settings.Profil, state, currentLineText, code, [](std::size_t) { return false; },
      [&](const InterpretedLine& line, std::size_t) {
        line.moves.ForEach([&](const Move& move) { moves.push_back(move); });
      });
  return moves;
}

// `got` holds `want` as the path stores its points: in floats.
void ExpectStored(const PathPoint& got, const PathPoint& want) {
  EXPECT_EQ(static_cast<float>(got.x), static_cast<float>(want.x));
  EXPECT_EQ(static_cast<float>(got.y), static_cast<float>(want.y));
  EXPECT_EQ(static_cast<float>(got.z), static_cast<float>(want.z));
}

// The trace holds the writing pass's moves, every one in order and none of
// its own making: positions as the path stores them (floats), an arc's
// geometry at the precision of the path's moves, the frame and the axes
// not known in it; for the table's programs and the CAM posts' in either
// dialect.
TEST(TraceMatchesConversion, TheTraceHoldsTheInterpretersMoves) {
  const SettingsRecord settings = testing::NewConfigurationSettings();
  std::vector<std::pair<std::string, std::string>> programs;
  for (const Case& c : kCases)
    if (IsGood(c.code)) programs.emplace_back(c.name, testing::CrLfLines(c.program));
  for (const auto& entry : std::filesystem::directory_iterator(MORVATEX_ISEL_CORPUS_DIR))
    if (entry.path().extension() == ".ncp")
      programs.emplace_back(entry.path().filename().string(), ReadAll(entry.path()));
  for (const auto& [name, text] : programs) {
    for (const IselDialect dialect : kDialects) {
      SCOPED_TRACE(name + (dialect == IselDialect::kOriginal ? " original" : " extended"));
      LineList lines;
      LineSplitter splitter(lines);
      splitter.Feed(text);
      splitter.Finish();
      const std::vector<Move> moves = InterpretedMoves(lines, settings, dialect);
      const ToolPath path = TraceToolPath(lines, settings, {}, {}, dialect);
      ASSERT_EQ(path.segments.size(), moves.size());
      for (std::size_t i = 0; i < moves.size(); ++i) {
        SCOPED_TRACE(i);
        const PathMove want = moves[i].As<double>();
        const PathSegment got = path.segments[i];
        EXPECT_EQ(got.kind, want.kind);
        EXPECT_EQ(got.plane, want.plane);
        EXPECT_EQ(got.line, want.line);
        ExpectStored(got.start, want.start);
        ExpectStored(got.end, want.end);
        EXPECT_EQ(got.frame, want.frame);
        EXPECT_EQ(got.unknownAxes, want.unknownAxes);
        if (!want.IsArc()) continue;
        EXPECT_EQ(got.centre.x, want.centre.x);
        EXPECT_EQ(got.centre.y, want.centre.y);
        EXPECT_EQ(got.radius, want.radius);
        EXPECT_EQ(got.startAngle, want.startAngle);
        EXPECT_EQ(got.endAngle, want.endAngle);
        EXPECT_EQ(got.sweep, want.sweep);
      }
    }
  }
}

// A Ctrl-Z ends the file for both: what follows it is not read.
TEST(TraceMatchesConversion, ForASourceCutShortByCtrlZ) {
  const SettingsRecord settings = testing::NewConfigurationSettings();
  for (const std::string& text :
       {testing::CrLfLines(
            {"VEL 1000", "MOVEABS X1000", "MOVEABS Y1000", "MOVEABS X0", "MOVEABS Y0", "\x1A", "PROGEND"}),
        testing::CrLfLines({"VEL 1000", "MOVEABS X1000", "PROGEND", "MOVEABS X5000", "MOVEABS Y5000\x1A", "VEL x"})}) {
    SCOPED_TRACE(text);
    const Ending conversion = FromConversion(testing::Convert(settings, text));
    ExpectSame(FromTrace(TraceFile(text, settings)), conversion);
  }
}

// A long program whose every line moves the tool further out, so that the
// extents tell how far a pass came.
std::vector<std::string> LongProgram(std::size_t moves, std::string_view last = "PROGEND") {
  std::vector<std::string> lines = {"VEL 6000"};
  for (std::size_t i = 1; i <= moves; ++i)
    lines.push_back("MOVEABS X" + std::to_string(i * 1000) + " Y-" + std::to_string(i * 2000));
  lines.push_back(std::string(last));
  return lines;
}

std::string TextOf(const std::vector<std::string>& lines) {
  return testing::CrLfLines(std::vector<std::string_view>(lines.begin(), lines.end()));
}

// The conversion with a stop requested when its pass `pass` lets input
// through before line `index` (0-based); input is let through before every
// line.
Ending ConvertStoppedAt(const SettingsRecord& settings, const std::string& text, Pass pass, std::size_t index) {
  testing::FakeFileSystem fs;
  fs.files[testing::kSourcePath] = text;
  ConversionOptions options;
  options.pathSyntax = kWindowsPathSyntax;
  const ConversionRun* self = nullptr;
  options.processPendingInput = [&] {
    const ConversionProgress& progress = self->Progress();
    if (progress.pass == pass && progress.line == index) RequestStop();
  };
  ConversionRun run(settings, fs, options);
  self = &run;
  run.Convert(testing::kSourcePath, testing::kTargetPath);
  ClearStopRequest();
  return {run.OutcomeCode(), run.PassEndLine(), run.Extents()};
}

// The trace with a stop when its pass `pass` asks before line `index`; it
// asks every 256 lines, after telling its progress.
ToolPath TraceStoppedAt(const SettingsRecord& settings, const std::string& text, Pass pass, std::size_t index) {
  TraceProgress last;
  const int wanted = pass == Pass::kMeasuring ? 1 : 2;
  return TraceFile(
      text, settings, [&] { return last.pass == wanted && last.done == index; },
      [&](const TraceProgress& progress) { last = progress; });
}

// A stop finishes the line in hand in both and ends the pass after it: the
// same code, the same extents (the line in hand measured), the same line.
TEST(TraceMatchesConversion, WhenAStopEndsEitherPass) {
  const SettingsRecord settings = SettingsOf(kVariants[2]);
  const std::string text = TextOf(LongProgram(700));
  for (const Pass pass : {Pass::kMeasuring, Pass::kWriting}) {
    for (const std::size_t index : {std::size_t{0}, std::size_t{256}, std::size_t{512}}) {
      SCOPED_TRACE(::testing::Message() << (pass == Pass::kMeasuring ? "measuring" : "writing") << " pass, line "
                                        << index);
      const Ending conversion = ConvertStoppedAt(settings, text, pass, index);
      const ToolPath trace = TraceStoppedAt(settings, text, pass, index);
      EXPECT_EQ(conversion.code, Outcome::kStopped);
      EXPECT_EQ(conversion.line, index + 1) << "the line in hand is completed";
      if (pass == Pass::kMeasuring) {
        // Measured up to the line in hand, which moved to index mm (the first
        // line only sets the feed: the extents then hold the start).
        EXPECT_EQ(conversion.extents.maxX, static_cast<long double>(index) * 1000 * 0.001L);
        // The trace blames no line for a stop in its measuring pass.
        EXPECT_EQ(trace.failedLine, 0u);
        ExpectSame(FromTrace(trace), conversion, false);
      } else {
        EXPECT_EQ(trace.segments.size(), index) << "the moves up to the line in hand";
        ExpectSame(FromTrace(trace), conversion);
      }
    }
  }
}

// The line in hand after a stop may still fail, and past the last line the
// end of the lines counts rather than the stop: the code set last counts in
// both.
TEST(TraceMatchesConversion, WhenAStopMeetsAFailure) {
  const SettingsRecord settings = testing::NewConfigurationSettings();
  std::vector<std::string> inWriting = LongProgram(600);
  inWriting[256] = "VEL x";
  std::vector<std::string> inMeasuring = LongProgram(600);
  inMeasuring[256] = "MOVEABS X1.5";
  // 512 lines, none of them PROGEND: the stop comes before the pass finds
  // that no line is left.
  const std::vector<std::string> offTheEnd = LongProgram(510, "; PROGEND");
  const struct {
    const char* name;
    std::string text;
    Pass pass;
    std::size_t index;
    Outcome code;
    std::size_t line;
  } cases[] = {
      {"VEL x in the line in hand", TextOf(inWriting), Pass::kWriting, 256, Outcome::kFeedNotInteger, 257},
      {"a non-integer in the line in hand", TextOf(inMeasuring), Pass::kMeasuring, 256, Outcome::kMeasuringNotInteger,
       257},
      {"a stop past the last line", TextOf(offTheEnd), Pass::kMeasuring, 512, Outcome::kMeasuringPassNoEnd, 512},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Ending conversion = ConvertStoppedAt(settings, c.text, c.pass, c.index);
    EXPECT_EQ(conversion.code, c.code);
    EXPECT_EQ(conversion.line, c.line);
    ExpectSame(FromTrace(TraceStoppedAt(settings, c.text, c.pass, c.index)), conversion);
  }
}

}  // namespace
}  // namespace morvatex
