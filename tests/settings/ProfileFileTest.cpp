#include "settings/ProfileFile.h"

#include <cstring>

#include <gtest/gtest.h>

#include "settings/SettingsFile.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/RecordingMessageSink.h"

namespace morvatex {
namespace {

TEST(ProfileFileTest, AFailedSaveLeavesTheOldProfileWhole) {
  testing::FakeFileSystem fs;
  testing::RecordingMessageSink sink;
  MachineProfile profile{};
  SetNewProfileValues(profile);
  fs.files["alt.Prof"] = "old profile";
  fs.failReplace.insert("alt.Prof");
  EXPECT_FALSE(SaveProfileFile(profile, "alt.Prof", fs, sink));
  EXPECT_EQ(fs.files["alt.Prof"], "old profile");
  EXPECT_EQ(sink.messages,
            std::vector<std::string>{"Beim speichern der Datei\r\nalt.Prof\r\nist ein Fehler aufgetreten !!"});
  EXPECT_FALSE(fs.Called("create"));
}

TEST(ProfileFileTest, LoadsOnlyTheBlockAndOnlyAValidOne) {
  testing::FakeFileSystem fs;
  testing::RecordingMessageSink sink;
  MachineProfile stored{};
  SetNewProfileValues(stored);
  stored.Nachkommastellen = 2;
  stored.FaktorSonderS = 0.0;  // taken as read: no repair as at start-up
  std::string bytes(reinterpret_cast<const char*>(&stored), sizeof stored);
  fs.files["gut.Prof"] = bytes + "tail";
  SettingsRecord live{};
  live.Zielordner = 2;
  EXPECT_TRUE(LoadProfileFile(live, "gut.Prof", fs, sink));
  EXPECT_EQ(live.Profil.Nachkommastellen, 2);
  EXPECT_EQ(live.Profil.FaktorSonderS, 0.0);
  EXPECT_EQ(live.Zielordner, 2);
  EXPECT_TRUE(sink.messages.empty());

  stored.ProfilVersion = 5;
  fs.files["alt.Prof"] = std::string(reinterpret_cast<const char*>(&stored), sizeof stored);
  EXPECT_FALSE(LoadProfileFile(live, "alt.Prof", fs, sink));
  EXPECT_EQ(live.Profil.Nachkommastellen, 4);  // new configuration
  EXPECT_EQ(sink.messages.size(), 2u);
}

}  // namespace
}  // namespace morvatex
