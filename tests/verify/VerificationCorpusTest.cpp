// The check of what the extended dialect writes: every program of the CAM
// posts (tests/corpus/isel) converted in the extended dialect under the
// setups a workshop uses, and its CNC program checked under both control
// models. The reports are golden files (tests/verify/golden): a program
// converted whole checks clean, and a line left out or only approximated
// is exactly what they name. MORVATEX_UPDATE_GOLDEN=1 writes them anew.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "settings/Presets.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/TempDir.h"
#include "verify/Verification.h"

namespace morvatex::testing {
namespace {

std::string ReadAll(const std::filesystem::path& path) { return ReadFileBytes(path.string()); }

struct CheckSetup {
  const char* name;
  Preset preset;
  void (*adjust)(MachineProfile&);
  ControlModel model;
};

SettingsRecord SettingsOf(const CheckSetup& setup) {
  SettingsRecord settings = PresetSettings(setup.preset);
  settings.DXFDateinerzeugen = false;
  settings.Profil.FaktorSonderS = 1.0 / 6;  // RS274/NGC reads the speed once
  if (setup.adjust) setup.adjust(settings.Profil);
  return settings;
}

TEST(VerificationCorpus, WhatTheExtendedDialectWritesChecksAsItsGoldenReportSays) {
  const std::filesystem::path corpus = MORVATEX_ISEL_CORPUS_DIR;
  const std::filesystem::path goldens = MORVATEX_VERIFY_GOLDEN_DIR;
  const bool update = std::getenv("MORVATEX_UPDATE_GOLDEN") != nullptr;
  const CheckSetup setups[] = {
      // Centres by I and J alone, as LinuxCNC takes them: XZ and YZ arcs
      // as straight moves.
      {"mach3-ij.rs274", Preset::kMach3,
       [](MachineProfile& p) {
         p.RWerte = false;
         p.IJWerte = p.IJKRelativ = true;
       },
       ControlModel::kRs274},
      {"mach3-r.rs274", Preset::kMach3, nullptr, ControlModel::kRs274},
      {"mach3-r.eingestellt", Preset::kMach3, nullptr, ControlModel::kConfigured},
      // XZ and YZ arcs without a plane code: as straight moves.
      {"allgemein.eingestellt", Preset::kGeneral, [](MachineProfile& p) { p.G18.Assign(""); },
       ControlModel::kConfigured},
      {"xilog.eingestellt", Preset::kXilog, nullptr, ControlModel::kConfigured},
  };
  int programs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    if (entry.path().extension() != ".ncp") continue;
    ++programs;
    for (const CheckSetup& setup : setups) {
      const std::string name = entry.path().stem().string() + "." + setup.name;
      SCOPED_TRACE(name);
      const SettingsRecord settings = SettingsOf(setup);
      FakeFileSystem fs;
      ConversionOptions options;
      options.dialect = IselDialect::kExtended;
      const ConversionResult converted = Convert(settings, ReadAll(entry.path()), fs, options);
      std::string shown = converted.report + "----\r\n";
      if (converted.code == Outcome::kSuccess) {
        shown +=
            VerifySourceAndCncProgram(settings, fs, kSourcePath, kTargetPath, {setup.model}, IselDialect::kExtended)
                .report;
      }
      const std::filesystem::path golden = goldens / (name + ".txt");
      if (update) {
        std::ofstream(golden, std::ios::binary) << shown;
        continue;
      }
      EXPECT_EQ(shown, ReadAll(golden));
    }
  }
  EXPECT_GE(programs, 8);
}

}  // namespace
}  // namespace morvatex::testing
