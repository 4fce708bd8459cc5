// Times whole conversion runs of a generated one-million-line Isel program on
// the real disk, with CNC output, DXF output, or both. Run one variant per
// process (--benchmark_filter) to read its own peak memory.
#include <sys/resource.h>

#include <filesystem>
#include <fstream>

#include <benchmark/benchmark.h>

#include "base/FileSystem.h"
#include "bench/ProgramGenerator.h"
#include "engine/UnitConvertFile.h"
#include "settings/SettingsFile.h"

namespace morvatex::bench {
namespace {

constexpr std::size_t kLines = 1'000'000;

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    auto dir = std::filesystem::temp_directory_path() / "morvatex-bench";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "programm.ncp", std::ios::binary) << GenerateIselProgram(kLines);
    return dir;
  }();
  return folder;
}

void Convert(benchmark::State& state, bool cnc, bool dxf, bool polylines) {
  const std::string source = (Folder() / "programm.ncp").string();
  const std::string target = (Folder() / "programm.cnc").string();
  Einstellungen settings{};
  settings.Version = kSettingsVersion;
  SetzeNeueProfilwerte(settings.Profil);
  settings.CNCDINCodeerstellen = cnc;
  settings.DXFDateinerzeugen = dxf;
  settings.Erstelle2DPolylinien = polylines;
  RealFileSystem fs;
  ConversionRun run(settings, fs);
  for (auto _ : state) {
    const int code = run.Convert(source, target);
    if (code != 0) state.SkipWithError(("outcome code " + std::to_string(code)).c_str());
  }
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(run.lines().size()) * state.iterations(),
                                                 benchmark::Counter::kIsRate);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  std::error_code ec;
  state.counters["cnc_MiB"] = cnc ? std::filesystem::file_size(target, ec) / 1048576.0 : 0;
  state.counters["dxf_MiB"] = dxf ? std::filesystem::file_size(target + ".dxf", ec) / 1048576.0 : 0;
  state.counters["source_MiB"] = std::filesystem::file_size(source, ec) / 1048576.0;
}

void BM_CncOnly(benchmark::State& state) { Convert(state, true, false, true); }
void BM_DxfPolylinesOnly(benchmark::State& state) { Convert(state, false, true, true); }
void BM_DxfLinesAndArcsOnly(benchmark::State& state) { Convert(state, false, true, false); }
void BM_CncAndDxf(benchmark::State& state) { Convert(state, true, true, true); }

BENCHMARK(BM_CncOnly)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DxfPolylinesOnly)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DxfLinesAndArcsOnly)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CncAndDxf)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace morvatex::bench

BENCHMARK_MAIN();
