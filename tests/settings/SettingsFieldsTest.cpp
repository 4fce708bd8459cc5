#include "settings/SettingsFields.h"

#include <cstring>

#include <gtest/gtest.h>

#include "settings/SettingsFile.h"

namespace morvatex {
namespace {

TEST(SettingsFieldsTest, EveryElementReadsBackThroughItsText) {
  // A record whose every byte differs from a new configuration; setting each
  // element from its own text into a fresh record rebuilds it.
  SettingsRecord source;
  for (std::size_t i = 0; i < sizeof source; ++i) reinterpret_cast<unsigned char*>(&source)[i] = i % 7;
  source.Version = kSettingsVersion;  // the only values the version fields take
  source.Profil.ProfilVersion = kProfileFormat;
  source.Profil.ZGrenze = 0.1;
  source.Profil.FaktorSonderS = -2.5e-3;
  source.Profil.FaktorSonderF = 1e300;
  source.Profil.Nachkommastellen = 6;
  source.Profil.NachkommastellenS = 0;
  source.Profil.NachkommastellenF = 3;
  source.Profil.ErsterSatz = 0;
  source.Profil.SatznummernIncrement = 2147483647;
  source.Profil.Sonderbehandlung = 1;
  source.Profil.ModalExtra = 0;
  SettingsRecord copy{};
  std::size_t elements = 0;
  for (const Field& field : SettingsFields())
    for (std::size_t i = 0; i < field.elementCount; ++i, ++elements) {
      const FieldElement e{&field, i};
      ASSERT_TRUE(FindField(e.Name())) << e.Name();
      ASSERT_TRUE(SetField(copy, e, FieldText(source, e))) << e.Name() << "=" << FieldText(source, e);
      EXPECT_EQ(FieldText(copy, e), FieldText(source, e)) << e.Name();
    }
  EXPECT_EQ(elements, 209u);
  EXPECT_EQ(copy.Profil.ZGrenze, 0.1);
  EXPECT_EQ(copy.Profil.Werkzeuge[99], source.Profil.Werkzeuge[99]);
}

TEST(SettingsFieldsTest, ValuesAsTheDialogTakesThem) {
  const struct {
    const char* name;
    const char* value;
    bool valid;
    const char* stored;
  } cases[] = {
      {"Werkzeuge[0]", "70000", true, "4464"}, {"Werkzeuge[99]", "-1", true, "65535"},
      {"Werkzeuge[5]", "$10", true, "16"},     {"Werkzeuge[5]", "", false, "1"},
      {"Nachkommastellen", "6", true, "6"},    {"Nachkommastellen", "7", false, "4"},
      {"ErsterSatz", "-1", false, "100"},      {"ErsterSatz", "  0", true, "0"},
      {"ZGrenze", "1,5", false, "4000"},       {"ZGrenze", "1.5E2", true, "150"},
      {"Sonderbehandlung", "2", false, "0"},   {"Dateinamenerweiterung", "abcdefghijkl", true, "abcdefghij"},
      {"Satznummerierung", "0", true, "0"},    {"Satznummerierung", "256", false, "1"},
  };
  for (const auto& c : cases) {
    SettingsRecord record{};
    SetNewProfileValues(record.Profil);
    const auto element = FindField(c.name);
    ASSERT_TRUE(element) << c.name;
    EXPECT_EQ(SetField(record, *element, c.value), c.valid) << c.name << "=" << c.value;
    EXPECT_EQ(FieldText(record, *element), c.stored) << c.name << "=" << c.value;
  }
  for (const char* unknown : {"Werkzeuge", "Werkzeuge[100]", "Werkzeuge[x]", "ZGrenze[0]", "zgrenze", "gap15", ""})
    EXPECT_FALSE(FindField(unknown)) << unknown;
}

}  // namespace
}  // namespace morvatex
