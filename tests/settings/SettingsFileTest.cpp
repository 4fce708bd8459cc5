#include "settings/SettingsFile.h"

#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "base/Cp1252Codec.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/RecordingMessageSink.h"

namespace morvatex {
namespace {

using testing::FakeFileSystem;
using testing::RecordingMessageSink;

const std::string kPath = "C:\\CNC\\prog.set";

std::string Bytes(const SettingsRecord& e) { return std::string(reinterpret_cast<const char*>(&e), sizeof e); }

// A valid record whose every byte, gaps included, differs from a new
// configuration, so that carrying bytes through can be seen.
SettingsRecord ValidRecord() {
  SettingsRecord e;
  std::memset(&e, 0xA5, sizeof e);
  e.Version = kSettingsVersion;
  e.Profil.ProfilVersion = kProfileFormat;
  e.Profil.FaktorSonderS = 2.0;
  e.Profil.FaktorSonderF = 3.0;
  e.Quelle.Assign("C:\\CNC\\NCP");
  e.Zielordner = 2;
  return e;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  SettingsRecord live{};
  FakeFileSystem fs;
  RecordingMessageSink messages;

  LoadResult Load() { return LoadSettingsFile(live, kPath, fs, messages); }
};

TEST(SettingsPath, IsTheProgramPathWithTheExtensionSet) {
  EXPECT_EQ(SettingsPathFor("C:\\CNC\\prog.exe", kWindowsPathSyntax), "C:\\CNC\\prog.set");
  EXPECT_EQ(SettingsPathFor("/opt/bin/morvatex", kPosixPathSyntax), "/opt/bin/morvatex.set");
}

TEST_F(SettingsFileTest, AMissingFileGivesANewConfigurationWithBothWarningsAndWritesNothing) {
  EXPECT_EQ(Load(), LoadResult::kNewConfiguration);
  ASSERT_EQ(messages.messages.size(), 2u);
  EXPECT_EQ(messages.messages[0], " W A R N U N G ");
  EXPECT_EQ(messages.messages[1],
            Cp1252<u8" W A R N U N G \r\nEs wurde eine neue Konfiguration angelegt !\r\nBitte unbedingt überprüfen "
                   u8"!\r\n(Einstellungen -> CNC-DIN-Code -> Einstellungen)">());
  EXPECT_TRUE(fs.files.empty());
  EXPECT_FALSE(fs.Called("replace"));

  EXPECT_EQ(live.Version, 4);
  EXPECT_FALSE(live.DXFDateinerzeugen);
  EXPECT_TRUE(live.Erstelle2DPolylinien);
  EXPECT_TRUE(live.CNCDINCodeerstellen);
  EXPECT_EQ(live.Quelle.Text(), "");
  EXPECT_EQ(live.Ziel.Text(), "");
  EXPECT_EQ(live.Zielordner, 0);
}

TEST_F(SettingsFileTest, ANewConfigurationHoldsTheListedProfileValues) {
  Load();
  const MachineProfile& p = live.Profil;
  EXPECT_EQ(p.ProfilVersion, 6);
  EXPECT_EQ(p.Dateinamenerweiterung.Text(), "cnc");
  for (std::uint16_t tool : p.Werkzeuge) EXPECT_EQ(tool, 1);
  EXPECT_EQ(p.ZeichenWertzuweisung.Text(), ":");
  EXPECT_TRUE(p.Satznummerierung);
  EXPECT_EQ(p.Nachkommastellen, 4);
  EXPECT_EQ(p.ErsterSatz, 100);
  EXPECT_EQ(p.SatznummernIncrement, 2);
  EXPECT_TRUE(p.ZWerte && p.RWerte && p.IJWerte && p.KWerte && p.SWerte && p.FWerte && p.ModaleG && p.ModaleXYZ);
  EXPECT_FALSE(p.ModaleIJK || p.OrdneFZuG0_3 || p.XYZRelativ || p.IJKRelativ);
  EXPECT_EQ(p.Vorspann2.Text(), "(Generator:)");
  EXPECT_EQ(p.Vorspann3.Text(), "(Morvatex 01.23)");
  EXPECT_EQ(p.Vorspann4.Text(), "(31.01.2008 - 01.05.2020)");
  EXPECT_EQ(p.Vorspann5.Text(), "(Autor: Morvatex-Team)");
  EXPECT_EQ(p.Nachspann1.Text(), "M30");
  EXPECT_EQ(p.Nachspann3.Text(), "#");
  EXPECT_EQ(p.Werkzeugwechsel2.Text(), "T? M6");
  EXPECT_EQ(p.ZGrenze, 4000.0);
  EXPECT_EQ(p.VorWechselZuG0.Text(), "(Positioniere)");
  EXPECT_EQ(p.VorWechselZuG123.Text(), "(Konturanfang)");
  EXPECT_EQ(p.SpindelRechtslauf.Text(), "M81 M03");
  EXPECT_EQ(p.Halt.Text(), "M0");
  EXPECT_EQ(p.CodeG3.Text(), "G3");
  EXPECT_EQ(p.AdresseR.Text(), "R");
  EXPECT_EQ(p.reserved1672[3].raw, 1);
  EXPECT_EQ(p.FaktorSonderS, 1.0);
  EXPECT_EQ(p.FaktorSonderF, 1.0);
}

TEST_F(SettingsFileTest, ReadsOnlyWholeRecords) {
  const SettingsRecord valid = ValidRecord();
  fs.files[kPath] = Bytes(valid).substr(0, kSettingsRecordSize - 1);
  EXPECT_EQ(Load(), LoadResult::kNewConfiguration);

  fs.files[kPath] = Bytes(valid) + "X";
  messages.messages.clear();
  EXPECT_EQ(Load(), LoadResult::kLoaded);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(Bytes(live), Bytes(valid));
}

TEST_F(SettingsFileTest, AnUnreadableFileGivesANewConfiguration) {
  fs.files[kPath] = Bytes(ValidRecord());
  fs.failReadAfterBytes[kPath] = 1000;
  EXPECT_EQ(Load(), LoadResult::kNewConfiguration);
  EXPECT_EQ(messages.messages.size(), 2u);
}

TEST_F(SettingsFileTest, AnotherVersionOrProfileFormatResetsTheFoldersAndSwitchesToo) {
  for (auto [version, profile] : {std::pair{4, 5}, std::pair{3, 6}}) {
    SettingsRecord stored = ValidRecord();
    stored.Version = version;
    stored.Profil.ProfilVersion = profile;
    fs.files[kPath] = Bytes(stored);
    EXPECT_EQ(Load(), LoadResult::kNewConfiguration);
    EXPECT_EQ(live.Version, 4);
    EXPECT_EQ(live.Profil.ProfilVersion, 6);
    EXPECT_EQ(live.Quelle.Text(), "");
    EXPECT_EQ(live.Zielordner, 0);
    EXPECT_EQ(live.DXFDateinerzeugen.raw, 0);
    EXPECT_EQ(live.CNCDINCodeerstellen.raw, 1);
    // Bytes that no step sets keep what the file held.
    EXPECT_EQ(live.gap2740[0], 0xA5);
    EXPECT_EQ(live.Profil.gap1106[5], 0xA5);
    EXPECT_EQ(live.Quelle.chars[0], 'C');
  }
}

TEST_F(SettingsFileTest, RepairsAZeroOrNanFactorSilentlyAndKeepsOthers) {
  SettingsRecord stored = ValidRecord();
  stored.Profil.FaktorSonderS = -0.0;
  stored.Profil.FaktorSonderF = 2.5;
  fs.files[kPath] = Bytes(stored);
  EXPECT_EQ(Load(), LoadResult::kLoaded);
  EXPECT_EQ(live.Profil.FaktorSonderS, 1.0);
  EXPECT_FALSE(std::signbit(live.Profil.FaktorSonderS));
  EXPECT_EQ(live.Profil.FaktorSonderF, 2.5);
  EXPECT_TRUE(messages.messages.empty());

  stored.Profil.FaktorSonderS = std::numeric_limits<double>::quiet_NaN();
  stored.Profil.FaktorSonderF = -1.0;
  fs.files[kPath] = Bytes(stored);
  Load();
  EXPECT_EQ(live.Profil.FaktorSonderS, 1.0);
  EXPECT_EQ(live.Profil.FaktorSonderF, -1.0);
}

TEST_F(SettingsFileTest, SavingWritesTheLoadedBytesBackUnchanged) {
  const SettingsRecord stored = ValidRecord();
  fs.files[kPath] = Bytes(stored);
  Load();
  EXPECT_TRUE(SaveSettingsFile(live, kPath, fs, messages));
  EXPECT_EQ(fs.files[kPath], Bytes(stored));
  EXPECT_EQ(fs.files[kPath].size(), kSettingsRecordSize);
}

TEST_F(SettingsFileTest, AFailedSaveReportsThePathAndKeepsTheOldFile) {
  fs.files[kPath] = "alter Inhalt";
  fs.failReplace.insert(kPath);
  EXPECT_FALSE(SaveSettingsFile(live, kPath, fs, messages));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], "Beim speichern der Datei\r\nC:\\CNC\\prog.set\r\nist ein Fehler aufgetreten !!");
  EXPECT_EQ(fs.files[kPath], "alter Inhalt");
}

TEST(ShortString, NeverReadsBeyondItsCapacity) {
  SettingsRecord e{};
  e.Profil.Vorspann2.Assign("(Generator:)");
  e.Profil.Vorspann2.length = 200;  // a damaged file
  EXPECT_EQ(e.Profil.Vorspann2.Text().size(), 80u);
  e.Profil.ZeichenWertzuweisung.length = 255;
  EXPECT_EQ(e.Profil.ZeichenWertzuweisung.Text().size(), 3u);
}

TEST(ShortString, CutsLongTextsAndKeepsTheBytesBehindTheLength) {
  ShortString<3> s{};
  s.Assign("abcdef");
  EXPECT_EQ(s.Text(), "abc");
  s.Assign("x");
  EXPECT_EQ(s.Text(), "x");
  EXPECT_EQ(s.chars[1], 'b');
  s.Assign(":  ");
  EXPECT_EQ(s.Trimmed(), ":");
}

}  // namespace
}  // namespace morvatex
