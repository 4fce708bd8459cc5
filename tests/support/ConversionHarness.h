// Runs whole conversions on an in-memory file system, for tests of the
// engine: a program text in, the outcome code, report and output files out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ConversionRun.h"
#include "engine/DrawingExtents.h"
#include "settings/Presets.h"
#include "settings/SettingsRecord.h"
#include "tests/support/FakeFileSystem.h"

namespace morvatex::testing {

// The settings of a new configuration as a fresh start without a settings
// file leaves them: CNC output on, DXF output off, polylines, rule 0.
SettingsRecord NewConfigurationSettings();

// A new configuration with `preset` applied as the dialog's preset button
// applies it.
SettingsRecord PresetSettings(Preset preset);

// Joins lines with CR LF after each, as Isel programs and the files the
// program writes hold them.
std::string CrLfLines(const std::vector<std::string_view>& lines);

inline constexpr const char* kSourcePath = "C:\\cnc\\teil.ncp";
inline constexpr const char* kTargetPath = "C:\\cnc\\teil.cnc";
inline constexpr const char* kDxfPath = "C:\\cnc\\teil.cnc.dxf";

struct ConversionResult {
  Outcome code = Outcome::kSuccess;
  std::string report;
  std::string currentLineText;
  bool cncWritten = false;  // a file exists at the target path afterwards
  bool dxfWritten = false;  // a file exists at the DXF path afterwards
  // What the run wrote for the CNC program, also when a failed run removed
  // it again (the lines before a failure tell where it stopped).
  std::string cnc;
  std::string dxf;              // the file at the DXF path
  DrawingExtents extents;       // as the measuring pass found them
  std::size_t passEndLine = 0;  // ConversionRun::passEndLine
};

// Converts `program` (the whole source file's bytes) from kSourcePath to
// kTargetPath with Windows path rules on `fs` (which may carry failure
// switches and earlier files).
ConversionResult Convert(const SettingsRecord& settings, const std::string& program, FakeFileSystem& fs,
                         ConversionOptions options = {});

// The same on a fresh file system.
ConversionResult Convert(const SettingsRecord& settings, const std::string& program);

}  // namespace morvatex::testing
