#include "engine/OutcomeCodes.h"

#include <ostream>

#include "base/Cp1252Codec.h"

namespace morvatex {

std::string_view OutcomeMessage(Outcome code) {
  using enum Outcome;
  switch (code) {
    case kSuccess: return "Datei wurde fehlerfrei konvertiert!";
    case kStopped: return "Konvertierung durch Benutzer abgebrochen! ";
    case kNoOutputChosen: return Cp1252<u8"Es wurde kein Ausgabeformat gewählt (DXF/CNC)! ">();
    case kSourceOpen:
    case kSourceRead:
    case kSourceClose: return "Fehler beim Lesen der Quelldatei!";
    case kTooFewLines: return "Quelldatei hat weniger als 5 Zeilen!";
    case kNoProgend: return Cp1252<u8"Quelldatei enthält kein gültiges \"PROGEND\"!">();
    case kDxfCreate:
    case kDxfHeader:
    case kDxfExtents:
    case kDxfEntity:
    case kDxfEnd:
    case kDxfClose: return "Fehler beim Schreiben der DXF-Datei!";
    case kFolderCreate:
    case kFolderIoError: return "Fehler! Kann Zielordner nicht erstellen!";
    case kCncCreate:
    case kCncHeaderFirst:
    case kCncHeader:
    case kCncClose:
    case kCncTrailer:
    case kCncHalt:
    case kCncCoolantOrPlane:
    case kCncToolChange:
    case kCncBeforeRapid:
    case kCncBeforeFeed:
    case kCncFeed:
    case kCncSpindle:
    case kCncMotion:
    case kXilogMotion:
    case kXilogHeaderOrContourStart: return "Fehler beim Schreiben der CNC-Datei!";
    case kWritingPassNoEnd:
    case kMeasuringPassNoEnd: return "Programmende nicht erkannt!";
    case kMeasuringNotInteger:
    case kWritingNotInteger: return "Fehler in Zeile (Integer erwartet)!";
    case kPlaneNotSupported: return Cp1252<u8"Interpolationsebene wird in dieser Version noch nicht unterstützt!">();
    case kToolNotInteger: return "Konnte Werkzeugnummer nicht lesen!";
    case kFeedNotInteger: return Cp1252<u8"Konnte Wert für Vorschub nicht lesen!">();
    case kSpeedNotInteger: return Cp1252<u8"Konnte Wert für Drehzahl nicht lesen!">();
    case kUnknownInterpolation: return "Interpolation??? !";
    case kToolOutOfRange: return Cp1252<u8"GETTOOL enthält ungültige Werkzeugnummer (0>=Tool<=99)!">();
    case kDrillCycleNotSupported:
      return Cp1252<u8"Bohrzyklus wird nicht unterstützt (nur DRILLDEF C1, einfaches Bohren)!">();
    case kDrillNotDefined: return Cp1252<u8"DRILL ohne vollständiges DRILLDEF (C, P, S, D und V)!">();
    case kMachineFrameNotExpressible:
      return Cp1252<u8"Maschinenkoordinaten oder Nullpunktwechsel kann diese Steuerung nicht ausdrücken!">();
    case kArcInMachineFrame: return "Kreisbogen in Maschinenkoordinaten (nach WPCLEAR) wird nicht umgesetzt!";
    case kInchNotSupported: return Cp1252<u8"Zollmaße (INCH) werden nicht unterstützt!">();
    case kRotaryAxisNotSupported: return Cp1252<u8"Drehachsen (A, B, C) werden nicht unterstützt!">();
    case kBlockNumber: return "Konnte Satznummer nicht interpretieren (\"N.. \")!";
  }
  return "Unbekannter Fehler!";
}

std::ostream& operator<<(std::ostream& out, Outcome code) { return out << NumberOf(code); }

}  // namespace morvatex
