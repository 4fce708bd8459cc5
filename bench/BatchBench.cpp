// Times batch runs in the desktop program (the real main window on Qt's
// offscreen platform, started through "&Start") against the same runs
// through `morvatex-convert --list`, and how long Stop takes to act:
//   - 1,000 small programs,
//   - one program of 1,000,000 lines,
//   - Stop (Esc in the window, Ctrl-C for the converter) during that long
//     program: from the request to the end of the batch.
//   - the 1,000 small programs through the converter with --jobs 1 and 2,
//     and their outputs replaced without converting on 1 and 2 threads.
// Prints one line per figure. Run: build/bin/morvatex_batch_bench; with
// --jobs only the last comparison; with --progress only the desktop runs of
// both batches with and without the progress display in the status bar.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTableView>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/FileSystem.h"
#include "batch/JobListFile.h"
#include "bench/BenchSettings.h"
#include "gui/BatchProgress.h"
#include "gui/Dialogs.h"
#include "gui/MainWindow.h"
#include "tests/support/ProgramGenerator.h"

namespace morvatex::bench {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// User and system CPU seconds of this process or of its waited-for children;
// on a busy machine they compare better than the wall clock.
double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
  double wall = 0;
  double cpu = 0;
};

// Times `run` by the wall clock and by the CPU time of `who`.
template <typename Run>
Timing Timed(int who, Run run) {
  const double cpu = CpuSeconds(who);
  const Clock::time_point start = Clock::now();
  run();
  return {Seconds(Clock::now() - start), CpuSeconds(who) - cpu};
}

void Print(const char* what, Timing t) { std::printf("%-52s %7.3f s wall, %7.3f s CPU\n", what, t.wall, t.cpu); }

// No questions come up in these runs; a message would be a fault.
class SilentDialogs final : public Dialogs {
 public:
  void ShowMessage(const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
  bool AskOkCancel(const QString&) override { return true; }
  bool AskYesNo(const QString&) override { return true; }
  QStringList OpenFiles(const FileDialogOptions&) override { return {}; }
  QString SaveFile(const FileDialogOptions&) override { return {}; }
  QString ChooseFolder(const QString&) override { return {}; }
};

struct Workspace {
  fs::path folder = fs::temp_directory_path() / "morvatex-batch-bench";
  std::string Sub(const std::string& name) const { return (folder / name).string(); }
};

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Writes the job list `name`.mvx over `count` programs named `name`N.ncp,
// all marked (afresh before every run: a run writes its marks back).
std::string JobList(const Workspace& w, const std::string& name, int count) {
  JobTable table;
  for (int i = 1; i <= count; ++i) {
    const int row = table.AppendJob();
    table.SetCell(row, kColumnSource, w.Sub(name + std::to_string(i) + ".ncp"));
    table.SetCell(row, kColumnTarget, w.Sub("ziel/" + name + std::to_string(i) + ".cnc"));
  }
  const std::string path = w.Sub(name + ".mvx");
  WriteFile(path, JobListText(table));
  return path;
}

// The desktop program: opens the list into the window's table and presses
// "&Start"; timed until the batch has ended.
Timing DesktopRun(MainWindow& form, const std::string& list) {
  RealFileSystem disk;
  form.Table().ClearJobs();
  ReadJobList(disk, list, form.Table());
  return Timed(RUSAGE_SELF, [&] { form.StartBatch(); });
}

// `jobs` empty: the converter's default (one row per processor core).
std::string ConverterCommand(const Workspace& w, const std::string& list, const std::string& jobs = "") {
  return std::string("'") + MORVATEX_CONVERT_PROGRAM + "' --list '" + list + "'" +
         (jobs.empty() ? "" : " --jobs " + jobs) + " --settings '" + w.Sub("morvatex.set") + "' --log '" +
         w.Sub("convert.log") + "' >/dev/null";
}

Timing ConverterRun(const Workspace& w, const std::string& list, const std::string& jobs = "") {
  return Timed(RUSAGE_CHILDREN, [&] {
    if (std::system(ConverterCommand(w, list, jobs).c_str()) == -1) std::perror("system");
  });
}

// Esc on the grid once the writing pass of the long program has begun; the
// seconds from the key to the end of the batch.
// True once the writing pass has begun: the new program is written beside
// its target, which it replaces only at the end.
bool Writing(const Workspace& w) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(w.Sub("ziel"), ec)) {
    if (entry.path().filename().string().rfind("lang1.cnc.~", 0) == 0) return true;
  }
  return false;
}

double DesktopStop(MainWindow& form, const Workspace& w, const std::string& list) {
  Clock::time_point pressed;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!Writing(w) || pressed != Clock::time_point()) return;
    pressed = Clock::now();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(form.JobView(), &esc);
  });
  poll.start(5);
  fs::remove(w.Sub("ziel/lang1.cnc"));
  DesktopRun(form, list);
  return pressed == Clock::time_point() ? -1 : Seconds(Clock::now() - pressed);
}

double ConverterStop(const Workspace& w, const std::string& list) {
  fs::remove(w.Sub("ziel/lang1.cnc"));
  const pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", ("exec " + ConverterCommand(w, list)).c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int i = 0; i < 600'000 && !Writing(w); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const Clock::time_point pressed = Clock::now();
  kill(pid, SIGINT);
  int status = 0;
  waitpid(pid, &status, 0);
  return Seconds(Clock::now() - pressed);
}

// What the file system alone takes for a batch's outputs: every existing
// file of `outputs` (path and bytes) replaced as a conversion replaces it (a
// new file beside it, written and renamed over it), nothing converted, on
// `threads` threads at once.
Timing ReplaceOnly(const std::vector<std::pair<std::string, std::string>>& outputs, int threads) {
  return Timed(RUSAGE_SELF, [&] {
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
      workers.emplace_back([&] {
        RealFileSystem disk;
        for (std::size_t i = next++; i < outputs.size(); i = next++) {
          StagedFile staged = disk.CreateStagedFile(outputs[i].first);
          const bool ok = staged.file && staged.file->Write(outputs[i].second) && staged.file->Close() &&
                          disk.RenameFile(staged.path, staged.finalPath);
          if (!ok) std::fprintf(stderr, "cannot replace %s\n", outputs[i].first.c_str());
        }
      });
    }
    for (std::thread& worker : workers) worker.join();
  });
}

// The 1,000 small programs through the converter one row at a time and on
// two cores, each timed `repeats` times (the best run counts); beside them
// the file system's own share, replacing the same outputs without
// converting, which bounds what a second core can gain.
void CompareJobs(const Workspace& w, int repeats) {
  double loads[3] = {};
  if (getloadavg(loads, 3) < 0) loads[0] = -1;
  std::vector<std::pair<std::string, std::string>> outputs;
  for (int i = 1; i <= 1000; ++i) {
    for (const char* ending : {".cnc.dxf", ".cnc"}) {
      const std::string path = w.Sub("ziel/klein" + std::to_string(i) + ending);
      std::ifstream file(path, std::ios::binary);
      if (file) outputs.emplace_back(path, std::string(std::istreambuf_iterator<char>(file), {}));
    }
  }
  Timing best[2], floor[2];
  for (int r = 0; r < repeats; ++r) {
    for (int j = 0; j < 2; ++j) {
      const Timing t = ConverterRun(w, JobList(w, "klein", 1000), j == 0 ? "1" : "2");
      if (r == 0 || t.wall < best[j].wall) best[j] = t;
      const Timing f = ReplaceOnly(outputs, j + 1);
      if (r == 0 || f.wall < floor[j].wall) floor[j] = f;
    }
  }
  Print("1,000 programs of 40 lines, --list --jobs 1:", best[0]);
  Print("1,000 programs of 40 lines, --list --jobs 2:", best[1]);
  std::printf("--jobs 2 against --jobs 1: %.2f times as fast (load average before: %.2f)\n",
              best[0].wall / best[1].wall, loads[0]);
  Print("their outputs replaced without converting, 1 thread:", floor[0]);
  Print("their outputs replaced without converting, 2 threads:", floor[1]);
  std::printf("file system alone, 2 threads against 1: %.2f times as fast\n", floor[0].wall / floor[1].wall);
}

// The desktop runs of `list` with the progress display and without it, in
// turn, `repeats` times each (the best wall and the best CPU time count,
// each on its own: on a busy machine they rarely fall on the same run).
void CompareProgress(MainWindow& form, const std::string& what, const std::string& list, int repeats) {
  BatchProgress* progress = form.findChild<BatchProgress*>();
  Timing best[2];
  for (int r = 0; r < repeats; ++r) {
    for (int off = 0; off < 2; ++off) {
      progress->SetSwitchedOff(off == 1);
      const Timing t = DesktopRun(form, list);
      if (r == 0 || t.wall < best[off].wall) best[off].wall = t.wall;
      if (r == 0 || t.cpu < best[off].cpu) best[off].cpu = t.cpu;
    }
  }
  progress->SetSwitchedOff(false);
  Print((what + ", desktop with progress:").c_str(), best[0]);
  Print((what + ", desktop without progress:").c_str(), best[1]);
}

enum class Mode { kAll, kJobs, kProgress };

int Run(Mode mode) {
  Workspace w;
  fs::remove_all(w.folder);
  fs::create_directories(w.folder);
  const SettingsRecord settings = BenchSettings();
  WriteFile(w.Sub("morvatex.set"), std::string(reinterpret_cast<const char*>(&settings), sizeof settings));

  const std::string small = GenerateIselProgram(40);
  for (int i = 1; i <= 1000; ++i) WriteFile(w.Sub("klein" + std::to_string(i) + ".ncp"), small);
  if (mode == Mode::kJobs) {
    ConverterRun(w, JobList(w, "klein", 1000));
    CompareJobs(w, 5);
    fs::remove_all(w.folder);
    return 0;
  }
  WriteFile(w.Sub("lang1.ncp"), GenerateIselProgram(1'000'000));

  RealFileSystem disk;
  SilentDialogs dialogs;
  MainWindow form(dialogs, disk, QString::fromStdString(w.Sub("morvatex")), {});
  form.show();
  QCoreApplication::processEvents();

  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  // Unreported first runs create the targets, so that every timed run
  // replaces existing files.
  ConverterRun(w, JobList(w, "klein", 1000));
  ConverterRun(w, JobList(w, "lang", 1));
  if (mode == Mode::kProgress) {
    CompareProgress(form, "1,000 programs of 40 lines", JobList(w, "klein", 1000), 5);
    CompareProgress(form, "1,000,000-line program", JobList(w, "lang", 1), 5);
    form.Table().SetModified(false);
    fs::remove_all(w.folder);
    return 0;
  }
  Print("1,000 programs of 40 lines, desktop (offscreen):", DesktopRun(form, JobList(w, "klein", 1000)));
  Print("1,000 programs of 40 lines, morvatex-convert --list:", ConverterRun(w, JobList(w, "klein", 1000)));
  CompareJobs(w, 3);
  Print("1,000,000-line program, desktop (offscreen):", DesktopRun(form, JobList(w, "lang", 1)));
  Print("1,000,000-line program, morvatex-convert --list:", ConverterRun(w, JobList(w, "lang", 1)));
  std::printf("Stop in the writing pass, desktop (Esc to batch end):     %.1f ms\n",
              1000 * DesktopStop(form, w, JobList(w, "lang", 1)));
  std::printf("Stop in the writing pass, converter (Ctrl-C to exit):     %.1f ms\n",
              1000 * ConverterStop(w, JobList(w, "lang", 1)));
  form.Table().SetModified(false);
  fs::remove_all(w.folder);
  return 0;
}

}  // namespace
}  // namespace morvatex::bench

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  using morvatex::bench::Mode;
  const std::string option = argc > 1 ? argv[1] : "";
  return morvatex::bench::Run(option == "--jobs" ? Mode::kJobs : option == "--progress" ? Mode::kProgress : Mode::kAll);
}
