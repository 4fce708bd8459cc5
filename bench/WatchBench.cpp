// morvatex_watch_bench: what `morvatex-convert --watch` costs and how soon it
// acts, on a folder of the local disk (Linux):
//   - the processor time of an idle watch over IDLE_SECONDS, with notices
//     and with --poll 1, as a share of one core;
//   - the latency from a new file's last write to its target, less the
//     settle time, with notices and with --poll 1 (best and worst of 5);
//   - a burst of 1,000 programs dropped at once: the time until every
//     target is there, and that each was converted exactly once.
//
// Usage: morvatex_watch_bench [IDLE_SECONDS]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "base/FileSystem.h"
#include "base/MessageSink.h"
#include "bench/BenchSettings.h"
#include "settings/SettingsFile.h"
#include "tests/support/ProgramGenerator.h"

namespace morvatex::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class NoMessages final : public MessageSink {
 public:
  void ShowMessage(std::string_view) override {}
};

// The watch as a child process, its reports in a file.
class Watch {
 public:
  Watch(const std::vector<std::string>& arguments, const std::string& outPath) {
    std::vector<std::string> all = {"morvatex-convert"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::fflush(stdout);  // or the child would print it again
    pid_ = fork();
    if (pid_ == 0) {
      if (!std::freopen(outPath.c_str(), "w", stdout)) _exit(126);
      execv(MORVATEX_CONVERT_PROGRAM, argv.data());
      _exit(127);
    }
  }
  ~Watch() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  Watch(const Watch&) = delete;
  Watch& operator=(const Watch&) = delete;

  // Processor time (user and system) so far, in seconds.
  double ProcessorSeconds() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t end = text.rfind(')');
    std::vector<std::string> fields;
    std::string field;
    for (std::size_t i = end + 2; i <= text.size(); ++i) {
      if (i == text.size() || text[i] == ' ') {
        fields.push_back(field);
        field.clear();
      } else {
        field += text[i];
      }
    }
    // After the name: state is field 0, utime 11, stime 12 (clock ticks).
    if (fields.size() < 13) return 0;
    return (std::stod(fields[11]) + std::stod(fields[12])) / static_cast<double>(sysconf(_SC_CLK_TCK));
  }

 private:
  pid_t pid_ = 0;
};

void WriteFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

bool WaitFor(const fs::path& path, double seconds) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) {
    if (fs::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void Idle(const fs::path& root, const std::string& settings, double seconds, const std::vector<std::string>& extra,
          const char* name) {
  fs::create_directories(root / "idle");
  std::vector<std::string> arguments = {"--settings", settings, "--watch", (root / "idle").string()};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  Watch watch(arguments, (root / "idle.out").string());
  std::this_thread::sleep_for(std::chrono::seconds(1));  // past the start
  const double before = watch.ProcessorSeconds();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  const double used = watch.ProcessorSeconds() - before;
  std::printf("idle %-8s %6.3f %% of a core (%.3f s processor in %.0f s)\n", name, 100 * used / seconds, used, seconds);
}

void Latency(const fs::path& root, const std::string& settings, const std::vector<std::string>& extra,
             const char* name) {
  const fs::path folder = root / (std::string("latency-") + name);
  fs::create_directories(folder);
  std::vector<std::string> arguments = {"--settings", settings, "--watch", folder.string(), "--settle", "1"};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  Watch watch(arguments, (root / "latency.out").string());
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const std::string program = GenerateIselProgram(200);
  double best = 1e9;
  double worst = 0;
  for (int i = 0; i < 5; ++i) {
    const std::string stem = "teil" + std::to_string(i);
    WriteFile(folder / (stem + ".ncp"), program);
    const auto written = Clock::now();
    if (!WaitFor(folder / (stem + ".cnc"), 30)) {
      std::printf("latency %-8s: no target after 30 s\n", name);
      return;
    }
    const double after = Since(written) - 1.0;  // less the settle time
    best = std::min(best, after);
    worst = std::max(worst, after);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  std::printf("latency %-8s beyond the settle time of 1 s: best %.3f s, worst %.3f s\n", name, best, worst);
}

void Burst(const fs::path& root, const std::string& settings) {
  const fs::path folder = root / "burst";
  fs::create_directories(folder);
  const fs::path out = root / "burst.out";
  Watch watch({"--settings", settings, "--watch", folder.string(), "--settle", "1"}, out.string());
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const std::string program = GenerateIselProgram(200);
  constexpr int kFiles = 1000;
  const auto start = Clock::now();
  for (int i = 0; i < kFiles; ++i) WriteFile(folder / ("teil" + std::to_string(i) + ".ncp"), program);
  const double written = Since(start);
  for (int i = 0; i < kFiles; ++i) {
    if (!WaitFor(folder / ("teil" + std::to_string(i) + ".cnc"), 120)) {
      std::printf("burst: teil%d.cnc missing after 120 s\n", i);
      return;
    }
  }
  const double done = Since(start);
  std::this_thread::sleep_for(std::chrono::seconds(3));  // time for a second conversion, if any
  std::ifstream reports(out);
  std::string line;
  int converted = 0;
  while (std::getline(reports, line)) converted += line == "Fehlerstatus: 0" ? 1 : 0;
  std::printf("burst of %d files: written in %.2f s, all targets after %.2f s (settle 1 s), %d reports\n", kFiles,
              written, done, converted);
}

}  // namespace
}  // namespace morvatex::bench

int main(int argc, char** argv) {
  using namespace morvatex;
  const double idleSeconds = argc > 1 ? std::atof(argv[1]) : 30;
  const bench::fs::path root = bench::fs::temp_directory_path() / ("morvatex-watch-bench-" + std::to_string(getpid()));
  bench::fs::create_directories(root);
  const std::string settings = (root / "morvatex.set").string();
  RealFileSystem files;
  bench::NoMessages messages;
  if (!SaveSettingsFile(bench::BenchSettings(true, false), settings, files, messages)) return 1;
  bench::Idle(root, settings, idleSeconds, {}, "notices");
  bench::Idle(root, settings, idleSeconds, {"--poll", "1"}, "poll 1 s");
  bench::Latency(root, settings, {}, "notices");
  bench::Latency(root, settings, {"--poll", "1"}, "poll 1 s");
  bench::Burst(root, settings);
  bench::fs::remove_all(root);
  return 0;
}
