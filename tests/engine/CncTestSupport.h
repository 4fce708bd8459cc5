// Helpers for the tests of the CNC program output: the SCM Xilog machine
// settings, hand-written expected files, and CNC texts as lists of lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/OutcomeCodes.h"
#include "settings/SettingsRecord.h"

namespace morvatex::testing {

// A new configuration with the values that the "SCM / Xilog" machine choice
// puts into the profile: the Xilog layout, "=", no numbering, three
// decimals, nothing modal, R, K, S and F values off, "E=300" before feed
// moves, every tool 101.
SettingsRecord XilogMachineSettings();

// The bytes of a hand-written file in the folder of expected CNC files.
std::string GoldenFile(std::string_view name);

// Converts `lines` followed by PROGEND (with comment lines before it where
// the program would be shorter than five lines), expects `expectedCode`,
// and returns the lines of the CNC program.
std::vector<std::string> CncOfProgram(const SettingsRecord& settings, std::vector<std::string_view> lines,
                                      Outcome expectedCode = Outcome::kSuccess);

// The lines of a CNC text, each without its CR LF. A text that does not end
// with CR LF, or holds a lone CR or LF, gives a last line "<no CR LF>".
std::vector<std::string> CncLines(const std::string& cnc);

}  // namespace morvatex::testing
