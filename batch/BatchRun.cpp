#include "batch/BatchRun.h"

namespace morvatex {

void ZeileAbschliessen(JobTable& table, int row, const ConversionRun& run, const Protokoll& log,
                       BatchAnzeige& anzeige, BatchErgebnis& ergebnis) {
  const int code = run.outcomeCode();
  if (code <= outcome::kSuccess) {
    table.SetCell(row, kSpalteMarkiert, "");
    table.SetCell(row, kSpalteAbgearbeitet, kMarkeAbgearbeitet);
    table.SetCell(row, kSpalteFehler, "");
  } else {
    table.SetCell(row, kSpalteFehler, kMarkeFehler);
    ++ergebnis.fehlgeschlagen;
  }

  const std::string report = run.OutcomeReport();
  const std::string marks =
      table.Cell(row, kSpalteNummer) + table.Cell(row, kSpalteMarkiert) + table.Cell(row, kSpalteAbgearbeitet);
  log.Anhaengen(LogRunEntry(log.DatumZeit(), table.Tabellendatei, row, marks, report));
  anzeige.ZeileKonvertiert(row, run);
  anzeige.MeldungHinzufuegen("Zeile:   " + std::to_string(row) + ":" + report + "\r\n");
}

BatchErgebnis BatchAusfuehren(JobTable& table, ConversionRun& run, const Protokoll& log, BatchAnzeige& anzeige) {
  BatchErgebnis ergebnis;
  for (int row = 1; row < table.PlaceholderRow(); ++row) {
    if (table.Cell(row, kSpalteMarkiert) != kMarkeMarkiert) continue;
    table.TabelleGeaendert = true;
    ++ergebnis.konvertiert;
    anzeige.ZeileBeginnt(row);

    // Copied: the cells may change while the conversion lets input through.
    const std::string source = table.Cell(row, kSpalteQuelldatei);
    const std::string target = table.Cell(row, kSpalteZieldatei);
    const int code = run.Convert(source, target);
    ZeileAbschliessen(table, row, run, log, anzeige, ergebnis);
    if (code == outcome::kStopped) {
      ergebnis.abgebrochen = true;
      break;
    }
  }
  if (ergebnis.konvertiert == 0) anzeige.MeldungHinzufuegen(kKeineMarkiertenZeilen);
  return ergebnis;
}

}  // namespace morvatex
