// Our RS274/NGC reading against LinuxCNC's own interpreter: random programs
// converted under the Mach3 preset with I/J output, and fixed programs of
// what the extended dialect writes (arcs in G18 and G19, G53, G54 to G59
// with offsets of their own, G4), are read by GcodeReader and by `rs274 -g`
// (Debian package linuxcnc-uspace), whose canonical calls give the same
// moves, planes, centres, dwells, feeds and speeds. Where our reader does
// not know an axis after a change of frame, LinuxCNC must not move it.
// Exits 77 (skipped) where rs274 is not installed, 1 on the first difference.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/MoveGeometry.h"
#include "settings/Presets.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/TempDir.h"
#include "tests/verify/RandomPrograms.h"
#include "verify/GcodeReader.h"

namespace morvatex::testing {
namespace {

constexpr int kSkipped = 77;
constexpr double kTolerance = 0.0001;  // rs274 prints four decimals

// A canonical call that moves or waits, in the coordinates of the work
// frame in force (G54 is frame 1), with that frame's offset.
struct Canonical {
  MotionKind kind = MotionKind::kNone;
  bool dwell = false;
  double seconds = 0;
  Plane plane = Plane::kXY;
  PathPoint end, centre;  // the centre's two coordinates in the plane
  int workFrame = 1;
  PathPoint offset;
  double feed = 0, speed = 0;
};

std::vector<double> Numbers(const std::string& line, std::size_t from) {
  std::vector<double> values;
  for (const char* p = line.c_str() + from; *p;) {
    char* end = nullptr;
    const double value = std::strtod(p, &end);
    if (end == p) {
      ++p;
      continue;
    }
    values.push_back(value);
    p = end;
  }
  return values;
}

// The moves and dwells of `rs274 -g` for the program at `path` (with the
// parameter file `parameters`, if any), with the plane, frame, feed and
// speed in force at each; `home` is where it starts, the zero of its first
// frame, in machine coordinates.
std::vector<Canonical> CanonicalMoves(const std::string& path, const std::string& tools, const std::string& parameters,
                                      std::string& output, PathPoint& home) {
  std::vector<Canonical> moves;
  // rs274 keeps its tool table in a file in the home folder (.tool.mmap),
  // shared by every rs274 at the same time: the table's folder is its home.
  const std::string toolHome = tools.substr(0, tools.find_last_of('/'));
  const std::string command = "HOME='" + toolHome + "' rs274 -g -t '" + tools + "'" +
                              (parameters.empty() ? "" : " -v '" + parameters + "'") + " '" + path +
                              "' 2>&1 < /dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return moves;
  Canonical state;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe)) {
    const std::string line = buffer;
    output += line;
    const std::size_t open = line.find('(');
    if (open == std::string::npos) continue;
    const std::vector<double> values = Numbers(line, open + 1);
    const auto is = [&line](const char* call) { return line.find(call) != std::string::npos; };
    if (is("SET_FEED_RATE(") && !values.empty()) state.feed = values[0];
    if (is("SET_SPINDLE_SPEED(") && values.size() > 1) state.speed = values[1];
    if (is("SELECT_PLANE(")) state.plane = is("PLANE_XZ") ? Plane::kXZ : is("PLANE_YZ") ? Plane::kYZ : Plane::kXY;
    if (is("SET_G5X_OFFSET(") && values.size() > 3) {
      state.workFrame = static_cast<int>(values[0]);
      state.offset = {values[1], values[2], values[3]};
      if (moves.empty()) home = state.offset;
    }
    Canonical move = state;
    if (is("STRAIGHT_TRAVERSE(") || is("STRAIGHT_FEED(")) {
      if (values.size() < 3) continue;
      move.kind = is("TRAVERSE") ? MotionKind::kRapid : MotionKind::kLinear;
      move.end = {values[0], values[1], values[2]};
    } else if (is("ARC_FEED(")) {
      if (values.size() < 6) continue;
      // The plane's first and second axis, its normal last.
      move.kind = values[4] > 0 ? MotionKind::kCounterClockwise : MotionKind::kClockwise;
      move.end = PlanePoint(values[0], values[1], values[5], state.plane);
      move.centre = PlanePoint(values[2], values[3], 0.0, state.plane);
    } else if (is("DWELL(") && !values.empty()) {
      move.dwell = true;
      move.seconds = values[0];
    } else {
      continue;
    }
    moves.push_back(move);
  }
  pclose(pipe);
  return moves;
}

SettingsRecord Mach3WithCentres(bool radius = false) {
  SettingsRecord settings = PresetSettings(Preset::kMach3);
  settings.Profil.RWerte = radius;
  settings.Profil.IJWerte = !radius;
  settings.Profil.IJKRelativ = true;
  settings.Profil.FaktorSonderS = 1.0 / 6;
  return settings;
}

bool Near(double a, double b) { return std::fabs(a - b) <= kTolerance; }

double Axis(const PathPoint& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

PathPoint Machine(const Canonical& c) { return {c.end.x + c.offset.x, c.end.y + c.offset.y, c.end.z + c.offset.z}; }

// Whether our move `a` is LinuxCNC's `b`; `before` is where LinuxCNC stood,
// in machine coordinates.
bool SameMove(const TracedMove& a, const Canonical& b, const PathPoint& before) {
  if (a.IsDwell() || b.dwell) return a.IsDwell() == b.dwell && Near(a.dwell.value, b.seconds);
  if (a.kind != b.kind) return false;
  // A move of G53 in machine coordinates; the others in their work frame.
  const bool machine = a.frame == Frame::kMachine;
  if (!machine && static_cast<int>(a.frame) - 53 != b.workFrame) return false;
  const PathPoint there = machine ? Machine(b) : b.end;
  const PathPoint reached = Machine(b);
  for (int axis = 0; axis < 3; ++axis) {
    const bool unknown = (a.unknownAxes >> axis) & 1;
    if (unknown ? !Near(Axis(reached, axis), Axis(before, axis)) : !Near(Axis(a.end, axis), Axis(there, axis)))
      return false;
  }
  if (IsArc(a.kind)) {
    if (a.plane != b.plane || !Near(PlaneU(a.centre, a.plane), PlaneU(b.centre, b.plane)) ||
        !Near(PlaneV(a.centre, a.plane), PlaneV(b.centre, b.plane)))
      return false;
  }
  if (IsFeedMove(a.kind) && !(a.feed.known && Near(a.feed.value, b.feed))) return false;
  return !a.speed.known || Near(a.speed.value, b.speed);
}

// Compares one program; prints the first difference.
bool SameMoves(const SettingsRecord& settings, const std::string& cnc, const std::string& path,
               const std::string& tools, const std::string& parameters, const std::string& name) {
  GcodeReader reader(ControlModel::kRs274, settings.Profil);
  std::vector<TracedMove> ours;
  std::vector<ReadFinding> findings;
  std::size_t number = 0, start = 0;
  for (std::size_t end; (end = cnc.find("\r\n", start)) != std::string::npos; start = end + 2)
    reader.ReadLine(std::string_view(cnc).substr(start, end - start), ++number, ours, findings);
  std::string output;
  PathPoint before;
  const std::vector<Canonical> theirs = CanonicalMoves(path, tools, parameters, output, before);
  if (!findings.empty() || ours.size() != theirs.size()) {
    std::printf("%s: %zu moves read, rs274 %zu, %zu findings%s%s\n%s\n%s", name.c_str(), ours.size(), theirs.size(),
                findings.size(),
                findings.empty() ? "" : ", the first: ", findings.empty() ? "" : findings[0].message.c_str(),
                cnc.c_str(), output.c_str());
    return false;
  }
  for (std::size_t i = 0; i < ours.size(); ++i) {
    const TracedMove& a = ours[i];
    const Canonical& b = theirs[i];
    if (!SameMove(a, b, before)) {
      std::printf(
          "%s, move %zu (CNC line %zu) differs:\n  ours  G%d%s P%.4f G%d G%d u%d X%.4f Y%.4f Z%.4f centre %.4f %.4f "
          "%.4f F%.4f\n  rs274 G%d%s P%.4f G%d G5X %d X%.4f Y%.4f Z%.4f centre %.4f %.4f %.4f F%.4f\n",
          name.c_str(), i, a.line, GNumber(a.kind), a.IsDwell() ? " dwell" : "", a.dwell.value,
          static_cast<int>(a.plane), static_cast<int>(a.frame), a.unknownAxes, a.end.x, a.end.y, a.end.z, a.centre.x,
          a.centre.y, a.centre.z, a.feed.value, GNumber(b.kind), b.dwell ? " dwell" : "", b.seconds,
          static_cast<int>(b.plane), b.workFrame, b.end.x, b.end.y, b.end.z, b.centre.x, b.centre.y, b.centre.z,
          b.feed);
      return false;
    }
    if (!b.dwell) before = Machine(b);
  }
  return true;
}

// Programs as the extended dialect's writer puts them for RS274/NGC: arcs
// in every plane by I, J, K and by R (the larger arc too, full circles,
// helical along the plane's normal), G53 beside G0 and G1, the work frames
// with axes given one at a time, and dwells on their own and before a move.
const char* const kFixedPrograms[] = {
    "G21 G90 G17 G54\r\nF600 S1000 M3\r\nG0 X10 Y5 Z2\r\nG18 G2 X20 Z2 I5 K0\r\nG3 X10 Z2 R5\r\n"
    "G2 X10 Y8 Z2 I5 K0\r\nG3 X14 Z6 R-4\r\nG19 G2 Y18 Z6 J5 K0\r\nG3 Y8 Z6 R5 X20\r\nG2 Y8 Z6 J5 K0\r\n"
    "G2 Y13 Z11 R5\r\nG3 Y8 Z6 R-5\r\n"
    "G17 G2 X24 Y8 I2 J0\r\nG18 G90.1 G2 X28 Z6 I26 K6\r\nM2\r\n",
    "G21 G90 G17 G54\r\nF600\r\nG0 X10 Y5 Z2\r\nG53 G0 Z0\r\nG0 X1 Y1\r\nG4 P1.5\r\nG1 Z-1\r\nG55 G0 X2 Y2\r\n"
    "Z3\r\nG53 G1 X100\r\nG53 G0 X0 Y0 Z0\r\nG56 G0 X1 Y2 Z3\r\nG4 P0.25 G1 X2\r\nG59 G0 Z1\r\nX0 Y0\r\n"
    "G54\r\nG53 G0 Z0\r\nG0 X5\r\nY5 Z-1\r\nM2\r\n",
};

// Offsets of G54, G55, G56 and G59 (in inches, as rs274 keeps its
// parameters), sorted as LinuxCNC wants its parameter file.
constexpr const char* kOffsets =
    "5220\t1\n5221\t1\n5222\t0.5\n5223\t-0.25\n5241\t2\n5242\t1\n5243\t0\n5261\t3\n5262\t0\n5263\t0.5\n"
    "5321\t0\n5322\t2\n5323\t0\n";

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
  const std::string parameters = folder.Sub("offsets.var");
  std::size_t fixed = 0;
  for (const char* program : kFixedPrograms) {
    std::ofstream(parameters, std::ios::binary) << kOffsets;
    std::ofstream(path, std::ios::binary) << program;
    if (!SameMoves(Mach3WithCentres(), program, path, tools, parameters, "fixed program " + std::to_string(++fixed)))
      return 1;
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
    if (!SameMoves(settings, result.cnc, path, tools, "", "seed " + std::to_string(seed))) return 1;
    moves += std::count(result.cnc.begin(), result.cnc.end(), '\n');
  }
  std::printf("%zu fixed and 60 random programs, %zu CNC lines: the same moves as rs274\n", fixed, moves);
  return 0;
}

}  // namespace
}  // namespace morvatex::testing

int main() { return morvatex::testing::Main(); }
