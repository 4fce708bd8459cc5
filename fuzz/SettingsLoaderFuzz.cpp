// The settings file as the program finds it beside itself: any bytes are
// loaded, and the record that results then drives a conversion of a small
// program, so that damaged values reach every place that reads them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "settings/SettingsFile.h"
#include "tests/support/ConversionHarness.h"

using namespace morvatex;
using fuzz::SilentSink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr const char* kSettingsPath = "C:\\cnc\\morvatex.set";
  testing::FakeFileSystem fs;
  fs.files[kSettingsPath].assign(reinterpret_cast<const char*>(data), size);
  SilentSink messages;
  SettingsRecord live{};
  const LoadResult loaded = LoadSettingsFile(live, kSettingsPath, fs, messages);
  if (loaded == LoadResult::kNewConfiguration && live.Profil.ProfilVersion != kProfileFormat) std::abort();

  const testing::ConversionResult result = testing::Convert(live, fuzz::kSmallProgram, fs);
  if (result.report.rfind("Fehlerstatus: " + std::to_string(NumberOf(result.code)) + "\r\n", 0) != 0) std::abort();
  return 0;
}
