// Our RS274/NGC reading against LinuxCNC's own interpreter: random programs
// converted under the Mach3 preset with I/J output are read by GcodeReader
// and by `rs274 -g` (Debian package linuxcnc-uspace), whose canonical calls
// give the same moves, centres, feeds and speeds. Exits 77 (skipped) where
// rs274 is not installed, 1 on the first difference.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "settings/DialogValues.h"
#include "settings/Presets.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/TempDir.h"
#include "tests/verify/RandomPrograms.h"
#include "verify/GcodeReader.h"

namespace morvatex::testing {
namespace {

constexpr int kSkipped = 77;
constexpr double kTolerance = 0.0001;  // rs274 prints four decimals

struct Canonical {
  MotionKind kind = MotionKind::kNone;
  double x = 0, y = 0, z = 0, centreX = 0, centreY = 0;
  double feed = 0, speed = 0;
};

// The moves of `rs274 -g` for the program at `path`, with the feed and
// speed in force at each.
std::vector<Canonical> CanonicalMoves(const std::string& path, const std::string& tools, std::string& output) {
  std::vector<Canonical> moves;
  const std::string command = "rs274 -g -t '" + tools + "' '" + path + "' 2>&1 < /dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return moves;
  double feed = 0, speed = 0;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe)) {
    const std::string line = buffer;
    output += line;
    const std::size_t open = line.find('(');
    if (open == std::string::npos) continue;
    std::vector<double> values;
    for (const char* p = line.c_str() + open + 1; *p;) {
      char* end = nullptr;
      const double value = std::strtod(p, &end);
      if (end == p) {
        ++p;
        continue;
      }
      values.push_back(value);
      p = end;
    }
    Canonical move;
    if (line.find("SET_FEED_RATE(") != std::string::npos && !values.empty()) feed = values[0];
    if (line.find("SET_SPINDLE_SPEED(") != std::string::npos && values.size() > 1) speed = values[1];
    if (line.find("STRAIGHT_TRAVERSE(") != std::string::npos || line.find("STRAIGHT_FEED(") != std::string::npos) {
      if (values.size() < 3) continue;
      move.kind = line.find("TRAVERSE") != std::string::npos ? MotionKind::kRapid : MotionKind::kLinear;
      move.x = values[0], move.y = values[1], move.z = values[2];
    } else if (line.find("ARC_FEED(") != std::string::npos) {
      if (values.size() < 6) continue;
      move.kind = values[4] > 0 ? MotionKind::kCounterClockwise : MotionKind::kClockwise;
      move.x = values[0], move.y = values[1], move.centreX = values[2], move.centreY = values[3], move.z = values[5];
    } else {
      continue;
    }
    move.feed = feed;
    move.speed = speed;
    moves.push_back(move);
  }
  pclose(pipe);
  return moves;
}

SettingsRecord Mach3WithCentres(bool radius = false) {
  SettingsRecord settings = NewConfigurationSettings();
  DialogValues values = ShownValues(settings.Profil);
  ApplyPreset(Preset::kMach3, values);
  ApplyValues(values, settings);
  settings.Profil.RWerte = radius;
  settings.Profil.IJWerte = !radius;
  settings.Profil.IJKRelativ = true;
  settings.Profil.FaktorSonderS = 1.0 / 6;
  return settings;
}

bool Near(double a, double b) { return std::fabs(a - b) <= kTolerance; }

// Compares one program; prints the first difference.
bool SameMoves(const SettingsRecord& settings, const std::string& cnc, const std::string& path,
               const std::string& tools, unsigned seed) {
  GcodeReader reader(ControlModel::kRs274, settings.Profil);
  std::vector<TracedMove> ours;
  std::vector<ReadFinding> findings;
  std::size_t number = 0, start = 0;
  for (std::size_t end; (end = cnc.find("\r\n", start)) != std::string::npos; start = end + 2)
    reader.ReadLine(std::string_view(cnc).substr(start, end - start), ++number, ours, findings);
  std::string output;
  const std::vector<Canonical> theirs = CanonicalMoves(path, tools, output);
  if (!findings.empty() || ours.size() != theirs.size()) {
    std::printf("seed %u: %zu moves read, rs274 %zu, %zu findings\n%s\n%s", seed, ours.size(), theirs.size(),
                findings.size(), cnc.c_str(), output.c_str());
    return false;
  }
  for (std::size_t i = 0; i < ours.size(); ++i) {
    const TracedMove& a = ours[i];
    const Canonical& b = theirs[i];
    bool same = a.kind == b.kind && Near(a.end.x, b.x) && Near(a.end.y, b.y) && Near(a.end.z, b.z);
    if (IsArc(a.kind)) same = same && Near(a.centre.x, b.centreX) && Near(a.centre.y, b.centreY);
    if (IsFeedMove(a.kind)) same = same && a.feed.known && Near(a.feed.value, b.feed);
    same = same && (!a.speed.known || Near(a.speed.value, b.speed));
    if (!same) {
      std::printf(
          "seed %u, move %zu (CNC line %zu) differs:\n  ours  G%d X%.4f Y%.4f Z%.4f centre %.4f %.4f F%.4f\n"
          "  rs274 G%d X%.4f Y%.4f Z%.4f centre %.4f %.4f F%.4f\n",
          seed, i, a.line, GNumber(a.kind), a.end.x, a.end.y, a.end.z, a.centre.x, a.centre.y, a.feed.value,
          GNumber(b.kind), b.x, b.y, b.z, b.centreX, b.centreY, b.feed);
      return false;
    }
  }
  return true;
}

int Main() {
  if (std::system("command -v rs274 > /dev/null 2>&1") != 0) {
    std::printf("rs274 (linuxcnc-uspace) is not installed: skipped\n");
    return kSkipped;
  }
  // A folder of its own: other builds may run this check at the same time.
  const TempDir folder;
  const std::string path = folder.Sub("programm.ngc");
  // rs274 refuses a tool change to a tool its table does not hold.
  const std::string tools = folder.Sub("tool.tbl");
  {
    std::ofstream table(tools);
    for (int tool = 1; tool <= 100; ++tool) table << "T" << tool << " P" << tool << " D0 Z0\n";
  }
  std::size_t moves = 0;
  // I and J as the Mach3 preset's centres; R words (full circles as two
  // halves) as the preset itself writes them.
  for (unsigned seed = 1; seed <= 60; ++seed) {
    const SettingsRecord settings = Mach3WithCentres(seed % 2 == 0);
    const ConversionResult result = Convert(settings, RandomProgram(seed));
    if (result.code != Outcome::kSuccess) {
      std::printf("seed %u: the conversion failed\n%s", seed, result.report.c_str());
      return 1;
    }
    std::ofstream(path, std::ios::binary) << result.cnc;
    if (!SameMoves(settings, result.cnc, path, tools, seed)) return 1;
    moves += std::count(result.cnc.begin(), result.cnc.end(), '\n');
  }
  std::printf("60 programs, %zu CNC lines: the same moves as rs274\n", moves);
  return 0;
}

}  // namespace
}  // namespace morvatex::testing

int main() { return morvatex::testing::Main(); }
