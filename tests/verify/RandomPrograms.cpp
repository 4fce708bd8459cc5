#include "tests/verify/RandomPrograms.h"

#include <cmath>
#include <random>
#include <vector>

namespace morvatex::testing {

std::string RandomProgram(unsigned seed) {
  std::mt19937 random(seed);
  const auto uniform = [&random](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
  std::vector<std::string> lines = {"GETTOOL " + std::to_string(uniform(0, 9)), "SPINDLE CW RPM12000", "VEL 10000"};
  long x = 0, y = 0;
  for (int contour = 0; contour < 4; ++contour) {
    x = uniform(-50, 50) * 1000 + uniform(0, 999);
    y = uniform(-50, 50) * 1000 + uniform(0, 999);
    lines.push_back("FASTABS Z10000");
    lines.push_back("FASTABS X" + std::to_string(x) + " Y" + std::to_string(y));
    lines.push_back("MOVEABS Z-" + std::to_string(uniform(100, 5000)));
    if (uniform(0, 3) == 0) lines.push_back("VEL " + std::to_string(uniform(1, 50) * 1000));
    if (uniform(0, 3) == 0) lines.push_back("SPINDLE CW RPM" + std::to_string(uniform(1, 24) * 1000));
    for (int move = 0; move < 8; ++move) {
      const int kind = uniform(0, 4);
      if (kind <= 1) {
        const long dx = uniform(-20000, 20000), dy = uniform(-20000, 20000);
        lines.push_back(kind == 0 ? "MOVEABS X" + std::to_string(x + dx) + " Y" + std::to_string(y + dy)
                                  : "MOVEREL X" + std::to_string(dx) + " Y" + std::to_string(dy));
        x += dx, y += dy;
      } else {
        // An arc about a centre on the circle through the start point.
        const long i = x + uniform(-20000, 20000), j = y + uniform(-20000, 20000);
        const double r = std::hypot(double(x - i), double(y - j));
        const double angle = std::atan2(double(y - j), double(x - i)) + uniform(0, 3) * 1.2 * (kind == 4 ? 0 : 1);
        const long ex = kind == 4 ? x : i + std::lround(r * std::cos(angle));
        const long ey = kind == 4 ? y : j + std::lround(r * std::sin(angle));
        lines.push_back(std::string(uniform(0, 1) ? "CWABS" : "CCWABS") + " I" + std::to_string(i) + " J" +
                        std::to_string(j) + " X" + std::to_string(ex) + " Y" + std::to_string(ey));
        x = ex, y = ey;
      }
    }
  }
  lines.push_back("FASTABS Z10000");
  lines.push_back("PROGEND");
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace morvatex::testing
