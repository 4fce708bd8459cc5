// The files beside the settings file are read only up to a sane size: one
// that grew beyond it (damaged, foreign, sparse) counts as damaged and gives
// the defaults without being read whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "base/BoundedRead.h"
#include "batch/DesktopState.h"
#include "batch/FolderWatchChecks.h"
#include "batch/WatchedFolderList.h"
#include "settings/DialectChoiceFile.h"
#include "tests/support/FakeFileSystem.h"
#include "verify/CheckChoiceFile.h"

namespace morvatex {
namespace {

TEST(SideFiles, OverTheLimitOrUnreadableTheyGiveTheDefaults) {
  const struct {
    const char* name;
    std::string valid;                              // a file its loader takes
    std::function<bool(FileSystem&)> takesTheFile;  // true when the loader read it
  } cases[] = {
      {".zustand", "Merken=1\r\n", [](FileSystem& fs) { return LoadDesktopState(fs, ".zustand").remember; }},
      {".ueberwacht", "[Ordner]\r\nPfad=/ein\r\n",
       [](FileSystem& fs) { return !LoadWatchedFolders(fs, ".ueberwacht").empty(); }},
      {".sprache", "erweitert\r\n",
       [](FileSystem& fs) { return LoadDialectChoice(fs, ".sprache") == IselDialect::kExtended; }},
      {".pruefung", "rs274\r\n", [](FileSystem& fs) { return LoadCheckChoice(fs, ".pruefung").has_value(); }},
      {".beanstandet", "10 20 rs274 /ein/a.ncp\r\n",
       [](FileSystem& fs) { return !LoadFailedChecks(fs, ".beanstandet").empty(); }},
  };
  // Blanks and line ends every loader passes over, beyond the limit.
  const std::string padding(kSideFileLimit, '\n');
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::FakeFileSystem fs;
    fs.files[c.name] = c.valid;
    EXPECT_TRUE(c.takesTheFile(fs));
    fs.files[c.name] = c.valid + padding;
    EXPECT_FALSE(c.takesTheFile(fs));
    EXPECT_EQ(std::count(fs.calls.begin(), fs.calls.end(), "open-read " + std::string(c.name)), 1)
        << "opened although too large";
    fs.files[c.name] = c.valid;
    fs.outOfMemoryAfterBytes[c.name] = 0;
    EXPECT_FALSE(c.takesTheFile(fs));
  }
}

}  // namespace
}  // namespace morvatex
