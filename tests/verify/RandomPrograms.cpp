#include "tests/verify/RandomPrograms.h"

#include <cmath>
#include <random>
#include <vector>

namespace morvatex::testing {
namespace {

// Writes the lines of one program, following where the tool stands and the
// centre last programmed (an Isel REL arc adds its I and J to it).
class ProgramWriter {
 public:
  explicit ProgramWriter(unsigned seed) : random_(seed) {}

  int Uniform(int from, int to) { return std::uniform_int_distribution<int>(from, to)(random_); }
  void Line(std::string line) { lines_.push_back(std::move(line)); }

  void Rapid(long x, long y) {
    Line("FASTABS X" + Text(x) + " Y" + Text(y));
    x_ = x, y_ = y;
  }
  void RapidZ(long z) {
    Line("FASTABS Z" + Text(z));
    z_ = z;
  }
  // A straight move, absolute or relative.
  void Straight(long x, long y, long z, bool relative) {
    std::string line = relative ? "MOVEREL" : "MOVEABS";
    if (x != x_ || !relative) line += " X" + Text(relative ? x - x_ : x);
    if (y != y_ || !relative) line += " Y" + Text(relative ? y - y_ : y);
    if (z != z_) line += " Z" + Text(relative ? z - z_ : z);
    Line(line);
    x_ = x, y_ = y, z_ = z;
  }
  // An arc about a centre at most `reach` away, turned by `turns` steps of
  // 1.2 radians (0: a full circle), down by `dz`.
  void Arc(int turns, long dz, bool relative) {
    long i = 0, j = 0;
    do {
      i = x_ + Uniform(-20000, 20000), j = y_ + Uniform(-20000, 20000);
    } while (std::hypot(double(x_ - i), double(y_ - j)) < 1000);
    const double r = std::hypot(double(x_ - i), double(y_ - j));
    const double angle = std::atan2(double(y_ - j), double(x_ - i)) + turns * 1.2;
    const long ex = turns == 0 ? x_ : i + std::lround(r * std::cos(angle));
    const long ey = turns == 0 ? y_ : j + std::lround(r * std::sin(angle));
    const bool clockwise = Uniform(0, 1) == 1;
    std::string line = std::string(clockwise ? "CW" : "CCW") + (relative ? "REL" : "ABS");
    line += " I" + Text(relative ? i - lastI_ : i) + " J" + Text(relative ? j - lastJ_ : j);
    line += " X" + Text(relative ? ex - x_ : ex) + " Y" + Text(relative ? ey - y_ : ey);
    if (dz != 0) line += " Z" + Text(relative ? dz : z_ + dz);
    Line(line);
    x_ = ex, y_ = ey, z_ += dz, lastI_ = i, lastJ_ = j;
  }

  long X() const { return x_; }
  long Y() const { return y_; }
  long Z() const { return z_; }

  std::string Text() const {
    std::string text;
    for (const std::string& line : lines_) text += line + "\r\n";
    return text;
  }

 private:
  static std::string Text(long value) { return std::to_string(value); }

  std::mt19937 random_;
  std::vector<std::string> lines_;
  long x_ = 0, y_ = 0, z_ = 0, lastI_ = 0, lastJ_ = 0;
};

// How a contour begins after the rapid move above its start.
void OpenContour(ProgramWriter& w, long depth) {
  switch (w.Uniform(0, 3)) {
    case 0:  // a plunge
      w.Straight(w.X(), w.Y(), -depth, w.Uniform(0, 1) == 1);
      break;
    case 1:  // a ramp from just above the work-piece
      w.RapidZ(1000);
      w.Straight(w.X() + w.Uniform(-5000, 5000), w.Y() + w.Uniform(-5000, 5000), -depth, w.Uniform(0, 1) == 1);
      break;
    case 2:  // a helical arc down
      w.RapidZ(1000);
      w.Arc(w.Uniform(1, 3), -depth - 1000, w.Uniform(0, 1) == 1);
      break;
    default:  // a helical full circle down
      w.RapidZ(1000);
      w.Arc(0, -depth - 1000, w.Uniform(0, 1) == 1);
      break;
  }
}

}  // namespace

std::string RandomProgram(unsigned seed) {
  ProgramWriter w(seed);
  w.Line("GETTOOL " + std::to_string(w.Uniform(0, 9)));
  w.Line("SPINDLE CW RPM12000");
  w.Line("VEL 10000");
  for (int contour = 0; contour < 4; ++contour) {
    w.RapidZ(10000);
    w.Rapid(w.Uniform(-50, 50) * 1000 + w.Uniform(0, 999), w.Uniform(-50, 50) * 1000 + w.Uniform(0, 999));
    OpenContour(w, w.Uniform(100, 5000));
    if (w.Uniform(0, 3) == 0) w.Line("VEL " + std::to_string(w.Uniform(1, 50) * 1000));
    if (w.Uniform(0, 3) == 0) w.Line("SPINDLE CW RPM" + std::to_string(w.Uniform(1, 24) * 1000));
    for (int move = 0; move < 8; ++move) {
      const bool relative = w.Uniform(0, 2) == 0;
      switch (w.Uniform(0, 6)) {
        case 0:
        case 1: w.Straight(w.X() + w.Uniform(-20000, 20000), w.Y() + w.Uniform(-20000, 20000), w.Z(), relative); break;
        case 2:
        case 3: w.Arc(w.Uniform(0, 3) == 0 ? 3 : w.Uniform(1, 2), 0, relative); break;
        case 4: w.Arc(0, 0, relative); break;                                              // a full circle
        case 5: w.Arc(0, -w.Uniform(100, 2000), relative); break;                          // a helical full circle
        default: w.Straight(w.X(), w.Y(), w.Z() - w.Uniform(100, 1000), relative); break;  // deeper
      }
    }
  }
  w.RapidZ(10000);
  w.Line("PROGEND");
  return w.Text();
}

}  // namespace morvatex::testing
