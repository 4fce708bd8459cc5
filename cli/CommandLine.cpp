#include "cli/CommandLine.h"

namespace morvatex {

ConverterCall ParseConverterCall(const std::vector<std::string>& arguments) {
  ConverterCall call;
  std::vector<std::string> paths;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      paths.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--help" || argument == "-h") {
      call.kind = ConverterCall::Kind::kHelp;
      return call;
    } else if (argument == "--debug") {
      call.debug = true;
    } else if (argument == "--settings") {
      if (i + 1 >= arguments.size()) {
        call.error = "--settings needs a file";
        return call;
      }
      call.settingsPath = arguments[++i];
      if (call.settingsPath.empty()) {
        call.error = "--settings needs a file";
        return call;
      }
    } else if (argument.rfind("--settings=", 0) == 0) {
      call.settingsPath = argument.substr(11);
      if (call.settingsPath.empty()) {
        call.error = "--settings needs a file";
        return call;
      }
    } else {
      call.error = "unknown option " + argument;
      return call;
    }
  }
  if (paths.size() != 2) {
    call.error = "SOURCE and TARGET expected";
    return call;
  }
  call.kind = ConverterCall::Kind::kConvert;
  call.source = paths[0];
  call.target = paths[1];
  return call;
}

std::string ConverterUsage() {
  return "Usage: morvatex-convert [--settings FILE] [--debug] SOURCE TARGET\n"
         "Converts the Isel program SOURCE into the CNC program TARGET and, when\n"
         "the settings ask for it, the DXF drawing TARGET.dxf.\n"
         "  --settings FILE  settings file to read (default: morvatex.set beside\n"
         "                   this program, the desktop program's settings file).\n"
         "                   FILE must exist and hold a settings record; if not,\n"
         "                   nothing is converted (exit status 2). Without it, a\n"
         "                   missing or damaged default file gives a new\n"
         "                   configuration, with a warning.\n"
         "  --debug          keep the DXF file of a failed conversion\n"
         "  --help           show this text\n"
         "Neither output may be the source or the settings file (status 80 or 60).\n"
         "Ctrl-C, SIGTERM and SIGHUP stop the run, also while the source is read\n"
         "(status 11); the drawing of a stopped run is removed.\n"
         "Prints the outcome report. Exit status:\n"
         "  0  converted\n"
         "  1  conversion failed or stopped (the report says why)\n"
         "  2  wrong call, or FILE of --settings unusable\n"
         "  3  the report could not be written (standard output closed or full)\n";
}

int ExitStatusFor(int outcomeCode) { return outcomeCode == 0 ? 0 : 1; }

}  // namespace morvatex
