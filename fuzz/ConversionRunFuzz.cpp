// A whole conversion run over an in-memory program with both outputs. The
// last bytes of the input choose the settings that change the wording (block
// numbers, modal rules, relative values, decimals, SCM Xilog layout, output
// factors), the rest is the program.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "tests/support/ConversionHarness.h"

namespace {

using namespace morvatex;

bool Bit(std::uint32_t knobs, int bit) { return ((knobs >> bit) & 1) != 0; }

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
  if (result.report.rfind("Fehlerstatus: " + std::to_string(result.code) + "\r\n", 0) != 0) std::abort();
  if (result.code == 0 && (!result.cncWritten || !result.dxfWritten)) std::abort();
  if (result.code == 0 && result.dxf.size() >= 5 && result.dxf.compare(result.dxf.size() - 5, 5, "EOF\r\n") != 0)
    std::abort();
  if (result.code > 10 && result.dxfWritten) std::abort();
  return 0;
}
