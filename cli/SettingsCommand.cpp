#include "cli/SettingsCommand.h"

#include <optional>

#include "base/Cp1252Codec.h"
#include "base/FileSystem.h"
#include "base/MessageSink.h"
#include "settings/DialogValues.h"
#include "settings/Presets.h"
#include "settings/SettingsFields.h"
#include "settings/SettingsFile.h"

namespace morvatex {
namespace {

constexpr int kFileStatus = 1;
constexpr int kUsageStatus = 2;

struct SettingsCall {
  std::string writePath;  // UTF-8, as given
  std::string showPath;
  std::optional<Preset> preset;
  std::vector<std::string> sets;  // NAME=VALUE
  std::string error;
};

// Takes "--option VALUE" or "--option=VALUE" at `i`; false when `argument`
// is not `option`.
bool TakeValue(const std::vector<std::string>& arguments, std::size_t& i, const std::string& option, std::string& value,
               std::string& error) {
  const std::string& argument = arguments[i];
  if (argument.rfind(option + "=", 0) == 0) {
    value = argument.substr(option.size() + 1);
  } else if (argument == option && i + 1 < arguments.size()) {
    value = arguments[++i];
  } else if (argument == option) {
    value.clear();
  } else {
    return false;
  }
  if (value.empty()) error = option + " needs a value";
  return true;
}

SettingsCall Parse(const std::vector<std::string>& arguments) {
  SettingsCall call;
  for (std::size_t i = 0; i < arguments.size() && call.error.empty(); ++i) {
    std::string value;
    if (TakeValue(arguments, i, "--write-settings", call.writePath, call.error) ||
        TakeValue(arguments, i, "--show-settings", call.showPath, call.error)) {
      continue;
    } else if (TakeValue(arguments, i, "--preset", value, call.error)) {
      call.preset = PresetNamed(value);
      if (!call.preset && call.error.empty())
        call.error = "unknown preset " + value + " (allgemein, loesche, mach3 or xilog)";
    } else if (TakeValue(arguments, i, "--set", value, call.error)) {
      call.sets.push_back(value);
    } else {
      call.error = "unexpected argument " + arguments[i];
    }
  }
  if (!call.error.empty()) return call;
  if (call.writePath.empty() == call.showPath.empty())
    call.error = "either --write-settings FILE or --show-settings FILE";
  else if (!call.showPath.empty() && (call.preset || !call.sets.empty()))
    call.error = "--preset and --set belong to --write-settings";
  return call;
}

// Prints the core's messages (Windows-1252, CR LF) as UTF-8 lines.
class StreamSink final : public MessageSink {
 public:
  explicit StreamSink(std::ostream& out) : out_(out) {}
  void ShowMessage(std::string_view text) override {
    std::string utf8 = Cp1252ToUtf8(text);
    for (std::size_t at; (at = utf8.find("\r\n")) != std::string::npos;) utf8.erase(at, 1);
    out_ << utf8 << '\n';
  }

 private:
  std::ostream& out_;
};

// Applies one NAME=VALUE; the reason when it cannot.
std::optional<std::string> Apply(SettingsRecord& record, const std::string& assignment) {
  const std::size_t equals = assignment.find('=');
  if (equals == std::string::npos) return "--set needs NAME=VALUE: " + assignment;
  const std::string name = assignment.substr(0, equals);
  const std::string value = assignment.substr(equals + 1);
  const std::optional<FieldElement> element = FindField(name);
  if (!element) return "unknown setting " + name;
  const std::optional<std::string> bytes = Utf8ToCp1252(value);
  if (!bytes) return "the value of " + name + " cannot be written in Windows-1252: " + value;
  if (!SetField(record, *element, *bytes)) return "invalid value for " + name + ": " + value;
  return std::nullopt;
}

int Write(const SettingsCall& call, std::ostream& err) {
  const std::optional<std::string> path = Utf8ToCp1252(call.writePath);
  if (!path) {
    err << "morvatex-convert: FILE cannot be written in Windows-1252: " << call.writePath << '\n';
    return kUsageStatus;
  }
  SettingsRecord record{};
  SetRecordDefaults(record);
  SetNewProfileValues(record.Profil);
  if (call.preset) {
    DialogValues values = ShownValues(record.Profil);
    ApplyPreset(*call.preset, values);
    ApplyValues(values, record);  // every preset value is valid
  }
  for (const std::string& assignment : call.sets) {
    if (const std::optional<std::string> problem = Apply(record, assignment)) {
      err << "morvatex-convert: " << *problem << " (nothing written)\n";
      return kUsageStatus;
    }
  }
  RealFileSystem fs;
  StreamSink sink(err);
  return SaveSettingsFile(record, *path, fs, sink) ? 0 : kFileStatus;
}

int Show(const SettingsCall& call, std::ostream& out, std::ostream& err) {
  const std::optional<std::string> path = Utf8ToCp1252(call.showPath);
  RealFileSystem fs;
  if (path && fs.IsSpecialFile(*path)) {  // a FIFO would be waited on for ever
    err << "morvatex-convert: not a regular file: " << call.showPath << '\n';
    return kFileStatus;
  }
  SettingsRecord record{};
  if (!path || !ReadFirstBlock(*path, fs, &record, sizeof record)) {
    err << "morvatex-convert: cannot read a settings record (" << kSettingsRecordSize << " bytes) from "
        << call.showPath << '\n';
    return kFileStatus;
  }
  for (const Field& field : SettingsFields())
    for (std::size_t index = 0; index < field.elementCount; ++index) {
      const FieldElement element{&field, index};
      out << element.Name() << '=' << Cp1252ToUtf8(FieldText(record, element)) << '\n';
    }
  if (record.Version != kSettingsVersion || record.Profil.ProfilVersion != kProfileFormat)
    err << "morvatex-convert: note: Version or ProfilVersion is not " << kSettingsVersion << " and " << kProfileFormat
        << "; the programs set up a new configuration instead of this record\n";
  return 0;
}

}  // namespace

bool IsSettingsCommand(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--") return false;
    for (const char* option : {"--write-settings", "--show-settings"})
      if (argument == option || argument.rfind(std::string(option) + "=", 0) == 0) return true;
  }
  return false;
}

int RunSettingsCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const SettingsCall call = Parse(arguments);
  if (!call.error.empty()) {
    err << "morvatex-convert: " << call.error << '\n';
    return kUsageStatus;
  }
  return call.writePath.empty() ? Show(call, out, err) : Write(call, err);
}

}  // namespace morvatex
