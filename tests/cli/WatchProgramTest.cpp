// Runs morvatex-convert --watch on real folders, with the system's notices.
#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "base/FileSystem.h"
#include "settings/SettingsFile.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/ProgramGenerator.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/RecordingMessageSink.h"
#include "tests/support/TempDir.h"

namespace morvatex {
namespace {

using testing::NativePath;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

const std::string kProgram =
    testing::CrLfLines({"VEL 1000", "FASTABS X0 Y0", "MOVEABS X1000", "MOVEABS Y1000", "PROGEND"});

// How many outcome reports `out` holds with `status`.
int Reports(const std::string& out, const std::string& status) {
  int count = 0;
  const std::string line = "Fehlerstatus: " + status + "\n";
  for (std::size_t at = out.find(line); at != std::string::npos; at = out.find(line, at + 1)) ++count;
  return count;
}

bool Exists(const std::string& path) { return std::filesystem::exists(NativePath(path)); }

std::string WithoutCr(std::string text) {
  std::erase(text, '\r');
  return text;
}

class WatchProgramTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string settingsPath = dir.Sub("morvatex.set");
  std::string in = dir.Sub("ein");

  void SetUp() override {
    RealFileSystem fs;
    testing::RecordingMessageSink sink;
    ASSERT_TRUE(SaveSettingsFile(testing::NewConfigurationSettings(), settingsPath, fs, sink));
    std::filesystem::create_directories(NativePath(in));
  }

  std::vector<std::string> Watch(std::vector<std::string> more) {
    std::vector<std::string> arguments = {"--settings", settingsPath, "--watch", in};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
  }

  // Runs the converter to its end; its status, standard output and error.
  int Run(const std::vector<std::string>& arguments, std::string& out, std::string& err) {
    const testing::ProgramOutcome outcome =
        testing::RunProgramToItsEnd(MORVATEX_CONVERT_PROGRAM, arguments, dir.Sub("out.txt"), dir.Sub("err.txt"));
    out = WithoutCr(outcome.out);
    err = WithoutCr(outcome.err);
    return outcome.status;
  }
};

TEST_F(WatchProgramTest, OnceConvertsTheBacklogAndAFailureShowsInTheStatus) {
  WriteFileBytes(dir.Sub("ein/teil.ncp"), kProgram);
  WriteFileBytes(dir.Sub("ein/M\xC3\xBCller.NCP"), kProgram);
  WriteFileBytes(dir.Sub("ein/liesmich.txt"), "no program");
  std::string out;
  std::string err;
  EXPECT_EQ(Run(Watch({"--once", "--settle", "0.2"}), out, err), 0) << err;
  EXPECT_EQ(Reports(out, "0"), 2) << out;
  EXPECT_NE(out.find("M\xC3\xBCller.cnc"), std::string::npos) << out;
  EXPECT_TRUE(std::filesystem::exists(NativePath(dir.Sub("ein/M\xC3\xBCller.cnc"))));
  // A restart repeats nothing.
  EXPECT_EQ(Run(Watch({"--once", "--settle", "0.2"}), out, err), 0) << err;
  EXPECT_EQ(out, "");
  // A program that fails: status 1, and it is not archived.
  WriteFileBytes(dir.Sub("ein/kaputt.ncp"), testing::CrLfLines({"VEL 1000", "PROGEND"}));
  EXPECT_EQ(Run(Watch({"--once", "--settle", "0", "--archive", dir.Sub("fertig")}), out, err), 1) << err;
  EXPECT_EQ(Reports(out, "55"), 1) << out;
  EXPECT_TRUE(std::filesystem::exists(NativePath(dir.Sub("ein/kaputt.ncp"))));
}

TEST_F(WatchProgramTest, VerifyChecksEachFileAndAFailedCheckKeepsItOutOfTheArchive) {
  WriteFileBytes(dir.Sub("ein/teil.ncp"), kProgram);
  std::string out;
  std::string err;
  const std::vector<std::string> once = {"--once", "--settle", "0", "--archive", dir.Sub("fertig"), "--verify"};
  // A new configuration writes "X:", which no RS274/NGC control reads.
  std::vector<std::string> rs274 = once;
  rs274.push_back("rs274");
  EXPECT_EQ(Run(Watch(rs274), out, err), 4) << err;
  EXPECT_EQ(Reports(out, "0"), 1) << out;
  EXPECT_NE(out.find("Pr\xC3\xBC"
                     "fung (RS274/NGC): "),
            std::string::npos)
      << out;
  EXPECT_TRUE(std::filesystem::exists(NativePath(dir.Sub("ein/teil.ncp"))));
  // Read as configured the same wording checks clean, and the file goes to
  // the archive; the failed one waits until it changes.
  WriteFileBytes(dir.Sub("ein/neu.ncp"), kProgram);
  std::vector<std::string> configured = once;
  configured.push_back("eingestellt");
  EXPECT_EQ(Run(Watch(configured), out, err), 0) << err;
  EXPECT_EQ(Reports(out, "0"), 1) << out;
  EXPECT_NE(out.find("keine Abweichung"), std::string::npos) << out;
  EXPECT_TRUE(std::filesystem::exists(NativePath(dir.Sub("fertig/neu.ncp"))));
  EXPECT_TRUE(std::filesystem::exists(NativePath(dir.Sub("ein/teil.ncp"))));
}

// A failed check outlives the run: every --once with the same check
// converts, checks and reports the file again, until it checks clean.
TEST_F(WatchProgramTest, AFailedCheckIsReportedByEveryOnceUntilTheFileChecksClean) {
  WriteFileBytes(dir.Sub("ein/teil.ncp"), kProgram);
  const std::vector<std::string> once = {"--once",          "--settle", "0",    "--archive",
                                         dir.Sub("fertig"), "--verify", "rs274"};
  std::string out;
  std::string err;
  const struct {
    const char* name;
    std::function<void()> before;
    int status;
    int reports;
  } passes[] = {
      {"first", [] {}, 4, 1},
      {"again, unchanged", [] {}, 4, 1},
      {"changed, the wording still rejected",
       [&] {
         WriteFileBytes(dir.Sub("ein/teil.ncp"), ";\r\n" + kProgram);
         // Later than its target by more than a tick of the file system's
         // clock, which on Windows is a second as the watch sees it.
         const std::filesystem::path native = NativePath(dir.Sub("ein/teil.ncp"));
         std::filesystem::last_write_time(native, std::filesystem::last_write_time(native) + std::chrono::seconds(2));
       },
       4, 1},
      {"the wording mended",
       [&] {
         SettingsRecord settings = testing::NewConfigurationSettings();
         settings.Profil.ZeichenWertzuweisung.Assign("");
         RealFileSystem fs;
         testing::RecordingMessageSink sink;
         ASSERT_TRUE(SaveSettingsFile(settings, settingsPath, fs, sink));
       },
       0, 1},
      {"archived: nothing left", [] {}, 0, 0},
  };
  for (const auto& pass : passes) {
    SCOPED_TRACE(pass.name);
    pass.before();
    EXPECT_EQ(Run(Watch(once), out, err), pass.status) << err;
    EXPECT_EQ(Reports(out, "0"), pass.reports) << out;
    EXPECT_EQ(out.find("Pr\xC3\xBC"
                       "fung (RS274/NGC): ") != std::string::npos,
              pass.reports > 0)
        << out;
    EXPECT_EQ(Exists(dir.Sub("ein/teil.ncp")), pass.status == 4);
    EXPECT_EQ(Exists(dir.Sub("morvatex.set.beanstandet")), pass.status == 4);
  }
  EXPECT_EQ(ReadFileBytes(dir.Sub("fertig/teil.ncp")), ";\r\n" + kProgram);
}

TEST_F(WatchProgramTest, WrongCallsAndFoldersThatCannotBeWatchedGiveStatusTwo) {
  const struct {
    const char* name;
    std::vector<std::string> arguments;
  } cases[] = {
      {"missing folder", {"--settings", settingsPath, "--watch", dir.Sub("fehlt"), "--once"}},
      {"a file", {"--settings", settingsPath, "--watch", settingsPath, "--once"}},
      {"pattern alone", {"--settings", settingsPath, "--pattern", "*.nc", "a.ncp", "a.cnc"}},
      {"with a source", {"--settings", settingsPath, "--watch", in, "a.ncp"}},
      {"bad settle", {"--settings", settingsPath, "--watch", in, "--settle", "-1"}},
      {"bad poll", {"--settings", settingsPath, "--watch", in, "--poll", "0"}},
      // An archive that is the folder, however written, would bring every
      // file back as a new one; one holding it would with --recursive.
      {"archive is the folder", {"--settings", settingsPath, "--watch", in, "--once", "--archive", in}},
      {"archive with a slash", {"--settings", settingsPath, "--watch", in, "--once", "--archive", in + "/"}},
      {"archive as .", {"--settings", settingsPath, "--watch", in, "--once", "--archive", dir.Sub("ein/.")}},
      {"archive through ..", {"--settings", settingsPath, "--watch", in, "--once", "--archive", dir.Sub("ein/../ein")}},
      {"archive holds it",
       {"--settings", settingsPath, "--watch", in, "--once", "--recursive", "--archive", dir.Sub("ein/..")}},
  };
  for (const auto& c : cases) {
    std::string out;
    std::string err;
    EXPECT_EQ(Run(c.arguments, out, err), 2) << c.name << ": " << err;
    EXPECT_FALSE(err.empty()) << c.name;
  }
}

// A converted file that cannot go to the archive is named with the system's
// reason and fails the pass; the next pass moves it without converting it.
TEST_F(WatchProgramTest, ArchiveThatFailsIsNamedAndTheNextPassMovesTheFile) {
  WriteFileBytes(dir.Sub("ein/teil.ncp"), kProgram);
  WriteFileBytes(dir.Sub("fertig"), "a file where the archive should be");
  const std::vector<std::string> once = {"--once", "--settle", "0", "--archive", dir.Sub("fertig")};
  std::string out;
  std::string err;
  EXPECT_EQ(Run(Watch(once), out, err), 1) << err;
  EXPECT_EQ(Reports(out, "0"), 1) << out;
  EXPECT_NE(err.find("teil.ncp: cannot be moved to " + dir.Sub("fertig") + ": "), std::string::npos) << err;
  EXPECT_TRUE(Exists(dir.Sub("ein/teil.ncp")));
  std::filesystem::remove(NativePath(dir.Sub("fertig")));
  EXPECT_EQ(Run(Watch(once), out, err), 0) << err;
  EXPECT_EQ(out, "");
  EXPECT_EQ(ReadFileBytes(dir.Sub("fertig/teil.ncp")), kProgram);
}

#ifndef _WIN32
// Links are not followed, a FIFO is not opened, a name Windows-1252 cannot
// hold is not hidden: each is named once, the other files are converted,
// and the pass fails. Nothing outside the folder is touched.
TEST_F(WatchProgramTest, LinksFifosAndUnheldNamesArePassedOverWithAMessage) {
  WriteFileBytes(dir.Sub("ein/gut.ncp"), kProgram);
  WriteFileBytes(dir.Sub("aussen.ncp"), kProgram);
  std::filesystem::create_directory_symlink("..", NativePath(dir.Sub("ein/hoch")));
  std::filesystem::create_symlink(NativePath(dir.Sub("aussen.ncp")), NativePath(dir.Sub("ein/aussen.ncp")));
  ASSERT_EQ(mkfifo(dir.Sub("ein/rohr.ncp").c_str(), 0600), 0);
  WriteFileBytes(dir.Sub("ein/\xFF.ncp"), kProgram);          // no UTF-8
  WriteFileBytes(dir.Sub("ein/\xE4\xB8\xAD.ncp"), kProgram);  // CJK
  std::string out;
  std::string err;
  EXPECT_EQ(Run(Watch({"--once", "--recursive", "--settle", "0", "--archive", dir.Sub("fertig")}), out, err), 1) << err;
  EXPECT_EQ(Reports(out, "0"), 1) << out;
  for (const char* named :
       {"ein/hoch: a link to a folder", "ein/aussen.ncp: a symbolic link", "ein/rohr.ncp: not a regular file",
        "ein/?.ncp: the name cannot", "ein/?.ncp: the name cannot"}) {
    const std::size_t at = err.find(named);
    EXPECT_NE(at, std::string::npos) << named << "\n" << err;
    if (at != std::string::npos) err.erase(at, std::string_view(named).size());
  }
  EXPECT_EQ(err.find(dir.Sub("ein/")), std::string::npos) << err;  // each once
  EXPECT_EQ(ReadFileBytes(dir.Sub("aussen.ncp")), kProgram);
  EXPECT_FALSE(Exists(dir.Sub("aussen.cnc")));
  EXPECT_TRUE(Exists(dir.Sub("fertig/gut.ncp")));
  EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(NativePath(dir.Sub("fertig"))),
                          std::filesystem::recursive_directory_iterator()),
            1);
}

// A running watch, ended by a signal when the test is done with it.
class RunningWatch {
 public:
  RunningWatch(const std::vector<std::string>& arguments, const std::string& outPath) {
    std::vector<std::string> all = {"morvatex-convert"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      if (!freopen(outPath.c_str(), "w", stdout)) _exit(126);
      execv(MORVATEX_CONVERT_PROGRAM, argv.data());
      _exit(127);
    }
  }
  ~RunningWatch() {
    if (pid_ > 0) Stop(SIGKILL);
  }
  RunningWatch(const RunningWatch&) = delete;
  RunningWatch& operator=(const RunningWatch&) = delete;

  // Sends `signal` and returns the exit status (-1 when it did not end).
  int Stop(int signal) {
    kill(pid_, signal);
    int raw = 0;
    for (int i = 0; i < 2000; ++i) {
      if (waitpid(pid_, &raw, WNOHANG) == pid_) {
        pid_ = 0;
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &raw, 0);
    pid_ = 0;
    return -1;
  }

 private:
  pid_t pid_ = 0;
};

// Waits up to 20 s for `done`.
template <typename Condition>
bool Eventually(Condition done) {
  for (int i = 0; i < 2000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST_F(WatchProgramTest, NoticesBringSlowAndReplacedFilesOnceEachAndSurviveTheFolderGoing) {
  const std::string outPath = dir.Sub("out.txt");
  RunningWatch watch(Watch({"--settle", "0.5", "--archive", dir.Sub("fertig")}), outPath);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  // Written slowly: a piece every 150 ms, longer than the settle time in all.
  {
    std::FILE* file = std::fopen(dir.Sub("ein/langsam.ncp").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    for (std::size_t at = 0; at < kProgram.size(); at += 8) {
      std::fwrite(kProgram.data() + at, 1, std::min<std::size_t>(8, kProgram.size() - at), file);
      std::fflush(file);
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    std::fclose(file);
  }
  ASSERT_TRUE(Eventually([&] { return Exists(dir.Sub("fertig/langsam.ncp")); }));
  // The same name again: converted again, archived under a number.
  WriteFileBytes(dir.Sub("ein/langsam.ncp"), kProgram);
  ASSERT_TRUE(Eventually([&] { return Exists(dir.Sub("fertig/langsam (2).ncp")); }));
  // Renamed in from beside the folder.
  WriteFileBytes(dir.Sub("neben.ncp"), kProgram);
  std::filesystem::rename(NativePath(dir.Sub("neben.ncp")), NativePath(dir.Sub("ein/neben.ncp")));
  ASSERT_TRUE(Eventually([&] { return Exists(dir.Sub("fertig/neben.ncp")); }));
  // The folder removed and made again.
  std::filesystem::remove_all(NativePath(in));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  std::filesystem::create_directories(NativePath(in));
  WriteFileBytes(dir.Sub("ein/wieder.ncp"), kProgram);
  ASSERT_TRUE(Eventually([&] { return Exists(dir.Sub("fertig/wieder.ncp")); }));
  EXPECT_EQ(watch.Stop(SIGTERM), 0);
  const std::string out = ReadFileBytes(outPath);
  EXPECT_EQ(Reports(WithoutCr(out), "0"), 4) << out;
}

// The second watcher of a folder refuses and names the first; a first one
// killed leaves no lock behind.
TEST_F(WatchProgramTest, SecondWatcherOfAFolderIsRefused) {
  RunningWatch first(Watch({"--settle", "0.2"}), dir.Sub("out.txt"));
  const auto locked = [&] {
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
      if (entry.path().filename().string().rfind("morvatex.set.waechter-", 0) == 0 && entry.file_size() > 0)
        return true;
    return false;
  };
  ASSERT_TRUE(Eventually(locked));
  std::string out;
  std::string err;
  EXPECT_EQ(Run(Watch({"--once"}), out, err), 2);
  EXPECT_NE(err.find(": watched already by morvatex-convert --watch, PID "), std::string::npos) << err;
  first.Stop(SIGKILL);
  WriteFileBytes(dir.Sub("ein/teil.ncp"), kProgram);
  EXPECT_EQ(Run(Watch({"--once", "--settle", "0"}), out, err), 0) << err;
  EXPECT_EQ(Reports(out, "0"), 1) << out;
}

TEST_F(WatchProgramTest, PollingFindsFilesWithoutNotices) {
  const std::string outPath = dir.Sub("out.txt");
  RunningWatch watch(Watch({"--settle", "0.2", "--poll", "0.3", "--recursive"}), outPath);
  std::filesystem::create_directories(NativePath(dir.Sub("ein/kunde")));
  WriteFileBytes(dir.Sub("ein/kunde/teil.ncp"), kProgram);
  ASSERT_TRUE(Eventually([&] { return Exists(dir.Sub("ein/kunde/teil.cnc")); }));
  EXPECT_EQ(watch.Stop(SIGINT), 0);
}

TEST_F(WatchProgramTest, CtrlCInMidConversionKeepsTheOldTargetAndTheNextStartConvertsAgain) {
  WriteFileBytes(dir.Sub("ein/gross.cnc"), "old target\r\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  WriteFileBytes(dir.Sub("ein/gross.ncp"), bench::GenerateIselProgram(1'000'000));
  const std::string outPath = dir.Sub("out.txt");
  {
    RunningWatch watch(Watch({"--settle", "0"}), outPath);
    const auto staged = [&] {
      for (const auto& entry : std::filesystem::directory_iterator(NativePath(in)))
        if (entry.path().filename().string().rfind("gross.cnc.~", 0) == 0) return true;
      return false;
    };
    ASSERT_TRUE(Eventually(staged));
    EXPECT_EQ(watch.Stop(SIGINT), 0);
  }
  EXPECT_EQ(ReadFileBytes(dir.Sub("ein/gross.cnc")), "old target\r\n");
  EXPECT_EQ(Reports(WithoutCr(ReadFileBytes(outPath)), "11"), 1) << ReadFileBytes(outPath);
  std::string out;
  std::string err;
  EXPECT_EQ(Run(Watch({"--once", "--settle", "0"}), out, err), 0) << err;
  EXPECT_EQ(Reports(out, "0"), 1) << out;
}
#endif

}  // namespace
}  // namespace morvatex
