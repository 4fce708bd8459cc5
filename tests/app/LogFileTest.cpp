#include "app/LogFile.h"

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
  EXPECT_TRUE(StarteLogdatei(fs, "/p.log", "first\r\n"));
  EXPECT_TRUE(StarteLogdatei(fs, "/p.log", "second\r\n"));
  EXPECT_EQ(fs.files["/p.log"], "second\r\n");
}

TEST(LogFile, StartingReportsEveryFailureAsFalseAndNothingElse) {
  FakeFileSystem fs;
  fs.failCreate.insert("/p.log");
  EXPECT_FALSE(StarteLogdatei(fs, "/p.log", "x"));
  fs.failCreate.clear();
  fs.failWriteNumber["/p.log"] = 1;
  EXPECT_FALSE(StarteLogdatei(fs, "/p.log", "x"));
  fs.failWriteNumber.clear();
  fs.failCloseWrite.insert("/p.log");
  EXPECT_FALSE(StarteLogdatei(fs, "/p.log", "x"));
}

}  // namespace
}  // namespace morvatex
