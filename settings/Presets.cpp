#include "settings/Presets.h"

#include <array>
#include <string>

namespace morvatex {
namespace {

// The final content of each control after a preset; check boxes as "1"/"0",
// the special treatment as its item number.
struct PresetRow {
  std::string_view field;
  std::array<std::string_view, 4> presetValues;  // Allgemein, Lösche, Mach3, SCM / Xilog
};

constexpr std::string_view kComment = kConverterComment;

constexpr auto kPresetRows = std::to_array<PresetRow>({
    {"Dateinamenerweiterung", {"cnc", "", "tap", "xxl"}},
    {"Sonderbehandlung", {"0", "0", "0", "1"}},
    {"ZeichenWertzuweisung", {":", "", "", "="}},
    {"Satznummerierung", {"1", "1", "0", "0"}},
    {"Nachkommastellen", {"3", "3", "4", "3"}},
    {"ErsterSatz", {"10", "10", "10", "10"}},
    {"SatznummernIncrement", {"10", "10", "10", "10"}},
    {"ZWerte", {"1", "0", "1", "1"}},
    {"RWerte", {"0", "0", "1", "0"}},
    {"IJWerte", {"1", "1", "0", "1"}},
    {"KWerte", {"1", "0", "0", "0"}},
    {"SWerte", {"1", "0", "1", "0"}},
    {"FWerte", {"1", "0", "1", "0"}},
    {"ModaleG", {"0", "0", "1", "0"}},
    {"ModaleXYZ", {"0", "0", "0", "0"}},
    {"ModaleIJK", {"0", "0", "0", "0"}},
    {"NachkommastellenS", {"0", "0", "0", "0"}},
    {"NachkommastellenF", {"0", "0", "0", "0"}},
    {"OrdneFZuG0_3", {"0", "0", "0", "0"}},
    {"OrdneSZuG0_3", {"0", "0", "0", "0"}},
    {"OrdneSpLiReEinZuG0_3", {"0", "0", "0", "0"}},
    {"XYZRelativ", {"0", "0", "0", "0"}},
    {"IJKRelativ", {"0", "0", "0", "0"}},
    {"FaktorSonderS", {"1", "1", "1", "1"}},
    {"FaktorSonderF", {"1", "1", "1", "1"}},
    {"Vorspann1", {"P1", "", "", ""}},
    {"Vorspann2", {kComment, kComment, kComment, "ISO \"M17\""}},
    {"Vorspann3", {"", "", "( Profil: Mach3 )", ""}},
    {"Vorspann4", {"", "", "", ""}},
    {"Vorspann5", {"G54", "", "G21 G40 G54 G90", ""}},
    {"Vorspann6", {"", "", "", ""}},
    {"Nachspann1", {"", "", "", ""}},
    {"Nachspann2", {"M30", "", "M30", ""}},
    {"Nachspann3", {"#", "", "", ""}},
    {"Werkzeugwechsel1", {"", "", "", ""}},
    {"Werkzeugwechsel2", {"T? M6", "", "T? M6", ""}},
    {"Werkzeugwechsel3", {"", "", "", ""}},
    {"ZGrenze", {"1000", "1000", "1000", "1000"}},
    {"VorUnterschreitenDerZGrenze", {"", "", "", ""}},
    {"VorErreichenDerZGrenze", {"", "", "", ""}},
    {"VorWechselZuG0", {"", "", "", ""}},
    {"VorWechselZuG123", {"", "", "", "E=300"}},
    {"KuehlungEin", {"", "", "M7", ""}},
    {"KuehlungAus", {"", "", "M9", ""}},
    {"SpindelEin", {"", "", "", ""}},
    {"SpindelAus", {"", "", "M5", ""}},
    {"SpindelRechtslauf", {"", "", "M3", ""}},
    {"SpindelLinkslauf", {"", "", "M4", ""}},
    {"G17", {"", "", "G17", ""}},
    {"Halt", {"", "", "M1", ""}},
    {"_N", {"N", "N", "N", "N"}},
    {"_S", {"S", "S", "S", "S"}},
    {"_F", {"F", "F", "F", "F"}},
    {"_G0", {"G0", "G0", "G0", "G0"}},
    {"_G1", {"G1", "G1", "G1", "G1"}},
    {"_G2", {"G2", "G2", "G2", "G2"}},
    {"_G3", {"G3", "G3", "G3", "G3"}},
    {"_X", {"X", "X", "X", "X"}},
    {"_Y", {"Y", "Y", "Y", "Y"}},
    {"_Z", {"Z", "Z", "Z", "Z"}},
    {"_I", {"I", "I", "I", "I"}},
    {"_J", {"J", "J", "J", "J"}},
    {"_K", {"K", "K", "K", "K"}},
    {"_R", {"R", "R", "R", "R"}},
});

void SetAllTools(DialogValues& values, std::string_view text) {
  for (std::size_t n = 0; n < kToolCount; ++n) values[ToolKey(n)] = std::string(text);
}

}  // namespace

void ApplyPreset(Preset preset, DialogValues& values) {
  // Every preset starts as "Allgemein" does: "1" in every tool cell.
  SetAllTools(values, "1");
  if (preset == Preset::kMach3) FillToolsOneToOne(values);
  if (preset == Preset::kXilog) SetAllTools(values, "101");
  const auto column = static_cast<std::size_t>(preset);
  for (const PresetRow& row : kPresetRows) values[std::string(row.field)] = std::string(row.presetValues[column]);
}

void FillToolsOneToOne(DialogValues& values) {
  for (std::size_t n = 0; n < kToolCount; ++n) values[ToolKey(n)] = std::to_string(n);
}

void CopyToolZeroToAll(DialogValues& values) {
  const std::string t0 = values[ToolKey(0)];
  SetAllTools(values, t0);
}

std::optional<Preset> PresetNamed(std::string_view name) {
  if (name == "allgemein") return Preset::kGeneral;
  if (name == "loesche") return Preset::kClear;
  if (name == "mach3") return Preset::kMach3;
  if (name == "xilog") return Preset::kXilog;
  return std::nullopt;
}

}  // namespace morvatex
