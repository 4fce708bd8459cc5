#include "gui/HelpTexts.h"

#include "base/Cp1252Codec.h"

namespace morvatex {

std::string ShortDescription(std::string_view logPath) {
  std::string text(Cp1252<u8"\r\n"
                          u8"Mit diesem Programm können Isel- Dateien in CNC-DIN-Code umgewandelt werden.\r\n"
                          u8"Parallel dazu kann eine DXF-Datei erstellt werden.\r\n"
                          u8"\r\n"
                          u8"\r\n"
                          u8"Bedienung:\r\n"
                          u8"- mit Cursortasten in der Tabelle navigieren,\r\n"
                          u8"- Space Ändert den Status einer Zelle,\r\n"
                          u8"- Entf löscht eine Zeile,\r\n"
                          u8"- Einfg fügt am Ende der Tabelle einen oder mehrere Einträge  hinzu (wie \"Add\"),\r\n"
                          u8"\r\n"
                          u8"- mit \"Start\" beginnt die Konvertierung aller markierten Isel-Dateien,\r\n"
                          u8"- mit \"Stop\" oder ESC kann abgebrochen werden,\r\n"
                          u8"\r\n"
                          u8"\r\n"
                          u8"Befehlsinterpreter\r\n"
                          u8"Folgende Codes werden z.Z. verarbeitet:\r\n"
                          u8" N\r\n"
                          u8" FASTABS, FASTREL, MOVEABS, MOVEREL\r\n"
                          u8" CWABS, CCWABS, CWREL, CCWREL\r\n"
                          u8" VEL, SPINDLE, COOLANT, GETTOOL\r\n"
                          u8" PLANE, WPZERO, WPZEROABS, WPCLEAR\r\n"
                          u8" HALT, WAIT, PROGEND\r\n"
                          u8" Morvatex verwendet als Maßeinheit Millimeter bzw. 1/1000Millimeter.\r\n"
                          u8" Eine Umwandlung von z.B. Inch in Millimeter erfolgt NICHT!\r\n"
                          u8"\r\n"
                          u8"\r\n"
                          u8"CNC-DIN-Code-Generator\r\n"
                          u8" Weitgehend frei deffinierbar.\r\n"
                          u8" Siehe Einstellungen -> CNC-DIN-Code -> Einstellungen.\r\n"
                          u8"\r\n"
                          u8"\r\n"
                          u8"DXF-Generator\r\n"
                          u8" Es können Polylinien wie auch einzelne Bögen und Geraden generiert werden.\r\n"
                          u8" (->Einstellungen->DXF)\r\n"
                          u8" Sofern die nachfolgende DXF-Anwendung mit Polylinien umgehen kann, sollten immer\r\n"
                          u8" Polylinien generiert werden. Im anderen Fall können, (nur teilweise bei Kreisbögen)\r\n"
                          u8" offene Konturen entstehen.\r\n"
                          u8"\r\n"
                          u8"\r\n"
                          u8"Ausgabe prüfen (->Einstellungen->Ausgabe prüfen)\r\n"
                          u8" Ist es eingeschaltet, wird jedes erzeugte CNC-Programm so gelesen, wie es die\r\n"
                          u8" gewählte Steuerung liest (RS274/NGC wie Mach3 und LinuxCNC, oder wie eingestellt),\r\n"
                          u8" und seine Werkzeugbahn mit der des Isel-Programmes verglichen. Die Prüfung steht\r\n"
                          u8" unter dem Bericht jeder Zeile im Meldungsfeld und im Protokoll. Weicht die Bahn\r\n"
                          u8" ab, bekommt die Zeile ein \"E\" wie eine fehlgeschlagene Konvertierung; die Dateien\r\n"
                          u8" bleiben erhalten: sie wurden richtig geschrieben, aber die Steuerung würde nicht\r\n"
                          u8" die Bahn des Isel-Programmes fahren.\r\n"
                          u8"\r\n"
                          u8"\r\n"
                          u8"- Um Fehlern beim Konvertieren auf die Spur zu kommen, kann die Datei\r\n"
                          u8"  >> ">());
  text += logPath;
  text += Cp1252<
      u8" <<\r\n"
      u8"  zu Rate gezogen werden. Es handelt sich um eine Textdatei, welche mit jedem\r\n"
      u8"  Neustart des Programmes überschrieben wird(!). \r\n"
      u8"\r\n">();
  return text;
}

}  // namespace morvatex
