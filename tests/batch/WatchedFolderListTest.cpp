#include "batch/WatchedFolderList.h"

#include <gtest/gtest.h>

#include "tests/support/FakeFileSystem.h"

namespace morvatex::testing {
namespace {

TEST(WatchedFolderList, RoundTripsBesideTheSettingsAndLeavesNothingWhenEmpty) {
  FakeFileSystem fs;
  const std::string path = WatchedFolderListPath("C:\\cnc\\morvatex.set");
  EXPECT_EQ(path, "C:\\cnc\\morvatex.set.ueberwacht");
  EXPECT_EQ(WatchedFolderListPath(""), "");
  WatchedFolderEntry first;
  first.folder.folder = "D:\\CNC\\Eingang M\xFCller";
  first.folder.recursive = true;
  first.folder.archive = "D:\\CNC\\Archiv";
  first.autoConvert = true;
  WatchedFolderEntry second;
  second.folder.folder = "\\\\server\\cam";
  second.folder.pattern = "*.ncp;*.nc";
  second.polling = true;
  ASSERT_TRUE(SaveWatchedFolders(fs, path, {first, second}));
  EXPECT_EQ(fs.files[path].rfind("[Ordner]\r\nPfad=D:\\CNC\\Eingang M\xFCller\r\nMuster=*.ncp\r\nUnterordner=1\r\n", 0),
            0u);
  EXPECT_EQ(LoadWatchedFolders(fs, path), (std::vector<WatchedFolderEntry>{first, second}));
  ASSERT_TRUE(SaveWatchedFolders(fs, path, {}));
  EXPECT_FALSE(fs.Exists(path));
  EXPECT_TRUE(LoadWatchedFolders(fs, path).empty());
}

TEST(WatchedFolderList, SkipsWhatItDoesNotKnowAndRefusesSpecialFiles) {
  FakeFileSystem fs;
  fs.files["/l"] = "Pfad=/vorher\r\n[Ordner]\r\nNeu=1\r\nPfad=/ein\nAutomatisch=1\r\n[Ordner]\r\nMuster=*.x\r\n";
  const std::vector<WatchedFolderEntry> read = LoadWatchedFolders(fs, "/l");
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].folder.folder, "/ein");
  EXPECT_EQ(read[0].folder.pattern, "*.ncp");
  EXPECT_TRUE(read[0].autoConvert);
  fs.specialFiles.insert("/l");
  EXPECT_TRUE(LoadWatchedFolders(fs, "/l").empty());
}

}  // namespace
}  // namespace morvatex::testing
