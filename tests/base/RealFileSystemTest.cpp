#include <cerrno>
#include <filesystem>

#include <gtest/gtest.h>

#include "base/FileSystem.h"
#include "tests/support/TempDir.h"

namespace morvatex {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

class RealFileSystemTest : public ::testing::Test {
 protected:
  RealFileSystem fs;
  TempDir dir;
};

TEST_F(RealFileSystemTest, WritesReadsAndAppends) {
  const std::string path = dir.Sub("a.txt");
  auto out = fs.CreateFile(path);
  ASSERT_TRUE(out);
  EXPECT_TRUE(out->Write("eins\r\n"));
  EXPECT_TRUE(out->Close());
  auto more = fs.OpenForAppending(path);
  ASSERT_TRUE(more);
  EXPECT_TRUE(more->Write("zwei\r\n"));
  EXPECT_TRUE(more->Close());
  std::string contents;
  EXPECT_TRUE(ReadWholeFile(fs, path, contents));
  EXPECT_EQ(contents, "eins\r\nzwei\r\n");
}

TEST_F(RealFileSystemTest, StagedFilesLieBesideTheTargetUntilRenamedOverIt) {
  const std::string target = dir.Sub("teil.cnc");
  WriteFileBytes(target, "alt");
  StagedFile first = fs.CreateStagedFile(target);
  StagedFile second = fs.CreateStagedFile(target);
  ASSERT_TRUE(first.file && second.file);
  EXPECT_TRUE(first.staged());
  EXPECT_NE(first.path, second.path) << "two writers never share a file";
  EXPECT_EQ(first.path.rfind(target + ".~", 0), 0u);
  EXPECT_EQ(first.file->WriteCounted("neu"), 3u);
  EXPECT_TRUE(first.file->Close() && second.file->Close());
  EXPECT_EQ(ReadFileBytes(target), "alt");
  EXPECT_TRUE(fs.RenameFile(first.path, first.finalPath));
  EXPECT_EQ(ReadFileBytes(target), "neu");
  EXPECT_FALSE(std::filesystem::exists(first.path));
  EXPECT_FALSE(fs.RenameFile(first.path, target)) << "gone after the rename";
  EXPECT_FALSE(fs.CreateStagedFile(dir.Sub("")).file) << "a folder";
  EXPECT_FALSE(fs.CreateStagedFile(dir.Sub("fehlt/teil.cnc")).file);
}

TEST_F(RealFileSystemTest, ADeviceIsWrittenInPlaceAndAFullOneTakesNothing) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP();
  StagedFile full = fs.CreateStagedFile("/dev/full");
  ASSERT_TRUE(full.file);
  EXPECT_FALSE(full.staged());
  EXPECT_EQ(full.file->WriteCounted("x"), 0u);
  EXPECT_TRUE(full.file->Close());
}

TEST_F(RealFileSystemTest, AppendingNeverCreatesAMissingFile) {
  EXPECT_FALSE(fs.OpenForAppending(dir.Sub("fehlt.log")));
  EXPECT_FALSE(std::filesystem::exists(dir.Sub("fehlt.log")));
}

TEST_F(RealFileSystemTest, KeepsWindows1252NamesReadableOnDisk) {
  // "Größe.ncp" in Windows-1252 becomes the UTF-8 name the user sees.
  const std::string path = dir.Sub(
      "Gr\xF6\xDF"
      "e.ncp");
  auto out = fs.CreateFile(path);
  ASSERT_TRUE(out);
  EXPECT_TRUE(out->Close());
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "Gr\u00F6\u00DFe.ncp"));
}

TEST_F(RealFileSystemTest, RefusesFoldersWherePlainFilesAreMeant) {
  std::filesystem::create_directory(dir.path() / "ordner");
  const std::string folder = dir.Sub("ordner");
  EXPECT_FALSE(fs.CreateFile(folder));
  EXPECT_FALSE(fs.OpenForReading(folder));
  EXPECT_FALSE(fs.RemoveFile(folder));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(RealFileSystemTest, RefusesPathsWithANulByte) {
  EXPECT_FALSE(fs.CreateFile(dir.Sub("a") + std::string(1, '\0') + "b"));
  EXPECT_FALSE(fs.CreateFile(""));
}

TEST_F(RealFileSystemTest, MakesNestedFoldersAndAcceptsExistingOnes) {
  const std::string nested = dir.Sub("x/y/z/");
  EXPECT_EQ(fs.MakeFolders(nested), MakeFoldersResult::kOk);
  EXPECT_TRUE(std::filesystem::is_directory(nested));
  EXPECT_EQ(fs.MakeFolders(nested), MakeFoldersResult::kOk);
  EXPECT_EQ(fs.MakeFolders(""), MakeFoldersResult::kOk);
}

TEST_F(RealFileSystemTest, CannotMakeAFolderBelowAPlainFile) {
  WriteFileBytes(dir.Sub("datei"), "x");
  EXPECT_EQ(fs.MakeFolders(dir.Sub("datei/unter/")), MakeFoldersResult::kFailed);
}

TEST_F(RealFileSystemTest, ReplacesAFileWholeAndLeavesNoTemporaryFile) {
  const std::string path = dir.Sub("morvatex.set");
  WriteFileBytes(path, "alt");
  EXPECT_TRUE(fs.ReplaceFile(path, "neuer Inhalt"));
  EXPECT_EQ(ReadFileBytes(path), "neuer Inhalt");
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(RealFileSystemTest, AFailedReplaceKeepsTheOldFile) {
  const std::string path = dir.Sub("fest/morvatex.set");
  std::filesystem::create_directory(dir.path() / "fest");
  WriteFileBytes(path, "alt");
  std::filesystem::permissions(dir.path() / "fest",
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  if (fs.CreateFile(dir.Sub("fest/probe"))) GTEST_SKIP() << "running with rights that ignore folder permissions";
  EXPECT_FALSE(fs.ReplaceFile(path, "neu"));
  EXPECT_EQ(ReadFileBytes(path), "alt");
}

TEST_F(RealFileSystemTest, AFailedReplaceTellsTheSystemsErrorNumber) {
  std::filesystem::create_directory(dir.path() / "ordner");
  EXPECT_EQ(fs.ReplaceFileErrorNumber(dir.Sub("fehlt/liste.mvx"), "neu"), ENOENT);
  EXPECT_EQ(fs.ReplaceFileErrorNumber(dir.Sub("ordner"), "neu"), EISDIR);
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "ordner"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "ordner.neu~"));
  EXPECT_EQ(fs.ReplaceFileErrorNumber(dir.Sub("liste.mvx"), "neu"), 0);
}

TEST_F(RealFileSystemTest, PatchesBytesInPlace) {
  const std::string path = dir.Sub("z.dxf");
  WriteFileBytes(path, "0000000000|0000000000");
  auto file = fs.OpenForPatching(path);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->WriteAt(11, "    -5.000"));
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(ReadFileBytes(path), "0000000000|    -5.000");
}

TEST_F(RealFileSystemTest, RecognisesTheSameFileUnderAnotherName) {
  const std::string path = dir.Sub("teil.ncp");
  WriteFileBytes(path, "x");
  std::filesystem::create_symlink(path, dir.path() / "link.ncp");
  EXPECT_TRUE(fs.SameFile(path, dir.Sub("link.ncp")));
  EXPECT_TRUE(fs.SameFile(path, dir.Sub("./teil.ncp")));
  EXPECT_FALSE(fs.SameFile(path, dir.Sub("andere.ncp")));
}

}  // namespace
}  // namespace morvatex
