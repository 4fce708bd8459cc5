#include "batch/FolderWatchNotes.h"

#include <string_view>
#include <system_error>

#include "base/Cp1252Codec.h"

namespace morvatex {
namespace {

std::string Text(std::string_view bytes) { return std::string(bytes); }

}  // namespace

std::string DesktopWatchNoteText(const WatchNote& note, const std::string& archive) {
  const std::string reason = std::generic_category().message(note.errorNumber);
  switch (note.kind) {
    case WatchNote::Kind::kLink:
      return note.path + Text(Cp1252<u8": eine Verknüpfung; übergangen (Verknüpfungen werden nicht verfolgt)">());
    case WatchNote::Kind::kFolderLink:
      return note.path + Text(Cp1252<u8": eine Verknüpfung auf einen Ordner; nicht durchsucht">());
    case WatchNote::Kind::kSpecialFile: return note.path + Text(Cp1252<u8": keine gewöhnliche Datei; übergangen">());
    case WatchNote::Kind::kUnheldName:
      return note.path + Text(Cp1252<u8": der Name ist in Windows-1252 nicht darstellbar; übergangen">());
    case WatchNote::Kind::kArchiveFailed:
      return note.path + Text(Cp1252<u8": konnte nicht nach ">()) + archive + Text(Cp1252<u8" verschoben werden: ">()) +
             reason + Text(Cp1252<u8"; sie bleibt und wird verschoben, sobald es geht">());
    case WatchNote::Kind::kArchiveIsFolder:
      return Text(Cp1252<u8"Das Archiv ist der überwachte Ordner; es wird nichts archiviert: ">()) + note.path;
    case WatchNote::Kind::kArchiveHolds:
      return Text(Cp1252<
                  u8"Das Archiv enthält den überwachten Ordner samt Unterordnern; es wird nichts archiviert: ">()) +
             note.path;
    case WatchNote::Kind::kHeld:
      return note.path + Text(Cp1252<u8": wird schon überwacht von ">()) + note.holder +
             Text(Cp1252<u8"; hier übergangen">());
    case WatchNote::Kind::kNoLock:
      return note.path + Text(Cp1252<u8": keine Sperrdatei möglich (">()) + reason +
             Text(Cp1252<u8"); ein zweiter Überwacher würde nicht bemerkt">());
  }
  return {};
}

}  // namespace morvatex
