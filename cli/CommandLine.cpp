#include "cli/CommandLine.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "base/ProductInfo.h"
#include "preview/RapidRateFile.h"
#include "settings/DialectChoiceFile.h"
#include "settings/NumberSyntax.h"

namespace morvatex {
namespace {

// Takes the value of option `name` at arguments[i], written "--name FILE" or
// "--name=FILE"; false when `argument` is not that option. A missing or
// empty value becomes the call's error.
bool TakeValue(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name, std::string& value,
               ConverterCall& call) {
  const std::string& argument = arguments[i];
  if (argument == name) {
    value = i + 1 < arguments.size() ? arguments[++i] : std::string();
  } else if (argument.rfind(name + "=", 0) == 0) {
    value = argument.substr(name.size() + 1);
  } else {
    return false;
  }
  if (value.empty())
    call.error = name + (name == "--jobs" || name == "--rapid" || name == "--tolerance" || name == "--accel" ||
                                 name == "--corner" || name == "--settle" || name == "--poll"
                             ? " needs a number"
                         : name == "--verify" ? " needs a model"
                         : name == "--isel"   ? " needs original or erweitert"
                                              : " needs a file");
  return true;
}

// Reads SECONDS ("2", "0.5") as milliseconds; false unless it lies within
// [least, 86400] seconds.
bool ReadSeconds(const std::string& text, double least, int& milliseconds) {
  double seconds = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error != std::errc() || end != text.data() + text.size() || !(seconds >= least) || seconds > 86400) return false;
  milliseconds = static_cast<int>(seconds * 1000 + 0.5);
  return true;
}

// The options of --watch; true when `arguments[i]` was one of them.
bool TakeWatchOption(const std::vector<std::string>& arguments, std::size_t& i, ConverterCall& call, bool& given) {
  const std::string& argument = arguments[i];
  std::string seconds;
  given = true;
  if (argument == "--recursive") {
    call.recursive = true;
  } else if (argument == "--once") {
    call.once = true;
  } else if (TakeValue(arguments, i, "--pattern", call.pattern, call) ||
             TakeValue(arguments, i, "--archive", call.archivePath, call)) {
  } else if (TakeValue(arguments, i, "--settle", seconds, call)) {
    if (call.error.empty() && !ReadSeconds(seconds, 0, call.settleMs))
      call.error = "--settle needs a number of seconds from 0 to 86400";
  } else if (TakeValue(arguments, i, "--poll", seconds, call)) {
    if (call.error.empty() && !ReadSeconds(seconds, 0.1, call.pollMs))
      call.error = "--poll needs a number of seconds from 0.1 to 86400";
  } else {
    given = false;
    return TakeValue(arguments, i, "--watch", call.watchFolder, call);
  }
  return true;
}

// What the options of --verify left for the checks after all arguments.
struct CheckOptions {
  bool against = false;
  bool toleranceGiven = false;
};

// Takes --verify MODEL, --tolerance MM or --against at arguments[i]; false
// when it is none of them. A wrong value becomes the call's error.
bool TakeCheckOption(const std::vector<std::string>& arguments, std::size_t& i, ConverterCall& call,
                     CheckOptions& check) {
  if (arguments[i] == "--against") {
    check.against = true;
  } else if (std::string model; TakeValue(arguments, i, "--verify", model, call)) {
    if (call.error.empty() && !ParseControlModel(model, call.verification.model))
      call.error = "--verify needs the model rs274 or eingestellt";
    call.verify = true;
  } else if (std::string tolerance; TakeValue(arguments, i, "--tolerance", tolerance, call)) {
    // Read as every number of the program is (1.5, 1e-3), so that the
    // message names the range only for a number outside it.
    const std::optional<double> value = ParseDecimal(tolerance);
    if (call.error.empty() && !value) call.error = "--tolerance needs a number (decimal point), not " + tolerance;
    if (call.error.empty() && (*value <= 0 || *value > 100))
      call.error = "--tolerance needs a number of mm above 0 and at most 100";
    call.verification.tolerance = value.value_or(0);
    check.toleranceGiven = true;
  } else {
    return false;
  }
  return true;
}

// True when the watch options decide the call: a watch, or an error.
bool SettleWatchCall(ConverterCall& call, bool watchOptionGiven, const std::vector<std::string>& paths) {
  if (!call.watchFolder.empty()) {
    if (!call.listPath.empty() || !call.previewPath.empty() || call.rapidRate != 0 || call.acceleration != 0 ||
        call.cornerTolerance >= 0 || call.depth || call.debug || !paths.empty()) {
      call.error = "--watch takes no SOURCE or TARGET and works without --list, --preview and --debug";
    } else {
      call.kind = ConverterCall::Kind::kWatch;
    }
    return true;
  }
  if (!watchOptionGiven) return false;
  call.error = "--pattern, --recursive, --archive, --settle, --poll and --once work only with --watch";
  return true;
}

// True when the preview options decide the call: a preview, or an error.
bool SettlePreviewCall(ConverterCall& call, const std::vector<std::string>& paths) {
  if (!call.previewPath.empty()) {
    if (!call.listPath.empty() || !call.logPath.empty() || call.jobs != 0) {
      call.error = "--preview works without --list, --log and --jobs";
    } else if (paths.size() != 1) {
      call.error = "--preview takes one SOURCE";
    } else {
      call.kind = ConverterCall::Kind::kPreview;
      call.source = paths[0];
    }
    return true;
  }
  if (call.rapidRate != 0 || call.acceleration != 0 || call.cornerTolerance >= 0) {
    call.error = "--rapid, --accel and --corner work only with --preview";
  } else if (call.depth) {
    call.error = "--depth works only with --preview";
  } else {
    return false;
  }
  return true;
}

// True when the check options decide the call: an error, or --against.
bool SettleCheckCall(ConverterCall& call, const CheckOptions& check, const std::vector<std::string>& paths) {
  if ((check.against || check.toleranceGiven) && !call.verify) {
    call.error = "--against and --tolerance work only with --verify";
  } else if (call.verify && !call.previewPath.empty()) {
    call.error = "--verify works without --preview";
  } else if (!check.against) {
    return false;
  } else if (!call.listPath.empty() || !call.logPath.empty() || call.jobs != 0 || call.debug) {
    call.error = "--against works without --list, --log, --jobs and --debug";
  } else if (paths.size() != 2) {
    call.error = "--against takes SOURCE and CNCFILE";
  } else {
    call.kind = ConverterCall::Kind::kCheckOnly;
    call.source = paths[0];
    call.target = paths[1];
  }
  return true;
}

// Reads the decimal `value` of option `name` into `number`; false (with the
// call's error set) when it is no number from `minimum` to `maximum`.
bool TakeDecimal(const std::string& value, const std::string& name, double minimum, double maximum, double& number,
                 ConverterCall& call) {
  if (call.error.empty()) {
    const std::optional<double> read = ParseDecimal(value);
    if (read && *read >= minimum && *read <= maximum) {
      number = *read;
      return true;
    }
    // Whole bounds as digits: "100000", not "1e+05".
    const auto bound = [](double limit) {
      return limit == std::floor(limit) && std::fabs(limit) < 1e15 ? std::to_string(static_cast<long long>(limit))
                                                                   : ShortestDecimalText(limit);
    };
    call.error = name + " needs a number from " + bound(minimum) + " to " + bound(maximum) + " (decimal point)";
  }
  return false;
}

// The options of --watch in the usage text.
std::string WatchOptionsUsage() {
  return "  --watch FOLDER   convert every program that arrives in FOLDER, to the\n"
         "                   target the folder rule of the settings gives, until\n"
         "                   stopped: first the backlog (each file whose target is\n"
         "                   missing or older), then each new or changed file once\n"
         "                   it is complete. One report per file. A file that\n"
         "                   fails waits until it changes; one whose output could\n"
         "                   not be written is tried again later. Status 2 when\n"
         "                   FOLDER cannot be watched.\n"
         "  --pattern GLOB   with --watch: the files to take (default *.ncp, any\n"
         "                   case; several separated by ;), with * ? [abc] [a-z]\n"
         "                   [!a]\n"
         "  --recursive      with --watch: sub-folders count too\n"
         "  --archive DIR    with --watch: move each converted program to DIR,\n"
         "                   keeping its sub-folder (a name already there gets\n"
         "                   \" (2)\", \" (3)\", ...)\n"
         "  --settle SECONDS with --watch: how long a file must stay unchanged\n"
         "                   before it is taken (default 2)\n"
         "  --poll SECONDS   with --watch: look at the folder at this interval\n"
         "                   instead of waiting for the system's change notices\n"
         "                   (network shares send none; without notices the\n"
         "                   watch looks every 5 s by itself)\n"
         "  --once           with --watch: convert the backlog, then exit\n"
         "                   (status 1 when a file failed)\n";
}

}  // namespace

ConverterCall ParseConverterCall(const std::vector<std::string>& arguments) {
  ConverterCall call;
  std::vector<std::string> paths;
  bool optionsEnded = false;
  CheckOptions check;
  bool watchOptionGiven = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      paths.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--help" || argument == "-h") {
      call.kind = ConverterCall::Kind::kHelp;
      return call;
    } else if (argument == "--version") {
      call.kind = ConverterCall::Kind::kVersion;
      return call;
    } else if (argument == "--debug") {
      call.debug = true;
    } else if (argument == "--depth") {
      call.depth = true;
    } else if (TakeCheckOption(arguments, i, call, check)) {
      if (!call.error.empty()) return call;
    } else if (bool given = false; TakeWatchOption(arguments, i, call, given)) {
      watchOptionGiven = watchOptionGiven || given;
      if (!call.error.empty()) return call;
    } else if (TakeValue(arguments, i, "--settings", call.settingsPath, call) ||
               TakeValue(arguments, i, "--list", call.listPath, call) ||
               TakeValue(arguments, i, "--log", call.logPath, call) ||
               TakeValue(arguments, i, "--preview", call.previewPath, call)) {
      if (!call.error.empty()) return call;
    } else if (std::string dialect; TakeValue(arguments, i, "--isel", dialect, call)) {
      if (call.error.empty()) call.dialect = ParseDialectName(dialect);
      if (call.error.empty() && !call.dialect) call.error = "--isel needs original or erweitert, not " + dialect;
      if (!call.error.empty()) return call;
    } else if (std::string count; TakeValue(arguments, i, "--jobs", count, call)) {
      const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), call.jobs);
      if (error == std::errc::result_out_of_range && end == count.data() + count.size() && count[0] != '-')
        call.error = "--jobs " + count + " is too large: at most " + std::to_string(std::numeric_limits<int>::max());
      else if (error != std::errc() || end != count.data() + count.size() || call.jobs < 1)
        call.error = "--jobs needs a whole number of at least 1";
      if (!call.error.empty()) return call;
    } else if (std::string rate; TakeValue(arguments, i, "--rapid", rate, call)) {
      const auto [end, error] = std::from_chars(rate.data(), rate.data() + rate.size(), call.rapidRate);
      if (error != std::errc() || end != rate.data() + rate.size() || call.rapidRate < kMinRapidRate ||
          call.rapidRate > kMaxRapidRate)
        call.error = "--rapid needs a whole number of mm/min from " + std::to_string(kMinRapidRate) + " to " +
                     std::to_string(kMaxRapidRate);
      if (!call.error.empty()) return call;
    } else if (std::string accel; TakeValue(arguments, i, "--accel", accel, call)) {
      if (!TakeDecimal(accel, "--accel", kMinAcceleration, kMaxAcceleration, call.acceleration, call)) return call;
    } else if (std::string corner; TakeValue(arguments, i, "--corner", corner, call)) {
      if (!TakeDecimal(corner, "--corner", kMinCornerTolerance, kMaxCornerTolerance, call.cornerTolerance, call))
        return call;
    } else {
      call.error = "unknown option " + argument;
      return call;
    }
  }
  if (SettleCheckCall(call, check, paths)) return call;
  if (SettleWatchCall(call, watchOptionGiven, paths)) return call;
  if (SettlePreviewCall(call, paths)) return call;
  if (!call.listPath.empty()) {
    if (!paths.empty()) {
      call.error = "--list takes no SOURCE or TARGET";
      return call;
    }
    call.kind = ConverterCall::Kind::kBatch;
    return call;
  }
  if (!call.logPath.empty()) {
    call.error = "--log works only with --list or --watch";
    return call;
  }
  if (call.jobs != 0) {
    call.error = "--jobs works only with --list or --watch";
    return call;
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

namespace {

// The usage lines and the options of conversions and job lists.
std::string CallUsage() {
  return "Usage: morvatex-convert [--settings FILE] [--isel DIALECT] [--debug] SOURCE TARGET\n"
         "       morvatex-convert --write-settings FILE [--preset NAME] [--set NAME=VALUE]...\n"
         "       morvatex-convert --show-settings FILE\n"
         "       morvatex-convert --list FILE.mvx [--jobs N] [--settings FILE] [--log FILE]\n"
         "                        [--debug]\n"
         "       morvatex-convert --preview FILE.png [--rapid MM_PER_MIN] [--accel MM_PER_S2]\n"
         "                        [--corner MM] [--depth] [--settings FILE] SOURCE\n"
         "       morvatex-convert --verify MODEL --against [--tolerance MM]\n"
         "                        [--settings FILE] SOURCE CNCFILE\n"
         "       morvatex-convert --watch FOLDER [--pattern GLOB] [--recursive]\n"
         "                        [--archive DIR] [--settle SECONDS] [--poll SECONDS]\n"
         "                        [--once] [--verify MODEL [--tolerance MM]]\n"
         "                        [--settings FILE] [--log FILE] [--jobs N]\n"
         "       morvatex-convert --help | --version\n"
         "Converts the Isel program SOURCE into the CNC program TARGET and, when\n"
         "the settings ask for it, the DXF drawing TARGET.dxf.\n"
         "With --list, converts every row marked M of the job list FILE.mvx (saved\n"
         "by the desktop program) as its \"Start\" does, prints a \"Zeile:\" report per\n"
         "row and writes the list back with the new marks (A converted, E failed).\n"
         "  --settings FILE  settings file to read (default: morvatex.set beside\n"
         "                   this program, the desktop program's settings file;\n"
         "                   when this program's folder is not writable, as once\n"
#ifdef _WIN32
         "                   installed, the same file in %APPDATA%\\Morvatex).\n"
#else
         "                   installed, the same file in $XDG_CONFIG_HOME/morvatex\n"
         "                   or ~/.config/morvatex).\n"
#endif
         "                   FILE must exist and hold a settings record; if not,\n"
         "                   nothing is converted (exit status 2). Without it, a\n"
         "                   missing or damaged default file gives a new\n"
         "                   configuration, with a warning.\n"
         "  --isel DIALECT   the Isel language of the programs, for every command\n"
         "                   that reads one: original (one command at the start\n"
         "                   of each line, as Isel's own software writes it) or\n"
         "                   erweitert (also what CAM post-processors write:\n"
         "                   blanks before a command, helical arcs, arcs in the\n"
         "                   XZ and YZ planes, drill cycles, dwells, work\n"
         "                   frames). Default: the choice of the desktop\n"
         "                   program's settings dialog (\"Isel-Sprache\"), kept\n"
         "                   in FILE.sprache beside the settings file; original\n"
         "                   without it. A line not carried over whole is named\n"
         "                   in the report under \"Nicht umgesetzt\".\n"
         "  --list FILE.mvx  run the job list FILE.mvx\n"
         "  --jobs N         with --list: convert up to N rows at the same time\n"
         "                   (default: the number of processor cores). Rows that\n"
         "                   share a target or DXF file, or read a file another row\n"
         "                   writes, are converted one after the other, in row\n"
         "                   order. Reports, marks, log and list are those of a run\n"
         "                   one row at a time.\n"
         "  --log FILE       with --list: append the run and save entries to FILE\n"
         "                   (created when missing)\n"
         "  --debug          keep the DXF file of a failed conversion\n";
}

// The options of --preview in the usage text.
std::string PreviewOptionsUsage() {
  return "  --preview FILE.png  draw the tool path of SOURCE into the picture\n"
         "                   FILE.png (1024 x 768 pixels; feed moves solid, rapid\n"
         "                   moves dashed, the drawing extents framed) and print\n"
         "                   the estimated machining time, the path lengths at\n"
         "                   feed and at rapid and the number of tool changes.\n"
         "                   Nothing is converted. Exit status 0, 1 when the\n"
         "                   program fails in a line (the picture shows the path\n"
         "                   up to it), 2 when SOURCE cannot be read or FILE.png\n"
         "                   not written, or this build has no preview.\n"
         "  --rapid MM_PER_MIN  with --preview: the rapid rate of the estimate\n"
         "                   (default: the rate the desktop program's preview\n"
         "                   remembers beside the settings file, else 5000)\n"
         "  --accel MM_PER_S2  with --preview: the acceleration of the machine in\n"
         "                   mm/s\u00b2 (default: remembered as the rapid rate, else\n"
         "                   500). The estimate gives every move a trapezoidal\n"
         "                   speed profile; the estimate without it is printed\n"
         "                   too (\"ohne Beschleunigung\").\n"
         "  --corner MM      with --preview: the cornering tolerance in mm by which\n"
         "                   the machine may round a corner (default: remembered,\n"
         "                   else 0.02), which limits the speed through corners\n"
         "  --depth          with --preview: colour feed moves by their depth (Z)\n";
}

// The options of --verify in the usage text.
std::string CheckOptionsUsage() {
  return "  --verify MODEL   after each conversion, read the CNC program back as the\n"
         "                   control MODEL reads it and compare its tool path with\n"
         "                   the Isel program's: rs274 (RS274/NGC: Mach3, LinuxCNC)\n"
         "                   or eingestellt (the letters and codes of the settings).\n"
         "                   A section \"Prüfung\" follows each report (with --list,\n"
         "                   each converted row's, in the log too; a row whose\n"
         "                   check fails gets E as a failed conversion does; with\n"
         "                   --watch, a file whose check fails is not archived and\n"
         "                   waits until it changes).\n"
         "  --against        with --verify: convert nothing, check the existing CNC\n"
         "                   program CNCFILE against its Isel program SOURCE\n"
         "  --tolerance MM   with --verify: the largest deviation of a position that\n"
         "                   passes (default 0.01 mm)\n";
}

// The settings commands, stopping and the exit statuses in the usage text.
std::string SettingsAndStatusUsage() {
  return "  --help           show this text\n"
         "  --version        show the version\n"
         "--write-settings writes a settings file: a new configuration, then the\n"
         "preset NAME (allgemein, loesche, mach3 or xilog) as the settings dialog\n"
         "applies it, then each --set. NAME of --set is a field as --show-settings\n"
         "names it (Werkzeuge[N] for tool N); VALUE a number as the dialog reads it\n"
         "(decimal point, $1F or 0x1F, 1.5E2), blanks around it ignored, inf, -inf\n"
         "and nan taken too, or a text, cut to the field's length, in which \\xHH\n"
         "stands for the control character with the Windows-1252 byte HH (\\x0A a\n"
         "line feed) and \\x5C for a backslash; any other backslash stands for\n"
         "itself. Version and ProfilVersion take only the values this program\n"
         "reads.\n"
         "--show-settings prints every field of a settings file as NAME=VALUE, in\n"
         "the form --set reads back: control characters of a text as \\xHH.\n"
         "Neither output may be the source or the settings file (status 80 or 60),\n"
         "nor, with --list, the job list or the log.\n"
#ifdef _WIN32
         "Ctrl-C, Ctrl-Break and closing the console stop the conversion in\n"
         "progress, also while\n"
#else
         "Ctrl-C, SIGTERM and SIGHUP stop the conversion in progress, also while\n"
#endif
         "the source is read (status 11); a list run then ends and still writes\n"
         "the list back. With --jobs, every row in progress is stopped; the\n"
         "outcome is that of a run one row at a time stopped at the first of them\n"
         "(in row order): it gets E, the rows below it keep their marks (a row\n"
         "below it that was already converted is converted again by the next\n"
         "run). A failed or stopped conversion leaves the files at its target and\n"
         "drawing paths as they were.\n"
         "A conversion prints the outcome report. Exit status:\n"
         "  0  done (with --list: every marked row converted, also when none was\n"
         "     marked)\n"
         "  1  a conversion failed or was stopped (the report says why), saving the\n"
         "     list failed, or a settings file was not readable or writable\n"
         "  2  wrong call, unreadable list, or FILE of --settings unusable\n"
         "  3  the report could not be written (standard output closed or full)\n"
         "  4  with --verify: converted, but a check found divergences (with\n"
         "     --against: the CNC program diverges; 2 when it cannot be read)\n"
         "  5  converted, but a line was not carried over whole (\"Nicht\n"
         "     umgesetzt\" in the report; with --list and --watch such a row gets E\n"
         "     and its outputs stay; with --verify such lines are divergences, 4)\n";
}

}  // namespace

std::string ConverterUsage() {
  return CallUsage() + PreviewOptionsUsage() + CheckOptionsUsage() + WatchOptionsUsage() + SettingsAndStatusUsage();
}

std::string ConverterVersion() { return "morvatex-convert " + std::string(kVersionText) + "\n"; }

std::string CreateFailureMessage(const CreateFailure& cause, std::string_view source) {
  std::string reason;
  switch (cause.kind) {
    case CreateFailure::Kind::kNone: return {};
    case CreateFailure::Kind::kIsSource: reason = "the output would replace the source: "; break;
    case CreateFailure::Kind::kIsProtected: reason = "the output would replace the settings file in use: "; break;
    case CreateFailure::Kind::kSystem: reason = "cannot create "; break;
  }
  reason += cause.path;
  // The converter sets no LC_MESSAGES, so the system's message is the C
  // locale's ASCII and fits the Windows-1252 text. It is read on the thread
  // that reports, the only one that asks for it.
  if (cause.kind == CreateFailure::Kind::kSystem && cause.errorNumber != 0)
    reason += ": " + std::string(std::strerror(cause.errorNumber));  // NOLINT(concurrency-mt-unsafe)
  std::string message = "morvatex-convert: ";
  if (!source.empty()) message.append(source).append(": ");
  return message + reason + "\r\n";
}

int ExitStatusFor(Outcome outcomeCode) { return outcomeCode == Outcome::kSuccess ? 0 : 1; }

}  // namespace morvatex
