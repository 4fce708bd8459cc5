#include "settings/SettingsTexts.h"

#include "base/Cp1252Codec.h"

namespace morvatex {
namespace {

std::string FileErrorText(std::string_view firstLine, std::string_view path) {
  std::string text(firstLine);
  text += "\r\n";
  text += path;
  text += "\r\nist ein Fehler aufgetreten !!";
  return text;
}

}  // namespace

std::string_view PasswordMissingText() {
  return Cp1252<u8"Aus Sicherheitsgründen bitte erst das Passwort eingeben !">();
}

std::string_view ApplyErrorText(int errorNumber) {
  switch (errorNumber) {
    case 1: return Cp1252<u8"Der Wert im Feld \"Erste Satznummer\" ist Ungültig!">();
    case 2: return Cp1252<u8"Der Wert im Feld \"Increment\" ist Ungültig!">();
    case 3: return Cp1252<u8"Der Wert im Feld \"Z-Grenze\" ist Ungültig!">();
    case 4: return Cp1252<u8"Der Wert im Feld \"Nachkommastellen\" ist Ungültig!">();
    case 6: return "Fehler in Werkzeugzuordnung!";
    case 7: return Cp1252<u8"Der Wert im Feld \"Umrechnungsfaktor S ..\" ist Ungültig!">();
    case 8: return Cp1252<u8"Der Wert im Feld \"Umrechnungsfaktor F ..\" ist Ungültig!">();
    case 9: return Cp1252<u8"Der Wert im Feld \"Nachkommastellen S\" ist Ungültig!">();
    case 10: return Cp1252<u8"Der Wert im Feld \"Nachkommastellen F\" ist Ungültig!">();
    default: return {};
  }
}

std::string SaveErrorText(std::string_view path) { return FileErrorText("Beim speichern der Datei", path); }

std::string OpenErrorText(std::string_view path) { return FileErrorText(Cp1252<u8"Beim öffnen der Datei">(), path); }

std::string SettingsHelpText() {
  static constexpr std::string_view kHelpLines[] = {
      Cp1252<u8"Beim generieren einer CNC-Datei werden aus den Isel-Daten Schritt für Schritt">(),
      Cp1252<u8"CNC-Sätze Erzeugt. Dabei wird standardmäßig für jeden Befehl, Funktion bzw.">(),
      Cp1252<u8"Anweisung ein eigenständiger Satz generiert.">(),
      Cp1252<u8"Für bestimmte Maschinen kann eine Sonderbehandlung aktiviert werden.">(),
      Cp1252<u8"In diesen Fällen wird der CNC-Code ganz speziell für die gewählte Maschine">(),
      "angepasst.",
      "",
      Cp1252<u8"Für einige Maschinen sind Standardeinstellungen hinterlegt. Diese können unter">(),
      Cp1252<u8"dem Menüpunkt Daten...Maschine/Zielsystem... aufgerufen werden.">(),
      "",
      Cp1252<u8"Außerdem besteht die Möglichkeit, eigene Einstellungen als Profil zu verwalten.">(),
      "",
      "",
      "Sonderbehandlung:",
      "  SCM-Xilog",
      "  -Es wird eine Xilog-lesbare-XXL-Datei (*.xxl) erzeugt.",
      Cp1252<u8"  -Zwischen 1. und 2. möglicher Vorspannzeile wird eine Xilog-spezifische">(),
      Cp1252<u8"   Kopfzeile mit Werkstückabmessungen, Verschiebedaten u.ä. eingefügt.">(),
      "  -Vor jede Teilkontur (bestehend aus G1, G2, G3) wird ein (nur ein einziger)",
      Cp1252<u8"   Satz mit einem G0 gesetzt. Dieser Satz erhält weiterhin einen frei">(),
      "   definierbaren Code (\"Vor Wechsel zu G1,G2,G3\"), Werkzeugnummer,",
      "   Vorschub und Spindeldrehzahl",
      Cp1252<u8"   (in \"Vor Wechsel zu G1,G2,G3\" könnte z.B. die Position der Absaughaube">(),
      "   stehen - E=2)",
      Cp1252<u8"  -Änderungen von Drehzahl und Vorschub innerhalb einer Kontur werden direkt an">(),
      "   den betreffenden Satz mit  G1, G2 oder G3 angehangen.",
      "",
      "",
      "Vorspann",
      Cp1252<u8"  hier können bis zu 6 Zeilen eingetragen werden, welche dem zu generierenden">(),
      "  Code vorangestellt werden. Die 2. bis 6. Zeile wird automatisch in die normale",
      "  Satznummerierung mit einbezogen.",
      "  Da der CNC-Code bei manchen Steuerungen mit einem bestimmten Sonderzeichen",
      Cp1252<u8"  beginnen muß, erhält die erste Zeile (die mit der schwarzen Markierung) keine">(),
      Cp1252<u8"  Satznummer. Bei Bedarf kann natürlich diese Zeile auch mit einer manuell">(),
      "  eingetragenen Satznummer beginnen.",
      "",
      "Werkzeugzuordnung",
      Cp1252<u8"  Jedem möglichen (Tool 0 bis Tool 99) \"Isel-Werkzeug\" kann hier ein passendes">(),
      "  Werkzeug zugeordnet werden.",
      Cp1252<u8"  Zum komfortablen Befüllen der Werkzeugtabelle stehen unter">(),
      Cp1252<u8"  Datei...Werkkzeugtabelle... einige nützliche Menüpunkte zur Verfügung.">(),
      "",
      "Werkzeugwechsel",
      "  An Stelle eines Isel-Werkzeugwechsels (GETTOOL X) kann ein beliebiger",
      Cp1252<u8"  Werkzeugwechsel bestehend aus bis zu 3 Sätzen erzeugt werden. z.B.:">(),
      "    G53     (Maschinenullpunkt)",
      "    T? M6   (wechsle Werkzeug entspr. Tabelle ein)",
      Cp1252<u8"    G54 G17 (Werkstücknullpunkt, Interpolationsebene)">(),
      "",
      "Nachspann",
      Cp1252<u8"  hier können bis zu 3 Zeilen eingetragen werden, welche an den zu generierenden">(),
      Cp1252<u8"  Code angehängt werden. Die 1. und 2. Zeile wird automatisch in die normale">(),
      "  Satznummerierung einbezogen.",
      "  Da der CNC-Code bei manchen Steuerungen mit einem bestimmten Sonderzeichen",
      Cp1252<u8"  enden muss, erhält die letzte Zeile (die mit der schwarzen Markierung) keine">(),
      Cp1252<u8"  Satznummer. Bei Bedarf kann natürlich diese Zeile auch mit einer manuell">(),
      "  eingetragenen (sehr hohen!) Satznummer beginnen.",
  };
  std::string text;
  for (std::size_t i = 0; i < std::size(kHelpLines); ++i) {
    if (i > 0) text += "\r\n";
    text += kHelpLines[i];
  }
  text += "\r\n\r\n\r\n\r\n\r\n";
  return text;
}

}  // namespace morvatex
