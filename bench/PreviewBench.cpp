// Times the preview of large programs: tracing the tool path, the first full
// picture (1024 x 768, offscreen) and then a conversion with CNC and DXF
// output, with the peak memory after each step; then the desktop window's
// way, trace and first picture on the preview worker, and how long the
// window waits for that worker when it is closed amid the trace. Two programs side by side:
// a generated one of many contours, and a relief (a raster of tiny moves
// with varying Z, as a 3D finishing pass gives).
//
//   morvatex_preview_bench [LINES]      (default 3000000 lines for the first)
//
// The program viewer's rows: the line index of the source (as the worker
// builds it), the viewer's first show with its first lines, and a jump to the
// last line. On 3,000,000 lines (2 cores, shared, loaded): index 0.034 s,
// first show 0.050 s, last line 0.001 s, the peak memory unchanged by the
// index (one offset per 64 lines); the trace 3.1 s, the conversion 4.2 s,
// the window's first picture 6.4 s, all as before the viewer.
//
// Each program runs in a process of its own (this program started again
// with --child), so that its peak memory is its own.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/FileSystem.h"
#include "bench/BenchSettings.h"
#include "engine/ConversionRun.h"
#include "gui/PreviewWorker.h"
#include "gui/ProgramViewer.h"
#include "paint/ToolPathPainter.h"
#include "preview/LineIndex.h"
#include "preview/MotionPlan.h"
#include "preview/ToolPath.h"
#include "tests/support/ProgramGenerator.h"

extern char** environ;

namespace morvatex::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReliefLines = 300'000;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A raster over 100 x 60 mm in steps of 0.2 mm, Z following a smooth
// surface, rows joined by a short move in Y.
std::string GenerateRelief(std::size_t lines) {
  std::string out;
  out.reserve(lines * 36);
  std::size_t count = 0;
  const auto add = [&](const std::string& line) { out += 'N' + std::to_string(++count) + ' ' + line + "\r\n"; };
  add("GETTOOL 1");
  add("SPINDLE CW RPM18000");
  add("VEL 5000");
  add("FASTABS X0 Y0 Z5000");
  constexpr long kColumns = 500, kStep = 200;  // µm
  long row = 0, column = 0;
  while (count + 3 < lines) {
    const double u = static_cast<double>(column) / 40, v = static_cast<double>(row) / 30;
    const long z = std::lround(-3000 + 1500 * std::sin(u) * std::cos(v));
    add("MOVEABS X" + std::to_string(column * kStep) + " Y" + std::to_string(row * kStep) + " Z" + std::to_string(z));
    // Back and forth: each row runs the other way.
    const bool forward = row % 2 == 0;
    if (forward ? column + 1 < kColumns : column > 0) {
      column += forward ? 1 : -1;
    } else {
      ++row;
    }
  }
  add("FASTABS Z5000");
  add("PROGEND");
  return out;
}

struct StepFigures {
  double traceSeconds = 0, traceMiB = 0;
  double paintSeconds = 0, paintMiB = 0;
  double convertSeconds = 0, convertMiB = 0;
  double startMiB = 0;
  double windowSeconds = 0, stopSeconds = 0;
  double estimateSeconds = 0, estimateMiB = 0;  // the planned estimate, after the trace
  double readBackSeconds = 0, readBackMiB = 0;  // the window's read-back overlay of the converted program
  // The program viewer: the line index, its first show, a jump to the last line.
  double indexSeconds = 0, indexMiB = 0, viewerSeconds = 0, jumpSeconds = 0;
  std::size_t moves = 0;
  int convertCode = 0;
};

// Seconds from opening the desktop window's preview to its first complete
// picture: trace and picture on the worker, the fitted view in between.
double WindowFirstPicture(FileSystem& fs, const SettingsRecord& settings, const std::string& source) {
  std::mutex mutex;
  std::condition_variable changed;
  std::shared_ptr<const ToolPath> path;
  bool traced = false, painted = false;
  const auto start = Clock::now();
  PreviewWorker worker(
      fs, settings, source,
      [&](PreviewWorker::Traced result) {
        const std::lock_guard lock(mutex);
        path = result.path;
        traced = true;
        changed.notify_all();
      },
      [&](const PreviewWorker::Picture&) {
        const std::lock_guard lock(mutex);
        painted = true;
        changed.notify_all();
      });
  std::unique_lock lock(mutex);
  changed.wait(lock, [&] { return traced; });
  if (!path) return -1;
  const QSize size(1024, 768);
  worker.RequestPicture(size, 1, FitView(*path, QRectF(QPointF(0, 0), QSizeF(size))), {});
  changed.wait(lock, [&] { return painted; });
  return Seconds(Clock::now() - start);
}

// Seconds from asking the window's worker to read the converted program
// back ("eingestellt") to the picture with the overlay drawn over the path.
double WindowReadBack(FileSystem& fs, const SettingsRecord& settings, const std::string& source,
                      const std::string& cncPath) {
  std::mutex mutex;
  std::condition_variable changed;
  std::shared_ptr<const ToolPath> path;
  std::shared_ptr<const ReadBackOverlay> overlay;
  bool traced = false, read = false, painted = false;
  PreviewWorker worker(
      fs, settings, source,
      [&](PreviewWorker::Traced result) {
        const std::lock_guard lock(mutex);
        path = result.path;
        traced = true;
        changed.notify_all();
      },
      [&](const PreviewWorker::Picture&) {
        const std::lock_guard lock(mutex);
        painted = true;
        changed.notify_all();
      });
  std::unique_lock lock(mutex);
  changed.wait(lock, [&] { return traced; });
  if (!path) return -1;
  const auto start = Clock::now();
  worker.RequestReadBack(cncPath, ControlModel::kConfigured, [&](PreviewWorker::ReadBack result) {
    const std::lock_guard inner(mutex);
    overlay = result.overlay;
    read = true;
    changed.notify_all();
  });
  changed.wait(lock, [&] { return read; });
  if (!overlay) return -1;
  const QSize size(1024, 768);
  worker.RequestPicture(size, 1, FitView(*path, QRectF(QPointF(0, 0), QSizeF(size))), {}, {overlay, {}});
  changed.wait(lock, [&] { return painted; });
  return Seconds(Clock::now() - start);
}

// Seconds the window waits for the worker when closed a moment into the
// trace.
double WindowStopWait(FileSystem& fs, const SettingsRecord& settings, const std::string& source) {
  auto worker = std::make_unique<PreviewWorker>(
      fs, settings, source, [](PreviewWorker::Traced) {}, [](const PreviewWorker::Picture&) {});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto start = Clock::now();
  worker.reset();
  return Seconds(Clock::now() - start);
}

// The program viewer over `source`: its index, built as the worker builds
// it, then the viewer shown with its first lines, then the last line
// selected and shown.
void ProgramViewerFigures(FileSystem& fs, const std::string& source, StepFigures& f) {
  auto start = Clock::now();
  auto index = std::make_shared<const LineIndex>(IndexFile(fs, source).value_or(LineIndex{}));
  f.indexSeconds = Seconds(Clock::now() - start);
  f.indexMiB = PeakMiB();
  start = Clock::now();
  ProgramViewer viewer(fs, nullptr);
  viewer.resize(400, 600);
  viewer.SetIselText(source, index);
  viewer.show();
  QCoreApplication::processEvents();
  viewer.grab();  // painted, with its lines read
  f.viewerSeconds = Seconds(Clock::now() - start);
  start = Clock::now();
  viewer.SelectIselLine(index->size());
  viewer.grab();
  f.jumpSeconds = Seconds(Clock::now() - start);
}

// The child: one program through the three steps; prints the figures.
int RunChild(const std::string& folder, const std::string& name, int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  StepFigures f;
  f.startMiB = PeakMiB();
  const SettingsRecord settings = BenchSettings(true, true, true);
  RealFileSystem fs;
  const std::string source = folder + "/" + name + ".ncp";

  auto start = Clock::now();
  const ToolPath path = TraceToolPathFile(fs, source, settings);
  f.traceSeconds = Seconds(Clock::now() - start);
  f.traceMiB = PeakMiB();
  f.moves = path.segments.size();
  if (path.code != Outcome::kSuccess) {
    std::fprintf(stderr, "%s: trace ended with code %d\n", name.c_str(), NumberOf(path.code));
    return 1;
  }

  start = Clock::now();
  const MachiningEstimate estimate = Estimate(path, MachineModel{});
  f.estimateSeconds = Seconds(Clock::now() - start);
  f.estimateMiB = PeakMiB();
  if (estimate.plannedSeconds < 0) std::fprintf(stderr, "%s: the estimate was not planned\n", name.c_str());

  start = Clock::now();
  {
    QImage image(1024, 768, QImage::Format_RGB32);
    QPainter painter(&image);
    const QRectF area(image.rect());
    PaintToolPath(painter, path, FitView(path, area), area);
  }
  f.paintSeconds = Seconds(Clock::now() - start);
  f.paintMiB = PeakMiB();
  ProgramViewerFigures(fs, source, f);

  // The preview stays open while the program is converted.
  start = Clock::now();
  {
    ConversionRun run(settings, fs);
    f.convertCode = NumberOf(run.Convert(source, folder + "/" + name + ".cnc"));
  }
  f.convertSeconds = Seconds(Clock::now() - start);
  f.convertMiB = PeakMiB();

  f.windowSeconds = WindowFirstPicture(fs, settings, source);
  f.stopSeconds = WindowStopWait(fs, settings, source);
  f.readBackSeconds = WindowReadBack(fs, settings, source, folder + "/" + name + ".cnc");
  f.readBackMiB = PeakMiB();

  std::printf("%zu %.6f %.1f %.6f %.1f %.6f %.1f %.1f %d %.6f %.6f %.6f %.1f %.6f %.1f %.6f %.1f %.6f %.6f\n", f.moves,
              f.traceSeconds, f.traceMiB, f.paintSeconds, f.paintMiB, f.convertSeconds, f.convertMiB, f.startMiB,
              f.convertCode, f.windowSeconds, f.stopSeconds, f.estimateSeconds, f.estimateMiB, f.readBackSeconds,
              f.readBackMiB, f.indexSeconds, f.indexMiB, f.viewerSeconds, f.jumpSeconds);
  return 0;
}

// Runs this program again with `argv`, its output to `outPath`; returns
// its exit status, or -1.
int Spawn(const char* self, std::initializer_list<const char*> args, const std::string& outPath) {
  std::vector<const char*> argv(args);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, self, &actions, nullptr, const_cast<char**>(argv.data()), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool RunProgram(const char* self, const std::string& folder, const std::string& name, StepFigures& f) {
  const std::string outPath = folder + "/" + name + ".txt";
  if (Spawn(self, {self, "--child", folder.c_str(), name.c_str(), nullptr}, outPath) != 0) return false;
  std::ifstream out(outPath);
  return static_cast<bool>(out >> f.moves >> f.traceSeconds >> f.traceMiB >> f.paintSeconds >> f.paintMiB >>
                           f.convertSeconds >> f.convertMiB >> f.startMiB >> f.convertCode >> f.windowSeconds >>
                           f.stopSeconds >> f.estimateSeconds >> f.estimateMiB >> f.readBackSeconds >> f.readBackMiB >>
                           f.indexSeconds >> f.indexMiB >> f.viewerSeconds >> f.jumpSeconds);
}

// Writes both programs; in a process of its own, since a child's peak
// memory starts from that of the process that started it.
int WritePrograms(const std::string& folder, std::size_t lines) {
  std::ofstream(folder + "/random.ncp", std::ios::binary) << GenerateIselProgram(lines);
  std::ofstream(folder + "/relief.ncp", std::ios::binary) << GenerateRelief(kReliefLines);
  return 0;
}

int Main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return RunChild(argv[2], argv[3], argc, argv);
  if (argc == 4 && std::strcmp(argv[1], "--write") == 0)
    return WritePrograms(argv[2], std::strtoull(argv[3], nullptr, 10));
  const std::size_t lines = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 3'000'000;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "morvatex-preview-bench";
  std::filesystem::create_directories(folder);
  const char* names[] = {"random", "relief"};
  const std::string linesText = std::to_string(lines), folderText = folder.string();
  if (Spawn(argv[0], {argv[0], "--write", folderText.c_str(), linesText.c_str(), nullptr}, "/dev/null") != 0) {
    std::fprintf(stderr, "morvatex_preview_bench: the programs could not be written\n");
    return 1;
  }

  StepFigures figures[2];
  bool ok[2] = {};
  for (int i = 0; i < 2; ++i) ok[i] = RunProgram(argv[0], folder.string(), names[i], figures[i]);
  std::printf("%-26s %14s %14s\n", "", "random", "relief");
  const auto row = [&](const char* label, auto value, const char* format) {
    std::printf("%-26s", label);
    for (int i = 0; i < 2; ++i) {
      char cell[32] = "failed";
      if (ok[i]) std::snprintf(cell, sizeof cell, format, value(figures[i]));
      std::printf(" %14s", cell);
    }
    std::printf("\n");
  };
  std::printf("%-26s %14zu %14zu\n", "source lines", lines, kReliefLines);
  row(
      "moves", [](const StepFigures& f) { return f.moves; }, "%zu");
  row(
      "trace s", [](const StepFigures& f) { return f.traceSeconds; }, "%.3f");
  row(
      "planned estimate s", [](const StepFigures& f) { return f.estimateSeconds; }, "%.3f");
  row(
      "estimate / trace %", [](const StepFigures& f) { return 100 * f.estimateSeconds / f.traceSeconds; }, "%.1f");
  row(
      "first picture s", [](const StepFigures& f) { return f.paintSeconds; }, "%.3f");
  row(
      "convert CNC+DXF s", [](const StepFigures& f) { return f.convertSeconds; }, "%.3f");
  row(
      "peak MiB at start", [](const StepFigures& f) { return f.startMiB; }, "%.1f");
  row(
      "peak MiB after trace", [](const StepFigures& f) { return f.traceMiB; }, "%.1f");
  row(
      "peak MiB after estimate", [](const StepFigures& f) { return f.estimateMiB; }, "%.1f");
  row(
      "peak MiB after picture", [](const StepFigures& f) { return f.paintMiB; }, "%.1f");
  row(
      "peak MiB after convert", [](const StepFigures& f) { return f.convertMiB; }, "%.1f");
  row(
      "conversion code", [](const StepFigures& f) { return f.convertCode; }, "%d");
  row(
      "window first picture s", [](const StepFigures& f) { return f.windowSeconds; }, "%.3f");
  row(
      "window stop wait ms", [](const StepFigures& f) { return f.stopSeconds * 1000; }, "%.1f");
  row(
      "window read-back s", [](const StepFigures& f) { return f.readBackSeconds; }, "%.3f");
  row(
      "peak MiB after read-back", [](const StepFigures& f) { return f.readBackMiB; }, "%.1f");
  row(
      "line index s", [](const StepFigures& f) { return f.indexSeconds; }, "%.3f");
  row(
      "peak MiB after line index", [](const StepFigures& f) { return f.indexMiB; }, "%.1f");
  row(
      "viewer first show s", [](const StepFigures& f) { return f.viewerSeconds; }, "%.3f");
  row(
      "viewer to last line s", [](const StepFigures& f) { return f.jumpSeconds; }, "%.3f");
  std::filesystem::remove_all(folder);
  return ok[0] && ok[1] ? 0 : 1;
}

}  // namespace
}  // namespace morvatex::bench

int main(int argc, char** argv) { return morvatex::bench::Main(argc, argv); }
