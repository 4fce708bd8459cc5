#include <cerrno>
#include <filesystem>
#include <iterator>
#include <thread>

#include <sys/stat.h>
#ifndef _WIN32
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "base/FileSystem.h"
#include "base/PathSyntax.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowsChild.h"

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
  EXPECT_TRUE(first.Staged());
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
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no full device (/dev/full) here";
  StagedFile full = fs.CreateStagedFile("/dev/full");
  ASSERT_TRUE(full.file);
  EXPECT_FALSE(full.Staged());
  EXPECT_EQ(full.file->WriteCounted("x"), 0u);
  EXPECT_TRUE(full.file->Close());
}

TEST_F(RealFileSystemTest, AppendingNeverCreatesAMissingFile) {
  EXPECT_FALSE(fs.OpenForAppending(dir.Sub("fehlt.log")));
  EXPECT_FALSE(std::filesystem::exists(dir.Sub("fehlt.log")));
}

TEST_F(RealFileSystemTest, KeepsWindows1252NamesReadableOnDisk) {
  // "Größe.ncp" in Windows-1252 becomes the UTF-8 name the user sees.
  // (The folder's path is ASCII, so its UTF-8 is its Windows-1252 too.)
  const std::string path = dir.Sub("") +
                           "Gr\xF6\xDF"
                           "e.ncp";
  auto out = fs.CreateFile(path);
  ASSERT_TRUE(out);
  EXPECT_TRUE(out->Close());
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / u8"Gr\u00F6\u00DFe.ncp"));
}

TEST_F(RealFileSystemTest, RefusesFoldersWherePlainFilesAreMeant) {
  std::filesystem::create_directory(dir.Path() / "ordner");
  const std::string folder = dir.Sub("ordner");
  EXPECT_FALSE(fs.CreateFile(folder));
  EXPECT_FALSE(fs.OpenForReading(folder));
  EXPECT_FALSE(fs.RemoveFile(folder));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

// A folder named with a separator at its end is the folder all the same:
// nothing is staged inside it, and a file so named is none.
TEST_F(RealFileSystemTest, ASeparatorAtTheEndStillNamesTheFolder) {
  std::filesystem::create_directory(dir.Path() / "ordner");
  WriteFileBytes(dir.Sub("datei"), "alt");
  const std::string folder = dir.Sub("ordner/");
  ASSERT_EQ(folder.back(), NativePathSyntax().separators[0]);
  EXPECT_FALSE(fs.CreateStagedFile(folder).file);
  EXPECT_EQ(fs.ReplaceFileErrorNumber(folder, "neu"), EISDIR);
  EXPECT_FALSE(fs.OpenForReading(folder));
  EXPECT_FALSE(fs.IsSpecialFile(folder));
  EXPECT_EQ(fs.MakeFolders(folder), MakeFoldersResult::kOk);
  EXPECT_TRUE(fs.FolderWritable(folder));
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "ordner")) << "nothing was put inside";

  const std::string file = dir.Sub("datei/");
  EXPECT_FALSE(fs.OpenForReading(file));
  EXPECT_FALSE(fs.CreateStagedFile(file).file);
  EXPECT_FALSE(fs.FolderWritable(file));
  EXPECT_EQ(ReadFileBytes(dir.Sub("datei")), "alt");
}

// What the system lets this process do decides, and asking leaves nothing.
TEST_F(RealFileSystemTest, TellsWhetherAFolderTakesNewFiles) {
  std::filesystem::create_directory(dir.Path() / "ordner");
  WriteFileBytes(dir.Sub("datei"), "x");
  const struct {
    std::string folder;
    bool writable;
  } cases[] = {{dir.Sub(""), true}, {dir.Sub("ordner"), true}, {dir.Sub("fehlt"), false}, {dir.Sub("datei"), false}};
  for (const auto& c : cases) EXPECT_EQ(fs.FolderWritable(c.folder), c.writable) << c.folder;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2) << "no probe left";
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "ordner"));
}

// Devices and pipes are neither files nor folders: the programs read none on
// their own account, and write a target that is one in place.
TEST_F(RealFileSystemTest, KnowsDevicesFromFilesAndFolders) {
  WriteFileBytes(dir.Sub("datei"), "x");
  const struct {
    std::string path;
    bool special;
  } cases[] = {
      {dir.Sub("datei"), false},
      {dir.Sub(""), false},
      {dir.Sub("fehlt"), false},
#ifdef _WIN32
      {"NUL", true},
      {dir.Sub("con"), true},  // in every folder
      {"COM1", true},
      {dir.Sub("com10"), false},
      {dir.Sub("nul-datei"), false},
      {"\\\\.\\pipe\\morvatex-fehlt", true},
      {"C:\\", false},
#else
      {"/dev/null", true},  // a device
      {"/", false},
#endif
  };
  for (const auto& c : cases) EXPECT_EQ(fs.IsSpecialFile(c.path), c.special) << c.path;
#ifdef _WIN32
  StagedFile nul = fs.CreateStagedFile("NUL");
  ASSERT_TRUE(nul.file);
  EXPECT_FALSE(nul.Staged());
  EXPECT_TRUE(nul.file->Write("x") && nul.file->Close());
  EXPECT_TRUE(fs.SameFile("NUL", dir.Sub("nul")));
  // A whole-file save puts no plain file in a device's place.
  EXPECT_EQ(fs.ReplaceFileErrorNumber(dir.Sub("nul"), "x"), kNotRegularFileError);
  EXPECT_EQ(fs.ReplaceFileErrorNumber("\\\\.\\pipe\\morvatex-fehlt", "x"), kNotRegularFileError);
  EXPECT_FALSE(fs.SameFile("NUL", "CON"));
  // Asking about a pipe must not take the place of its one reader.
  testing::WaitingPipe pipe;
  EXPECT_TRUE(fs.SameFile(pipe.path(), pipe.path()));
  EXPECT_TRUE(fs.OpenForReading(pipe.path()));
#endif
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
#ifdef _WIN32
  // A drive alone: its current folder, which exists.
  const std::string drive = std::filesystem::current_path().root_name().string();
  EXPECT_EQ(fs.MakeFolders(drive), MakeFoldersResult::kOk) << drive;
#endif
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
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(RealFileSystemTest, AFailedReplaceKeepsTheOldFile) {
  const std::string path = dir.Sub("fest/morvatex.set");
  std::filesystem::create_directory(dir.Path() / "fest");
  WriteFileBytes(path, "alt");
  std::filesystem::permissions(dir.Path() / "fest",
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  if (fs.CreateFile(dir.Sub("fest/probe"))) GTEST_SKIP() << "running with rights that ignore folder permissions";
  EXPECT_FALSE(fs.ReplaceFile(path, "neu"));
  EXPECT_EQ(ReadFileBytes(path), "alt");
}

TEST_F(RealFileSystemTest, AFailedReplaceTellsTheSystemsErrorNumber) {
  std::filesystem::create_directory(dir.Path() / "ordner");
  EXPECT_EQ(fs.ReplaceFileErrorNumber(dir.Sub("fehlt/liste.mvx"), "neu"), ENOENT);
  EXPECT_EQ(fs.ReplaceFileErrorNumber(dir.Sub("ordner"), "neu"), EISDIR);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "ordner"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << "no temporary file left";
  EXPECT_EQ(fs.ReplaceFileErrorNumber(dir.Sub("liste.mvx"), "neu"), 0);
}

// Both ways a whole file is put in place: replaced at once, or staged beside
// it and renamed over it.
bool Replace(FileSystem& fs, const std::string& path, const std::string& contents) {
  return fs.ReplaceFile(path, contents);
}
bool StageAndRename(FileSystem& fs, const std::string& path, const std::string& contents) {
  StagedFile staged = fs.CreateStagedFile(path);
  const bool written = staged.file && staged.file->Write(contents);
  return staged.file && staged.file->Close() && written && fs.RenameFile(staged.path, staged.finalPath);
}

TEST_F(RealFileSystemTest, PuttingAFileInPlaceKeepsLinksModesAndOtherFiles) {
  using std::filesystem::perms;
  const std::string longName = std::string(251, 'x') + ".cnc";     // 255 bytes
  const std::string longUmlauts = std::string(127, '\xE4') + "x";  // 255 bytes in UTF-8
  const struct {
    const char* name;
    bool (*put)(FileSystem&, const std::string&, const std::string&);
    perms readOnlyBecomes;  // a staged drawing may be patched after closing: it stays writable
  } kPutters[] = {{"ReplaceFile", &Replace, perms{0444}}, {"CreateStagedFile", &StageAndRename, perms{0644}}};
  if (!testing::SymbolicLinksWork(dir.Path())) GTEST_SKIP() << "this process may not make symbolic links";
  for (const auto& putter : kPutters) {
    SCOPED_TRACE(putter.name);
    TempDir d;
#ifdef _WIN32
    // Windows keeps no modes but the read-only attribute, which guards a
    // file against replacement as well.
    for (const char* name : {"liste.mvx", "nurlesen.cnc", "echt.mvx"}) WriteFileBytes(d.Sub(name), "alt");
#else
    for (const auto& [name, mode] : {std::pair{"liste.mvx", 0640}, {"nurlesen.cnc", 0444}, {"echt.mvx", 0644}}) {
      WriteFileBytes(d.Sub(name), "alt");
      std::filesystem::permissions(d.Sub(name), perms(mode));
    }
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::chown(d.Sub("liste.mvx").c_str(), 4242, 4243) == 0);
#endif
    // What a fixed temporary name would have hit: a planted link, a user's file.
    WriteFileBytes(d.Sub("fremd.txt"), "fremd");
    std::filesystem::create_symlink(d.Path() / "fremd.txt", d.Path() / "liste.mvx.neu~");
    WriteFileBytes(d.Sub("morvatex.set.neu~"), "eigen");
    std::filesystem::create_symlink("echt.mvx", d.Path() / "link.mvx");
    for (const std::string name : {"liste.mvx", "nurlesen.cnc", "morvatex.set", "link.mvx"}) {
      EXPECT_TRUE(putter.put(fs, d.Sub(name), "neu " + name)) << name;
    }
    for (const std::string& name : {longName, longUmlauts}) EXPECT_TRUE(putter.put(fs, d.Sub(name), "neu")) << name;
#ifndef _WIN32
    struct stat st {};
    ASSERT_EQ(::stat(d.Sub("liste.mvx").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(!root || (st.st_uid == 4242 && st.st_gid == 4243)) << "owner and group kept";
    EXPECT_EQ(std::filesystem::status(d.Sub("nurlesen.cnc")).permissions(), putter.readOnlyBecomes);
#else
    static_cast<void>(putter.readOnlyBecomes);
#endif
    EXPECT_EQ(ReadFileBytes(d.Sub("fremd.txt")), "fremd");
    EXPECT_TRUE(std::filesystem::is_symlink(d.Path() / "liste.mvx.neu~"));
    EXPECT_EQ(ReadFileBytes(d.Sub("morvatex.set.neu~")), "eigen");
    EXPECT_TRUE(std::filesystem::is_symlink(d.Path() / "link.mvx"));
    EXPECT_EQ(ReadFileBytes(d.Sub("echt.mvx")), "neu link.mvx");
    std::string contents;
    EXPECT_TRUE(ReadWholeFile(fs, d.Sub(longUmlauts), contents) && contents == "neu");
    EXPECT_EQ(ReadFileBytes(d.Sub(longName)), "neu");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d.Path()), {}), 10) << "no temporary file left";
  }
}

#ifndef _WIN32
// A whole-file save never puts a plain file in the place of a FIFO or a
// device (their readers would never see it), nor of a link: a link that
// names no file yet gets the file it names, as writing through it would
// make it; links in a loop are refused. A staged output does the same,
// and writes into a FIFO or a device in place.
TEST_F(RealFileSystemTest, SavesKeepSpecialFilesAndLinksAndWriteWhereTheLinksLead) {
  ASSERT_EQ(mkfifo(dir.Sub("p.fifo").c_str(), 0600), 0);
  const bool device = ::mknod(dir.Sub("null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
  std::filesystem::create_directory(dir.Path() / "ziel");
  std::filesystem::create_symlink("ziel/teil.cnc", dir.Path() / "lose.cnc");
  std::filesystem::create_symlink(dir.Path() / "lose.cnc", dir.Path() / "kette.cnc");  // a link to a link
  std::filesystem::create_symlink("fehlt/teil.cnc", dir.Path() / "ohne-ordner.cnc");
  std::filesystem::create_symlink("schleife2", dir.Path() / "schleife1");
  std::filesystem::create_symlink("schleife1", dir.Path() / "schleife2");
  const struct {
    const char* name;
    int replaced;         // what ReplaceFileErrorNumber gives
    int staged;           // CreateStagedFile and the rename: 1 succeed, 0 fail, -1 not tried
    const char* written;  // where the bytes end up; null: nowhere
  } cases[] = {
      {"p.fifo", kNotRegularFileError, -1, nullptr},  // staged, it would wait for a reader
      {"null", kNotRegularFileError, 1, nullptr},
      {"lose.cnc", 0, 1, "ziel/teil.cnc"},
      {"kette.cnc", 0, 1, "ziel/teil.cnc"},
      {"ohne-ordner.cnc", ENOENT, 0, nullptr},
      {"schleife1", ELOOP, 0, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (std::string(c.name) == "null" && !device) continue;  // mknod needs the right to make devices
    const std::string path = dir.Sub(c.name);
    const auto kind = std::filesystem::symlink_status(path).type();
    std::filesystem::remove(dir.Path() / "ziel" / "teil.cnc");
    EXPECT_EQ(fs.ReplaceFileErrorNumber(path, "neu"), c.replaced);
    EXPECT_EQ(std::filesystem::symlink_status(path).type(), kind) << "still what it was";
    if (c.written) {
      EXPECT_EQ(ReadFileBytes(dir.Sub(c.written)), "neu");
    }
    if (c.staged < 0) continue;
    std::filesystem::remove(dir.Path() / "ziel" / "teil.cnc");
    EXPECT_EQ(StageAndRename(fs, path, "gestuft"), c.staged == 1);
    EXPECT_EQ(std::filesystem::symlink_status(path).type(), kind);
    if (c.written) {
      EXPECT_EQ(ReadFileBytes(dir.Sub(c.written)), "gestuft");
    }
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), device ? 8 : 7)
      << "nothing left beside";
}
#endif

TEST_F(RealFileSystemTest, TwoWritersReplacingOneFileBothSucceed) {
  const std::string path = dir.Sub("liste.mvx");
  const std::string first(100000, 'A'), second(100000, 'B');
  const auto replace = [&](const std::string* contents, int* failures) {
    for (int round = 0; round < 30; ++round) *failures += fs.ReplaceFile(path, *contents) ? 0 : 1;
  };
  int failures = 0, otherFailures = 0;
  std::thread other(replace, &second, &otherFailures);
  replace(&first, &failures);
  other.join();
  EXPECT_EQ(failures + otherFailures, 0);
  const std::string result = ReadFileBytes(path);
  EXPECT_TRUE(result == first || result == second);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << "no temporary file left";
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
  if (!testing::SymbolicLinksWork(dir.Path())) GTEST_SKIP() << "this process may not make symbolic links";
  std::filesystem::create_symlink(path, dir.Path() / "link.ncp");
  EXPECT_TRUE(fs.SameFile(path, dir.Sub("link.ncp")));
  EXPECT_TRUE(fs.SameFile(path, dir.Sub("./teil.ncp")));
  EXPECT_FALSE(fs.SameFile(path, dir.Sub("andere.ncp")));
}

}  // namespace
}  // namespace morvatex
