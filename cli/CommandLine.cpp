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
         "       morvatex-convert --write-settings FILE [--preset NAME] [--set NAME=VALUE]...\n"
         "       morvatex-convert --show-settings FILE\n"
         "Converts the Isel program SOURCE into the CNC program TARGET and, when\n"
         "the settings ask for it, the DXF drawing TARGET.dxf.\n"
         "  --settings FILE  settings file to read (default: morvatex.set beside\n"
         "                   this program, the desktop program's settings file)\n"
         "  --debug          keep the DXF file of a failed conversion\n"
         "  --help           show this text\n"
         "--write-settings writes a settings file: a new configuration, then the\n"
         "preset NAME (allgemein, loesche, mach3 or xilog) as the settings dialog\n"
         "applies it, then each --set. NAME of --set is a field as --show-settings\n"
         "names it (Werkzeuge[N] for tool N); VALUE a number as the dialog reads it\n"
         "(decimal point, $1F or 0x1F, 1.5E2) or a text, cut to the field's length.\n"
         "--show-settings prints every field of a settings file as NAME=VALUE.\n"
         "A conversion prints the outcome report. Exit status: 0 done, 1 conversion\n"
         "failed or settings file not readable or writable, 2 wrong call.\n";
}

int ExitStatusFor(int outcomeCode) { return outcomeCode == 0 ? 0 : 1; }

}  // namespace morvatex
