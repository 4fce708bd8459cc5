#include "tests/support/ConversionHarness.h"

#include "settings/DialogValues.h"
#include "settings/SettingsFile.h"

namespace morvatex::testing {

SettingsRecord NewConfigurationSettings() {
  SettingsRecord settings{};
  settings.Version = kSettingsVersion;
  settings.DXFDateinerzeugen = false;
  settings.Erstelle2DPolylinien = true;
  settings.CNCDINCodeerstellen = true;
  SetNewProfileValues(settings.Profil);
  return settings;
}

SettingsRecord PresetSettings(Preset preset) {
  SettingsRecord settings = NewConfigurationSettings();
  DialogValues values = ShownValues(settings.Profil);
  ApplyPreset(preset, values);
  ApplyValues(values, settings);
  return settings;
}

std::string CrLfLines(const std::vector<std::string_view>& lines) {
  std::string text;
  for (std::string_view line : lines) {
    text.append(line);
    text.append("\r\n");
  }
  return text;
}

ConversionResult Convert(const SettingsRecord& settings, const std::string& program, FakeFileSystem& fs,
                         ConversionOptions options) {
  fs.files[kSourcePath] = program;
  options.pathSyntax = kWindowsPathSyntax;
  ConversionRun run(settings, fs, std::move(options));
  ConversionResult result;
  const int stagedBefore = fs.stagedCount;
  result.code = run.Convert(kSourcePath, kTargetPath);
  result.report = run.OutcomeReport();
  result.currentLineText = run.CurrentLineText();
  result.extents = run.Extents();
  result.passEndLine = run.PassEndLine();
  result.cncWritten = fs.Exists(kTargetPath);
  result.dxfWritten = fs.Exists(kDxfPath);
  result.cnc = fs.WrittenFor(kTargetPath, stagedBefore);
  if (result.dxfWritten) result.dxf = fs.files[kDxfPath];
  return result;
}

ConversionResult Convert(const SettingsRecord& settings, const std::string& program) {
  FakeFileSystem fs;
  return Convert(settings, program, fs);
}

}  // namespace morvatex::testing
