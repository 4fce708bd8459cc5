// The preview's time estimate from the command line, and its speed.
//
//   morvatex_planner_bench SOURCE RAPID ACCEL CORNER
//       prints the planned seconds of the Isel program SOURCE on a machine
//       of RAPID mm/min, ACCEL mm/s² and a cornering tolerance of CORNER mm
//       (bench/planner/measure.sh compares them with LinuxCNC's planner);
//   morvatex_planner_bench --lines N
//       times the trace and the plan of a generated program of N lines
//       (default 3000000), with the peak memory.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "base/FileSystem.h"
#include "bench/BenchSettings.h"
#include "preview/MotionPlan.h"
#include "preview/ToolPath.h"
#include "tests/support/ProgramGenerator.h"

namespace morvatex::bench {
namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

int EstimateFile(const char* source, const MachineModel& machine) {
  RealFileSystem fs;
  const ToolPath path = TraceToolPathFile(fs, source, BenchSettings());
  if (path.code != Outcome::kSuccess) {
    std::fprintf(stderr, "trace failed with code %d\n", static_cast<int>(path.code));
    return 1;
  }
  std::printf("%.2f\n", Estimate(path, machine).plannedSeconds);
  return 0;
}

int TimeGenerated(std::size_t lines) {
  const std::string file = "morvatex-planner-bench.ncp";
  if (!(std::ofstream(file, std::ios::binary) << GenerateIselProgram(lines))) return 1;
  RealFileSystem fs;
  auto start = Clock::now();
  const ToolPath path = TraceToolPathFile(fs, file, BenchSettings());
  const double trace = Since(start);
  start = Clock::now();
  const double planned = PlannedSeconds(path.segments, MachineModel{});
  const double plan = Since(start);
  std::remove(file.c_str());
  std::printf("%zu lines, %zu moves: trace %.2f s, plan %.2f s (estimate %.0f s)\n", lines, path.segments.size(), trace,
              plan, planned);
  return 0;
}

}  // namespace
}  // namespace morvatex::bench

int main(int argc, char** argv) {
  using namespace morvatex;
  if (argc == 5)
    return bench::EstimateFile(argv[1], MachineModel{std::atof(argv[2]), std::atof(argv[3]), std::atof(argv[4])});
  if (argc == 1 || (argc == 3 && std::string_view(argv[1]) == "--lines"))
    return bench::TimeGenerated(argc == 3 ? std::strtoull(argv[2], nullptr, 10) : 3'000'000);
  std::fprintf(stderr, "usage: morvatex_planner_bench SOURCE RAPID ACCEL CORNER | --lines N\n");
  return 2;
}
