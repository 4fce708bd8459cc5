// Soak test: converts 10,000 random Isel programs (both outputs, on the real
// disk) in one process with one conversion object, as a long batch does, and
// prints the resident memory and the open descriptors after every thousand.
// Fails (exit status 1) when either grows after the first thousand.
//   morvatex_soak [PROGRAMS]
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "base/FileSystem.h"
#include "bench/BenchSettings.h"
#include "engine/ConversionRun.h"

namespace morvatex::bench {
namespace {

long ResidentKiB() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int OpenDescriptors() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}

// A program of random commands with random values: mostly valid, now and
// then a broken value, an unknown line or a missing PROGEND, so that failed
// runs (and their clean-up) are soaked too.
std::string RandomProgram(std::mt19937& random) {
  static const char* const kMoves[] = {"FASTABS", "FASTREL", "MOVEABS", "MOVEREL"};
  static const char* const kArcs[] = {"CWABS", "CCWABS", "CWREL", "CCWREL"};
  std::uniform_int_distribution<int> value(-200000, 200000);
  std::uniform_int_distribution<int> percent(0, 99);
  const int lines = std::uniform_int_distribution<int>(5, 1500)(random);
  // One program in twenty has one value that is not an integer (149).
  const int broken = percent(random) < 5 ? std::uniform_int_distribution<int>(1, lines)(random) : 0;
  std::string out;
  auto add = [&](const std::string& line) { out += line + "\r\n"; };
  add("GETTOOL " + std::to_string(percent(random)));
  for (int n = 1; n < lines; ++n) {
    const int kind = n == broken ? -1 : percent(random);
    const std::string number = "N" + std::to_string(n) + " ";
    if (kind < 0) {
      add(number + "MOVEABS X1.5");
    } else if (kind < 45) {
      add(number + kMoves[kind % 4] + " X" + std::to_string(value(random)) + " Y" + std::to_string(value(random)) +
          " Z" + std::to_string(value(random) / 100));
    } else if (kind < 75) {
      add(number + kArcs[kind % 4] + " I" + std::to_string(value(random)) + " J" + std::to_string(value(random)) +
          " X" + std::to_string(value(random)) + " Y" + std::to_string(value(random)));
    } else if (kind < 80) {
      add(number + "VEL " + std::to_string(value(random) / 10));
    } else if (kind < 84) {
      add(number + "SPINDLE CW RPM" + std::to_string(value(random) / 10));
    } else if (kind < 88) {
      add(number + (kind % 2 ? "COOLANT ON" : "COOLANT OFF"));
    } else if (kind < 91) {
      add(number + "WPZERO X" + std::to_string(value(random)));
    } else if (kind < 94) {
      add(number + "; " + std::to_string(value(random)));
    } else if (kind < 96) {
      add(number + "HALT");
    } else {
      add(number + "FASTABS X" + std::to_string(value(random)));
    }
  }
  if (percent(random) != 0) add("PROGEND");
  return out;
}

}  // namespace
}  // namespace morvatex::bench

int main(int argc, char** argv) {
  using namespace morvatex;
  const int programs = argc > 1 ? std::atoi(argv[1]) : 10000;
  const auto folder = std::filesystem::temp_directory_path() / ("morvatex-soak-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string source = (folder / "programm.ncp").string();
  const std::string target = (folder / "programm.cnc").string();

  SettingsRecord settings = bench::BenchSettings();
  RealFileSystem fs;
  ConversionRun run(settings, fs);

  std::mt19937 random(20261208);
  std::map<int, int> codes;
  long settledKiB = 0;
  int settledDescriptors = 0;
  bool grew = false;
  std::printf("%8s %10s %6s\n", "programs", "RSS KiB", "fds");
  for (int i = 1; i <= programs; ++i) {
    // Every tenth program in Xilog layout, every seventh without polylines.
    settings.Profil.Sonderbehandlung = i % 10 == 0 ? 1 : 0;
    settings.Erstelle2DPolylinien = i % 7 != 0;
    std::ofstream(source, std::ios::binary | std::ios::trunc) << bench::RandomProgram(random);
    ++codes[NumberOf(run.Convert(source, target))];
    if (i % 1000 == 0 || i == programs) {
      const long rss = bench::ResidentKiB();
      const int fds = bench::OpenDescriptors();
      std::printf("%8d %10ld %6d\n", i, rss, fds);
      if (i == 1000) {
        settledKiB = rss;
        settledDescriptors = fds;
      } else if (i > 1000 && (rss > settledKiB + 2048 || fds > settledDescriptors)) {
        grew = true;
      }
    }
  }
  std::printf("outcome codes:");
  for (const auto& [code, count] : codes) std::printf(" %d×%d", code, count);
  std::printf("\n%s\n", grew ? "memory or descriptors GREW" : "memory and descriptors steady");
  std::filesystem::remove_all(folder);
  return grew ? 1 : 0;
}
