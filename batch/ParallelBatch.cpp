#include "batch/ParallelBatch.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_map>
#include <vector>

#include "base/PathIdentity.h"

namespace morvatex {
namespace {

// The files of one row: its source is read, its target and drawing written.
enum class RowFile { kSource, kTarget, kDrawing };
constexpr RowFile kRowFiles[] = {RowFile::kSource, RowFile::kTarget, RowFile::kDrawing};

// One marked row.
struct Task {
  int row = 0;
  std::string source;
  std::string target;
  std::string drawing;
  const std::string& Path(RowFile file) const {
    return file == RowFile::kSource ? source : file == RowFile::kTarget ? target : drawing;
  }
  std::vector<std::size_t> predecessors;  // earlier jobs that must be converted first
  // Guarded by the scheduler's mutex.
  bool started = false;
  bool done = false;
  std::unique_ptr<ConversionRun> run;  // the finished conversion, until recorded
};

bool IsWindowsSyntax(PathSyntax syntax) { return syntax.separators.find(':') != std::string_view::npos; }

// The characters that end a folder name as the system reads a path: Windows
// takes "/" for "\\" as well.
PathSyntax SystemSyntax(PathSyntax syntax) { return IsWindowsSyntax(syntax) ? PathSyntax{"\\/:"} : syntax; }

// A name as the file system may compare it: Windows-1252 letters in upper
// case (paths that differ only in case may name one file), and on Windows
// without the trailing dots and spaces the system drops from names.
std::string NameKey(std::string_view name, bool windows) {
  if (windows) {
    const std::size_t last = name.find_last_not_of(". ");
    if (last != std::string_view::npos) name = name.substr(0, last + 1);
  }
  return PathKeyOnWindows(name);
}

// Where a folder path leads once the rows before have made their folders:
// the deepest folder on the way that exists now, and the names of the
// folders below it still to be made. The system resolves the existing part
// (links, case, "..", other spellings); the rest is new, so it can be
// followed by its text alone.
struct FolderForm {
  bool known = false;                // false: the way cannot be followed; may be any folder
  std::string start;                 // how the path begins ("", "/", "C:\"), for when nothing on it exists
  FileIdentity existing;             // the deepest existing folder
  std::vector<std::string> missing;  // NameKeys of the folders below it
};

// The length of the beginning of `folder` that is not a folder name: "/" on
// POSIX; "C:\", "C:", "\" or "\\server\share\" on Windows; 0 for a
// path relative to the current folder. npos for "\\?\" and "\\.\" paths,
// which the system takes as they are written.
std::size_t StartLength(std::string_view folder, bool windows, std::string_view separators) {
  const auto separatorAt = [&](std::size_t i) {
    return i < folder.size() && separators.find(folder[i]) != std::string_view::npos;
  };
  if (!windows) return separatorAt(0) ? 1 : 0;
  if (folder.size() >= 2 && folder[1] == ':') return separatorAt(2) ? 3 : 2;
  if (!separatorAt(0)) return 0;
  if (!separatorAt(1)) return 1;
  const std::size_t server = folder.find_first_of(separators, 2);
  if (server == std::string_view::npos || server == 2) return std::string_view::npos;
  const std::string_view serverName = folder.substr(2, server - 2);
  if (serverName == "?" || serverName == ".") return std::string_view::npos;
  const std::size_t share = folder.find_first_of(separators, server + 1);
  return share == std::string_view::npos || share == server + 1 ? std::string_view::npos : share + 1;
}

FolderForm FormOfFolder(FileSystem& fs, PathSyntax syntax, std::string_view folder) {
  const bool windows = IsWindowsSyntax(syntax);
  const std::string_view separators = windows ? std::string_view("\\/") : syntax.separators;  // not the drive's ":"
  FolderForm form;
  const std::size_t startLength = StartLength(folder, windows, separators);
  if (startLength == std::string_view::npos) return form;
  std::string existing(folder.substr(0, startLength));
  form.start = NameKey(existing, false);
  if (windows) std::replace(form.start.begin(), form.start.end(), '/', '\\');
  form.existing = fs.IdentityOf(existing.empty() || existing.back() == ':' ? existing + "." : existing);
  const char separator = FolderSeparator(syntax);
  for (std::size_t begin = startLength; begin < folder.size();) {
    std::size_t end = folder.find_first_of(separators, begin);
    if (end == std::string_view::npos) end = folder.size();
    const std::string_view name = folder.substr(begin, end - begin);
    begin = end + 1;
    if (name.empty() || name == ".") continue;
    if (form.missing.empty()) {
      std::string deeper = existing + std::string(name) + separator;
      const FileIdentity identity = fs.IdentityOf(deeper);
      if (identity.exists) {
        existing = std::move(deeper);
        form.existing = identity;
        continue;
      }
    }
    if (name == "..") {
      // Above a folder whose parent the system cannot tell.
      if (form.missing.empty()) return form;
      // A folder still to be made is a real folder below the one before.
      form.missing.pop_back();
      continue;
    }
    std::string key = NameKey(name, windows);
    // Names of dots and spaces only: Windows reads them in its own way.
    if (windows && key.find_first_not_of(". ") == std::string::npos) return form;
    form.missing.push_back(std::move(key));
  }
  form.known = true;
  return form;
}

bool MayBeSameFolder(const FolderForm& a, const FolderForm& b, bool windows) {
  if (!a.known || !b.known || a.existing.exists != b.existing.exists) return true;
  if (a.existing.exists) {
    // A folder not there yet has one deepest existing folder on its way.
    if (a.existing != b.existing) return false;
  } else if (a.start != b.start) {
    return true;  // nothing on either way exists: where they lead is unknown
  }
  if (a.missing.size() != b.missing.size()) return false;
  for (std::size_t i = 0; i < a.missing.size(); ++i) {
    // On Windows a short name ("NEUERO~1") may stand for a folder an
    // earlier row makes under its long name.
    const bool shortName =
        windows && (a.missing[i].find('~') != std::string::npos || b.missing[i].find('~') != std::string::npos);
    if (a.missing[i] != b.missing[i] && !shortName) return false;
  }
  return true;
}

// Tells whether two paths with equal NameKeys may name one file. Rows that
// may share a file must keep their order, so whatever cannot be told counts
// as the same file. Each path is looked up on the disk once.
class FileComparer {
 public:
  FileComparer(FileSystem& fs, PathSyntax syntax) : fs_(fs), syntax_(syntax) {}

  bool MayBeSameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const Known& first = KnownOf(a);
    const Known& second = KnownOf(b);
    if (first.file.exists && first.file == second.file) return true;
    return MayBeSameFolder(first.folder, second.folder, IsWindowsSyntax(syntax_));
  }

 private:
  struct Known {
    FileIdentity file;
    FolderForm folder;
  };

  const Known& KnownOf(const std::string& path) {
    const auto [it, added] = known_.try_emplace(path);
    if (added) it->second = {fs_.IdentityOf(path), FormOfFolder(fs_, syntax_, FolderPart(path, SystemSyntax(syntax_)))};
    return it->second;
  }

  FileSystem& fs_;
  const PathSyntax syntax_;
  std::unordered_map<std::string, Known> known_;  // nodes stay put as others are added
};

// Finds for every job the earlier jobs it shares a file with (not both only
// reading it). Paths are grouped by file name first, so only few pairs are
// compared.
void FindPredecessors(std::vector<Task>& tasks, FileSystem& fs, PathSyntax syntax) {
  struct PathEntry {
    std::size_t job;
    RowFile file;
  };
  std::unordered_map<std::string, std::vector<PathEntry>> byName;
  FileComparer comparer(fs, syntax);
  for (std::size_t j = 0; j < tasks.size(); ++j) {
    Task& task = tasks[j];
    for (const RowFile file : kRowFiles) {
      std::vector<PathEntry>& sameName =
          byName[NameKey(FileNamePart(task.Path(file), SystemSyntax(syntax)), IsWindowsSyntax(syntax))];
      for (const PathEntry& earlier : sameName) {
        if (earlier.job == j || (file == RowFile::kSource && earlier.file == RowFile::kSource)) continue;
        if (std::find(task.predecessors.begin(), task.predecessors.end(), earlier.job) != task.predecessors.end())
          continue;
        if (comparer.MayBeSameFile(tasks[earlier.job].Path(earlier.file), task.Path(file)))
          task.predecessors.push_back(earlier.job);
      }
      sameName.push_back({j, file});
    }
  }
}

// Hands the jobs to the workers: the lowest job whose predecessors are
// converted, not too far ahead of the recorded ones, and above the first
// stopped job.
class Scheduler {
 public:
  Scheduler(std::vector<Task>& tasks, std::size_t lookahead, const SettingsRecord& settings, FileSystem& fs,
            const ConversionOptions& options)
      : tasks_(tasks),
        lookahead_(lookahead),
        settings_(settings),
        fs_(fs),
        options_(options),
        reserveRun_(std::make_unique<ConversionRun>(settings, fs, options)) {
    limit_ = tasks.size();
  }

  // The worker loop: converts jobs until none is left to start.
  void Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      const Step step = ConvertNext(lock);
      if (step == Step::kNothingLeft) return;
      if (step == Step::kMustWait) changed_.wait(lock);
    }
  }

  // Takes job `k`'s conversion once it is done; null when the job will not
  // be started (a job above it was stopped). While waiting, the caller
  // converts jobs itself: it is one of the workers.
  std::unique_ptr<ConversionRun> Collect(std::size_t k) {
    std::unique_lock lock(mutex_);
    while (!tasks_[k].done && k < limit_) {
      // Nothing to start: job k is being converted elsewhere, or waits.
      if (ConvertNext(lock) != Step::kConverted) changed_.wait(lock);
    }
    return std::move(tasks_[k].run);
  }

  // Jobs up to `k` are recorded; `run` may convert the next one.
  void MarkRecorded(std::size_t k, std::unique_ptr<ConversionRun> run) {
    const std::lock_guard lock(mutex_);
    recorded_ = k + 1;
    if (!reserveRun_) {
      reserveRun_ = std::move(run);
    } else {
      try {
        spareRuns_.push_back(std::move(run));
      } catch (const std::bad_alloc&) {
        // Not kept: its memory goes back.
      }
    }
    changed_.notify_all();
  }

 private:
  enum class Step { kConverted, kMustWait, kNothingLeft };

  // A new run; null when memory ran out.
  std::unique_ptr<ConversionRun> NewRun() {
    try {
      return std::make_unique<ConversionRun>(settings_, fs_, options_);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }

  // Converts the lowest job that may start now, the lock released meanwhile;
  // kMustWait when every open job waits for others, kNothingLeft when none is
  // left to start.
  Step ConvertNext(std::unique_lock<std::mutex>& lock) {
    std::size_t found = tasks_.size();
    bool anyLeft = false;
    for (std::size_t k = recorded_; k < limit_; ++k) {
      if (tasks_[k].started) continue;
      anyLeft = true;
      if (k >= recorded_ + lookahead_) break;
      const auto& predecessors = tasks_[k].predecessors;
      if (std::all_of(predecessors.begin(), predecessors.end(), [&](std::size_t i) { return tasks_[i].done; })) {
        found = k;
        break;
      }
    }
    if (!anyLeft) return Step::kNothingLeft;
    if (found == tasks_.size()) return Step::kMustWait;
    Task& task = tasks_[found];
    task.started = true;
    std::unique_ptr<ConversionRun> run;
    if (!spareRuns_.empty()) {
      run = std::move(spareRuns_.back());
      spareRuns_.pop_back();
    }
    lock.unlock();
    if (!run) run = NewRun();
    if (!run) {
      lock.lock();
      // Without the memory for another run, a job waits for one that is
      // given back; the job to be recorded next takes the one kept back, so
      // the batch always goes on.
      if (found != recorded_ || !reserveRun_) {
        task.started = false;
        return Step::kMustWait;
      }
      run = std::move(reserveRun_);
      lock.unlock();
    }
    const Outcome code = run->Convert(task.source, task.target);
    lock.lock();
    task.run = std::move(run);
    task.done = true;
    if (code == Outcome::kStopped) limit_ = std::min(limit_, found + 1);
    changed_.notify_all();
    return Step::kConverted;
  }

  std::vector<Task>& tasks_;
  const std::size_t lookahead_;
  const SettingsRecord& settings_;
  FileSystem& fs_;
  const ConversionOptions& options_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t limit_;         // jobs from here on are not started
  std::size_t recorded_ = 0;  // jobs recorded so far
  // Recorded runs, kept for the next jobs: a run's buffers are large.
  std::vector<std::unique_ptr<ConversionRun>> spareRuns_;
  // Kept for the job to be recorded next when no other run can be made;
  // taken only by it, and the first run given back refills it.
  std::unique_ptr<ConversionRun> reserveRun_;
};

}  // namespace

BatchResult ExecuteBatchInParallel(JobTable& table, const SettingsRecord& settings, FileSystem& fs,
                                   const ConversionOptions& options, const LogFile& log, BatchDisplay& display,
                                   int jobs, RowCheck* check, const ThreadStarter& startThread) {
  if (jobs <= 1) {
    ConversionRun run(settings, fs, options);
    return ExecuteBatch(table, run, log, display, check);
  }

  std::vector<Task> tasks;
  for (int row = 1; row < table.PlaceholderRow(); ++row) {
    if (table.Cell(row, kColumnMarked) != kMarkMarked) continue;
    Task& task = tasks.emplace_back();
    task.row = row;
    task.source = table.Cell(row, kColumnSource);
    task.target = table.Cell(row, kColumnTarget);
    task.drawing = task.target + ".dxf";
  }
  FindPredecessors(tasks, fs, options.pathSyntax);

  const std::size_t threads = std::min(tasks.size(), static_cast<std::size_t>(jobs));
  // A few jobs per worker may wait to be recorded behind a long one.
  Scheduler scheduler(tasks, 8 * threads, settings, fs, options);
  // This thread records the rows and converts while it waits: one worker
  // fewer to start, and no core has more threads than it can run.
  std::vector<std::thread> workers;
  try {
    workers.reserve(threads);  // so that no started thread is lost to a failed push_back
  } catch (const std::bad_alloc&) {
    // Not even room for the list: this thread converts alone.
  }
  for (std::size_t i = 1; i < threads && workers.size() < workers.capacity(); ++i) {
    // Where the system gives no further thread, the batch runs on the
    // threads it has; this one converts in any case.
    std::thread worker = startThread([&scheduler] { scheduler.Work(); });
    if (!worker.joinable()) break;
    workers.push_back(std::move(worker));
  }

  BatchResult result;
  for (std::size_t k = 0; k < tasks.size(); ++k) {
    std::unique_ptr<ConversionRun> run = scheduler.Collect(k);
    if (!run) break;
    const int row = tasks[k].row;
    table.SetModified(true);
    ++result.converted;
    display.JobStarting(row);
    RecordJobOutcome(table, row, *run, log, display, result, check);
    const bool stopped = run->OutcomeCode() == Outcome::kStopped;
    scheduler.MarkRecorded(k, std::move(run));
    if (stopped) {
      result.stopped = true;
      break;
    }
  }
  for (std::thread& worker : workers) worker.join();
  if (result.converted == 0) display.AddMessage(kNoMarkedJobsNote);
  return result;
}

}  // namespace morvatex
