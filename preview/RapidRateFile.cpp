#include "preview/RapidRateFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "base/BoundedRead.h"
#include "engine/IntegerReader.h"
#include "settings/NumberSyntax.h"

namespace morvatex {
namespace {

// The next line of `text`, without its end and trailing blanks.
std::string_view TakeLine(std::string_view& text) {
  const std::size_t end = std::min(text.find('\n'), text.size());
  std::string_view line = text.substr(0, end);
  text.remove_prefix(std::min(end + 1, text.size()));
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
  return line;
}

double InRange(std::optional<double> value, double minimum, double maximum, double fallback) {
  return value && *value >= minimum && *value <= maximum ? *value : fallback;
}

}  // namespace

std::string RapidRateFilePath(const std::string& settingsFile) {
  return settingsFile.empty() ? std::string() : settingsFile + ".vorschau";
}

std::optional<double> ReadDecimal(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

MachineModel LoadPreviewMachine(FileSystem& fs, const std::string& path) {
  MachineModel machine{kDefaultRapidRate, kDefaultAcceleration, kDefaultCornerTolerance};
  std::string contents;
  // A FIFO or a device there would be waited on for ever.
  if (!ReadSideFile(fs, path, contents)) return machine;
  std::string_view text = contents;
  const IntegerRead rate = ReadInteger(TakeLine(text));
  if (rate.ok && rate.value >= kMinRapidRate && rate.value <= kMaxRapidRate) machine.rapidRate = rate.value;
  machine.acceleration = InRange(ReadDecimal(TakeLine(text)), kMinAcceleration, kMaxAcceleration, kDefaultAcceleration);
  machine.cornerTolerance =
      InRange(ReadDecimal(TakeLine(text)), kMinCornerTolerance, kMaxCornerTolerance, kDefaultCornerTolerance);
  return machine;
}

bool SavePreviewMachine(FileSystem& fs, const std::string& path, const MachineModel& machine) {
  if (path.empty()) return false;
  const long rate = std::clamp(std::lround(machine.rapidRate), long{kMinRapidRate}, long{kMaxRapidRate});
  return fs.ReplaceFile(
      path, std::to_string(rate) + "\r\n" +
                ShortestDecimalText(std::clamp(machine.acceleration, kMinAcceleration, kMaxAcceleration)) + "\r\n" +
                ShortestDecimalText(std::clamp(machine.cornerTolerance, kMinCornerTolerance, kMaxCornerTolerance)) +
                "\r\n");
}

}  // namespace morvatex
