// A whole conversion run over an in-memory program with both outputs. The
// last bytes of the input choose the settings that change the wording (block
// numbers, modal rules, relative values, decimals, SCM Xilog layout, output
// factors), the rest is the program. The preview's trace of the same program
// must end as the conversion does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "engine/OutcomeCodes.h"
#include "preview/ToolPath.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/FakeFileSystem.h"

namespace {

using namespace morvatex;

bool Bit(std::uint32_t knobs, int bit) { return ((knobs >> bit) & 1) != 0; }

// The codes of the conversion that the trace cannot reach: it runs the same
// reading, source checks and passes (engine/PassRunner.h), but no output
// stage, so it never sees
//   20      no output chosen (the trace ignores the choice; here both are on),
//   60-67   the DXF file: created, header, entity, end, extents, closed,
//   70, 71  the target folder,
//   80-95   the CNC file: created, header, trailer, each kind of block, the
//           SCM Xilog header and motion blocks, closed,
//   155     the CNC writer's refusal of a motion kind other than G0 to G3.
// Such a failure also ends the conversion's writing pass at its line, where
// the trace goes on. The file codes cannot happen on this file system (it
// has no failure switched on), but would end the comparison if they did.
// The CNC writer and the SCM Xilog layout also set 153 and 154 themselves,
// for a feed or speed whose output value (times FaktorSonderF or
// FaktorSonderS) is not finite: the trace would not see those, but the
// factors here are always finite, so 153 and 154 are the interpreter's and
// compared. So are 0, 11 (never set here: no stop), 50-52, 55, 56, 110,
// 111, 149-152 and 156, 170.
bool OutOfTheTracesReach(Outcome code) {
  return code == Outcome::kNoOutputChosen || (code >= Outcome::kDxfCreate && code <= Outcome::kDxfClose) ||
         code == Outcome::kFolderCreate || code == Outcome::kFolderIoError ||
         (code >= Outcome::kCncCreate && code <= Outcome::kXilogHeaderOrContourStart) ||
         code == Outcome::kUnknownInterpolation;
}

bool SameExtents(const DrawingExtents& a, const DrawingExtents& b) {
  return a.minX == b.minX && a.minY == b.minY && a.maxX == b.maxX && a.maxY == b.maxY;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const auto knobs = input.ConsumeIntegral<std::uint32_t>();
  const auto scale = input.ConsumeIntegral<std::int32_t>();

  SettingsRecord settings = testing::NewConfigurationSettings();
  settings.CNCDINCodeerstellen = true;
  settings.DXFDateinerzeugen = true;
  MachineProfile& p = settings.Profil;
  settings.Erstelle2DPolylinien = Bit(knobs, 0);
  p.Sonderbehandlung = Bit(knobs, 1) ? 1 : 0;
  p.Satznummerierung = Bit(knobs, 2);
  p.ModaleG = Bit(knobs, 3);
  p.ModaleXYZ = Bit(knobs, 4);
  p.ModaleIJK = Bit(knobs, 5);
  p.XYZRelativ = Bit(knobs, 6);
  p.IJKRelativ = Bit(knobs, 7);
  p.OrdneFZuG0_3 = Bit(knobs, 8);
  p.OrdneSZuG0_3 = Bit(knobs, 9);
  p.OrdneSpLiReEinZuG0_3 = Bit(knobs, 10);
  p.RWerte = Bit(knobs, 11);
  p.ZWerte = !Bit(knobs, 12);
  p.Nachkommastellen = static_cast<std::int32_t>((knobs >> 16) & 0x1F);
  p.NachkommastellenS = static_cast<std::int32_t>((knobs >> 21) & 0x7);
  p.NachkommastellenF = static_cast<std::int32_t>((knobs >> 24) & 0x7);
  if (Bit(knobs, 13)) p.ErsterSatz = scale;
  if (Bit(knobs, 14)) p.SatznummernIncrement = scale;
  if (Bit(knobs, 15)) p.FaktorSonderF = p.FaktorSonderS = static_cast<double>(scale) / 1000.0;

  const std::string program = input.ConsumeRemainingBytesAsString();
  const testing::ConversionResult result = testing::Convert(settings, program);

  // What every run promises, whatever the program holds.
  if (result.report.rfind("Fehlerstatus: " + std::to_string(NumberOf(result.code)) + "\r\n", 0) != 0) std::abort();
  if (result.code == Outcome::kSuccess && (!result.cncWritten || !result.dxfWritten)) std::abort();
  if (result.code == Outcome::kSuccess && result.dxf.size() >= 5 &&
      result.dxf.compare(result.dxf.size() - 5, 5, "EOF\r\n") != 0)
    std::abort();
  if (!IsGood(result.code) && result.dxfWritten) std::abort();

  // The trace ends as the conversion does: the same code, the same line
  // blamed (the line the conversion's last pass ended with), the same
  // extents. After a failure of an output stage only the extents are
  // compared, if the measuring pass ran (a pass ended at some line).
  testing::FakeFileSystem fs;
  fs.files[testing::kSourcePath] = program;
  const ToolPath trace = TraceToolPathFile(fs, testing::kSourcePath, settings);
  if (OutOfTheTracesReach(result.code)) {
    if (result.passEndLine > 0 && !SameExtents(trace.extents, result.extents)) std::abort();
    return 0;
  }
  if (trace.code != result.code) std::abort();
  if (!IsGood(result.code) && trace.failedLine != result.passEndLine) std::abort();
  if (!SameExtents(trace.extents, result.extents)) std::abort();
  return 0;
}
