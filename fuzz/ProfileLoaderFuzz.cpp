// A machine profile file as "Profil Öffnen" finds it: any bytes are loaded
// into the live record, which then drives a conversion of a small program.
// A loaded profile saved again must load back to the same block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "settings/ProfileFile.h"
#include "tests/support/ConversionHarness.h"

using namespace morvatex;
using fuzz::SilentSink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr const char* kProfilePath = "C:\\cnc\\fraese.Prof";
  testing::FakeFileSystem fs;
  fs.files[kProfilePath].assign(reinterpret_cast<const char*>(data), size);
  SilentSink messages;
  SettingsRecord live{};
  live.CNCDINCodeerstellen = true;
  live.DXFDateinerzeugen = true;
  if (LoadProfileFile(live, kProfilePath, fs, messages)) {
    if (!SaveProfileFile(live.Profil, kProfilePath, fs, messages)) std::abort();
    SettingsRecord again{};
    if (!LoadProfileFile(again, kProfilePath, fs, messages)) std::abort();
    if (std::memcmp(&again.Profil, &live.Profil, sizeof live.Profil) != 0) std::abort();
  }
  const testing::ConversionResult result = testing::Convert(live, fuzz::kSmallProgram, fs);
  if (result.report.rfind("Fehlerstatus: " + std::to_string(NumberOf(result.code)) + "\r\n", 0) != 0) std::abort();
  return 0;
}
