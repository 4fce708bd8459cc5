#include "batch/FolderWatch.h"

#include <gtest/gtest.h>

#include <map>

#include "batch/FolderWatchChecks.h"
#include "batch/TargetPath.h"
#include "engine/ConversionRun.h"
#include "tests/support/ConversionHarness.h"
#include "verify/Verification.h"

namespace morvatex::testing {
namespace {

const std::string kProgram = CrLfLines({"VEL 1000", "FASTABS X0 Y0", "MOVEABS X1000", "MOVEABS Y1000", "PROGEND"});
const std::string kBroken = CrLfLines({"VEL 1000", "PROGEND"});  // too few lines: 55
// Converted, but with a line no Isel language carries over.
const std::string kIncomplete =
    CrLfLines({"VEL 1000", "SETPORT 1", "FASTABS X0 Y0", "MOVEABS X1000", "MOVEABS Y1000", "PROGEND"});

WatchNote Note(WatchNote::Kind kind, std::string path, std::string holder = {}) {
  return {kind, std::move(path), 0, std::move(holder)};
}

WatchedFolder InFolder() {
  WatchedFolder folder;
  folder.folder = "/in";
  return folder;
}

// A watch on the fake's folder "/in", run by a clock in steps, converting
// what it hands out as a caller would.
struct WatchDriver {
  FakeFileSystem fs;
  SettingsRecord settings = NewConfigurationSettings();
  WatchedFolder folder = InFolder();
  std::map<std::string, int> conversions;  // by source
  std::map<std::string, std::string> convertedBytes;
  // Each written program is checked with this, as --verify checks it.
  std::optional<VerificationOptions> verification;
  WatchTime now{0};

  WatchDriver() { fs.folders.insert("/in"); }

  void Put(const std::string& path, const std::string& bytes, std::int64_t modified) {
    fs.files[path] = bytes;
    fs.modified[path] = modified;
  }

  // Scans and converts what is due every `step` for `duration`.
  void Run(FolderWatch& watch, WatchTime duration, WatchTime step = WatchTime{250}) {
    for (const WatchTime end = now + duration; now <= end; now += step) RunOnce(watch);
  }
  void RunOnce(FolderWatch& watch) {
    watch.Scan(now);
    for (const WatchJob& job : watch.TakeDue(now)) {
      ConversionOptions options;
      options.pathSyntax = kPosixPathSyntax;
      ConversionRun run(settings, fs, options);
      const Outcome code = run.Convert(job.source, job.target);
      ++conversions[job.source];
      if (IsGood(code)) convertedBytes[job.source] = fs.files[job.source];
      std::optional<WatchCheck> check;
      if (verification && IsGood(code))
        check = WatchCheck{verification->model, !VerifyConversion(run, settings, fs, *verification).Clean()};
      watch.Finished(job, code, now, check, run.Incomplete());
    }
  }
};

TEST(FolderWatch, PatternsMatchNamesInAnyCase) {
  struct Case {
    const char* name;
    const char* pattern;
    bool matches;
  };
  const Case cases[] = {
      {"teil.ncp", "*.ncp", true},
      {"TEIL.NCP", "*.ncp", true},
      {"teil.ncp.cnc", "*.ncp", false},
      {"teil.nc", "*.ncp", false},
      {"\xC4RGER.NCP", "\xE4rger.*", true},
      {"a.ncp", "?.ncp", true},
      {"ab.ncp", "?.ncp", false},
      {"x.nc", "*.ncp;*.nc", true},
      {"anything", "*", true},
      {"teil-1-2.ncp", "teil*2*.ncp", true},
      {"teil-1.ncp", "teil*2*.ncp", false},
      {"", "*", true},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
}

TEST(FolderWatch, FileWrittenSlowlyIsConvertedOnceWhenComplete) {
  WatchDriver d;
  FolderWatch watch(d.folder, d.settings, d.fs, kPosixPathSyntax);
  d.Run(watch, WatchTime{1000});
  // Written over 5 s, a piece every 400 ms; each piece a new time.
  std::string written;
  for (std::size_t piece = 0; piece < kProgram.size(); piece += kProgram.size() / 12 + 1) {
    written = kProgram.substr(0, piece + kProgram.size() / 12 + 1);
    d.Put("/in/slow.ncp", written, 1 + static_cast<std::int64_t>(piece));
    d.Run(watch, WatchTime{400}, WatchTime{100});
    EXPECT_EQ(d.conversions["/in/slow.ncp"], 0) << "taken while growing";
  }
  d.Run(watch, WatchTime{5000});
  EXPECT_EQ(d.conversions["/in/slow.ncp"], 1);
  EXPECT_EQ(d.convertedBytes["/in/slow.ncp"], kProgram);
  EXPECT_TRUE(d.fs.Exists("/in/slow.cnc"));
  EXPECT_EQ(watch.Waiting(), 0);
}

TEST(FolderWatch, BurstOfAThousandFilesIsConvertedOnceEach) {
  WatchDriver d;
  FolderWatch watch(d.folder, d.settings, d.fs, kPosixPathSyntax);
  d.Run(watch, WatchTime{500});
  for (int i = 0; i < 1000; ++i) d.Put("/in/teil" + std::to_string(i) + ".ncp", kProgram, 1);
  d.Run(watch, WatchTime{6000});
  ASSERT_EQ(d.conversions.size(), 1000u);
  for (const auto& [source, count] : d.conversions) EXPECT_EQ(count, 1) << source;
  EXPECT_EQ(watch.Waiting(), 0);
}

TEST(FolderWatch, ChangedFilesComeBackAndDeletedOnesAreForgotten) {
  WatchDriver d;
  FolderWatch watch(d.folder, d.settings, d.fs, kPosixPathSyntax);
  d.Put("/in/a.ncp", kProgram, 1);
  d.Run(watch, WatchTime{3000});
  ASSERT_EQ(d.conversions["/in/a.ncp"], 1);
  // Replaced by a new program: converted again.
  d.Put("/in/a.ncp", kProgram + "\r\n", 2);
  // Deleted before it settled: no conversion, no error.
  d.Put("/in/gone.ncp", kProgram, 3);
  d.Run(watch, WatchTime{500});
  d.fs.files.erase("/in/gone.ncp");
  // Renamed in from elsewhere with an old time, and a target that is newer:
  // a file that arrives after the start is converted whatever its time.
  d.Put("/in/b.cnc", "old target", 100);
  d.Put("/in/b.ncp", kProgram, 5);
  d.Run(watch, WatchTime{3000});
  EXPECT_EQ(d.conversions["/in/a.ncp"], 2);
  EXPECT_EQ(d.conversions.count("/in/gone.ncp"), 0u);
  EXPECT_EQ(d.conversions["/in/b.ncp"], 1);
  EXPECT_EQ(watch.Waiting(), 0);
}

TEST(FolderWatch, RestartTakesTheBacklogWithoutRepeating) {
  WatchDriver d;
  d.Put("/in/done.ncp", kProgram, 10);
  d.Put("/in/done.cnc", "up to date", 20);
  d.Put("/in/stale.ncp", kProgram, 30);
  d.Put("/in/stale.cnc", "older", 20);
  d.Put("/in/new.ncp", kProgram, 30);
  {
    FolderWatch watch(d.folder, d.settings, d.fs, kPosixPathSyntax);
    d.Run(watch, WatchTime{3000});
  }
  EXPECT_EQ(d.conversions.count("/in/done.ncp"), 0u);
  EXPECT_EQ(d.conversions["/in/stale.ncp"], 1);
  EXPECT_EQ(d.conversions["/in/new.ncp"], 1);
  FolderWatch restarted(d.folder, d.settings, d.fs, kPosixPathSyntax);
  d.Run(restarted, WatchTime{3000});
  EXPECT_EQ(d.conversions["/in/stale.ncp"], 1);
  EXPECT_EQ(d.conversions["/in/new.ncp"], 1);
}

TEST(FolderWatch, FailureIsNeitherArchivedNorRetriedUntilChanged) {
  WatchDriver d;
  d.folder.archive = "/done";
  FolderWatch watch(d.folder, d.settings, d.fs, kPosixPathSyntax);
  d.Put("/in/bad.ncp", kBroken, 1);
  d.Run(watch, WatchTime{10000});
  EXPECT_EQ(d.conversions["/in/bad.ncp"], 1);
  EXPECT_TRUE(d.fs.Exists("/in/bad.ncp"));
  EXPECT_FALSE(d.fs.Exists("/done/bad.ncp"));
  d.Put("/in/bad.ncp", kProgram, 2);  // mended
  d.Run(watch, WatchTime{3000});
  EXPECT_EQ(d.conversions["/in/bad.ncp"], 2);
  EXPECT_FALSE(d.fs.Exists("/in/bad.ncp"));
  EXPECT_EQ(d.fs.files["/done/bad.ncp"], kProgram);
}

TEST(FolderWatch, ArchiveKeepsSubFoldersAndNumbersClashes) {
  WatchDriver d;
  d.folder.archive = "/done";
  d.folder.recursive = true;
  d.Put("/done/teil.ncp", "earlier", 1);
  d.Put("/done/teil (2).ncp", "earlier", 1);
  d.Put("/done/kunde/teil.ncp", "earlier", 1);
  FolderWatch watch(d.folder, d.settings, d.fs, kPosixPathSyntax);
  d.Put("/in/teil.ncp", kProgram, 1);
  d.Put("/in/kunde/teil.ncp", kProgram + "\r\n", 1);
  d.Put("/in/kunde/M\xFCller.NCP", kProgram, 1);
  d.Run(watch, WatchTime{3000});
  EXPECT_EQ(d.fs.files["/done/teil (3).ncp"], kProgram);
  EXPECT_EQ(d.fs.files["/done/kunde/teil (2).ncp"], kProgram + "\r\n");
  EXPECT_EQ(d.fs.files["/done/kunde/M\xFCller.NCP"], kProgram);
  EXPECT_TRUE(d.fs.Exists("/in/kunde/M\xFCller.cnc"));
  EXPECT_EQ(watch.Waiting(), 0);
  EXPECT_EQ(watch.ArchiveFailures(), 0);
  // Moving to another device: copied, then the original removed.
  d.fs.failRename.insert("/done/x.ncp");
  d.Put("/in/x.ncp", kProgram, 1);
  d.Run(watch, WatchTime{3000});
  EXPECT_EQ(d.fs.files["/done/x.ncp"], kProgram);
  EXPECT_FALSE(d.fs.Exists("/in/x.ncp"));
}

TEST(FolderWatch, UnreachableTargetIsRetried) {
  WatchDriver d;
  d.settings.Zielordner = kTargetInFolder;
  d.settings.Ziel.Assign("/share");
  d.fs.makeFoldersResult = MakeFoldersResult::kFailed;
  FolderWatch watch(d.folder, d.settings, d.fs, kPosixPathSyntax);
  d.Put("/in/a.ncp", kProgram, 1);
  d.Run(watch, WatchTime{4000});
  EXPECT_EQ(d.conversions["/in/a.ncp"], 1);
  EXPECT_EQ(watch.Waiting(), 1);
  d.fs.makeFoldersResult.reset();
  d.Run(watch, WatchTime{10000});
  EXPECT_EQ(d.conversions["/in/a.ncp"], 2);
  EXPECT_TRUE(d.fs.Exists("/share/a.cnc"));
  EXPECT_EQ(watch.Waiting(), 0);
}

TEST(FolderWatch, OwnFilesInTheFolderAreNoSources) {
  WatchDriver d;
  d.folder.pattern = "*";
  d.folder.recursive = true;
  d.folder.archive = "/in/fertig";  // inside the folder: its files are done
  d.settings.DXFDateinerzeugen = true;
  FolderWatch watch(d.folder, d.settings, d.fs, kPosixPathSyntax);
  d.Put("/in/a.ncp", kProgram, 1);
  d.Put("/in/b.ncp.~ab3de9", "staged", 1);  // a staged output of another run
  d.Run(watch, WatchTime{6000});
  EXPECT_EQ(d.conversions["/in/a.ncp"], 1);
  ASSERT_TRUE(d.fs.Exists("/in/a.cnc"));
  ASSERT_TRUE(d.fs.Exists("/in/a.cnc.dxf"));
  EXPECT_TRUE(d.fs.Exists("/in/fertig/a.ncp"));
  EXPECT_EQ(d.conversions.size(), 1u);
}

TEST(FolderWatch, HeldFileWaitsAndVanishedFolderKeepsWhatWasDone) {
  WatchDriver d;
  FolderWatch watch(d.folder, d.settings, d.fs, kPosixPathSyntax);
  d.Put("/in/a.ncp", kProgram, 1);
  d.fs.failOpenRead.insert("/in/a.ncp");  // held exclusively by its writer
  d.Run(watch, WatchTime{5000});
  EXPECT_EQ(d.conversions.count("/in/a.ncp"), 0u);
  d.fs.failOpenRead.clear();
  d.Run(watch, WatchTime{3000});
  EXPECT_EQ(d.conversions["/in/a.ncp"], 1);
  // The folder goes away (a share lost) and comes back: nothing repeated.
  d.fs.failListFolder.insert("/in");
  EXPECT_FALSE(watch.Scan(d.now));
  d.fs.failListFolder.clear();
  d.Put("/in/b.ncp", kProgram, 2);
  d.Run(watch, WatchTime{3000});
  EXPECT_EQ(d.conversions["/in/a.ncp"], 1);
  EXPECT_EQ(d.conversions["/in/b.ncp"], 1);
}

// A failed check outlives the watch: every start of a watch making the
// same check converts, checks and keeps the file again, until it changes
// and checks clean. A new configuration writes "X:", which the RS274/NGC
// model rejects and the configured one reads.
TEST(FolderWatch, FailedCheckIsTakenAgainAtEveryStartUntilTheFileChecksClean) {
  WatchDriver d;
  d.folder.archive = "/done";
  d.verification = VerificationOptions{ControlModel::kRs274};
  const std::string list = FailedCheckListPath("/cfg/morvatex.set");
  // Entries of another folder stay; one of this folder whose file is gone does not.
  d.Put(list, "5 3 eingestellt /andere/x.ncp\r\n5 3 rs274 /in/weg.ncp\r\n", 1);
  d.Put("/in/teil.ncp", kProgram, 1);
  const std::string remembered = std::to_string(kProgram.size()) + " 1 rs274 /in/teil.ncp\r\n";
  std::unique_ptr<FolderWatch> watch;
  const auto start = [&](std::optional<ControlModel> checking) {
    watch = std::make_unique<FolderWatch>(d.folder, d.settings, d.fs, kPosixPathSyntax);
    watch->RememberFailedChecks(list, checking);
  };
  start(ControlModel::kRs274);
  d.Run(*watch, WatchTime{3000});
  EXPECT_EQ(d.conversions["/in/teil.ncp"], 1);
  EXPECT_EQ(d.fs.files[list], "5 3 eingestellt /andere/x.ncp\r\n" + remembered);
  // A running watch does not repeat it, even at its looks every minute.
  d.Run(*watch, WatchTime{180000}, WatchTime{5000});
  EXPECT_EQ(d.conversions["/in/teil.ncp"], 1);

  const struct {
    const char* name;
    std::optional<ControlModel> checking;
    int conversions;  // in all, after this start
  } starts[] = {
      {"the same check", ControlModel::kRs274, 2},
      {"and again", ControlModel::kRs274, 3},
      {"no check: its target is newer", std::nullopt, 3},
      {"another model, which did not fail it", ControlModel::kConfigured, 3},
  };
  for (const auto& s : starts) {
    SCOPED_TRACE(s.name);
    start(s.checking);
    d.Run(*watch, WatchTime{3000});
    EXPECT_EQ(d.conversions["/in/teil.ncp"], s.conversions);
    EXPECT_EQ(watch->Waiting(), 0);
    EXPECT_TRUE(d.fs.Exists("/in/teil.ncp"));
    EXPECT_EQ(d.fs.files[list], "5 3 eingestellt /andere/x.ncp\r\n" + remembered);
  }

  // Changed, it is converted afresh, fails again and is kept with its new
  // size. Once the wording is mended, the next start converts it to a
  // program the check passes: archived, and the list holds the other
  // folder's entry alone.
  start(ControlModel::kRs274);
  const std::int64_t changed = ++d.fs.clock;  // newer than its target
  d.Put("/in/teil.ncp", ";\r\n" + kProgram, changed);
  d.Run(*watch, WatchTime{3000});
  EXPECT_EQ(d.conversions["/in/teil.ncp"], 4);
  EXPECT_EQ(d.fs.files[list], "5 3 eingestellt /andere/x.ncp\r\n" + std::to_string(kProgram.size() + 3) + " " +
                                  std::to_string(changed) + " rs274 /in/teil.ncp\r\n");
  d.settings.Profil.ZeichenWertzuweisung.Assign("");
  start(ControlModel::kRs274);
  d.Run(*watch, WatchTime{3000});
  EXPECT_EQ(d.conversions["/in/teil.ncp"], 5);
  EXPECT_EQ(d.fs.files["/done/teil.ncp"], ";\r\n" + kProgram);
  EXPECT_EQ(d.fs.files[list], "5 3 eingestellt /andere/x.ncp\r\n");
}

// A file not carried over whole stays where it is, as one whose check
// failed: its target is newer than it, so only its note brings it back at
// every start, of any watch, until it converts whole.
TEST(FolderWatch, IncompleteFileIsTakenAgainAtEveryStartUntilItConvertsWhole) {
  WatchDriver d;
  d.folder.archive = "/done";
  const std::string list = FailedCheckListPath("/cfg/morvatex.set");
  d.Put("/in/teil.ncp", kIncomplete, 1);
  d.Put("/in/gut.ncp", kProgram, 1);
  const std::string noted = std::to_string(kIncomplete.size()) + " 1 unvollstaendig /in/teil.ncp\r\n";
  std::unique_ptr<FolderWatch> watch;
  const auto start = [&](std::optional<ControlModel> checking) {
    watch = std::make_unique<FolderWatch>(d.folder, d.settings, d.fs, kPosixPathSyntax);
    watch->RememberFailedChecks(list, checking);
  };
  for (const std::optional<ControlModel> checking :
       {std::optional<ControlModel>(), std::optional(ControlModel::kRs274), std::optional(ControlModel::kConfigured)}) {
    start(checking);
    d.Run(*watch, WatchTime{3000});
    // A running watch does not repeat it.
    d.Run(*watch, WatchTime{120000}, WatchTime{5000});
    EXPECT_EQ(d.fs.files[list], noted);
    EXPECT_TRUE(d.fs.Exists("/in/teil.ncp"));
    EXPECT_TRUE(d.fs.Exists("/in/teil.cnc"));  // its outputs stay
    EXPECT_EQ(watch->Waiting(), 0);
  }
  EXPECT_EQ(d.conversions["/in/teil.ncp"], 3);
  EXPECT_EQ(d.conversions["/in/gut.ncp"], 1);
  EXPECT_EQ(d.fs.files["/done/gut.ncp"], kProgram);

  d.Put("/in/teil.ncp", kProgram, ++d.fs.clock);  // mended
  d.Run(*watch, WatchTime{3000});
  EXPECT_EQ(d.conversions["/in/teil.ncp"], 4);
  EXPECT_EQ(d.fs.files["/done/teil.ncp"], kProgram);
  EXPECT_FALSE(d.fs.Exists(list));
}

// What the watch cannot take is named once, whatever number of looks; a
// link is never followed, so nothing outside the folder is converted.
TEST(FolderWatch, LinksSpecialFilesAndUnheldNamesArePassedOverOnceEach) {
  WatchDriver d;
  d.folder.recursive = true;
  d.folder.archive = "/done";
  d.Put("/in/gut.ncp", kProgram, 1);
  d.Put("/in/verweis.ncp", kProgram, 1);  // a link to a file
  d.fs.links.insert("/in/verweis.ncp");
  d.Put("/in/hoch/in/x.ncp", kProgram, 1);  // a link to the folder above
  d.fs.links.insert("/in/hoch");
  d.Put("/in/rohr.ncp", "", 1);
  d.fs.specialFiles.insert("/in/rohr.ncp");
  d.Put("/in/??.ncp", kProgram, 1);
  d.fs.unheldNames.insert("/in/??.ncp");
  d.Put("/in/liesmich.txt", "", 1);  // no program: said nothing of
  d.fs.links.insert("/in/liesmich.txt");
  FolderWatch watch(d.folder, d.settings, d.fs, kPosixPathSyntax);
  std::vector<WatchNote> notes;
  for (int pass = 0; pass < 3; ++pass) {
    d.Run(watch, WatchTime{3000});
    for (WatchNote& note : watch.TakeNotes()) notes.push_back(std::move(note));
  }
  using Kind = WatchNote::Kind;
  const std::vector<WatchNote> expected = {
      Note(Kind::kUnheldName, "/in/??.ncp"),
      Note(Kind::kFolderLink, "/in/hoch"),
      Note(Kind::kSpecialFile, "/in/rohr.ncp"),
      Note(Kind::kLink, "/in/verweis.ncp"),
  };
  EXPECT_EQ(notes, expected);
  EXPECT_EQ(d.conversions, (std::map<std::string, int>{{"/in/gut.ncp", 1}}));
  EXPECT_TRUE(d.fs.Exists("/in/verweis.ncp"));
  EXPECT_TRUE(d.fs.Exists("/in/hoch/in/x.ncp"));
  EXPECT_EQ(watch.Waiting(), 0);
}

// A converted file that could not go to the archive is named once with the
// system's reason, and goes once the archive takes it: in the running
// watch, and at a start after a watch that ended before it went.
TEST(FolderWatch, ArchiveThatFailsIsNamedOnceAndCaughtUpLater) {
  WatchDriver d;
  d.folder.archive = "/done";
  // Neither a rename nor a copy can put a file there (a full disk).
  for (const char* path : {"/done/a.ncp", "/done/b.ncp"}) {
    d.fs.failRename.insert(path);
    d.fs.failReplace.insert(path);
  }
  d.Put("/in/a.ncp", kProgram, 1);
  d.Put("/in/b.ncp", kProgram, 1);
  auto watch = std::make_unique<FolderWatch>(d.folder, d.settings, d.fs, kPosixPathSyntax);
  d.Run(*watch, WatchTime{3000});
  std::vector<WatchNote> notes = watch->TakeNotes();
  ASSERT_EQ(notes.size(), 2u);
  for (const WatchNote& note : notes) {
    EXPECT_EQ(note.kind, WatchNote::Kind::kArchiveFailed);
    EXPECT_NE(note.errorNumber, 0);
    EXPECT_TRUE(note.Failure());
  }
  EXPECT_EQ(notes[0].path, "/in/a.ncp");
  EXPECT_EQ(notes[1].path, "/in/b.ncp");
  d.Run(*watch, WatchTime{60000}, WatchTime{1000});
  EXPECT_TRUE(watch->TakeNotes().empty());
  EXPECT_TRUE(d.fs.Exists("/in/a.ncp"));
  d.fs.failRename.clear();
  d.fs.failReplace.clear();
  d.Run(*watch, WatchTime{300000}, WatchTime{5000});
  EXPECT_EQ(d.fs.files["/done/a.ncp"], kProgram);
  EXPECT_EQ(d.fs.files["/done/b.ncp"], kProgram);

  // Converted, then ended before the move (or with the archive away): the
  // next start moves it without converting it again.
  d.Put("/in/c.ncp", kProgram, 5);
  d.Put("/in/c.cnc", "converted", 6);
  watch = std::make_unique<FolderWatch>(d.folder, d.settings, d.fs, kPosixPathSyntax);
  d.Run(*watch, WatchTime{3000});
  EXPECT_EQ(d.fs.files["/done/c.ncp"], kProgram);
  EXPECT_FALSE(d.fs.Exists("/in/c.ncp"));
  EXPECT_EQ(d.conversions, (std::map<std::string, int>{{"/in/a.ncp", 1}, {"/in/b.ncp", 1}}));
}

TEST(FolderWatch, ArchiveThatBringsFilesBackArchivesNothing) {
  WatchDriver d;
  d.folder.archive = "/in";
  d.Put("/in/a.ncp", kProgram, 1);
  FolderWatch watch(d.folder, d.settings, d.fs, kPosixPathSyntax);
  d.Run(watch, WatchTime{20000});
  EXPECT_EQ(watch.TakeNotes(), std::vector<WatchNote>{Note(WatchNote::Kind::kArchiveIsFolder, "/in")});
  EXPECT_EQ(d.conversions["/in/a.ncp"], 1);
  EXPECT_TRUE(d.fs.Exists("/in/a.ncp"));
  EXPECT_FALSE(d.fs.Exists("/in/a (2).ncp"));
}

// One folder, one watcher: the second, in this process or another, takes
// nothing and names the first, until the first ends.
TEST(FolderWatch, SecondWatchOfAFolderTakesNothingWhileTheFirstHoldsIt) {
  WatchDriver d;
  d.Put("/in/a.ncp", kProgram, 1);
  auto first = std::make_unique<FolderWatch>(d.folder, d.settings, d.fs, kPosixPathSyntax);
  first->LockBeside("/cfg/morvatex.set");
  ASSERT_EQ(first->Claim("morvatex-convert --watch"), FileLockResult::kTaken);
  FolderWatch second(d.folder, d.settings, d.fs, kPosixPathSyntax);
  second.LockBeside("/cfg/morvatex.set");
  d.Run(second, WatchTime{5000});
  EXPECT_EQ(second.TakeNotes(),
            std::vector<WatchNote>{Note(WatchNote::Kind::kHeld, "/in", "morvatex-convert --watch")});
  EXPECT_TRUE(d.conversions.empty());
  first.reset();
  d.Run(second, WatchTime{3000});
  EXPECT_EQ(d.conversions["/in/a.ncp"], 1);
  EXPECT_TRUE(second.TakeNotes().empty());
}

TEST(FolderWatch, FailedCheckListIsReadDefensively) {
  const std::string list = "/cfg/morvatex.set.beanstandet";
  const std::string good = "12 -7 rs274 /in/a b.ncp\r\n";
  const FailedCheckList goodRead = {{"/in/a b.ncp", {{true, false, 12, -7}, ControlModel::kRs274}}};
  struct Case {
    const char* name;
    std::string contents;
    FailedCheckList read;
    bool special = false;
    bool unreadable = false;
  };
  const Case cases[] = {
      {"good, a space in the path", good, goodRead},
      {"damaged lines passed over",
       "kaputt\r\n-1 5 rs274 /in/b.ncp\r\n12 x rs274 /in/c.ncp\r\n12 7 rs274\r\n12 7 rs274 \r\n"
       "12 7 fanuc /in/d.ncp\r\n 12 7 rs274 /in/e.ncp\r\n99999999999999999999 1 rs274 /in/f.ncp\r\n" +
           good + "3 4 eingestellt /in/g.ncp",
       {{"/in/a b.ncp", {{true, false, 12, -7}, ControlModel::kRs274}},
        {"/in/g.ncp", {{true, false, 3, 4}, ControlModel::kConfigured}}}},
      {"huge", good + std::string(kLongestFailedCheckList, ';'), {}},
      {"a FIFO", good, {}, true},
      {"unreadable", good, {}, false, true},
  };
  for (const Case& c : cases) {
    FakeFileSystem fs;
    fs.files[list] = c.contents;
    if (c.special) fs.specialFiles.insert(list);
    if (c.unreadable) fs.failOpenRead.insert(list);
    EXPECT_EQ(LoadFailedChecks(fs, list), c.read) << c.name;
  }
  // What is written reads back; a path with a line end cannot be written,
  // and an empty list leaves no file.
  FakeFileSystem fs;
  FailedCheckList written = goodRead;
  written["/in/neu\nzeile.ncp"] = {{true, false, 1, 1}, ControlModel::kRs274};
  written["/in/z.ncp"] = {{true, false, 2, 3}, ControlModel::kRs274, true};
  ASSERT_TRUE(SaveFailedChecks(fs, list, written));
  EXPECT_EQ(fs.files[list], good + "2 3 unvollstaendig /in/z.ncp\r\n");
  written.erase("/in/neu\nzeile.ncp");
  EXPECT_EQ(LoadFailedChecks(fs, list), written);
  ASSERT_TRUE(SaveFailedChecks(fs, list, {}));
  EXPECT_FALSE(fs.Exists(list));
  EXPECT_EQ(FailedCheckListPath(""), "");
}

}  // namespace
}  // namespace morvatex::testing
