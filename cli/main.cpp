// morvatex-convert: one conversion run from the command line, with the
// settings of the desktop program. Prints the outcome report (UTF-8) and
// exits with 0 (converted), 1 (failed), 2 (wrong call or unusable settings
// file) or 3 (the report could not be written).
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "base/Cp1252Codec.h"
#include "base/FileSystem.h"
#include "base/MessageSink.h"
#include "base/PathSyntax.h"
#include "base/ProgramPath.h"
#include "cli/CommandLine.h"
#include "cli/ExplicitSettings.h"
#include "cli/Signals.h"
#include "engine/StopRequest.h"
#include "engine/UnitConvertFile.h"
#include "settings/SettingsFile.h"

namespace morvatex {
namespace {

constexpr int kUsageStatus = 2;

// Windows-1252 text with CR LF line ends as UTF-8 lines for the terminal.
std::string ForTerminal(std::string_view text) {
  std::string utf8 = Cp1252ToUtf8(text);
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    out.push_back(utf8[i]);
  }
  if (!out.empty() && out.back() != '\n') out.push_back('\n');
  return out;
}

class StandardErrorSink final : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override { std::cerr << ForTerminal(text); }
};

int UsageError(const std::string& what) {
  std::cerr << "morvatex-convert: " << what << "\n" << ConverterUsage();
  return kUsageStatus;
}

// What standard output received decides: a report that did not arrive in
// full must not pass for a success.
int Reported(bool outputOpen, int status) {
  std::cout.flush();
  return outputOpen && std::cout.good() ? status : kReportLostStatus;
}

int Run(int argc, char** argv) {
  const bool outputOpen = ReserveStandardDescriptors();
  InstallStopSignals();
  const ConverterCall call = ParseConverterCall(std::vector<std::string>(argv + 1, argv + argc));
  if (call.kind == ConverterCall::Kind::kHelp) {
    std::cout << ConverterUsage();
    return Reported(outputOpen, 0);
  }
  if (call.kind == ConverterCall::Kind::kUsageError) return UsageError(call.error);

  // Paths are kept as Windows-1252 text like everywhere in the program; one
  // that cannot be written so is refused rather than changed.
  const auto source = Utf8ToCp1252(call.source);
  const auto target = Utf8ToCp1252(call.target);
  if (!source) return UsageError("SOURCE cannot be written in Windows-1252: " + call.source);
  if (!target) return UsageError("TARGET cannot be written in Windows-1252: " + call.target);
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

  RealFileSystem fs(StopSignalArrived);
  Einstellungen settings{};
  if (!call.settingsPath.empty()) {
    const std::string problem = LoadExplicitSettings(settingsPath, call.settingsPath, fs, settings);
    if (!problem.empty()) {
      std::cerr << "morvatex-convert: " << problem << "\n";
      return kUsageStatus;
    }
  } else {
    StandardErrorSink messages;
    LadeEinstellungen(settings, settingsPath, fs, messages);
  }

  ConversionOptions options;
  options.debugMode = call.debug;
  // Neither output may replace the settings that made it.
  options.protectedPaths.push_back(settingsPath);
  // Each stage clears the stop request when it begins; a signal that came
  // earlier is raised again here, once per line.
  options.processPendingInput = [] {
    if (StopSignalArrived()) RequestStop();
  };
  ConversionRun run(settings, fs, options);
  const int code = run.Convert(*source, *target);
  std::cout << ForTerminal(run.OutcomeReport());
  return Reported(outputOpen, ExitStatusFor(code));
}

}  // namespace
}  // namespace morvatex

int main(int argc, char** argv) { return morvatex::Run(argc, argv); }
