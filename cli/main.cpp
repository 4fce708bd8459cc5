// morvatex-convert: one conversion run, or the batch run over a job list
// (--list), or the programs arriving in a watched folder (--watch), from the
// command line, with the settings of the desktop program; or the settings
// commands (--write-settings, --show-settings), or the tool-path preview
// (--preview). Prints the outcome reports (UTF-8) and exits with 0
// (converted), 1 (failed), 2 (wrong call, unusable settings file, or memory
// ran out), 3 (the report could not be written), 4 (converted, but --verify
// found divergences) or 5 (converted, but not every line carried over).
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/Cp1252Codec.h"
#include "base/FileSystem.h"
#include "base/MessageSink.h"
#include "base/PathSyntax.h"
#include "base/ProgramPath.h"
#include "base/TerminalText.h"
#include "batch/FolderWatchChecks.h"
#include "batch/ProgramFiles.h"
#include "cli/BatchCommand.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleOutput.h"
#include "cli/ExplicitSettings.h"
#include "cli/PreviewLoader.h"
#include "cli/SettingsCommand.h"
#include "cli/Signals.h"
#include "cli/WatchCommand.h"
#include "engine/ConversionRun.h"
#include "engine/StopRequest.h"
#include "preview/RapidRateFile.h"
#include "settings/DialectChoiceFile.h"
#include "settings/SettingsFile.h"
#include "verify/Verification.h"

namespace morvatex {
namespace {

constexpr int kUsageStatus = 2;

class StandardErrorSink final : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override { std::cerr << ForTerminal(text); }
};

int UsageError(const std::string& what) {
  std::cerr << "morvatex-convert: " << what << "\n" << kUsageHint;
  return kUsageStatus;
}

// What standard output received decides: a report that did not arrive in
// full must not pass for a success.
int Reported(bool outputOpen, int status) {
  std::cout.flush();
  return outputOpen && std::cout.good() ? status : kReportLostStatus;
}

// The folder without the separators it may end with (the root kept).
std::string WithoutTrailingSeparators(std::string folder) {
  const std::string_view separators = NativePathSyntax().separators;
  while (folder.size() > 1 && separators.find(folder.back()) != std::string_view::npos) folder.pop_back();
  return folder;
}

int RunWatch(const ConverterCall& call, const std::string& settingsPath, const SettingsRecord& settings, FileSystem& fs,
             ConversionOptions options, MessageSink& messages) {
  WatchCommandOptions watch;
  const auto folder = Utf8ToCp1252(call.watchFolder);
  const auto pattern = Utf8ToCp1252(call.pattern);
  const auto archive = Utf8ToCp1252(call.archivePath);
  const auto log = Utf8ToCp1252(call.logPath);
  if (!folder) return UsageError("FOLDER cannot be written in Windows-1252: " + call.watchFolder);
  if (!pattern) return UsageError("GLOB cannot be written in Windows-1252: " + call.pattern);
  if (!archive) return UsageError("DIR cannot be written in Windows-1252: " + call.archivePath);
  if (!log) return UsageError("the log FILE cannot be written in Windows-1252: " + call.logPath);
  watch.folder.folder = WithoutTrailingSeparators(*folder);
  watch.folder.pattern = *pattern;
  watch.folder.recursive = call.recursive;
  watch.folder.archive = archive->empty() ? std::string() : WithoutTrailingSeparators(*archive);
  watch.folder.settle = WatchTime{call.settleMs};
  watch.folder.retryOutputFailures = !call.once;
  watch.poll = WatchTime{call.pollMs};
  watch.once = call.once;
  watch.logPath = *log;
  if (call.verify) watch.verification = call.verification;
  watch.failedChecksPath = FailedCheckListPath(settingsPath);
  watch.settingsFile = settingsPath;
  watch.jobs = call.jobs > 0 ? call.jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  if (!log->empty()) options.protectedPaths.push_back(*log);
  return RunWatchCommand(watch, settings, fs, std::move(options), messages, std::cout);
}

// One conversion, checked with --verify; its exit status.
int ConvertOne(const ConverterCall& call, const std::string& source, const std::string& target,
               const SettingsRecord& settings, FileSystem& fs, const ConversionOptions& options,
               MessageSink& messages) {
  ConversionRun run(settings, fs, options);
  const Outcome code = run.Convert(source, target);
  std::cout << ForTerminal(run.OutcomeReport());
  if (const std::string why = CreateFailureMessage(run.CreateFailureCause()); !why.empty()) messages.ShowMessage(why);
  if (code != Outcome::kSuccess) return ExitStatusFor(code);
  if (call.verify) {
    const VerificationResult check = VerifyConversion(run, settings, fs, call.verification, options.dialect);
    std::cout << ForTerminal(check.report);
    if (!check.Clean()) return kDivergenceStatus;
  }
  return run.Incomplete() ? kIncompleteStatus : 0;
}

// The settings file the call reads: the one it names, else the desktop
// program's beside this one; none (said on standard error) when it cannot
// be named.
std::optional<std::string> CallSettingsPath(const ConverterCall& call, FileSystem& fs) {
  if (!call.settingsPath.empty()) {
    auto path = Utf8ToCp1252(call.settingsPath);
    if (!path) UsageError("FILE cannot be written in Windows-1252: " + call.settingsPath);
    return path;
  }
  const auto program = RunningProgramPath();
  if (!program) {
    UsageError("the folder of this program is unknown; name the settings with --settings");
    return std::nullopt;
  }
  // Where the desktop program beside this one keeps its settings.
  const ProgramFiles files = LocateProgramFiles(FolderPart(*program, NativePathSyntax()) + "morvatex",
                                                NativePathSyntax(), fs, ReadUserFolderEnvironment());
  if (!files.problem.empty()) {
    UsageError(ForTerminal(files.problem) + "name the settings with --settings");
    return std::nullopt;
  }
  return files.settingsPath;
}

// Reads the settings at `settingsPath` into `settings`; false (said on
// standard error) when the file the call names is unusable, or the default
// one is no regular file. A missing or damaged default file gives a new
// configuration, with a warning.
bool LoadCallSettings(const ConverterCall& call, const std::string& settingsPath, FileSystem& fs, MessageSink& messages,
                      SettingsRecord& settings) {
  if (!call.settingsPath.empty()) {
    const std::string problem = LoadExplicitSettings(settingsPath, call.settingsPath, fs, settings);
    if (!problem.empty()) std::cerr << "morvatex-convert: " << problem << "\n";
    return problem.empty();
  }
  if (fs.IsSpecialFile(settingsPath)) {
    // A FIFO there would be waited on; a new configuration would hide it.
    std::cerr << "morvatex-convert: settings file is not a regular file: " << Cp1252ToUtf8(settingsPath) << "\n";
    return false;
  }
  LoadSettingsFile(settings, settingsPath, fs, messages);
  return true;
}

int Run(const std::vector<std::string>& arguments) {
  const bool outputOpen = ReserveStandardDescriptors();
  ShowOutputOnTheConsole();
  InstallStopSignals();
  if (IsSettingsCommand(arguments)) return Reported(outputOpen, RunSettingsCommand(arguments, std::cout, std::cerr));
  const ConverterCall call = ParseConverterCall(arguments);
  if (call.kind == ConverterCall::Kind::kHelp) {
    std::cout << ConverterUsage();
    return Reported(outputOpen, 0);
  }
  if (call.kind == ConverterCall::Kind::kVersion) {
    std::cout << ConverterVersion();
    return Reported(outputOpen, 0);
  }
  if (call.kind == ConverterCall::Kind::kUsageError) return UsageError(call.error);

  // Paths are kept as Windows-1252 text like everywhere in the program; one
  // that cannot be written so is refused rather than changed.
  const auto source = Utf8ToCp1252(call.source);
  const auto target = Utf8ToCp1252(call.target);
  if (!source) return UsageError("SOURCE cannot be written in Windows-1252: " + call.source);
  if (!target) return UsageError("TARGET cannot be written in Windows-1252: " + call.target);
  const auto picture = Utf8ToCp1252(call.previewPath);
  if (!picture) return UsageError("FILE.png cannot be written in Windows-1252: " + call.previewPath);
  const auto list = Utf8ToCp1252(call.listPath);
  const auto log = Utf8ToCp1252(call.logPath);
  if (!list) return UsageError("FILE.mvx cannot be written in Windows-1252: " + call.listPath);
  if (!log) return UsageError("the log FILE cannot be written in Windows-1252: " + call.logPath);
  RealFileSystem fs(StopSignalArrived);
  const std::optional<std::string> settingsFile = CallSettingsPath(call, fs);
  if (!settingsFile) return kUsageStatus;
  const std::string& settingsPath = *settingsFile;
  StandardErrorSink messages;
  SettingsRecord settings{};
  if (!LoadCallSettings(call, settingsPath, fs, messages, settings)) return kUsageStatus;

  // The language of the desktop program's settings dialog, unless named.
  const IselDialect dialect = call.dialect ? *call.dialect : LoadDialectChoice(fs, DialectChoiceFilePath(settingsPath));

  if (call.kind == ConverterCall::Kind::kPreview) {
    MachineModel machine = LoadPreviewMachine(fs, RapidRateFilePath(settingsPath));
    if (call.rapidRate > 0) machine.rapidRate = call.rapidRate;
    if (call.acceleration > 0) machine.acceleration = call.acceleration;
    if (call.cornerTolerance >= 0) machine.cornerTolerance = call.cornerTolerance;
    return Reported(outputOpen, RunPreview(*source, *picture, settingsPath, settings, machine, call.depth, dialect,
                                           std::cout, std::cerr));
  }

  if (call.kind == ConverterCall::Kind::kCheckOnly) {
    const VerificationResult check =
        VerifySourceAndCncProgram(settings, fs, *source, *target, call.verification, dialect);
    std::cout << ForTerminal(check.report);
    return Reported(outputOpen, !check.problem.empty() ? kUsageStatus : check.Clean() ? 0 : kDivergenceStatus);
  }

  ConversionOptions options;
  options.debugMode = call.debug;
  options.dialect = dialect;
  // Neither output may replace the settings that made it.
  options.protectedPaths.push_back(settingsPath);
  // Each stage heeds only stop requests made after it began; a signal that
  // came earlier is raised again here, once per line, for every conversion
  // of a --jobs run.
  options.processPendingInput = [] {
    if (StopSignalArrived()) RequestStop();
  };
  if (call.kind == ConverterCall::Kind::kWatch)
    return Reported(outputOpen, RunWatch(call, settingsPath, settings, fs, std::move(options), messages));
  if (call.kind == ConverterCall::Kind::kBatch) {
    // Nor the job list and the log of the run.
    options.protectedPaths.push_back(*list);
    if (!log->empty()) options.protectedPaths.push_back(*log);
    const int jobs = call.jobs > 0 ? call.jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const VerificationOptions* verification = call.verify ? &call.verification : nullptr;
    return Reported(outputOpen, RunBatchCommand(FullPath(*list), *log, settingsPath, settings, fs, std::move(options),
                                                jobs, messages, std::cout, verification));
  }
  return Reported(outputOpen, ConvertOne(call, *source, *target, settings, fs, options, messages));
}

}  // namespace
}  // namespace morvatex

int main(int argc, char** argv) {
  // Memory that runs out where no part catches it is a clean failure with a
  // message, never an abort: written without allocating.
  try {
    return morvatex::Run(morvatex::ProgramArguments(argc, argv));
  } catch (const std::bad_alloc&) {
    std::fputs("morvatex-convert: not enough memory\n", stderr);
    return morvatex::kUsageStatus;
  }
}
