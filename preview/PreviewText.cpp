#include "preview/PreviewText.h"

#include <algorithm>
#include <cmath>

#include "engine/NumberText.h"
#include "engine/OutcomeCodes.h"

namespace morvatex {
namespace {

std::string Millimetres(double value) { return FixedPointText(value, 1) + " mm"; }

std::string Duration(double seconds) {
  const long long total = std::llround(std::max(0.0, seconds));
  const long long minutes = total / 60 % 60, secs = total % 60;
  return std::to_string(total / 3600) + (minutes < 10 ? ":0" : ":") + std::to_string(minutes) +
         (secs < 10 ? ":0" : ":") + std::to_string(secs);
}

}  // namespace

std::string EstimateText(const MachiningEstimate& estimate) {
  std::string text = "Bearbeitungszeit: " + Duration(estimate.Seconds()) +
                     "   Vorschubweg: " + Millimetres(estimate.feedLength) +
                     "   Eilgangweg: " + Millimetres(estimate.rapidLength) +
                     "   Werkzeugwechsel: " + std::to_string(estimate.toolChanges);
  if (estimate.unfedLength > 0) text += "   ohne Vorschub: " + Millimetres(estimate.unfedLength);
  if (estimate.dwellSeconds > 0) text += "   Verweilzeit: " + Duration(estimate.dwellSeconds);
  return text;
}

std::string InstantTimeText(const MachiningEstimate& estimate) {
  return "ohne Beschleunigung: " + Duration(estimate.InstantSeconds());
}

std::string MachineText(double acceleration, double cornerTolerance) {
  return "Beschleunigung: " + FixedPointText(acceleration, 0) +
         " mm/s\xb2   Eckentoleranz: " + FixedPointText(cornerTolerance, 3) + " mm";
}

std::string FailureText(const ToolPath& path) {
  if (IsGood(path.code)) return {};
  if (path.failedLine == 0) return "Abbruch: " + std::string(OutcomeMessage(path.code));
  return "Abbruch in Zeile " + std::to_string(path.failedLine) + ": " + std::string(OutcomeMessage(path.code)) + " (" +
         path.failedLineText + ")";
}

std::string NotCarriedText(const ToolPath& path) {
  const std::size_t count = path.notCarriedCount;
  if (count == 0) return {};
  return "Nicht umgesetzt: " + std::to_string(count) + (count == 1 ? " Zeile" : " Zeilen");
}

std::vector<std::string> NotCarriedLines(const ToolPath& path, std::size_t most) {
  std::vector<std::string> lines;
  const std::size_t shown = std::min(most, path.notCarried.size());
  for (std::size_t i = 0; i < shown; ++i)
    lines.push_back("Isel-Zeile " + std::to_string(path.notCarried[i].line) + ": " + path.notCarried[i].reason);
  if (path.notCarriedCount > shown)
    lines.push_back("... und " + std::to_string(path.notCarriedCount - shown) + " weitere");
  return lines;
}

std::string ExtentsText(const ToolPath& path) {
  if (!path.extentsKnown) return {};
  const DrawingExtents& e = path.extents;
  return "X " + FixedPointText(e.minX, 3) + " .. " + FixedPointText(e.maxX, 3) + " mm   Y " +
         FixedPointText(e.minY, 3) + " .. " + FixedPointText(e.maxY, 3) + " mm";
}

}  // namespace morvatex
