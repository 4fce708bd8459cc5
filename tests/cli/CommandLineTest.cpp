#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace morvatex {
namespace {

using Kind = ConverterCall::Kind;

TEST(ConverterCall, TakesSourceTargetAndOptionsInAnyOrder) {
  ConverterCall call = ParseConverterCall({"a.ncp", "b.cnc"});
  EXPECT_EQ(call.kind, Kind::kConvert);
  EXPECT_EQ(call.source, "a.ncp");
  EXPECT_EQ(call.target, "b.cnc");
  EXPECT_FALSE(call.debug);
  EXPECT_EQ(call.settingsPath, "");

  call = ParseConverterCall({"a.ncp", "--debug", "--settings", "x.set", "b.cnc"});
  EXPECT_EQ(call.kind, Kind::kConvert);
  EXPECT_TRUE(call.debug);
  EXPECT_EQ(call.settingsPath, "x.set");
  EXPECT_EQ(call.target, "b.cnc");

  call = ParseConverterCall({"--settings=y.set", "--", "-a.ncp", "--b.cnc"});
  EXPECT_EQ(call.kind, Kind::kConvert);
  EXPECT_EQ(call.settingsPath, "y.set");
  EXPECT_EQ(call.source, "-a.ncp");
  EXPECT_EQ(call.target, "--b.cnc");
}

TEST(ConverterCall, RefusesIncompleteOrUnknownCalls) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{{},
                                                                     {"a.ncp"},
                                                                     {"a", "b", "c"},
                                                                     {"a", "b", "--settings"},
                                                                     {"--settings=", "a", "b"},
                                                                     {"--settings", "", "a", "b"},
                                                                     {"--verbose", "a", "b"}}) {
    const ConverterCall call = ParseConverterCall(arguments);
    EXPECT_EQ(call.kind, Kind::kUsageError);
    EXPECT_FALSE(call.error.empty());
  }
  EXPECT_EQ(ParseConverterCall({"a", "--help"}).kind, Kind::kHelp);
  EXPECT_EQ(ParseConverterCall({"-h"}).kind, Kind::kHelp);
}

TEST(ConverterCall, TakesAJobListWithItsLog) {
  ConverterCall call = ParseConverterCall({"--list", "j.mvx"});
  EXPECT_EQ(call.kind, Kind::kBatch);
  EXPECT_EQ(call.listPath, "j.mvx");
  EXPECT_EQ(call.logPath, "");
  EXPECT_EQ(call.jobs, 0);
  call = ParseConverterCall({"--log=l.log", "--settings", "s.set", "--list=j.mvx", "--debug", "--jobs", "3"});
  EXPECT_EQ(call.kind, Kind::kBatch);
  EXPECT_EQ(call.jobs, 3);
  EXPECT_EQ(call.logPath, "l.log");
  EXPECT_EQ(call.settingsPath, "s.set");
  EXPECT_TRUE(call.debug);
  for (const auto& arguments : std::vector<std::vector<std::string>>{{"--list"},
                                                                     {"--list="},
                                                                     {"--list", "j.mvx", "a", "b"},
                                                                     {"--log", "l.log", "a", "b"},
                                                                     {"--list", "j.mvx", "--log"},
                                                                     {"--list", "j.mvx", "--jobs"},
                                                                     {"--list", "j.mvx", "--jobs=0"},
                                                                     {"--list", "j.mvx", "--jobs", "2x"},
                                                                     {"--list", "j.mvx", "--jobs", "-1"},
                                                                     {"--jobs", "2", "a", "b"}}) {
    call = ParseConverterCall(arguments);
    EXPECT_EQ(call.kind, Kind::kUsageError) << arguments[0];
    EXPECT_FALSE(call.error.empty());
  }
}

TEST(ConverterCall, TakesAPreviewWithItsRapidRate) {
  ConverterCall call = ParseConverterCall({"--preview", "p.png", "--settings", "s.set", "a.ncp"});
  EXPECT_EQ(call.kind, Kind::kPreview);
  EXPECT_EQ(call.previewPath, "p.png");
  EXPECT_EQ(call.source, "a.ncp");
  EXPECT_EQ(call.rapidRate, 0);
  EXPECT_EQ(ParseConverterCall({"a.ncp", "--rapid=12000", "--preview=p.png"}).rapidRate, 12000);
  EXPECT_FALSE(call.depth);
  call = ParseConverterCall({"--depth", "--preview", "p.png", "a.ncp"});
  EXPECT_EQ(call.kind, Kind::kPreview);
  EXPECT_TRUE(call.depth);
  for (const auto& arguments : std::vector<std::vector<std::string>>{{"--preview", "p.png"},
                                                                     {"--preview", "p.png", "a", "b"},
                                                                     {"--rapid", "100", "a", "b"},
                                                                     {"--depth", "a", "b"},
                                                                     {"--depth", "--list", "j.mvx"},
                                                                     {"--preview", "p.png", "--rapid", "0", "a"},
                                                                     {"--preview", "p.png", "--rapid", "1.5", "a"},
                                                                     {"--preview", "p.png", "--list", "j.mvx"},
                                                                     {"a", "--preview"}}) {
    call = ParseConverterCall(arguments);
    EXPECT_EQ(call.kind, Kind::kUsageError) << arguments.back();
    EXPECT_FALSE(call.error.empty());
  }
}

TEST(ConverterCall, TakesAVerifyModelWithConversionsListsOrAgainstAnExistingProgram) {
  ConverterCall call = ParseConverterCall({"--verify", "rs274", "a.ncp", "a.tap"});
  EXPECT_EQ(call.kind, Kind::kConvert);
  EXPECT_TRUE(call.verify);
  EXPECT_EQ(call.verification.model, ControlModel::kRs274);
  EXPECT_EQ(call.verification.tolerance, kDefaultTolerance);
  call = ParseConverterCall({"--list=j.mvx", "--verify=eingestellt", "--tolerance", "0.05"});
  EXPECT_EQ(call.kind, Kind::kBatch);
  EXPECT_EQ(call.verification.model, ControlModel::kConfigured);
  EXPECT_EQ(call.verification.tolerance, 0.05);
  call = ParseConverterCall({"--verify", "rs274", "--against", "a.ncp", "a.tap"});
  EXPECT_EQ(call.kind, Kind::kCheckOnly);
  EXPECT_EQ(call.source, "a.ncp");
  EXPECT_EQ(call.target, "a.tap");
  for (const auto& arguments :
       std::vector<std::vector<std::string>>{{"--verify", "mach3", "a", "b"},
                                             {"--verify"},
                                             {"--against", "a", "b"},
                                             {"--tolerance", "0.1", "a", "b"},
                                             {"--verify", "rs274", "--tolerance", "0", "a", "b"},
                                             {"--verify", "rs274", "--tolerance", "x", "a", "b"},
                                             {"--verify", "rs274", "--against", "a"},
                                             {"--verify", "rs274", "--against", "--list", "j"},
                                             {"--verify", "rs274", "--preview", "p.png", "a"}}) {
    call = ParseConverterCall(arguments);
    EXPECT_EQ(call.kind, Kind::kUsageError) << arguments.back();
    EXPECT_FALSE(call.error.empty());
  }
}

// --isel names the language for every command that reads an Isel program;
// without it the call leaves the choice to the file beside the settings.
TEST(ConverterCall, TakesTheIselLanguageWithEveryCommandThatReadsAProgram) {
  const struct {
    std::vector<std::string> arguments;
    Kind kind;
    std::optional<IselDialect> dialect;
  } cases[] = {
      {{"a.ncp", "b.cnc"}, Kind::kConvert, std::nullopt},
      {{"--isel", "erweitert", "a.ncp", "b.cnc"}, Kind::kConvert, IselDialect::kExtended},
      {{"a.ncp", "b.cnc", "--isel=original"}, Kind::kConvert, IselDialect::kOriginal},
      {{"--list", "j.mvx", "--isel", "erweitert"}, Kind::kBatch, IselDialect::kExtended},
      {{"--watch", "ein", "--isel", "erweitert"}, Kind::kWatch, IselDialect::kExtended},
      {{"--preview", "p.png", "--isel", "erweitert", "a.ncp"}, Kind::kPreview, IselDialect::kExtended},
      {{"--verify", "rs274", "--against", "--isel", "erweitert", "a.ncp", "a.tap"},
       Kind::kCheckOnly,
       IselDialect::kExtended},
      {{"--isel", "original", "--isel", "erweitert", "a", "b"}, Kind::kConvert, IselDialect::kExtended},
      {{"--isel", "Erweitert", "a", "b"}, Kind::kUsageError, std::nullopt},
      {{"--isel", "extended", "a", "b"}, Kind::kUsageError, std::nullopt},
      {{"--isel=", "a", "b"}, Kind::kUsageError, std::nullopt},
      {{"a", "b", "--isel"}, Kind::kUsageError, std::nullopt},
  };
  for (const auto& c : cases) {
    const ConverterCall call = ParseConverterCall(c.arguments);
    EXPECT_EQ(call.kind, c.kind) << c.arguments[1];
    EXPECT_EQ(call.dialect, c.dialect) << c.arguments[1];
    if (c.kind == Kind::kUsageError) {
      EXPECT_EQ(call.error.rfind("--isel needs original or erweitert", 0), 0u) << call.error;
    }
  }
}

// Numbers are read as everywhere in the program (exponents too); a refusal
// names the rule the value broke.
TEST(ConverterCall, ReadsNumbersWithExponentsAndNamesTheRuleARefusalEnforces) {
  const struct {
    std::vector<std::string> arguments;
    std::string error;  // empty: taken
    double tolerance = kDefaultTolerance;
  } cases[] = {
      {{"--verify", "rs274", "--tolerance", "1e-3", "a", "b"}, "", 0.001},
      {{"--verify", "rs274", "--tolerance", "1E1", "a", "b"}, "", 10},
      {{"--verify", "rs274", "--tolerance", "1e3", "a", "b"},
       "--tolerance needs a number of mm above 0 and at most 100"},
      {{"--verify", "rs274", "--tolerance", "-0", "a", "b"},
       "--tolerance needs a number of mm above 0 and at most 100"},
      {{"--verify", "rs274", "--tolerance", "0,1", "a", "b"}, "--tolerance needs a number (decimal point), not 0,1"},
      {{"--verify", "rs274", "--tolerance", "inf", "a", "b"}, "--tolerance needs a number (decimal point), not inf"},
      {{"--list", "j.mvx", "--jobs", "99999999999999999999"},
       "--jobs 99999999999999999999 is too large: at most 2147483647"},
      {{"--list", "j.mvx", "--jobs", "-99999999999999999999"}, "--jobs needs a whole number of at least 1"},
      {{"--list", "j.mvx", "--jobs", "0"}, "--jobs needs a whole number of at least 1"},
      {{"--preview", "p.png", "--corner", "5e-2", "a"}, ""},
      {{"--preview", "p.png", "--accel", "1E6", "a"}, "--accel needs a number from 1 to 100000 (decimal point)"},
  };
  for (const auto& c : cases) {
    const ConverterCall call = ParseConverterCall(c.arguments);
    EXPECT_EQ(call.error, c.error) << c.arguments[3];
    if (c.error.empty() && call.verify) {
      EXPECT_DOUBLE_EQ(call.verification.tolerance, c.tolerance) << c.arguments[3];
    }
  }
  EXPECT_DOUBLE_EQ(ParseConverterCall({"--preview", "p.png", "--corner", "5e-2", "a"}).cornerTolerance, 0.05);
}

TEST(ConverterCall, ExitsWithZeroOnlyForSuccess) {
  EXPECT_EQ(ExitStatusFor(Outcome::kSuccess), 0);
  EXPECT_EQ(ExitStatusFor(Outcome::kStopped), 1);
  EXPECT_EQ(ExitStatusFor(Outcome::kBlockNumber), 1);
}

}  // namespace
}  // namespace morvatex
