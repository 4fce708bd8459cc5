#include "cli/SettingsCommand.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

#include "base/Cp1252Codec.h"
#include "base/FileSystem.h"
#include "base/MessageSink.h"
#include "cli/CommandLine.h"
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

// Keeps the core's message for later.
class CollectingSink final : public MessageSink {
 public:
  void ShowMessage(std::string_view message) override { text += message; }
  std::string text;
};

// --show-settings prints one field per line and --set reads each line
// back, so a text shows its control characters as \xHH (the Windows-1252
// byte in hex). Only such an escape is read back, and only for the bytes it
// stands for; every other backslash is itself, so paths such as C:\temp or
// \\server\share mean what they say. A backslash that would start such an
// escape is shown as \x5C. A text without control characters, as every
// preset's, shows as stored.

// The C0 controls, DEL, and the five bytes Windows-1252 leaves unassigned:
// their UTF-8 form is a C1 control, which a terminal may act on.
bool ShownEscaped(unsigned char byte) {
  const char32_t codePoint = Cp1252ToCodePoint(byte);
  return codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The byte of the escape at `at` ("\xHH" standing for a byte that is shown
// escaped, or for a backslash); nothing when no such escape starts there.
std::optional<unsigned char> EscapeAt(std::string_view text, std::size_t at) {
  if (at + 3 >= text.size() || text[at] != '\\' || text[at + 1] != 'x') return std::nullopt;
  const int high = HexValue(text[at + 2]);
  const int low = HexValue(text[at + 3]);
  if (high < 0 || low < 0) return std::nullopt;
  const auto byte = static_cast<unsigned char>(high * 16 + low);
  if (!ShownEscaped(byte) && byte != '\\') return std::nullopt;
  return byte;
}

std::string EscapedText(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (ShownEscaped(c) || (c == '\\' && EscapeAt(bytes, i)))
      shown += {'\\', 'x', kHex[c >> 4], kHex[c & 0xF]};
    else
      shown += static_cast<char>(c);
  }
  return shown;
}

std::string UnescapedText(std::string_view text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (const std::optional<unsigned char> byte = EscapeAt(text, i)) {
      bytes += static_cast<char>(*byte);
      i += 3;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

// A file may hold not-a-number or an infinity in a decimal field; the
// dialog refuses them, but the command line shows and reads them so that a
// record survives --show-settings and --set exactly: "inf", "-inf", "nan",
// "-nan", and a NaN other than the usual quiet one with its payload bits,
// "nan(0x1)".
constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kExponentBits = std::uint64_t{0x7FF} << 52;
constexpr std::uint64_t kQuietNaN = std::uint64_t{1} << 51;

std::string NonFiniteText(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const std::uint64_t payload = bits & ~(kSignBit | kExponentBits);
  std::string text = (bits & kSignBit) != 0 ? "-" : "";
  if (payload == 0) return text + "inf";
  text += "nan";
  if (payload == kQuietNaN) return text;
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, payload, 16).ptr;
  return text + "(0x" + std::string(digits, end) + ")";
}

std::optional<double> NonFiniteValue(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  std::string_view rest = lower;
  std::uint64_t bits = kExponentBits;
  if (rest.starts_with('-')) bits |= kSignBit;
  if (rest.starts_with('-') || rest.starts_with('+')) rest.remove_prefix(1);
  if (rest == "inf") return std::bit_cast<double>(bits);
  if (rest == "nan") return std::bit_cast<double>(bits | kQuietNaN);
  if (!rest.starts_with("nan(0x") || !rest.ends_with(')')) return std::nullopt;
  const std::string_view digits = rest.substr(6, rest.size() - 7);
  std::uint64_t payload = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), payload, 16);
  // 13 hex digits hold the 52 payload bits; none set would be an infinity.
  if (digits.empty() || digits.size() > 13 || error != std::errc() || end != digits.data() + digits.size() ||
      payload == 0)
    return std::nullopt;
  return std::bit_cast<double>(bits | payload);
}

// The element's value as --show-settings prints it (Windows-1252).
std::string ShownValue(const SettingsRecord& record, FieldElement e) {
  if (e.field->kind == FieldKind::kText) return EscapedText(FieldText(record, e));
  if (e.field->kind == FieldKind::kDecimal) {
    const double value = DecimalValue(record, e);
    if (!std::isfinite(value)) return NonFiniteText(value);
  }
  return FieldText(record, e);
}

// Stores a value as --show-settings prints it (Windows-1252); false, with the
// record unchanged, for an invalid one. A number may have blanks on both
// sides: the dialog's syntax takes leading ones, and trailing ones, which
// the shell's quoting easily leaves, change nothing either.
// Every value a record that loads may hold is taken, as --show-settings may
// have printed it (Apply warns about those the dialog does not offer).
bool SetShownValue(SettingsRecord& record, FieldElement e, std::string_view value) {
  if (e.field->kind == FieldKind::kText) return SetField(record, e, UnescapedText(value));
  while (value.ends_with(' ')) value.remove_suffix(1);
  if (e.field->kind == FieldKind::kDecimal) {
    std::string_view trimmed = value;
    while (trimmed.starts_with(' ')) trimmed.remove_prefix(1);
    if (const std::optional<double> nonFinite = NonFiniteValue(trimmed)) {
      SetDecimalValue(record, e, *nonFinite);
      return true;
    }
  }
  return SetField(record, e, value, FieldRange::kType);
}

// Applies one NAME=VALUE; the reason when it cannot. A value outside what
// the dialog offers adds a warning that says how the programs take it.
std::optional<std::string> Apply(SettingsRecord& record, const std::string& assignment,
                                 std::vector<std::string>& warnings) {
  const std::size_t equals = assignment.find('=');
  if (equals == std::string::npos) return "--set needs NAME=VALUE: " + assignment;
  const std::string name = assignment.substr(0, equals);
  const std::string value = assignment.substr(equals + 1);
  const std::optional<FieldElement> element = FindField(name);
  if (!element) return "unknown setting " + name;
  const std::optional<std::string> bytes = Utf8ToCp1252(value);
  if (!bytes) return "the value of " + name + " cannot be written in Windows-1252: " + value;
  if (!SetShownValue(record, *element, *bytes)) {
    std::string problem = "invalid value for " + name + ": " + value;
    if (element->field->minimum == element->field->maximum)  // a version
      problem += ", the programs read only " + std::to_string(element->field->minimum);
    return problem;
  }
  if (!InDialogRange(record, *element)) {
    warnings.push_back(name + "=" + value + " lies outside what the settings dialog offers (" +
                       std::to_string(element->field->minimum) + ".." + std::to_string(element->field->maximum) +
                       "); " + std::string(element->field->outsideRange));
  }
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
  std::vector<std::string> warnings;
  for (const std::string& assignment : call.sets) {
    if (const std::optional<std::string> problem = Apply(record, assignment, warnings)) {
      err << "morvatex-convert: " << *problem << " (nothing written)\n";
      return kUsageStatus;
    }
  }
  for (const std::string& warning : warnings) err << "morvatex-convert: warning: " << warning << '\n';
  RealFileSystem fs;
  CollectingSink failure;
  int errorNumber = 0;
  if (SaveSettingsFile(record, *path, fs, failure, &errorNumber)) return 0;
  // A FIFO, a device or a link loop is refused as a wrong FILE is.
  if (const std::string_view refusal = ReplaceRefusalText(errorNumber); !refusal.empty()) {
    err << "morvatex-convert: FILE cannot be written (" << refusal << "): " << call.writePath << '\n';
    return kUsageStatus;
  }
  StreamSink(err).ShowMessage(failure.text);
  return kFileStatus;
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
      out << element.Name() << '=' << Cp1252ToUtf8(ShownValue(record, element)) << '\n';
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
    err << "morvatex-convert: " << call.error << '\n' << kUsageHint;
    return kUsageStatus;
  }
  return call.writePath.empty() ? Show(call, out, err) : Write(call, err);
}

}  // namespace morvatex
