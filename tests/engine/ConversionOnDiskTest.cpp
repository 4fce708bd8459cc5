// Conversion runs against the real file system, for the failures that only
// a real disk shows.
#include <algorithm>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "base/FileSystem.h"
#include "base/PathSyntax.h"
#include "engine/ConversionRun.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/TempDir.h"

namespace morvatex {
namespace {

// Default options, but with the separators of `syntax`.
ConversionOptions OptionsFor(const PathSyntax& syntax) {
  ConversionOptions options;
  options.pathSyntax = syntax;
  return options;
}

using testing::CrLfLines;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

class ConversionOnDiskTest : public ::testing::Test {
 protected:
  TempDir dir;
  RealFileSystem fs;
  SettingsRecord settings = testing::NewConfigurationSettings();
  std::string source = dir.Sub("teil.ncp");

  void SetUp() override {
    WriteFileBytes(source, CrLfLines({"VEL 1000", "FASTABS X0 Y0", "MOVEABS X1000", "MOVEABS Y1000", "PROGEND"}));
    settings.DXFDateinerzeugen = true;
  }
  Outcome Convert(const std::string& target) {
    ConversionRun run(settings, fs, OptionsFor(NativePathSyntax()));
    return run.Convert(source, target);
  }
};

TEST_F(ConversionOnDiskTest, WritesBothFilesIntoANewFolder) {
  const std::string target = dir.Sub("neu/tiefer/teil.cnc");
  EXPECT_EQ(Convert(target), Outcome::kSuccess);
  EXPECT_TRUE(std::filesystem::is_regular_file(target));
  EXPECT_TRUE(std::filesystem::is_regular_file(target + ".dxf"));
}

TEST_F(ConversionOnDiskTest, ATargetThatIsAFolderCannotBeCreated) {
  std::filesystem::create_directory(dir.Path() / "ordner.cnc");
  EXPECT_EQ(Convert(dir.Sub("ordner.cnc")), Outcome::kCncCreate);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "ordner.cnc"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "ordner.cnc.dxf")) << "the drawing of the failed run is gone";
}

TEST_F(ConversionOnDiskTest, ADrawingPathThatIsAFolderIsNeitherWrittenNorDeleted) {
  std::filesystem::create_directory(dir.Path() / "teil.cnc.dxf");
  EXPECT_EQ(Convert(dir.Sub("teil.cnc")), Outcome::kDxfCreate);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "teil.cnc.dxf"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "teil.cnc")) << "the CNC stage comes after the drawing's";
}

TEST_F(ConversionOnDiskTest, AFolderBelowAPlainFileCannotBeCreated) {
  WriteFileBytes(dir.Sub("datei"), "x");
  EXPECT_EQ(Convert(dir.Sub("datei/teil.cnc")), Outcome::kFolderCreate);
}

TEST_F(ConversionOnDiskTest, AFullDiskIsAWriteFailureOfTheLineThatMetIt) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no full device (/dev/full) here";
  settings.DXFDateinerzeugen = false;
  EXPECT_EQ(Convert("/dev/full"), Outcome::kCncHeader);
  settings.Profil.Vorspann1.Assign("%");
  EXPECT_EQ(Convert("/dev/full"), Outcome::kCncHeaderFirst);
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(ConversionOnDiskTest, AFailedRunLeavesTheEarlierFilesAndNothingElse) {
  const std::string target = dir.Sub("teil.cnc");
  WriteFileBytes(target, "altes Programm");
  WriteFileBytes(target + ".dxf", "alte Zeichnung");
  WriteFileBytes(source, CrLfLines({"VEL 1000", "FASTABS X0 Y0", "MOVEABS X1000", "GETTOOL 100", "PROGEND"}));
  EXPECT_EQ(Convert(target), Outcome::kToolOutOfRange);
  EXPECT_EQ(ReadFileBytes(target), "altes Programm");
  EXPECT_EQ(ReadFileBytes(target + ".dxf"), "alte Zeichnung");
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"teil.cnc", "teil.cnc.dxf", "teil.ncp"}));
}

TEST_F(ConversionOnDiskTest, ALinkAtTheTargetStaysALinkToTheNewProgram) {
  const std::string real = dir.Sub("echt.cnc"), link = dir.Sub("verweis.cnc");
  WriteFileBytes(real, "altes Programm");
  if (!testing::SymbolicLinksWork(dir.Path())) GTEST_SKIP() << "this process may not make symbolic links";
  std::filesystem::create_symlink("echt.cnc", link);
  settings.DXFDateinerzeugen = false;
  EXPECT_EQ(Convert(link), Outcome::kSuccess);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(real).substr(0, 4), "N100");
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"echt.cnc", "teil.ncp", "verweis.cnc"}));
}

TEST_F(ConversionOnDiskTest, TheSourceSurvivesATargetThatNamesIt) {
  const std::string before = ReadFileBytes(source);
  EXPECT_EQ(Convert(dir.Sub("./teil.ncp")), Outcome::kCncCreate);
  std::filesystem::create_hard_link(source, dir.Path() / "zweiter-name.ncp");
  EXPECT_EQ(Convert(dir.Sub("zweiter-name.ncp")), Outcome::kCncCreate);
  EXPECT_EQ(ReadFileBytes(source), before);
}

TEST_F(ConversionOnDiskTest, NoOutputReplacesAProtectedFileUnderAnyName) {
  // The settings file in use, and the target each case converts to.
  const struct {
    const char* what;
    const char* kept;
    const char* target;
    Outcome code;
  } cases[] = {
      {"the target is the file", "morvatex.set", "morvatex.set", Outcome::kCncCreate},
      {"the target is a hard link to it", "morvatex.set", "zweiter-name.set", Outcome::kCncCreate},
      {"the target is a symbolic link to it", "morvatex.set", "verweis.set", Outcome::kCncCreate},
      {"the drawing is the file", "alt.cnc.dxf", "alt.cnc", Outcome::kDxfCreate},
      {"an ordinary target beside it", "morvatex.set", "teil.cnc", Outcome::kSuccess},
  };
  const bool links = testing::SymbolicLinksWork(dir.Path());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (!links && std::string_view(c.target) == "verweis.set") continue;  // Windows without the right to make links
    const std::string kept = dir.Sub(c.kept);
    WriteFileBytes(kept, "Einstellungen");
    std::filesystem::remove(dir.Path() / "zweiter-name.set");
    std::filesystem::remove(dir.Path() / "verweis.set");
    std::filesystem::create_hard_link(kept, dir.Path() / "zweiter-name.set");
    if (links) std::filesystem::create_symlink(c.kept, dir.Path() / "verweis.set");
    WriteFileBytes(dir.Sub("teil.cnc"), "altes Programm");  // an existing target is checked against the kept files
    ConversionOptions options = OptionsFor(NativePathSyntax());
    options.protectedPaths = {kept};
    ConversionRun run(settings, fs, options);
    EXPECT_EQ(run.Convert(source, dir.Sub(c.target)), c.code);
    EXPECT_EQ(ReadFileBytes(kept), "Einstellungen");
  }
}

}  // namespace
}  // namespace morvatex
