#include "batch/TargetPath.h"

#include <gtest/gtest.h>

#include "batch/JobTable.h"

namespace morvatex {
namespace {

struct Case {
  PathSyntax syntax;
  std::uint8_t rule;
  const char* sourceFolder;
  const char* targetFolder;
  const char* extension;
  const char* source;
  const char* expected;
};

SettingsRecord SettingsFor(const Case& c) {
  SettingsRecord settings{};
  settings.Zielordner = c.rule;
  settings.Quelle.Assign(c.sourceFolder);
  settings.Ziel.Assign(c.targetFolder);
  settings.Profil.Dateinamenerweiterung.Assign(c.extension);
  return settings;
}

void ExpectTargets(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("rule ") + std::to_string(c.rule) + ", source " + c.source);
    EXPECT_EQ(TargetPathFor(c.source, SettingsFor(c), c.syntax), c.expected);
  }
}

constexpr PathSyntax kWin = kWindowsPathSyntax;
constexpr PathSyntax kPosix = kPosixPathSyntax;

TEST(TargetPathFor, BesideTheSourceReplacesOnlyTheExtension) {
  ExpectTargets({
      {kWin, 0, "", "", "cnc", "D:\\Teile\\Platte.NCP", "D:\\Teile\\Platte.cnc"},
      {kWin, 0, "", "", "", "D:\\Teile\\Platte.NCP", "D:\\Teile\\Platte."},
      {kWin, 0, "", "", "nc  ", "D:\\Teile\\Platte.NCP", "D:\\Teile\\Platte.nc"},
      {kWin, 0, "", "", " nc", "D:\\Teile\\Platte.NCP", "D:\\Teile\\Platte. nc"},
      {kWin, 0, "", "", "cnc", "D:\\Teile\\Platte", "D:\\Teile\\Platte.cnc"},
      {kWin, 0, "", "", "cnc", "D:\\v1.2\\Platte", "D:\\v1.2\\Platte.cnc"},
      {kWin, 7, "", "C:\\Out", "cnc", "D:\\Teile\\Platte.NCP", "D:\\Teile\\Platte.cnc"},
      {kPosix, 0, "", "", "cnc", "/teile/Platte.NCP", "/teile/Platte.cnc"},
      {kPosix, 0, "", "", "cnc", "/teile.alt/Platte", "/teile.alt/Platte.cnc"},
      {kPosix, 0, "", "", "cnc", "/teile/a\\b.ncp", "/teile/a\\b.cnc"},
  });
}

TEST(TargetPathFor, IntoTheTargetFolderJoinsFolderAndName) {
  ExpectTargets({
      {kWin, 1, "", "C:\\CNC\\Out", "cnc", "D:\\Teile\\Platte.NCP", "C:\\CNC\\Out\\Platte.cnc"},
      {kWin, 1, "", "", "cnc", "D:\\Teile\\Platte.NCP", "\\Platte.cnc"},
      {kWin, 1, "", "C:\\CNC\\Out\\", "cnc", "D:\\Teile\\Platte.NCP", "C:\\CNC\\Out\\\\Platte.cnc"},
      {kWin, 1, "", "C:\\Out", "cnc", "D:Platte.NCP", "C:\\Out\\Platte.cnc"},
      {kPosix, 1, "", "/cnc/out", "cnc", "/teile/Platte.NCP", "/cnc/out/Platte.cnc"},
      {kPosix, 1, "", "/cnc/out", "cnc", "/teile/a:b.NCP", "/cnc/out/a:b.cnc"},
  });
}

TEST(TargetPathFor, WithSubFoldersMirrorsTheFoldersBelowTheSourceFolder) {
  ExpectTargets({
      {kWin, 2, "C:\\CNC\\NCP", "C:\\CNC\\DXF", "DXF", "C:\\CNC\\NCP\\KundeXYZ\\TeilXYZ.NCP",
       "C:\\CNC\\DXF\\kundexyz\\TeilXYZ.DXF"},
      {kWin, 2, "C:\\CNC\\NCP", "C:\\CNC\\DXF", "DXF", "D:\\Import\\TeilABC.NCP", "C:\\CNC\\DXF\\TeilABC.DXF"},
      {kWin, 2, "C:\\CNC\\NCP", "C:\\CNC\\DXF", "DXF", "C:\\CNC\\NCP\\Teil.NCP", "C:\\CNC\\DXF\\Teil.DXF"},
      {kWin, 2, "C:\\CNC\\NCP\\", "C:\\CNC\\DXF", "DXF", "C:\\CNC\\NCP\\Teil.NCP", "C:\\CNC\\DXF\\Teil.DXF"},
      {kWin, 2, "C:\\CNC\\NCP\\", "C:\\CNC\\DXF", "DXF", "C:\\CNC\\NCP\\Sub\\Teil.NCP", "C:\\CNC\\DXFsub\\Teil.DXF"},
      {kWin, 2, "", "C:\\CNC\\DXF", "DXF", "C:\\CNC\\NCP\\Sub\\Teil.NCP", "C:\\CNC\\DXF\\Teil.DXF"},
      {kWin, 2, "c:\\cnc\\ncp", "C:\\CNC\\DXF", "NCP", "C:\\CNC\\NCP\\A\\B.NCP", "C:\\CNC\\DXF\\a\\B.NCP"},
      {kWin, 2, "C:", "E:", "cnc", "c:\\cnc\\B.NCP", "E:\\cnc\\B.cnc"},
      {kPosix, 2, "/cnc/NCP", "/cnc/DXF", "DXF", "/cnc/NCP/KundeXYZ/TeilXYZ.NCP", "/cnc/DXF/kundexyz/TeilXYZ.DXF"},
      {kPosix, 2, "/cnc/NCP", "/cnc/DXF", "DXF", "/import/TeilABC.NCP", "/cnc/DXF/TeilABC.DXF"},
      {kPosix, 2, "/cnc/NCP", "/cnc/DXF", "DXF", "/cnc/NCP/Teil.NCP", "/cnc/DXF/Teil.DXF"},
      {kPosix, 2, "/cnc/NCP/", "/cnc/DXF", "DXF", "/cnc/NCP/Teil.NCP", "/cnc/DXF/Teil.DXF"},
      {kPosix, 2, "/cnc/NCP/", "/cnc/DXF", "DXF", "/cnc/NCP/Sub/Teil.NCP", "/cnc/DXFsub/Teil.DXF"},
  });
}

TEST(TargetPathFor, WithSubFoldersPutsFilesOutsideTheSourceFolderDirectlyIntoTheTarget) {
  ExpectTargets({
      // Only A to Z compare without case: Ä and ä are different folders.
      {kWin, 2, "C:\\M\xE4rz", "C:\\DXF", "DXF", "C:\\M\xC4RZ\\Sub\\T.NCP", "C:\\DXF\\T.DXF"},
      // A folder that merely begins like the source folder is not inside it.
      {kWin, 2, "C:\\CNC\\NCP", "C:\\DXF", "DXF", "C:\\CNC\\NCP2\\T.NCP", "C:\\DXF\\T.DXF"},
      {kPosix, 2, "/cnc/NCP", "/dxf", "DXF", "/cnc/NCP2/Sub/T.NCP", "/dxf/T.DXF"},
      // The source folder has to be where the path begins, not somewhere in it.
      {kWin, 2, "\\CNC\\NCP", "C:\\DXF", "DXF", "C:\\CNC\\NCP\\Sub\\T.NCP", "C:\\DXF\\T.DXF"},
      {kPosix, 2, "/cnc/NCP", "/dxf", "DXF", "/home/cnc/NCP/Sub/T.NCP", "/dxf/T.DXF"},
      // A source folder longer than the file's folder.
      {kPosix, 2, "/cnc/NCP/Sub/Deeper", "/dxf", "DXF", "/cnc/NCP/Sub/T.NCP", "/dxf/T.DXF"},
  });
}

TEST(TargetPathFor, ReadsAFolderTextOnlyUpToItsLength) {
  SettingsRecord settings{};
  settings.Zielordner = kTargetInFolder;
  settings.Ziel.Assign("/cnc/out/longer");
  settings.Ziel.Assign("/cnc/out");
  settings.Profil.Dateinamenerweiterung.Assign("cnc");
  EXPECT_EQ(TargetPathFor("/a/T.ncp", settings, kPosix), "/cnc/out/T.cnc");
}

// Only marked rows get new targets, and only a table with a marked row
// counts as changed.
TEST(RederiveMarkedTargets, FollowsTheFolderRuleInForceForMarkedRowsOnly) {
  JobTable table;
  for (const char* source : {"/w/teil.ncp", "/w/kunde_a/platte.ncp", "/w/frei.ncp"}) {
    const int row = table.AppendJob();
    table.SetCell(row, kColumnSource, source);
    table.SetCell(row, kColumnTarget, std::string(source, std::string_view(source).size() - 3) + "cnc");
  }
  table.SetCell(3, kColumnMarked, "");
  table.SetModified(false);
  SettingsRecord settings = SettingsFor({kPosix, kTargetInMirroredSubfolders, "/w", "/ziel", "tap", "", ""});
  EXPECT_EQ(RederiveMarkedTargets(table, settings, kPosix), 2);
  EXPECT_EQ(table.Cell(1, kColumnTarget), "/ziel/teil.tap");
  EXPECT_EQ(table.Cell(2, kColumnTarget), "/ziel/kunde_a/platte.tap");
  EXPECT_EQ(table.Cell(3, kColumnTarget), "/w/frei.cnc");
  EXPECT_TRUE(table.Modified());
  EXPECT_EQ(RederiveMarkedTargets(table, settings, kPosix), 0);
  for (int row = 1; row <= 3; ++row) table.SetCell(row, kColumnMarked, "");
  table.SetModified(false);
  settings.Profil.Dateinamenerweiterung.Assign("nc");
  EXPECT_EQ(RederiveMarkedTargets(table, settings, kPosix), 0);
  EXPECT_FALSE(table.Modified());
}

TEST(FolderHelpText, IsTheFixedTextWithItsTwoExamples) {
  EXPECT_EQ(FolderHelpText(),
            "1. Beispiel zu (3).\r\n Quellordner\r\n    C:\\CNC\\NCP\r\n Zielordner\r\n    C:\\CNC\\DXF\r\n "
            "Quelldatei\r\n    C:\\CNC\\NCP\\KundeXYZ\\TeilXYZ.NCP\r\n Zieldatei\r\n    "
            "C:\\CNC\\DXF\\KundeXYZ\\TeilXYZ.DXF\r\n(Im Zielordner werden analog zur Lage der Quelldatei Unterordner "
            "erstellt)\r\n\r\n\r\n2. Beispiel zu (3).\r\n Quellordner\r\n    C:\\CNC\\NCP\r\n Zielordner\r\n    "
            "C:\\CNC\\DXF\r\n Quelldatei\r\n    D:\\Import\\TeilABC.NCP\r\n Zieldatei\r\n    "
            "C:\\CNC\\DXF\\TeilABC.DXF\r\n(Weil die Quelldatei nicht unterhalb des Quellordners liegt,\r\nerscheint "
            "die Zieldatei unmittelbar im Zielordner)\r\n");
}

}  // namespace
}  // namespace morvatex
