#include "batch/LogFile.h"

#include <gtest/gtest.h>

#include "tests/support/FakeFileSystem.h"

namespace morvatex {
namespace {

using testing::FakeFileSystem;

TEST(LogFile, LiesBesideTheProgramWithTheExtensionLog) {
  EXPECT_EQ(LogPathFor("C:\\CNC\\prog.exe", kWindowsPathSyntax), "C:\\CNC\\prog.log");
  EXPECT_EQ(LogPathFor("/opt/cnc.2/morvatex", kPosixPathSyntax), "/opt/cnc.2/morvatex.log");
}

TEST(LogFile, StartHeaderIsTheTimeThenThePathAndTwoEmptyLines) {
  EXPECT_EQ(LogStartHeader("06.12.2026 19:09:17", "C:\\CNC\\prog.exe"),
            "06.12.2026 19:09:17 Neustart:\r\nC:\\CNC\\prog.exe\r\n\r\n\r\n");
}

TEST(LogFile, StartingReplacesWhatAnEarlierStartWrote) {
  FakeFileSystem fs;
  fs.files["/p.log"] = "old entries\r\n";
  EXPECT_TRUE(StartLogFile(fs, "/p.log", "first\r\n"));
  EXPECT_TRUE(StartLogFile(fs, "/p.log", "second\r\n"));
  EXPECT_EQ(fs.files["/p.log"], "second\r\n");
}

TEST(LogFile, StartingReportsEveryFailureAsFalseAndNothingElse) {
  FakeFileSystem fs;
  fs.failCreate.insert("/p.log");
  EXPECT_FALSE(StartLogFile(fs, "/p.log", "x"));
  fs.failCreate.clear();
  fs.failWriteNumber["/p.log"] = 1;
  EXPECT_FALSE(StartLogFile(fs, "/p.log", "x"));
  fs.failWriteNumber.clear();
  fs.failCloseWrite.insert("/p.log");
  EXPECT_FALSE(StartLogFile(fs, "/p.log", "x"));
}

TEST(LogFile, RunEntryIsDateTableRowMarksReportAndEmptyLines) {
  EXPECT_EQ(LogRunEntry("08.12.2026 10:00:00", "C:\\jobs.mvx", 3, "3M", "Fehlerstatus: 55\r\n(x)\r\n"),
            "08.12.2026 10:00:00\r\nTabelle: C:\\jobs.mvx\r\nZeile:   3 / 3M\r\nFehlerstatus: 55\r\n(x)\r\n"
            "\r\n\r\n\r\n");
}

TEST(LogFile, EntriesGoOnlyToAnExistingLogAndErrorsAreSwallowed) {
  FakeFileSystem fs;
  const LogFile log(fs, "/p.log", nullptr);
  EXPECT_FALSE(log.Append("lost\r\n"));
  EXPECT_FALSE(fs.Exists("/p.log"));  // a deleted log is not made again
  fs.files["/p.log"] = "header\r\n";
  EXPECT_TRUE(log.Append("entry\r\n"));
  EXPECT_EQ(fs.files["/p.log"], "header\r\nentry\r\n");
}

}  // namespace
}  // namespace morvatex
