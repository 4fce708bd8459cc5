#include "app/JobListFile.h"

#include <gtest/gtest.h>

#include "tests/support/FakeFileSystem.h"
#include "tests/support/RecordingMessageSink.h"

namespace morvatex {
namespace {

using testing::FakeFileSystem;

constexpr const char* kPath = "C:\\Listen\\jobs.mvx";

// The rows of a table as "marks|source|target" texts.
std::vector<std::string> Rows(const JobTable& table) {
  std::vector<std::string> rows;
  for (int row = 1; row < table.PlaceholderRow(); ++row) {
    EXPECT_EQ(table.Cell(row, kSpalteNummer), std::to_string(row));
    rows.push_back(table.Cell(row, 1) + table.Cell(row, 2) + table.Cell(row, 3) + "|" + table.Cell(row, 4) + "|" +
                   table.Cell(row, 5));
  }
  return rows;
}

TEST(JobListFile, WritesFourLinesPerJobThenTheEndMarker) {
  JobTable table;
  EXPECT_EQ(JobListText(table), "[E]\r\n\r\n");
  for (const char* marks : {"ME", "", "MAE"}) {
    const int row = table.ZeileAnhaengen();
    for (int column = 1; column <= 3; ++column)
      table.SetCell(row, column, std::string(marks).find("MAE"[column - 1]) != std::string::npos
                                     ? std::string(1, "MAE"[column - 1])
                                     : "");
    table.SetCell(row, kSpalteQuelldatei, "C:\\a" + std::to_string(row) + ".ncp");
    table.SetCell(row, kSpalteZieldatei, "C:\\K\xFChler\\a" + std::to_string(row) + ".cnc");
  }
  EXPECT_EQ(JobListText(table),
            "[1]\r\nME\r\nC:\\a1.ncp\r\nC:\\K\xFChler\\a1.cnc\r\n"
            "[2]\r\n\r\nC:\\a2.ncp\r\nC:\\K\xFChler\\a2.cnc\r\n"
            "[3]\r\nMAE\r\nC:\\a3.ncp\r\nC:\\K\xFChler\\a3.cnc\r\n"
            "[E]\r\n\r\n");

  // What was written reads back unchanged.
  FakeFileSystem fs;
  fs.files[kPath] = JobListText(table);
  JobTable reread;
  EXPECT_EQ(LiesJobListe(fs, kPath, reread), 0);
  EXPECT_EQ(Rows(reread), Rows(table));
}

TEST(JobListFile, ReadsEntriesUntilTheMarkerOrTheFirstFault) {
  struct Case {
    const char* file;
    int code;
    std::vector<std::string> rows;  // in the table when reading stopped
  };
  const Case cases[] = {
      {"", 0, {}},
      {"[E]\r\n\r\n", 0, {}},
      {"[7] rest\r\nxMAEm\r\na.ncp\r\na.cnc\r\n[E]\r\n\r\n", 0, {"MAE|a.ncp|a.cnc"}},
      {"[1]\nmae\nLF only.ncp\nb.cnc\n", 0, {"|LF only.ncp|b.cnc"}},
      {"[1]\r\nE\r\na.ncp\r\na.cnc", 0, {"E|a.ncp|a.cnc"}},  // no marker, no last line end
      {"[1]\r\nM\r\na.ncp\r\na.cnc\r\n[E]\r\n[2]\r\nM\r\nb.ncp\r\nb.cnc\r\n", 0, {"M|a.ncp|a.cnc"}},
      {"[E] \r\nM\r\na.ncp\r\na.cnc\r\n", 0, {"M|a.ncp|a.cnc"}},  // not the marker
      {"[1]\r\nM\r\na.ncp\r\na.cnc\r\n\r\n", 31, {"M|a.ncp|a.cnc"}},
      {"1]\r\nM\r\na.ncp\r\na.cnc\r\n", 30, {}},
      {"[1\r\nM\r\na.ncp\r\na.cnc\r\n", 31, {}},
      {"1\r\nM\r\na.ncp\r\na.cnc\r\n", 31, {}},
      {"[1]\r\nM\r\na.ncp\r\n\r\n", 40, {}},
      {"[1]\r\nM\r\n\r\na.cnc\r\n", 40, {}},
      {"[1]\r\nM\r\na.ncp\r\n", 40, {}},  // ends inside an entry
  };
  for (const Case& c : cases) {
    FakeFileSystem fs;
    fs.readChunk = 3;  // line ends split between reads
    fs.files[kPath] = c.file;
    JobTable table;
    EXPECT_EQ(LiesJobListe(fs, kPath, table), c.code) << c.file;
    EXPECT_EQ(Rows(table), c.rows) << c.file;
  }
}

TEST(JobListFile, ReadAndOpenFailuresGiveTheirCodes) {
  const std::string list = "[1]\r\nM\r\na.ncp\r\na.cnc\r\n[2]\r\nM\r\nb.ncp\r\nb.cnc\r\n[E]\r\n\r\n";
  FakeFileSystem fs;
  JobTable table;
  EXPECT_EQ(LiesJobListe(fs, kPath, table), 10);
  fs.files[kPath] = list;
  fs.failReadAfterBytes[kPath] = list.find("b.ncp");
  EXPECT_EQ(LiesJobListe(fs, kPath, table), 20);
  EXPECT_EQ(table.JobCount(), 1);
  table.TabelleLeeren();
  fs.failReadAfterBytes[kPath] = list.find("[E]") + 5;  // the marker line was read whole
  fs.failCloseRead.insert(kPath);
  EXPECT_EQ(LiesJobListe(fs, kPath, table), 0);
  EXPECT_EQ(table.JobCount(), 2);
}

TEST(JobListFile, OpeningAFaultyListShowsTheCodeAndLeavesAnEmptyUnnamedTable) {
  FakeFileSystem fs;
  fs.files[kPath] = "[1]\r\nM\r\na.ncp\r\na.cnc\r\n[2]\r\nM\r\nb.ncp\r\n\r\n";
  testing::RecordingMessageSink messages;
  JobTable table;
  table.TabelleGeaendert = true;
  EXPECT_EQ(TabelleOeffnen(table, kPath, fs, messages), 40);
  EXPECT_EQ(messages.messages,
            std::vector<std::string>{"Beim lesen der Datei\r\n\r\nC:\\Listen\\jobs.mvx\r\n\r\n"
                                     "ist ein Fehler aufgetreten (40) !"});
  EXPECT_EQ(table.RowCount(), 2);
  EXPECT_EQ(table.Tabellendatei, "");
  EXPECT_TRUE(table.TabelleGeaendert);
}

TEST(JobListFile, AFailedSaveKeepsTheOldFileAndIsReportedAndLogged) {
  FakeFileSystem fs;
  fs.files[kPath] = "old list";
  fs.files["/p.log"] = "";
  const Protokoll log(fs, "/p.log", [] { return std::string("08.12.2026 10:00:00"); });
  testing::RecordingMessageSink messages;
  JobTable table;
  table.Tabellendatei = kPath;
  table.TabelleGeaendert = true;

  fs.failReplace.insert(kPath);
  EXPECT_EQ(TabelleSchreiben(table, fs, messages, log), 28);
  EXPECT_EQ(fs.files[kPath], "old list");
  EXPECT_EQ(messages.messages, std::vector<std::string>{"28 / Beim Speichern der Tabelle ist ein Fehler aufgetreten !"});
  EXPECT_TRUE(table.TabelleGeaendert);
  EXPECT_FALSE(fs.Called("remove"));

  fs.failReplace.clear();
  EXPECT_EQ(TabelleSchreiben(table, fs, messages, log), 0);
  EXPECT_EQ(fs.files[kPath], "[E]\r\n\r\n");
  EXPECT_FALSE(table.TabelleGeaendert);
  EXPECT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(fs.files["/p.log"],
            "\r\n\r\n08.12.2026 10:00:00  ####################\r\nTabelle gespeichert unter : \r\n   "
            "C:\\Listen\\jobs.mvx\r\n28 / dabei ist ein Schreibfehler aufgetreten !!!!\r\n\r\n\r\n\r\n"
            "\r\n\r\n08.12.2026 10:00:00  ####################\r\nTabelle gespeichert unter : \r\n   "
            "C:\\Listen\\jobs.mvx\r\n\r\n\r\n\r\n");

  table.Tabellendatei.clear();  // never saved: nothing happens
  fs.calls.clear();
  EXPECT_EQ(TabelleSchreiben(table, fs, messages, log), 0);
  EXPECT_TRUE(fs.calls.empty());
}

}  // namespace
}  // namespace morvatex
