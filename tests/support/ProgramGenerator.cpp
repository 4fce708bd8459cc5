#include "tests/support/ProgramGenerator.h"

namespace morvatex::bench {
namespace {

void Add(std::string& out, std::size_t& count, const std::string& line) {
  out += 'N';
  out += std::to_string(++count);
  out += ' ';
  out += line;
  out += "\r\n";
}

}  // namespace

std::string GenerateIselProgram(std::size_t lines) {
  std::string out;
  out.reserve(lines * 32);
  std::size_t count = 0;
  Add(out, count, "GETTOOL 3");
  Add(out, count, "SPINDLE CW RPM12000");
  Add(out, count, "VEL 10000");
  Add(out, count, "FASTABS X0 Y0 Z10000");
  long x = 0, y = 0;
  std::size_t contour = 0;
  while (count + 12 < lines) {
    ++contour;
    x = static_cast<long>((contour * 7919) % 400000);
    y = static_cast<long>((contour * 104729) % 300000);
    Add(out, count, "FASTABS X" + std::to_string(x) + " Y" + std::to_string(y));
    Add(out, count, "MOVEABS Z-2000");
    if (contour % 20 == 0) Add(out, count, "VEL " + std::to_string(5000 + (contour % 7) * 1000));
    if (contour % 50 == 0) Add(out, count, "SPINDLE CW RPM" + std::to_string(8000 + (contour % 5) * 1000));
    Add(out, count, "MOVEREL X20000");
    Add(out, count, "CCWREL I0 J5000 X0 Y10000");
    Add(out, count, "MOVEREL X-20000");
    Add(out, count,
        "CWABS I" + std::to_string(x - 1000) + " J" + std::to_string(y + 10000) + " X" + std::to_string(x - 1000) +
            " Y" + std::to_string(y + 9000));
    Add(out, count, "MOVEABS X" + std::to_string(x) + " Y" + std::to_string(y));
    Add(out, count, "FASTABS Z10000");
  }
  Add(out, count, "FASTABS X0 Y0");
  Add(out, count, "PROGEND");
  return out;
}

}  // namespace morvatex::bench
