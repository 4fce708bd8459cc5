// A CNC program as the check reads it back: any bytes, under both control
// models and both layouts, against a small Isel program. The check never
// crashes or hangs; it either refuses the file with a reason or reports on
// it, and every divergence names lines the two programs have.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/FakeFileSystem.h"
#include "verify/Verification.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace morvatex;
  if (size == 0) return 0;
  // The first byte chooses the model and how the settings read the words.
  const std::uint8_t choice = data[0];
  SettingsRecord settings = testing::NewConfigurationSettings();
  MachineProfile& p = settings.Profil;
  p.Sonderbehandlung = choice & 1;
  p.XYZRelativ = (choice & 2) != 0;
  p.IJKRelativ = (choice & 4) != 0;
  p.ModaleIJK = (choice & 8) != 0;
  p.IJWerte = (choice & 16) == 0;
  if (choice & 32) p.ZeichenWertzuweisung.Assign("=");
  const ControlModel model = choice & 64 ? ControlModel::kRs274 : ControlModel::kConfigured;

  testing::FakeFileSystem fs;
  fs.files[testing::kSourcePath] = fuzz::kSmallProgram;
  const std::string cnc(reinterpret_cast<const char*>(data) + 1, size - 1);
  fs.files[testing::kTargetPath] = cnc;
  const VerificationResult check =
      VerifySourceAndCncProgram(settings, fs, testing::kSourcePath, testing::kTargetPath, {model, 0.01L});
  if (check.report.find("Pr\xFC"
                        "fung (") != 0)
    std::abort();
  if (!check.problem.empty()) return 0;
  std::size_t cncLines = 1;
  for (char c : cnc) cncLines += c == '\n';
  for (const Divergence& d : check.summary.first) {
    if (d.iselLine > 12 || d.cncLine > cncLines || d.what.empty()) std::abort();
  }
  if (check.summary.first.size() != std::min(check.summary.divergenceCount, kKeptDivergences)) std::abort();
  return 0;
}
