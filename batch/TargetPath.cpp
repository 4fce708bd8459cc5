#include "batch/TargetPath.h"

#include "base/PathIdentity.h"
#include "batch/JobTable.h"

namespace morvatex {
namespace {

bool IsSeparator(char c, PathSyntax syntax) { return syntax.separators.find(c) != std::string_view::npos; }

// True when `folder` (with its trailing separator) is `sourceFolder` itself
// or lies below it. A folder that merely begins with the same letters, such
// as NCP2 for NCP, does not count.
// A to Z match in either case and nothing else: the sub-folder text taken
// over goes into job lists and reports, so the rule stays as targets were
// always derived (base/PathIdentity.h).
bool LiesInSourceFolder(std::string_view folder, std::string_view sourceFolder, PathSyntax syntax) {
  if (sourceFolder.empty() || !StartsWithFoldingAsciiCase(folder, sourceFolder)) return false;
  return IsSeparator(sourceFolder.back(), syntax) ||
         (folder.size() > sourceFolder.size() && IsSeparator(folder[sourceFolder.size()], syntax));
}

}  // namespace

std::string TargetPathFor(std::string_view source, const SettingsRecord& settings, PathSyntax syntax) {
  const std::string extension = "." + std::string(settings.Profil.Dateinamenerweiterung.Trimmed());
  const std::string name = ChangeFileExt(FileNamePart(source, syntax), extension, syntax);
  const std::string targetFolder(settings.Ziel.Text());
  const std::string directlyInTarget = targetFolder + FolderSeparator(syntax) + name;

  switch (settings.Zielordner) {
    case kTargetInFolder: return directlyInTarget;
    case kTargetInMirroredSubfolders: {
      const std::string folder = FolderPart(source, syntax);
      const std::string_view sourceFolder = settings.Quelle.Text();
      if (!LiesInSourceFolder(folder, sourceFolder, syntax)) return directlyInTarget;
      // The remainder comes from the lower-cased folder: sub-folders of the
      // target are always in lower case (letters A to Z).
      std::string rest = folder.substr(sourceFolder.size());
      for (char& c : rest) c = FoldAsciiCase(c);
      return rest.empty() ? directlyInTarget : targetFolder + rest + name;
    }
    default: return ChangeFileExt(source, extension, syntax);
  }
}

std::string_view FolderHelpText() {
  return "1. Beispiel zu (3).\r\n Quellordner\r\n    C:\\CNC\\NCP\r\n Zielordner\r\n    C:\\CNC\\DXF\r\n Quelldatei\r\n"
         "    C:\\CNC\\NCP\\KundeXYZ\\TeilXYZ.NCP\r\n Zieldatei\r\n    C:\\CNC\\DXF\\KundeXYZ\\TeilXYZ.DXF\r\n"
         "(Im Zielordner werden analog zur Lage der Quelldatei Unterordner erstellt)\r\n\r\n\r\n"
         "2. Beispiel zu (3).\r\n Quellordner\r\n    C:\\CNC\\NCP\r\n Zielordner\r\n    C:\\CNC\\DXF\r\n Quelldatei\r\n"
         "    D:\\Import\\TeilABC.NCP\r\n Zieldatei\r\n    C:\\CNC\\DXF\\TeilABC.DXF\r\n"
         "(Weil die Quelldatei nicht unterhalb des Quellordners liegt,\r\nerscheint die Zieldatei unmittelbar im "
         "Zielordner)\r\n";
}

int RederiveMarkedTargets(JobTable& table, const SettingsRecord& settings, PathSyntax syntax) {
  int changed = 0;
  bool marked = false;
  for (int row = 1; table.IsJobRow(row); ++row) {
    if (table.Cell(row, kColumnMarked) != kMarkMarked) continue;
    marked = true;
    const std::string target = TargetPathFor(table.Cell(row, kColumnSource), settings, syntax);
    if (target == table.Cell(row, kColumnTarget)) continue;
    table.SetCell(row, kColumnTarget, target);
    ++changed;
  }
  if (marked) table.SetModified(true);
  return changed;
}

}  // namespace morvatex
