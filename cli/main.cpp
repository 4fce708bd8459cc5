// morvatex-convert: one conversion run, or the batch run over a job list
// (--list), from the command line, with the settings of the desktop program.
// Prints the outcome reports (UTF-8) and exits with 0 (converted), 1 (failed)
// or 2 (wrong call).
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "base/Cp1252Codec.h"
#include "base/FileSystem.h"
#include "base/MessageSink.h"
#include "base/PathSyntax.h"
#include "base/ProgramPath.h"
#include "cli/BatchCommand.h"
#include "cli/CommandLine.h"
#include "cli/SettingsCommand.h"
#include "cli/TerminalText.h"
#include "engine/StopRequest.h"
#include "engine/UnitConvertFile.h"
#include "settings/SettingsFile.h"

namespace morvatex {
namespace {

constexpr int kUsageStatus = 2;

// Lock-free, so that the handler may set it and every conversion thread read it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
  interrupted.store(true, std::memory_order_relaxed);
  RequestStop();
}

class StandardErrorSink final : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override { std::cerr << ForTerminal(text); }
};

int UsageError(const std::string& what) {
  std::cerr << "morvatex-convert: " << what << "\n" << ConverterUsage();
  return kUsageStatus;
}

int Run(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (IsSettingsCommand(arguments)) return RunSettingsCommand(arguments, std::cout, std::cerr);
  const ConverterCall call = ParseConverterCall(arguments);
  if (call.kind == ConverterCall::Kind::kHelp) {
    std::cout << ConverterUsage();
    return 0;
  }
  if (call.kind == ConverterCall::Kind::kUsageError) return UsageError(call.error);

  // Paths are kept as Windows-1252 text like everywhere in the program; one
  // that cannot be written so is refused rather than changed.
  const auto source = Utf8ToCp1252(call.source);
  const auto target = Utf8ToCp1252(call.target);
  if (!source) return UsageError("SOURCE cannot be written in Windows-1252: " + call.source);
  if (!target) return UsageError("TARGET cannot be written in Windows-1252: " + call.target);
  const auto list = Utf8ToCp1252(call.listPath);
  const auto log = Utf8ToCp1252(call.logPath);
  if (!list) return UsageError("FILE.mvx cannot be written in Windows-1252: " + call.listPath);
  if (!log) return UsageError("the log FILE cannot be written in Windows-1252: " + call.logPath);
  std::string settingsPath;
  if (!call.settingsPath.empty()) {
    const auto path = Utf8ToCp1252(call.settingsPath);
    if (!path) return UsageError("FILE cannot be written in Windows-1252: " + call.settingsPath);
    settingsPath = *path;
  } else {
    const auto program = RunningProgramPath();
    if (!program) return UsageError("the folder of this program is unknown; name the settings with --settings");
    settingsPath = FolderPart(*program, NativePathSyntax()) + "morvatex.set";
  }

  RealFileSystem fs;
  StandardErrorSink messages;
  Einstellungen settings{};
  LadeEinstellungen(settings, settingsPath, fs, messages);

  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  ConversionOptions options;
  options.debugMode = call.debug;
  // Each pass clears the stop request when it begins; an interrupt that came
  // earlier (while the source was read) is raised again here, once per line.
  // With --jobs, one conversion may clear it while another runs; each raises
  // it again before its next line.
  options.processPendingInput = [] {
    if (interrupted.load(std::memory_order_relaxed)) RequestStop();
  };
  if (call.kind == ConverterCall::Kind::kBatch) {
    const int jobs = call.jobs > 0 ? call.jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return RunBatchCommand(*list, *log, settings, fs, std::move(options), jobs, messages, std::cout);
  }
  ConversionRun run(settings, fs, options);
  const int code = run.Convert(*source, *target);
  std::cout << ForTerminal(run.OutcomeReport()) << std::flush;
  return ExitStatusFor(code);
}

}  // namespace
}  // namespace morvatex

int main(int argc, char** argv) { return morvatex::Run(argc, argv); }
