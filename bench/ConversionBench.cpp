// Times whole conversion runs of a generated Isel program on the real disk,
// with CNC output, DXF output, or both, and sets each against the I/O floor:
// reading the same source and writing the same number of output bytes in
// large writes, as `cat` would. Prints one table:
//
//   morvatex_bench [LINES [REPEATS]]      (default 1000000 lines, best of 3)
//
// Every variant runs in a process of its own (this program started again
// with --variant), so that its peak memory is its own.
//
// The check's cost (the last two rows; the line under the table gives the
// factors): the conversion with `--verify rs274` may take at most 1.5 times
// the time of the same conversion without it, with the same peak memory
// within 10 %. Figures, December 2026, the 2-core build machine:
//   instructions per conversion (valgrind --tool=callgrind, 200,000 lines):
//     1,500 M without the check, 2,091 M with it: 1.39x (the check 591 M,
//     0.39 of the conversion; before the reader's numbers were read in one
//     pass and its lines in place, 2,192 M: 1.46x, the check 690 M)
//   time (1,000,000 lines, best of 3): before, on a lightly loaded machine,
//     0.525 s without, 0.773 s with it: 1.47x (processor 1.55x); after, only
//     under a load of 5 to 7 on the 2 cores, where runs scatter from 1.05x
//     to 1.7x: measure again on an idle machine
//   peak memory: 64.3 MiB both, 1.00x
//   after the check took the spindle, the end codes and a comparison that
//   finds its place again (the wording without R beside I and J, with M3
//   to M5; 200,000 lines): 1,427 M without, 2,074 M with it: 1.45x (the
//   check 647 M, 0.45 of the conversion; the check before it on the same
//   wording 609 M, 1.43x); time (1,000,000 lines, best of 3, under a load
//   of 3 on the 2 cores) 1.41x to 1.54x, processor 1.43x to 1.61x
// The check's time goes to its own interpretation of the Isel program
// (about 37 %), the RS274/NGC reading of the CNC lines (36 %, of which half
// is reading the numbers) and the comparison.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "bench/BenchSettings.h"
#include "engine/ConversionRun.h"
#include "tests/support/ProgramGenerator.h"
#include "verify/Verification.h"

extern char** environ;

namespace morvatex::bench {
namespace {

using Clock = std::chrono::steady_clock;

struct Variant {
  const char* name;
  bool cnc, dxf, polylines;
  // The Mach3 wording RS274/NGC reads, and the check of each CNC program
  // after its conversion (timed with it).
  bool rs274Wording = false, verify = false;
};

constexpr Variant kVariants[] = {
    {"CNC", true, false, true},
    {"DXF", false, true, true},
    {"DXF lines+arcs", false, true, false},
    {"CNC+DXF", true, true, true},
    {"CNC+DXF NGC", true, true, true, true, false},
    {"+verify rs274", true, true, true, true, true},
};

// Words as RS274/NGC reads them: no assignment character, the speed once,
// arcs by I and J alone (LinuxCNC refuses R beside them), the spindle's own
// codes.
void UseRs274Wording(MachineProfile& p) {
  p.ZeichenWertzuweisung.Assign("");
  p.FaktorSonderS = 1.0 / 6;
  p.IJKRelativ = true;
  p.KWerte = false;
  p.RWerte = false;
  for (auto* line : {&p.Vorspann2, &p.Vorspann3, &p.Vorspann4, &p.Vorspann5, &p.Vorspann6, &p.Nachspann1, &p.Nachspann2,
                     &p.Nachspann3})
    line->Assign("");
  for (auto* line :
       {&p.Werkzeugwechsel1, &p.Werkzeugwechsel2, &p.Werkzeugwechsel3, &p.VorWechselZuG0, &p.VorWechselZuG123})
    line->Assign("");
  for (auto* code : {&p.SpindelEin, &p.KuehlungEin, &p.KuehlungAus, &p.Halt, &p.G17}) code->Assign("");
  p.SpindelRechtslauf.Assign("M3");
  p.SpindelLinkslauf.Assign("M4");
  p.SpindelAus.Assign("M5");
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The child: converts `repeats` times and prints the best wall time.
int RunVariant(const Variant& v, const std::string& folder, int repeats) {
  SettingsRecord settings = BenchSettings(v.cnc, v.dxf, v.polylines);
  if (v.rs274Wording) UseRs274Wording(settings.Profil);
  RealFileSystem fs;
  ConversionRun run(settings, fs);
  double best = 1e30;
  for (int i = 0; i < repeats; ++i) {
    const auto start = Clock::now();
    const Outcome code = run.Convert(folder + "/programm.ncp", folder + "/programm.cnc");
    if (code == Outcome::kSuccess && v.verify) {
      const VerificationResult check = VerifyConversion(run, settings, fs, {ControlModel::kRs274});
      if (!check.Clean()) {
        std::fprintf(stderr, "%s", check.report.c_str());
        return 1;
      }
    }
    best = std::min(best, Seconds(Clock::now() - start));
    if (code != Outcome::kSuccess) {
      std::fprintf(stderr, "outcome code %d\n", NumberOf(code));
      return 1;
    }
  }
  std::printf("%.6f %zu\n", best, run.Lines().size());
  return 0;
}

// Reads `path` and writes `bytes` bytes to `out` in writes of 1 MiB.
double IoFloorOnce(const std::string& path, const std::vector<std::pair<std::string, std::uintmax_t>>& outputs) {
  std::vector<char> buffer(1 << 20, 'x');
  const auto start = Clock::now();
  const int in = ::open(path.c_str(), O_RDONLY);
  std::string contents;  // the conversion keeps the source in memory as well
  for (ssize_t n; (n = ::read(in, buffer.data(), buffer.size())) > 0;) contents.append(buffer.data(), n);
  ::close(in);
  for (const auto& [out, size] : outputs) {
    const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    for (std::uintmax_t left = size; left > 0;) {
      const std::size_t n = std::min<std::uintmax_t>(left, buffer.size());
      if (::write(fd, buffer.data(), n) != static_cast<ssize_t>(n)) break;
      left -= n;
    }
    ::close(fd);
  }
  return Seconds(Clock::now() - start);
}

struct ChildResult {
  double seconds = 0;
  std::size_t lines = 0;
  double peakMiB = 0;
  double cpuSeconds = 0;  // user + system time of all repeats
  bool ok = false;
};

ChildResult SpawnVariant(const char* self, int index, const std::string& folder, int repeats) {
  ChildResult result;
  const std::string indexText = std::to_string(index), repeatsText = std::to_string(repeats);
  const std::string outPath = folder + "/child.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  const char* argv[] = {self, "--variant", indexText.c_str(), folder.c_str(), repeatsText.c_str(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, self, &actions, nullptr, const_cast<char**>(argv), environ) != 0) return result;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  result.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  result.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  std::ifstream out(outPath);
  result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && (out >> result.seconds >> result.lines);
  return result;
}

int Main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--variant") == 0) {
    return RunVariant(kVariants[std::atoi(argv[2])], argv[3], std::atoi(argv[4]));
  }
  const std::size_t lines = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "morvatex-bench";
  std::filesystem::create_directories(folder);
  const std::string source = (folder / "programm.ncp").string();
  const std::string cnc = (folder / "programm.cnc").string();
  std::ofstream(source, std::ios::binary) << GenerateIselProgram(lines);
  const double sourceMiB = std::filesystem::file_size(source) / 1048576.0;
  std::printf("source: %zu lines requested, %.1f MiB; best of %d\n\n", lines, sourceMiB, repeats);
  // CPU s: processor time per conversion (reading the settings and the
  // program's start included), less disturbed by other work on the machine.
  std::printf("%-15s %10s %8s %10s %7s %12s %9s %9s %9s %9s\n", "variant", "convert s", "CPU s", "I/O s", "ratio",
              "lines/s", "peak MiB", "peak/src", "CNC MiB", "DXF MiB");

  ChildResult results[std::size(kVariants)];
  for (int i = 0; i < static_cast<int>(std::size(kVariants)); ++i) {
    const Variant& v = kVariants[i];
    std::filesystem::remove(cnc);
    std::filesystem::remove(cnc + ".dxf");
    const ChildResult r = results[i] = SpawnVariant(argv[0], i, folder.string(), repeats);
    if (!r.ok) {
      std::printf("%-15s failed\n", v.name);
      continue;
    }
    std::vector<std::pair<std::string, std::uintmax_t>> outputs;
    std::uintmax_t cncBytes = 0, dxfBytes = 0;
    if (v.cnc) outputs.emplace_back((folder / "floor.cnc").string(), cncBytes = std::filesystem::file_size(cnc));
    if (v.dxf)
      outputs.emplace_back((folder / "floor.dxf").string(), dxfBytes = std::filesystem::file_size(cnc + ".dxf"));
    double floor = 1e30;
    for (int k = 0; k < repeats; ++k) floor = std::min(floor, IoFloorOnce(source, outputs));
    std::printf("%-15s %10.3f %8.3f %10.3f %7.1f %12.0f %9.1f %9.2f %9.1f %9.1f\n", v.name, r.seconds,
                r.cpuSeconds / repeats, floor, r.seconds / floor, r.lines / r.seconds, r.peakMiB, r.peakMiB / sourceMiB,
                cncBytes / 1048576.0, dxfBytes / 1048576.0);
  }
  // The check's cost: the last row against the one before it.
  const ChildResult& plain = results[std::size(kVariants) - 2];
  const ChildResult& checked = results[std::size(kVariants) - 1];
  if (plain.ok && checked.ok) {
    std::printf("\nwith the check: %.2fx the time, %.2fx the processor time, %.2fx the peak memory\n",
                checked.seconds / plain.seconds, checked.cpuSeconds / plain.cpuSeconds,
                checked.peakMiB / plain.peakMiB);
  }
  std::filesystem::remove_all(folder);
  return 0;
}

}  // namespace
}  // namespace morvatex::bench

int main(int argc, char** argv) { return morvatex::bench::Main(argc, argv); }
