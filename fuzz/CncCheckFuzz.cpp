// A CNC program as the check reads it back: any bytes, under both control
// models and both layouts, against a small Isel program of either dialect
// (the extended one with frames, dwells, an XZ arc, a helix and a drill
// cycle). The check never crashes or hangs; it either refuses the file with
// a reason or reports on it, and every divergence names lines the two
// programs have.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/FakeFileSystem.h"
#include "verify/Verification.h"

namespace {

constexpr const char* kExtendedProgram =
    "N1 GETTOOL 2\r\nN2 SPINDLE CW RPM12000 TIME500\r\nN3 VEL 4000\r\nN4 WPCLEAR\r\nN5 FASTABS Z0\r\n"
    "N6 WPZERO STANDARD\r\nN7 FASTABS X0 Y0\r\nN8 FASTABS Z5000\r\nN9 MOVEABS Z-1000\r\nN10 PLANE XZ\r\n"
    "N11 CWABS I5000 K-1000 X10000 Z-1000\r\nN12 PLANE XY\r\nN13 CCWHLXABS I10000 J5000 Z-3000 W540\r\n"
    "N14 WAIT 1000\r\nN15 WPREG2ACT\r\nN16 FASTABS Z5000\r\nN17 DRILLDEF C1 P0 S2000 D1800 V1000\r\n"
    "N18 DRILL X30000 Y10000\r\nN19 MOVABS X0\r\nN20 PROGEND\r\n";

}  // namespace

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
  const IselDialect dialect = choice & 128 ? IselDialect::kExtended : IselDialect::kOriginal;
  const std::string program = dialect == IselDialect::kExtended ? kExtendedProgram : fuzz::kSmallProgram;

  testing::FakeFileSystem fs;
  fs.files[testing::kSourcePath] = program;
  const std::string cnc(reinterpret_cast<const char*>(data) + 1, size - 1);
  fs.files[testing::kTargetPath] = cnc;
  const VerificationResult check =
      VerifySourceAndCncProgram(settings, fs, testing::kSourcePath, testing::kTargetPath, {model, 0.01L}, dialect);
  if (check.report.find("Pr\xFC"
                        "fung (") != 0)
    std::abort();
  if (!check.problem.empty()) return 0;
  std::size_t cncLines = 1;
  for (char c : cnc) cncLines += c == '\n';
  std::size_t iselLines = 0;
  for (char c : program) iselLines += c == '\n';
  for (const Divergence& d : check.summary.first) {
    if (d.iselLine > iselLines || d.cncLine > cncLines || d.what.empty()) std::abort();
  }
  if (check.summary.first.size() != std::min(check.summary.divergenceCount, kKeptDivergences)) std::abort();
  return 0;
}
