#include "app/TargetPath.h"

namespace morvatex {
namespace {

// Folder names compare like on Windows: A to Z match a to z; every other
// character, umlauts included, only matches itself.
char LowerAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (LowerAsciiLetter(text[i]) != LowerAsciiLetter(prefix[i])) return false;
  return true;
}

bool IsSeparator(char c, PathSyntax syntax) { return syntax.separators.find(c) != std::string_view::npos; }

// True when `folder` (with its trailing separator) is `sourceFolder` itself
// or lies below it. A folder that merely begins with the same letters, such
// as NCP2 for NCP, does not count.
bool LiesInSourceFolder(std::string_view folder, std::string_view sourceFolder, PathSyntax syntax) {
  if (sourceFolder.empty() || !StartsWithIgnoringAsciiCase(folder, sourceFolder)) return false;
  return IsSeparator(sourceFolder.back(), syntax) ||
         (folder.size() > sourceFolder.size() && IsSeparator(folder[sourceFolder.size()], syntax));
}

}  // namespace

std::string BildeZieldatei(std::string_view source, const Einstellungen& settings, PathSyntax syntax) {
  const std::string extension = "." + std::string(settings.Profil.Dateinamenerweiterung.Trimmed());
  const std::string name = ChangeFileExt(FileNamePart(source, syntax), extension, syntax);
  const std::string targetFolder(settings.Ziel.Text());
  const std::string directlyInTarget = targetFolder + FolderSeparator(syntax) + name;

  switch (settings.Zielordner) {
    case kZielAbsolut:
      return directlyInTarget;
    case kZielMitUnterordnern: {
      const std::string folder = FolderPart(source, syntax);
      const std::string_view sourceFolder = settings.Quelle.Text();
      if (!LiesInSourceFolder(folder, sourceFolder, syntax)) return directlyInTarget;
      // The sub-folders keep the letter case of the source path.
      const std::string rest = folder.substr(sourceFolder.size());
      return rest.empty() ? directlyInTarget : targetFolder + rest + name;
    }
    default:
      return ChangeFileExt(source, extension, syntax);
  }
}

std::string OrdnerHilfetext(PathSyntax syntax) {
  struct Examples {
    std::string_view sourceFolder, targetFolder, source1, target1, source2, target2;
  };
  const bool windows = syntax.separators == kWindowsPathSyntax.separators;
  const Examples e = windows ? Examples{"C:\\CNC\\NCP", "C:\\CNC\\DXF", "C:\\CNC\\NCP\\KundeXYZ\\TeilXYZ.NCP",
                                        "C:\\CNC\\DXF\\KundeXYZ\\TeilXYZ.DXF", "D:\\Import\\TeilABC.NCP",
                                        "C:\\CNC\\DXF\\TeilABC.DXF"}
                             : Examples{"/cnc/NCP", "/cnc/DXF", "/cnc/NCP/KundeXYZ/TeilXYZ.NCP",
                                        "/cnc/DXF/KundeXYZ/TeilXYZ.DXF", "/import/TeilABC.NCP",
                                        "/cnc/DXF/TeilABC.DXF"};
  auto example = [](std::string_view number, std::string_view sourceFolder, std::string_view targetFolder,
                    std::string_view source, std::string_view target) {
    std::string text(number);
    text += ". Beispiel zu (3).\r\n Quellordner\r\n    ";
    text += sourceFolder;
    text += "\r\n Zielordner\r\n    ";
    text += targetFolder;
    text += "\r\n Quelldatei\r\n    ";
    text += source;
    text += "\r\n Zieldatei\r\n    ";
    text += target;
    text += "\r\n";
    return text;
  };
  std::string text = example("1", e.sourceFolder, e.targetFolder, e.source1, e.target1);
  text += "(Im Zielordner werden analog zur Lage der Quelldatei Unterordner erstellt)\r\n\r\n\r\n";
  text += example("2", e.sourceFolder, e.targetFolder, e.source2, e.target2);
  text += "(Weil die Quelldatei nicht unterhalb des Quellordners liegt,\r\n"
          "erscheint die Zieldatei unmittelbar im Zielordner)\r\n";
  return text;
}

}  // namespace morvatex
