// The texts of the preview's status line (Windows-1252), shown by the
// preview window and printed by the converter's --preview.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "preview/ToolPath.h"

namespace morvatex {

// "Bearbeitungszeit: H:MM:SS   Vorschubweg: 300.0 mm   Eilgangweg: 12.5 mm
// Werkzeugwechsel: 2" (on one line; lengths with one decimal and "."), and
// when feed moves came before any feed, "   ohne Vorschub: 3.0 mm" (not in
// the time), when the program dwells, "   Verweilzeit: H:MM:SS" (part of
// the time). Seconds are rounded to the nearest whole second.
std::string EstimateText(const MachiningEstimate& estimate);

// "ohne Beschleunigung: H:MM:SS", the time as if the machine changed its
// speed at once, to set beside the planned one.
std::string InstantTimeText(const MachiningEstimate& estimate);

// "Beschleunigung: 500 mm/s²   Eckentoleranz: 0.020 mm", the machine model
// of the planned time.
std::string MachineText(double acceleration, double cornerTolerance);

// Empty for a path without failure; otherwise "Abbruch in Zeile N: ", the
// outcome message and the line's text in parentheses, or "Abbruch: " and the
// message when no line is to blame.
std::string FailureText(const ToolPath& path);

// Empty when every line is carried over whole; otherwise "Nicht umgesetzt:
// 1 Zeile" or "Nicht umgesetzt: N Zeilen".
std::string NotCarriedText(const ToolPath& path);

// "Isel-Zeile K: REASON" for each of the first `most` lines not carried
// over whole, then "... und N weitere" for those not shown.
std::vector<std::string> NotCarriedLines(const ToolPath& path, std::size_t most);

// "X -5.000 .. 250.500 mm   Y 0.000 .. 80.000 mm", the extents as the DXF
// header writes them (three decimals); empty when they are unknown.
std::string ExtentsText(const ToolPath& path);

}  // namespace morvatex
