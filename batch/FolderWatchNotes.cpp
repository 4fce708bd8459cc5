#include "batch/FolderWatchNotes.h"

#include <system_error>

#include "base/Cp1252Codec.h"

namespace morvatex {

std::string DesktopWatchNoteText(const WatchNote& note, const std::string& archive) {
  const std::string reason = std::generic_category().message(note.errorNumber);
  const auto text = [](auto literal) { return std::string(literal); };
  switch (note.kind) {
    case WatchNote::Kind::kLink:
      return note.path + text(Cp1252<u8": eine Verknüpfung; übergangen (Verknüpfungen werden nicht verfolgt)">());
    case WatchNote::Kind::kFolderLink:
      return note.path + text(Cp1252<u8": eine Verknüpfung auf einen Ordner; nicht durchsucht">());
    case WatchNote::Kind::kSpecialFile: return note.path + text(Cp1252<u8": keine gewöhnliche Datei; übergangen">());
    case WatchNote::Kind::kUnheldName:
      return note.path + text(Cp1252<u8": der Name ist in Windows-1252 nicht darstellbar; übergangen">());
    case WatchNote::Kind::kArchiveFailed:
      return note.path + text(Cp1252<u8": konnte nicht nach ">()) + archive + text(Cp1252<u8" verschoben werden: ">()) +
             reason + text(Cp1252<u8"; sie bleibt und wird verschoben, sobald es geht">());
    case WatchNote::Kind::kArchiveIsFolder:
      return text(Cp1252<u8"Das Archiv ist der überwachte Ordner; es wird nichts archiviert: ">()) + note.path;
    case WatchNote::Kind::kArchiveHolds:
      return text(Cp1252<
                  u8"Das Archiv enthält den überwachten Ordner samt Unterordnern; es wird nichts archiviert: ">()) +
             note.path;
    case WatchNote::Kind::kHeld:
      return note.path + text(Cp1252<u8": wird schon überwacht von ">()) + note.holder +
             text(Cp1252<u8"; hier übergangen">());
    case WatchNote::Kind::kNoLock:
      return note.path + text(Cp1252<u8": keine Sperrdatei möglich (">()) + reason +
             text(Cp1252<u8"); ein zweiter Überwacher würde nicht bemerkt">());
  }
  return {};
}

}  // namespace morvatex
