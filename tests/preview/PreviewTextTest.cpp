#include "preview/PreviewText.h"

#include <gtest/gtest.h>

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
}

TEST(RapidRateFile, LivesBesideTheSettingsFileAndFallsBackToTheDefault) {
  EXPECT_EQ(RapidRateFilePath("/opt/m\xe4rz/morvatex.set"), "/opt/m\xe4rz/morvatex.set.vorschau");
  EXPECT_EQ(RapidRateFilePath(""), "");
  testing::FakeFileSystem fs;
  const std::string path = "morvatex.set.vorschau";
  EXPECT_EQ(LoadRapidRate(fs, path), kDefaultRapidRate);  // missing
  ASSERT_TRUE(SaveRapidRate(fs, path, 12000));
  EXPECT_EQ(fs.files[path], "12000\r\n");
  EXPECT_EQ(LoadRapidRate(fs, path), 12000);
  for (const char* damaged : {"", "12.5\r\n", "0\r\n", "-5\r\n", "abc", "99999999\r\n"}) {
    fs.files[path] = damaged;
    EXPECT_EQ(LoadRapidRate(fs, path), kDefaultRapidRate) << damaged;
  }
  EXPECT_FALSE(SaveRapidRate(fs, "", 100));
}

}  // namespace
}  // namespace morvatex
