// The shortcut for whole micrometres and the large output writes must never
// change a byte: random programs are converted with and without them and the
// outputs compared.
#include "engine/ExactDecimal.h"

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/DxfNumberText.h"
#include "engine/ExtendedPrecision.h"
#include "engine/NumberText.h"
#include "tests/support/ConversionHarness.h"

namespace morvatex {
namespace {

// Turns the shortcut off for the life of the object.
struct ExactPathOnly {
  ExactPathOnly() { EnableNumberShortcuts(false); }
  ~ExactPathOnly() { EnableNumberShortcuts(true); }
};

class RandomProgram {
 public:
  explicit RandomProgram(std::uint64_t seed) : random_(seed) {}

  std::string Make() {
    std::vector<std::string> lines;
    const int count = Uniform(5, 300);
    for (int i = 0; i < count; ++i) lines.push_back(Line());
    lines.push_back("PROGEND");
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
  }

 private:
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  // Micrometre values of every size a program may hold.
  std::string Value() {
    switch (Uniform(0, 3)) {
      case 0: return std::to_string(Uniform(-2000, 2000));
      case 1: return std::to_string(Uniform(-1000000, 1000000));
      case 2: return std::to_string(Uniform(-2147483647, 2147483647));
      default: return std::to_string(Uniform(-10, 10) * 5);  // halves at every number of decimals
    }
  }
  std::string Line() {
    static const char* const kMoves[] = {"FASTABS", "FASTREL", "MOVEABS", "MOVEREL",
                                         "CWABS",   "CCWABS",  "CWREL",   "CCWREL"};
    switch (Uniform(0, 9)) {
      case 0: return "WPZERO";
      case 1: return Uniform(0, 1) ? "WPCLEAR" : "WPZEROABS";
      case 2: return "VEL " + std::to_string(Uniform(1, 100000));
      case 3: return "SPINDLE CW RPM" + std::to_string(Uniform(0, 30000));
      default: {
        std::string line = kMoves[Uniform(0, 7)];
        for (const char* letter : {"I", "J", "K", "X", "Y", "Z"}) {
          if (Uniform(0, 2) > 0) line += std::string(" ") + letter + Value();
        }
        return line;
      }
    }
  }
  std::mt19937_64 random_;
};

SettingsRecord RandomSettings(std::mt19937_64& random) {
  SettingsRecord settings = testing::NewConfigurationSettings();
  settings.DXFDateinerzeugen = true;
  settings.Erstelle2DPolylinien = random() % 2 == 0;
  MachineProfile& p = settings.Profil;
  p.Nachkommastellen = static_cast<std::int32_t>(random() % 8);
  p.NachkommastellenF = static_cast<std::int32_t>(random() % 4);
  p.XYZRelativ = random() % 3 == 0;
  p.IJKRelativ = random() % 2 == 0;
  p.RWerte = random() % 2 == 0;
  p.KWerte = true;
  p.ModaleXYZ = random() % 2 == 0;
  p.Sonderbehandlung = random() % 4 == 0 ? 1 : 0;
  p.FaktorSonderF = random() % 2 ? 1 : 0.37;
  return settings;
}

TEST(ExactDecimalTest, ConversionsGiveTheSameBytesWithAndWithoutShortcutsAndLargeWrites) {
  std::mt19937_64 random(20261208);
  for (int round = 0; round < 200; ++round) {
    const SettingsRecord settings = RandomSettings(random);
    const std::string program = RandomProgram(random()).Make();
    SCOPED_TRACE("round " + std::to_string(round));
    testing::FakeFileSystem exactFs;
    testing::ConversionResult exact;
    {
      ExactPathOnly exactPath;
      exact = testing::Convert(settings, program, exactFs);
    }
    for (std::size_t writeSize : {std::size_t{0}, std::size_t{1}, std::size_t{4096}}) {
      testing::FakeFileSystem fs;
      fs.writeSize = writeSize;
      const testing::ConversionResult fast = testing::Convert(settings, program, fs);
      ASSERT_EQ(fast.code, exact.code) << writeSize;
      ASSERT_EQ(fast.cnc, exact.cnc) << writeSize;
      ASSERT_EQ(fast.dxf, exact.dxf) << writeSize;
    }
  }
}

TEST(ExactDecimalTest, NumberTextsAreTheExactOnes) {
  std::mt19937_64 random(4711);
  std::vector<long double> values = {0.0L, -0.0L, 0.0005L, -0.0005L, 1e12L - 0.001L};
  for (int i = 0; i < 5000; ++i) {
    const std::int64_t limit = i % 3 == 0 ? 1'000'000'000'000'000 : i % 3 == 1 ? 1'000'000 : 5000;
    const auto micrometres = static_cast<std::int64_t>(random() % (2 * limit)) - limit;
    values.push_back(static_cast<long double>(micrometres) * kMillimetresPerMicrometre);
    // Differences of positions, as relative words write them.
    values.push_back(values.back() - static_cast<long double>(random() % 100000) * kMillimetresPerMicrometre);
    // Radii, angles, feeds: no whole micrometres.
    values.push_back(std::sqrt(static_cast<long double>(random() % 1'000'000'000'000)) / 7);
    values.push_back(std::ldexp(static_cast<long double>(random()), static_cast<int>(random() % 140) - 100));
  }
  std::vector<std::string> fast;
  for (long double v : values) {
    fast.push_back(DxfNumberText(v));
    for (int decimals = 0; decimals <= 6; ++decimals) {
      fast.push_back(FixedPointText(v, decimals));
      fast.push_back(FixedPointText(v, decimals, HalfRounding::kToEven));
    }
    fast.push_back(NearestIntegerText(v, -3));
  }
  ExactPathOnly exactPath;
  std::size_t next = 0;
  for (long double v : values) {
    ASSERT_EQ(fast[next++], DxfNumberText(v)) << static_cast<double>(v);
    for (int decimals = 0; decimals <= 6; ++decimals) {
      ASSERT_EQ(fast[next++], FixedPointText(v, decimals)) << static_cast<double>(v) << " " << decimals;
      ASSERT_EQ(fast[next++], FixedPointText(v, decimals, HalfRounding::kToEven)) << static_cast<double>(v);
    }
    ASSERT_EQ(fast[next++], NearestIntegerText(v, -3)) << static_cast<double>(v);
  }
  std::int64_t micrometres = 0;
  EXPECT_FALSE(WholeMicrometres(1.0005L, micrometres)) << "with the shortcut off";
}

TEST(ExactDecimalTest, TakesTheShortcutOnlyForExactProducts) {
  std::int64_t micrometres = 0;
  EXPECT_TRUE(WholeMicrometres(1005 * kMillimetresPerMicrometre, micrometres));
  EXPECT_EQ(micrometres, 1005);
  EXPECT_TRUE(WholeMicrometres(-2147483648 * kMillimetresPerMicrometre, micrometres));
  EXPECT_EQ(micrometres, -2147483648);
  EXPECT_FALSE(WholeMicrometres(1.0005L, micrometres));
  EXPECT_FALSE(WholeMicrometres(1e13L, micrometres));
  EXPECT_FALSE(WholeMicrometres(std::nanl(""), micrometres));
  EXPECT_FALSE(WholeMicrometres(HUGE_VALL, micrometres));
}

}  // namespace
}  // namespace morvatex
