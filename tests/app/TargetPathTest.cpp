#include "app/TargetPath.h"

#include <gtest/gtest.h>

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

Einstellungen SettingsFor(const Case& c) {
  Einstellungen settings{};
  settings.Zielordner = c.rule;
  settings.Quelle.Assign(c.sourceFolder);
  settings.Ziel.Assign(c.targetFolder);
  settings.Profil.Dateinamenerweiterung.Assign(c.extension);
  return settings;
}

void ExpectTargets(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("rule ") + std::to_string(c.rule) + ", source " + c.source);
    EXPECT_EQ(BildeZieldatei(c.source, SettingsFor(c), c.syntax), c.expected);
  }
}

constexpr PathSyntax kWin = kWindowsPathSyntax;
constexpr PathSyntax kPosix = kPosixPathSyntax;

TEST(BildeZieldatei, BesideTheSourceReplacesOnlyTheExtension) {
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

TEST(BildeZieldatei, IntoTheTargetFolderJoinsFolderAndName) {
  ExpectTargets({
      {kWin, 1, "", "C:\\CNC\\Out", "cnc", "D:\\Teile\\Platte.NCP", "C:\\CNC\\Out\\Platte.cnc"},
      {kWin, 1, "", "", "cnc", "D:\\Teile\\Platte.NCP", "\\Platte.cnc"},
      {kWin, 1, "", "C:\\CNC\\Out\\", "cnc", "D:\\Teile\\Platte.NCP", "C:\\CNC\\Out\\\\Platte.cnc"},
      {kWin, 1, "", "C:\\Out", "cnc", "D:Platte.NCP", "C:\\Out\\Platte.cnc"},
      {kPosix, 1, "", "/cnc/out", "cnc", "/teile/Platte.NCP", "/cnc/out/Platte.cnc"},
      {kPosix, 1, "", "/cnc/out", "cnc", "/teile/a:b.NCP", "/cnc/out/a:b.cnc"},
  });
}

TEST(BildeZieldatei, WithSubFoldersMirrorsTheFoldersBelowTheSourceFolder) {
  ExpectTargets({
      {kWin, 2, "C:\\CNC\\NCP", "C:\\CNC\\DXF", "DXF", "C:\\CNC\\NCP\\KundeXYZ\\TeilXYZ.NCP",
       "C:\\CNC\\DXF\\KundeXYZ\\TeilXYZ.DXF"},
      {kWin, 2, "C:\\CNC\\NCP", "C:\\CNC\\DXF", "DXF", "D:\\Import\\TeilABC.NCP", "C:\\CNC\\DXF\\TeilABC.DXF"},
      {kWin, 2, "C:\\CNC\\NCP", "C:\\CNC\\DXF", "DXF", "C:\\CNC\\NCP\\Teil.NCP", "C:\\CNC\\DXF\\Teil.DXF"},
      {kWin, 2, "C:\\CNC\\NCP\\", "C:\\CNC\\DXF", "DXF", "C:\\CNC\\NCP\\Teil.NCP", "C:\\CNC\\DXF\\Teil.DXF"},
      {kWin, 2, "C:\\CNC\\NCP\\", "C:\\CNC\\DXF", "DXF", "C:\\CNC\\NCP\\Sub\\Teil.NCP", "C:\\CNC\\DXFSub\\Teil.DXF"},
      {kWin, 2, "", "C:\\CNC\\DXF", "DXF", "C:\\CNC\\NCP\\Sub\\Teil.NCP", "C:\\CNC\\DXF\\Teil.DXF"},
      {kWin, 2, "c:\\cnc\\ncp", "C:\\CNC\\DXF", "NCP", "C:\\CNC\\NCP\\A\\B.NCP", "C:\\CNC\\DXF\\A\\B.NCP"},
      {kWin, 2, "C:", "E:", "cnc", "c:\\cnc\\B.NCP", "E:\\cnc\\B.cnc"},
      {kPosix, 2, "/cnc/NCP", "/cnc/DXF", "DXF", "/cnc/NCP/KundeXYZ/TeilXYZ.NCP", "/cnc/DXF/KundeXYZ/TeilXYZ.DXF"},
      {kPosix, 2, "/cnc/NCP", "/cnc/DXF", "DXF", "/import/TeilABC.NCP", "/cnc/DXF/TeilABC.DXF"},
      {kPosix, 2, "/cnc/NCP", "/cnc/DXF", "DXF", "/cnc/NCP/Teil.NCP", "/cnc/DXF/Teil.DXF"},
      {kPosix, 2, "/cnc/NCP/", "/cnc/DXF", "DXF", "/cnc/NCP/Teil.NCP", "/cnc/DXF/Teil.DXF"},
      {kPosix, 2, "/cnc/NCP/", "/cnc/DXF", "DXF", "/cnc/NCP/Sub/Teil.NCP", "/cnc/DXFSub/Teil.DXF"},
  });
}

TEST(BildeZieldatei, WithSubFoldersPutsFilesOutsideTheSourceFolderDirectlyIntoTheTarget) {
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

TEST(BildeZieldatei, ReadsAFolderTextOnlyUpToItsLength) {
  Einstellungen settings{};
  settings.Zielordner = kZielAbsolut;
  settings.Ziel.Assign("/cnc/out/longer");
  settings.Ziel.Assign("/cnc/out");
  settings.Profil.Dateinamenerweiterung.Assign("cnc");
  EXPECT_EQ(BildeZieldatei("/a/T.ncp", settings, kPosix), "/cnc/out/T.cnc");
}

TEST(OrdnerHilfetext, ShowsTheWindowsExamplesInWindowsStyle) {
  EXPECT_EQ(OrdnerHilfetext(kWin),
            "1. Beispiel zu (3).\r\n Quellordner\r\n    C:\\CNC\\NCP\r\n Zielordner\r\n    C:\\CNC\\DXF\r\n "
            "Quelldatei\r\n    C:\\CNC\\NCP\\KundeXYZ\\TeilXYZ.NCP\r\n Zieldatei\r\n    "
            "C:\\CNC\\DXF\\KundeXYZ\\TeilXYZ.DXF\r\n(Im Zielordner werden analog zur Lage der Quelldatei Unterordner "
            "erstellt)\r\n\r\n\r\n2. Beispiel zu (3).\r\n Quellordner\r\n    C:\\CNC\\NCP\r\n Zielordner\r\n    "
            "C:\\CNC\\DXF\r\n Quelldatei\r\n    D:\\Import\\TeilABC.NCP\r\n Zieldatei\r\n    "
            "C:\\CNC\\DXF\\TeilABC.DXF\r\n(Weil die Quelldatei nicht unterhalb des Quellordners liegt,\r\nerscheint "
            "die Zieldatei unmittelbar im Zielordner)\r\n");
}

// The examples of the help text must be what the derivation really does.
TEST(OrdnerHilfetext, ExamplesAgreeWithTheDerivation) {
  for (PathSyntax syntax : {kWin, kPosix}) {
    const std::string text = OrdnerHilfetext(syntax);
    std::vector<std::string> paths;  // the lines indented by four blanks
    for (std::size_t at = 0; (at = text.find("\r\n    ", at)) != std::string::npos;) {
      at += 6;
      paths.push_back(text.substr(at, text.find("\r\n", at) - at));
    }
    ASSERT_EQ(paths.size(), 8u);
    for (std::size_t example = 0; example < 2; ++example) {
      const std::string* p = &paths[example * 4];
      Einstellungen settings{};
      settings.Zielordner = kZielMitUnterordnern;
      settings.Quelle.Assign(p[0]);
      settings.Ziel.Assign(p[1]);
      settings.Profil.Dateinamenerweiterung.Assign("DXF");
      EXPECT_EQ(BildeZieldatei(p[2], settings, syntax), p[3]);
    }
    if (syntax.separators == kPosix.separators) {
      EXPECT_EQ(text.find('\\'), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace morvatex
