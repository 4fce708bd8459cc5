#include "batch/ParallelBatch.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

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

// The file name with Windows-1252 letters in upper case: paths that differ
// only in case may name one file, so they are compared further.
std::string NameKey(const std::string& path, PathSyntax syntax) {
  std::string key = FileNamePart(path, syntax);
  for (char& c : key) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7))
      c = static_cast<char>(byte - 0x20);
  }
  return key;
}

// True when `a` and `b` (with equal NameKey) may name one file.
bool MayBeSameFile(FileSystem& fs, PathSyntax syntax, const std::string& a, const std::string& b) {
  if (a == b || fs.SameFile(a, b)) return true;
  const std::string folderA = FolderPart(a, syntax);
  const std::string folderB = FolderPart(b, syntax);
  return folderA == folderB || fs.SameFile(folderA.empty() ? "." : folderA, folderB.empty() ? "." : folderB);
}

// Finds for every job the earlier jobs it shares a file with (not both only
// reading it). Paths are grouped by file name first, so only few pairs are
// compared.
void FindPredecessors(std::vector<Task>& tasks, FileSystem& fs, PathSyntax syntax) {
  struct PathEntry {
    std::size_t job;
    RowFile file;
  };
  std::unordered_map<std::string, std::vector<PathEntry>> byName;
  for (std::size_t j = 0; j < tasks.size(); ++j) {
    Task& task = tasks[j];
    for (const RowFile file : kRowFiles) {
      std::vector<PathEntry>& sameName = byName[NameKey(task.Path(file), syntax)];
      for (const PathEntry& earlier : sameName) {
        if (earlier.job == j || (file == RowFile::kSource && earlier.file == RowFile::kSource)) continue;
        if (std::find(task.predecessors.begin(), task.predecessors.end(), earlier.job) != task.predecessors.end())
          continue;
        if (MayBeSameFile(fs, syntax, tasks[earlier.job].Path(earlier.file), task.Path(file)))
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
      : tasks_(tasks), lookahead_(lookahead), settings_(settings), fs_(fs), options_(options) {
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
    spareRuns_.push_back(std::move(run));
    changed_.notify_all();
  }

 private:
  enum class Step { kConverted, kMustWait, kNothingLeft };

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
    if (!run) run = std::make_unique<ConversionRun>(settings_, fs_, options_);
    const int code = run->Convert(task.source, task.target);
    lock.lock();
    task.run = std::move(run);
    task.done = true;
    if (code == outcome::kStopped) limit_ = std::min(limit_, found + 1);
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
};

}  // namespace

BatchResult ExecuteBatchInParallel(JobTable& table, const SettingsRecord& settings, FileSystem& fs,
                                   const ConversionOptions& options, const LogFile& log, BatchDisplay& display,
                                   int jobs) {
  if (jobs <= 1) {
    ConversionRun run(settings, fs, options);
    return ExecuteBatch(table, run, log, display);
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
  for (std::size_t i = 1; i < threads; ++i) workers.emplace_back([&] { scheduler.Work(); });

  BatchResult result;
  for (std::size_t k = 0; k < tasks.size(); ++k) {
    std::unique_ptr<ConversionRun> run = scheduler.Collect(k);
    if (!run) break;
    const int row = tasks[k].row;
    table.modified = true;
    ++result.converted;
    display.JobStarting(row);
    RecordJobOutcome(table, row, *run, log, display, result);
    const bool stopped = run->outcomeCode() == outcome::kStopped;
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
