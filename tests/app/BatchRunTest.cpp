#include "app/BatchRun.h"

#include <gtest/gtest.h>

#include "engine/StopRequest.h"
#include "tests/support/ConversionHarness.h"

namespace morvatex {
namespace {

using testing::CrLfLines;
using testing::FakeFileSystem;

const std::string kGood = CrLfLines({"FASTABS X0 Y0 Z1000", "MOVEABS X1000 Y0", "MOVEABS X1000 Y1000",
                                     "MOVEABS X0 Y0", "PROGEND"});
const std::string kFourLines = CrLfLines({"FASTABS X0 Y0", "MOVEABS X1000 Y0", "MOVEABS X0 Y0", "PROGEND"});

std::string GoodReport(const std::string& name) {
  return "Fehlerstatus: 0\r\n Quelldatei: " + name + ".ncp\r\n Zieldatei:  " + name +
         ".cnc\r\n Datei wurde fehlerfrei konvertiert!\r\n";
}

struct RecordingAnzeige final : BatchAnzeige {
  std::vector<int> rows;
  std::string messages;
  void ZeileBeginnt(int row) override { rows.push_back(row); }
  void MeldungHinzufuegen(std::string_view text) override { messages += text; }
};

class BatchRunTest : public ::testing::Test {
 protected:
  Einstellungen settings = testing::NewConfigurationSettings();
  FakeFileSystem fs;
  Protokoll log{fs, "p.log", [] { return std::string("DT"); }};
  JobTable table;
  RecordingAnzeige anzeige;

  void SetUp() override {
    fs.files["p.log"] = "";
    table.Tabellendatei = "jobs.mvx";
  }
  // Appends a job for source `name`.ncp with the given marks and program.
  void Job(const std::string& name, const std::string& marks, const std::string& program) {
    const int row = table.ZeileAnhaengen();
    table.SetCell(row, kSpalteMarkiert, marks.find('M') != std::string::npos ? "M" : "");
    table.SetCell(row, kSpalteAbgearbeitet, marks.find('A') != std::string::npos ? "A" : "");
    table.SetCell(row, kSpalteFehler, marks.find('E') != std::string::npos ? "E" : "");
    table.SetCell(row, kSpalteQuelldatei, name + ".ncp");
    table.SetCell(row, kSpalteZieldatei, name + ".cnc");
    fs.files[name + ".ncp"] = program;
  }
  std::string Marks(int row) { return table.Cell(row, 1) + table.Cell(row, 2) + table.Cell(row, 3); }
  BatchErgebnis Run(ConversionOptions options = {}) {
    ConversionRun run(settings, fs, std::move(options));
    return BatchAusfuehren(table, run, log, anzeige);
  }
};

TEST_F(BatchRunTest, ConvertsEveryMarkedRowAndRecordsItsOutcome) {
  Job("a", "M", kGood);
  Job("b", "MA", kFourLines);  // fails with 55 and keeps M and A
  Job("c", "E", kGood);        // not marked: skipped
  Job("d", "ME", kGood);
  const BatchErgebnis ergebnis = Run();
  EXPECT_EQ(ergebnis.konvertiert, 3);
  EXPECT_EQ(ergebnis.fehlgeschlagen, 1);
  EXPECT_FALSE(ergebnis.abgebrochen);
  EXPECT_EQ(anzeige.rows, (std::vector<int>{1, 2, 4}));
  EXPECT_EQ(Marks(1) + "," + Marks(2) + "," + Marks(3) + "," + Marks(4), "A,MAE,E,A");
  EXPECT_TRUE(table.TabelleGeaendert);
  EXPECT_FALSE(fs.Exists("c.cnc"));

  const std::string a = GoodReport("a");
  const std::string d = GoodReport("d");
  const std::string failed = "Fehlerstatus: 55\r\n Quelldatei: b.ncp\r\n Zieldatei:  b.cnc\r\n"
                             " Quelldatei hat weniger als 5 Zeilen!\r\n(PROGEND)\r\n";
  EXPECT_EQ(anzeige.messages, "Zeile:   1:" + a + "\r\nZeile:   2:" + failed + "\r\nZeile:   4:" + d + "\r\n");
  EXPECT_EQ(fs.files["p.log"], "DT\r\nTabelle: jobs.mvx\r\nZeile:   1 / 1A\r\n" + a + "\r\n\r\n\r\n" +
                                   "DT\r\nTabelle: jobs.mvx\r\nZeile:   2 / 2MA\r\n" + failed + "\r\n\r\n\r\n" +
                                   "DT\r\nTabelle: jobs.mvx\r\nZeile:   4 / 4A\r\n" + d + "\r\n\r\n\r\n");
}

TEST_F(BatchRunTest, AStopEndsTheBatchAfterTheRowInProgress) {
  for (const char* name : {"a", "b", "c"}) Job(name, "M", kGood);
  ConversionOptions options;
  options.processPendingInput = [this] {
    if (anzeige.rows.back() == 2) RequestStop();
  };
  const BatchErgebnis ergebnis = Run(options);
  EXPECT_TRUE(ergebnis.abgebrochen);
  EXPECT_EQ(anzeige.rows, (std::vector<int>{1, 2}));
  EXPECT_EQ(Marks(1) + "," + Marks(2) + "," + Marks(3), "A,ME,M");
  EXPECT_NE(fs.files["p.log"].find("Zeile:   2 / 2M\r\nFehlerstatus: 11\r\n"), std::string::npos);
  EXPECT_EQ(fs.files["p.log"].find("Zeile:   3"), std::string::npos);
}

TEST_F(BatchRunTest, WithoutMarkedRowsOnlyTheNoteAppears) {
  Job("a", "AE", kGood);
  const BatchErgebnis ergebnis = Run();
  EXPECT_EQ(ergebnis.konvertiert, 0);
  EXPECT_EQ(anzeige.messages, "Es wurden keine abzuarbeitenden (markierten) Dateien gefunden !\r\n");
  EXPECT_FALSE(table.TabelleGeaendert);
  EXPECT_EQ(fs.files["p.log"], "");
}

}  // namespace
}  // namespace morvatex
