#include "cli/WatchCommand.h"

#include <algorithm>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "base/LocalDateTime.h"
#include "base/PathSyntax.h"
#include "base/TerminalText.h"
#include "batch/BatchRun.h"
#include "batch/FolderNotices.h"
#include "batch/LogFile.h"
#include "batch/ParallelBatch.h"
#include "batch/VerifyingRowCheck.h"
#include "cli/BatchCommand.h"
#include "cli/CommandLine.h"
#include "cli/Signals.h"

namespace morvatex {
namespace {

constexpr int kCannotWatchStatus = 2;
// Notices can be lost (an overflow, a share that sends some): a look at
// everything now and then finds what they missed.
constexpr WatchTime kLookAnyway{60000};
constexpr WatchTime kStopSlice{100};

WatchTime Now() { return std::chrono::duration_cast<WatchTime>(std::chrono::steady_clock::now().time_since_epoch()); }

bool Stopping() noexcept { return StopSignalArrived(); }

// How one file of a batch ended.
struct FileEnd {
  Outcome code = Outcome::kStopped;
  bool checked = false;
  bool checkFailed = false;
  bool incomplete = false;  // converted well, not every line carried over
};

// Prints each file's outcome report (and its check) and tells the watch how
// it ended.
class WatchDisplay final : public BatchDisplay {
 public:
  WatchDisplay(std::ostream& out, MessageSink& messages, std::vector<FileEnd>& ends)
      : out_(out), messages_(messages), ends_(ends) {}
  void JobStarting(int) override {}
  void JobConverted(int row, const ConversionRun& run, const RowRecord& record) override {
    FileEnd& end = ends_[static_cast<std::size_t>(row - 1)];
    end.code = run.OutcomeCode();
    end.checked = record.checked;
    end.checkFailed = record.checkFailed;
    end.incomplete = record.incomplete;
    out_ << ForTerminal(record.report) << std::flush;
    if (const std::string why = CreateFailureMessage(run.CreateFailureCause(), run.SourcePath()); !why.empty())
      messages_.ShowMessage(why);
  }
  void AddMessage(std::string_view) override {}

 private:
  std::ostream& out_;
  MessageSink& messages_;
  std::vector<FileEnd>& ends_;
};

// The watch with what it needs to convert and to wait.
class Watcher {
 public:
  Watcher(const WatchCommandOptions& options, const SettingsRecord& settings, FileSystem& fs,
          ConversionOptions conversion, const LogFile& log, MessageSink& messages, std::ostream& out)
      : options_(options),
        settings_(settings),
        fs_(fs),
        conversion_(std::move(conversion)),
        log_(log),
        messages_(messages),
        out_(out),
        watch_(options.folder, settings, fs, NativePathSyntax()) {
    if (options.verification) check_.emplace(settings, fs, *options.verification, conversion_.dialect);
    std::optional<ControlModel> model;
    if (options.verification) model = options.verification->model;
    watch_.RememberFailedChecks(options.failedChecksPath, model);
    watch_.LockBeside(options.settingsFile);
  }

  // Takes the folder and looks at it; the exit status when that cannot be.
  std::optional<int> Start() {
    if (watch_.Claim("morvatex-convert --watch") == FileLockResult::kHeld) {
      ShowNotes();
      return kCannotWatchStatus;
    }
    const bool readable = watch_.Scan(Now());
    ShowNotes();
    if (!readable) {
      messages_.ShowMessage("morvatex-convert: the folder cannot be read: " + options_.folder.folder + "\r\n");
      return kCannotWatchStatus;
    }
    lastLook_ = Now();
    if (options_.poll > WatchTime{0}) return std::nullopt;
    notices_ = OpenFolderNotices();
    if (notices_ && notices_->Watch(watch_.Folders(), options_.folder.recursive)) return std::nullopt;
    notices_.reset();
    Note("the system sends no change notices for this folder; looking every " + Seconds(PollInterval()));
    return std::nullopt;
  }

  // Converts and waits until a stop, or with --once until the backlog is done.
  int Run() {
    for (;;) {
      ConvertDue();
      if (StopSignalArrived()) return 0;
      if (options_.once && watch_.Waiting() == 0) return OnceStatus();
      const bool look = Wait();
      if (StopSignalArrived()) return 0;
      if (look && !options_.once) Look();
    }
  }

 private:
  // What --once ends with: a failure before a failed check before a file
  // not carried over whole, as with --list.
  int OnceStatus() const {
    if (failed_ > 0) return 1;
    if (checksFailed_ > 0) return kDivergenceStatus;
    return incomplete_ > 0 ? kIncompleteStatus : 0;
  }
  WatchTime PollInterval() const { return options_.poll > WatchTime{0} ? options_.poll : kFallbackPoll; }
  static std::string Seconds(WatchTime time) { return std::to_string(time.count() / 1000.0).substr(0, 4) + " s"; }
  void Note(const std::string& text) {
    messages_.ShowMessage("morvatex-convert: " + options_.folder.folder + ": " + text + "\r\n");
  }

  std::string NoteText(const WatchNote& note) const {
    const std::string reason = std::generic_category().message(note.errorNumber);
    switch (note.kind) {
      case WatchNote::Kind::kLink: return note.path + ": a symbolic link; passed over (links are not followed)";
      case WatchNote::Kind::kFolderLink:
        return note.path + ": a link to a folder; not looked into (links are not followed)";
      case WatchNote::Kind::kSpecialFile: return note.path + ": not a regular file; passed over";
      case WatchNote::Kind::kUnheldName: return note.path + ": the name cannot be written in Windows-1252; passed over";
      case WatchNote::Kind::kArchiveFailed:
        return note.path + ": cannot be moved to " + options_.folder.archive + ": " + reason +
               "; it stays and goes there once it can";
      case WatchNote::Kind::kArchiveIsFolder:
      case WatchNote::Kind::kArchiveHolds:
        return "the archive would bring its files back; nothing is archived: " + note.path;
      case WatchNote::Kind::kHeld: return note.path + ": watched already by " + note.holder;
      case WatchNote::Kind::kNoLock:
        return note.path + ": no lock file can be made there (" + reason +
               "); a second watcher of this folder would go unseen";
    }
    return {};
  }

  // Shows what the watch passed over; a file passed over fails a --once.
  void ShowNotes() {
    for (const WatchNote& note : watch_.TakeNotes()) {
      if (note.Failure()) ++failed_;
      const std::string text = NoteText(note);
      messages_.ShowMessage("morvatex-convert: " + text + "\r\n");
    }
  }

  void ConvertDue() {
    const std::vector<WatchJob> jobs = watch_.TakeDue(Now());
    ShowNotes();
    if (jobs.empty()) return;
    JobTable table;
    for (const WatchJob& job : jobs) {
      const int row = table.AppendJob();
      table.SetCell(row, kColumnMarked, kMarkMarked);
      table.SetCell(row, kColumnSource, job.source);
      table.SetCell(row, kColumnTarget, job.target);
    }
    std::vector<FileEnd> ends(jobs.size());
    WatchDisplay display(out_, messages_, ends);
    ExecuteBatchInParallel(table, settings_, fs_, conversion_, log_, display, options_.jobs,
                           check_ ? &*check_ : nullptr);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
      if (!IsGood(ends[i].code) && ends[i].code != Outcome::kStopped) ++failed_;
      if (ends[i].checkFailed) ++checksFailed_;
      if (ends[i].incomplete && !ends[i].checkFailed) ++incomplete_;
      std::optional<WatchCheck> check;
      if (ends[i].checked) check = WatchCheck{options_.verification->model, ends[i].checkFailed};
      watch_.Finished(jobs[i], ends[i].code, Now(), check, ends[i].incomplete);
    }
    ShowNotes();
  }

  // Waits for a notice, the next file due, or the next look; true when the
  // folder should be looked at again.
  bool Wait() {
    const WatchTime now = Now();
    WatchTime timeout = options_.once ? kLookAnyway : std::max(WatchTime{0}, lastLook_ + LookEvery() - now);
    if (const auto due = watch_.NextDue()) timeout = std::min(timeout, std::max(WatchTime{0}, *due - now));
    timeout = std::max(timeout, WatchTime{1});
    if (notices_ && !options_.once) {
      const NoticeWait result = notices_->Wait(timeout, Stopping);
      if (result == NoticeWait::kLost) noticesLost_ = true;
      return result != NoticeWait::kQuiet || Now() - lastLook_ >= LookEvery();
    }
    for (WatchTime left = timeout; left > WatchTime{0} && !StopSignalArrived(); left -= kStopSlice)
      std::this_thread::sleep_for(std::min(left, kStopSlice));
    return Now() - lastLook_ >= LookEvery();
  }

  // A folder whose notices were lost (removed, perhaps made again soon) is
  // looked for every second until they can be had again.
  WatchTime LookEvery() const {
    if (!notices_) return PollInterval();
    return noticesLost_ ? std::min(PollInterval(), WatchTime{1000}) : kLookAnyway;
  }

  void Look() {
    lastLook_ = Now();
    const bool reachable = watch_.Scan(lastLook_);
    ShowNotes();
    if (reachable != reachable_) {
      Note(reachable ? "the folder can be read again" : "the folder cannot be read; waiting for it");
      reachable_ = reachable;
    }
    if (reachable && notices_) noticesLost_ = !notices_->Watch(watch_.Folders(), options_.folder.recursive);
  }

  const WatchCommandOptions& options_;
  const SettingsRecord& settings_;
  FileSystem& fs_;
  ConversionOptions conversion_;
  const LogFile& log_;
  MessageSink& messages_;
  std::ostream& out_;
  FolderWatch watch_;
  std::unique_ptr<FolderNotices> notices_;
  bool noticesLost_ = false;
  bool reachable_ = true;
  WatchTime lastLook_{0};
  int failed_ = 0;        // files whose conversion failed
  int checksFailed_ = 0;  // files converted well whose check failed
  int incomplete_ = 0;    // files converted well, checked clean or not at all, not whole
  std::optional<VerifyingRowCheck> check_;
};

}  // namespace

int RunWatchCommand(const WatchCommandOptions& options, const SettingsRecord& settings, FileSystem& fs,
                    ConversionOptions conversion, MessageSink& messages, std::ostream& out) {
  const FileStatus folder = fs.StatusOf(options.folder.folder);
  if (!folder.exists || !folder.isFolder) {
    messages.ShowMessage("morvatex-convert: not a folder: " + options.folder.folder + "\r\n");
    return kCannotWatchStatus;
  }
  // Archived files would come back as new ones, without end.
  if (const auto conflict = ArchiveConflict(fs, options.folder, NativePathSyntax())) {
    messages.ShowMessage("morvatex-convert: the archive DIR " +
                         std::string(*conflict == WatchNote::Kind::kArchiveIsFolder
                                         ? "is the watched FOLDER: "
                                         : "holds the watched FOLDER, and --recursive would take its files again: ") +
                         options.folder.archive + "\r\n");
    return kCannotWatchStatus;
  }
  if (!options.logPath.empty() && fs.IsSpecialFile(options.logPath)) {
    messages.ShowMessage("morvatex-convert: not a regular file: " + options.logPath + "\r\n");
    return kCannotWatchStatus;
  }
  PrepareCommandLineLog(fs, options.logPath);
  const LogFile log(fs, options.logPath, LocalDateTimeText);
  (void)LocalDateTimeText();  // sets the locale before conversion threads run

  Watcher watcher(options, settings, fs, std::move(conversion), log, messages, out);
  if (const std::optional<int> refused = watcher.Start()) return *refused;
  return watcher.Run();
}

}  // namespace morvatex
