// A machine profile file as "Profil Öffnen" finds it: any bytes are loaded
// into the live record, which then drives a conversion of a small program.
// A loaded profile saved again must load back to the same block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "base/MessageSink.h"
#include "settings/ProfileFile.h"
#include "tests/support/ConversionHarness.h"

namespace {

using namespace morvatex;

class SilentSink final : public MessageSink {
 public:
  void ShowMessage(std::string_view) override {}
};

constexpr const char* kProgram =
    "N1 GETTOOL 2\r\nN2 SPINDLE CW RPM12000\r\nN3 VEL 4000\r\nN4 FASTABS X0 Y0 Z5000\r\n"
    "N5 MOVEABS Z-1000\r\nN6 MOVEREL X20000\r\nN7 CCWREL I0 J5000 X0 Y10000\r\n"
    "N8 CWABS I10000 J10000 X20000 Y20000\r\nN9 COOLANT ON\r\nN10 HALT\r\nN11 FASTABS Z5000\r\n"
    "N12 PROGEND\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr const char* kProfilePath = "C:\\cnc\\fraese.Prof";
  testing::FakeFileSystem fs;
  fs.files[kProfilePath].assign(reinterpret_cast<const char*>(data), size);
  SilentSink messages;
  Einstellungen live{};
  live.CNCDINCodeerstellen = true;
  live.DXFDateinerzeugen = true;
  if (LadeProfil(live, kProfilePath, fs, messages)) {
    if (!SpeichereProfil(live.Profil, kProfilePath, fs, messages)) std::abort();
    Einstellungen again{};
    if (!LadeProfil(again, kProfilePath, fs, messages)) std::abort();
    if (std::memcmp(&again.Profil, &live.Profil, sizeof live.Profil) != 0) std::abort();
  }
  const testing::ConversionResult result = testing::Convert(live, kProgram, fs);
  if (result.report.rfind("Fehlerstatus: " + std::to_string(result.code) + "\r\n", 0) != 0) std::abort();
  return 0;
}
