// The settings file as the program finds it beside itself: any bytes are
// loaded, and the record that results then drives a conversion of a small
// program, so that damaged values reach every place that reads them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/MessageSink.h"
#include "settings/SettingsFile.h"
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
  constexpr const char* kSettingsPath = "C:\\cnc\\morvatex.set";
  testing::FakeFileSystem fs;
  fs.files[kSettingsPath].assign(reinterpret_cast<const char*>(data), size);
  SilentSink messages;
  Einstellungen live{};
  const LoadResult loaded = LadeEinstellungen(live, kSettingsPath, fs, messages);
  if (loaded == LoadResult::kNewConfiguration && live.Profil.ProfilVersion != kProfileFormat) std::abort();

  const testing::ConversionResult result = testing::Convert(live, kProgram, fs);
  if (result.report.rfind("Fehlerstatus: " + std::to_string(result.code) + "\r\n", 0) != 0) std::abort();
  return 0;
}
