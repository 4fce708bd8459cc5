#include "preview/PreviewText.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "base/BoundedRead.h"
#include "preview/RapidRateFile.h"
#include "tests/support/FakeFileSystem.h"

namespace morvatex {
namespace {

TEST(PreviewText, EstimateRoundsToWholeSecondsAndTenthsOfMillimetres) {
  MachiningEstimate estimate;
  estimate.feedLength = 306;
  estimate.rapidLength = 33.36;
  estimate.feedSeconds = 3600 + 30.6;
  estimate.rapidSeconds = 0.3;
  estimate.toolChanges = 2;
  EXPECT_EQ(EstimateText(estimate),
            "Bearbeitungszeit: 1:00:31   Vorschubweg: 306.0 mm   Eilgangweg: 33.4 mm   Werkzeugwechsel: 2");
  estimate.unfedLength = 3;
  EXPECT_EQ(EstimateText(estimate).substr(EstimateText(estimate).rfind("   ")), "   ohne Vorschub: 3.0 mm");
  estimate.dwellSeconds = 61.5;
  EXPECT_EQ(EstimateText(estimate).substr(0, 26), "Bearbeitungszeit: 1:01:32 ");
  EXPECT_EQ(EstimateText(estimate).substr(EstimateText(estimate).rfind("   ")), "   Verweilzeit: 0:01:02");
}

// The window's line and its tooltip: the count, and beyond the lines shown
// (or kept) how many more there are.
TEST(PreviewText, LinesNotCarriedOverAreCountedAndTheFirstListed) {
  ToolPath path;
  EXPECT_EQ(NotCarriedText(path), "");
  path.notCarried = {{3, "Befehl unbekannt: TYPE"}, {4, "Wort Q7 wird ignoriert"}};
  path.notCarriedCount = 1;
  EXPECT_EQ(NotCarriedText(path), "Nicht umgesetzt: 1 Zeile");
  path.notCarriedCount = 20000;
  EXPECT_EQ(NotCarriedText(path), "Nicht umgesetzt: 20000 Zeilen");
  EXPECT_EQ(NotCarriedLines(path, 1),
            (std::vector<std::string>{"Isel-Zeile 3: Befehl unbekannt: TYPE", "... und 19999 weitere"}));
  EXPECT_EQ(NotCarriedLines(path, 5).back(), "... und 19998 weitere");
}

TEST(RapidRateFile, LivesBesideTheSettingsFileAndFallsBackToTheDefaults) {
  EXPECT_EQ(RapidRateFilePath("/opt/m\xe4rz/morvatex.set"), "/opt/m\xe4rz/morvatex.set.vorschau");
  EXPECT_EQ(RapidRateFilePath(""), "");
  testing::FakeFileSystem fs;
  const std::string path = "morvatex.set.vorschau";
  const auto loaded = [&] {
    const MachineModel m = LoadPreviewMachine(fs, path);
    return std::to_string(static_cast<int>(m.rapidRate)) + " " + std::to_string(m.acceleration) + " " +
           std::to_string(m.cornerTolerance);
  };
  EXPECT_EQ(loaded(), "5000 500.000000 0.020000");  // missing
  ASSERT_TRUE(SavePreviewMachine(fs, path, {12000, 250.5, 0.05}));
  EXPECT_EQ(fs.files[path], "12000\r\n250.5\r\n0.05\r\n");
  EXPECT_EQ(loaded(), "12000 250.500000 0.050000");
  EXPECT_EQ(LoadRapidRate(fs, path), 12000);
  const struct {
    const char* file;
    const char* loaded;
  } cases[] = {
      {"12000\r\n", "12000 500.000000 0.020000"},  // as earlier versions wrote it
      {"", "5000 500.000000 0.020000"},
      {"12.5\r\n", "5000 500.000000 0.020000"},
      {"0\r\n-3\r\n11\r\n", "5000 500.000000 0.020000"},
      {"-5\r\n1e3\r\n,5\r\n", "5000 500.000000 0.020000"},
      {"abc\r\n800\r\n0\r\n", "5000 800.000000 0.000000"},
      {"99999999\r\nnan\r\ninf\r\n", "5000 500.000000 0.020000"},
  };
  for (const auto& c : cases) {
    fs.files[path] = c.file;
    EXPECT_EQ(loaded(), c.loaded) << c.file;
  }
  // Beyond a sane size the file counts as damaged and is not read whole.
  fs.files[path] = "12000\r\n800\r\n0\r\n" + std::string(kSideFileLimit, '\n');
  EXPECT_EQ(loaded(), "5000 500.000000 0.020000");
  EXPECT_FALSE(SavePreviewMachine(fs, "", {100, 500, 0.02}));
}

}  // namespace
}  // namespace morvatex
