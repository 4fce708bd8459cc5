// The main window's way into the tool-path preview.
#include "batch/JobTable.h"
#include "gui/PreviewWindow.h"
#include "batch/RapidRateFile.h"
#include "gui/MainWindow.h"

namespace morvatex {

void TForm1::Vorschau1Click() {
  if (laufAktiv_) return;
  const int row = AusgewaehlteZeile();
  if (!tabelle_.IsJobRow(row)) {
    dialogs_.Nachricht(QStringLiteral("Bitte zuerst eine Zeile mit einer Isel-Datei wählen."));
    return;
  }
  VorschauZeigen(row);
}

void TForm1::VorschauZeigen(int row) {
  if (laufAktiv_ || !tabelle_.IsJobRow(row)) return;
  // A window of its own, closed with the main window; several may be open.
  auto* window = new PreviewWindow(fs_, einstellungen_, tabelle_.Cell(row, kSpalteQuelldatei),
                                   RapidRateFilePath(einstellungsdatei_), this);
  window->show();
}

}  // namespace morvatex
