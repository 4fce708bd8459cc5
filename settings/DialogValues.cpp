#include "settings/DialogValues.h"

#include <array>
#include <cstring>

#include "settings/NumberSyntax.h"
#include "settings/SettingsFields.h"

namespace morvatex {
namespace {

enum class ControlKind { kText, kCheckBox, kChoice, kNumber };

struct Step {
  std::string_view field;
  ControlKind kind;
  int errorNumber;  // error number of an invalid value; 0 for controls that are always valid
};

// The order in which "Übernehmen" converts the controls; the tool table
// comes last.
constexpr auto kApplyOrder = std::to_array<Step>({
    {"Dateinamenerweiterung", ControlKind::kText, 0},
    {"Sonderbehandlung", ControlKind::kChoice, 0},
    {"ZeichenWertzuweisung", ControlKind::kText, 0},
    {"Satznummerierung", ControlKind::kCheckBox, 0},
    {"Nachkommastellen", ControlKind::kNumber, 4},
    {"ErsterSatz", ControlKind::kNumber, 1},
    {"SatznummernIncrement", ControlKind::kNumber, 2},
    {"ZGrenze", ControlKind::kNumber, 3},
    {"ZWerte", ControlKind::kCheckBox, 0},
    {"RWerte", ControlKind::kCheckBox, 0},
    {"IJWerte", ControlKind::kCheckBox, 0},
    {"KWerte", ControlKind::kCheckBox, 0},
    {"SWerte", ControlKind::kCheckBox, 0},
    {"FWerte", ControlKind::kCheckBox, 0},
    {"ModaleG", ControlKind::kCheckBox, 0},
    {"ModaleXYZ", ControlKind::kCheckBox, 0},
    {"ModaleIJK", ControlKind::kCheckBox, 0},
    {"ModalExtra", ControlKind::kChoice, 0},
    {"NachkommastellenS", ControlKind::kNumber, 9},
    {"NachkommastellenF", ControlKind::kNumber, 10},
    {"OrdneFZuG0_3", ControlKind::kCheckBox, 0},
    {"OrdneSpLiReEinZuG0_3", ControlKind::kCheckBox, 0},
    {"XYZRelativ", ControlKind::kCheckBox, 0},
    {"IJKRelativ", ControlKind::kCheckBox, 0},
    {"FaktorSonderS", ControlKind::kNumber, 7},
    {"FaktorSonderF", ControlKind::kNumber, 8},
    {"Vorspann1", ControlKind::kText, 0},
    {"Vorspann2", ControlKind::kText, 0},
    {"Vorspann3", ControlKind::kText, 0},
    {"Vorspann4", ControlKind::kText, 0},
    {"Vorspann5", ControlKind::kText, 0},
    {"Vorspann6", ControlKind::kText, 0},
    {"Nachspann1", ControlKind::kText, 0},
    {"Nachspann2", ControlKind::kText, 0},
    {"Nachspann3", ControlKind::kText, 0},
    {"Werkzeugwechsel1", ControlKind::kText, 0},
    {"Werkzeugwechsel2", ControlKind::kText, 0},
    {"Werkzeugwechsel3", ControlKind::kText, 0},
    {"VorUnterschreitenDerZGrenze", ControlKind::kText, 0},
    {"VorErreichenDerZGrenze", ControlKind::kText, 0},
    {"VorWechselZuG0", ControlKind::kText, 0},
    {"VorWechselZuG123", ControlKind::kText, 0},
    {"KuehlungEin", ControlKind::kText, 0},
    {"KuehlungAus", ControlKind::kText, 0},
    {"SpindelEin", ControlKind::kText, 0},
    {"SpindelAus", ControlKind::kText, 0},
    {"SpindelRechtslauf", ControlKind::kText, 0},
    {"SpindelLinkslauf", ControlKind::kText, 0},
    {"G17", ControlKind::kText, 0},
    {"Halt", ControlKind::kText, 0},
    {"_N", ControlKind::kText, 0},
    {"_S", ControlKind::kText, 0},
    {"_F", ControlKind::kText, 0},
    {"_G0", ControlKind::kText, 0},
    {"_G1", ControlKind::kText, 0},
    {"_G2", ControlKind::kText, 0},
    {"_G3", ControlKind::kText, 0},
    {"_X", ControlKind::kText, 0},
    {"_Y", ControlKind::kText, 0},
    {"_Z", ControlKind::kText, 0},
    {"_I", ControlKind::kText, 0},
    {"_J", ControlKind::kText, 0},
    {"_K", ControlKind::kText, 0},
    {"_R", ControlKind::kText, 0},
});

constexpr int kToolErrorNumber = 6;

std::string_view ValueOf(const DialogValues& values, std::string_view key) {
  const auto it = values.find(key);
  return it == values.end() ? std::string_view() : std::string_view(it->second);
}

FieldElement Element(std::string_view name) { return *FindField(name); }

}  // namespace

std::string ToolKey(std::size_t n) { return "Werkzeuge[" + std::to_string(n) + "]"; }

DialogValues ShownValues(const MachineProfile& profile) {
  SettingsRecord record{};
  record.Profil = profile;
  DialogValues values;
  for (const Step& step : kApplyOrder) {
    const FieldElement e = Element(step.field);
    std::string text = FieldText(record, e);
    if (step.kind == ControlKind::kCheckBox) text = text == "0" ? "0" : "1";
    values[std::string(step.field)] = std::move(text);
  }
  values["OrdneSZuG0_3"] = profile.OrdneSZuG0_3 ? "1" : "0";
  values["FaktorSonderS"] = FixedDecimalsText(profile.FaktorSonderS, 6);
  values["FaktorSonderF"] = FixedDecimalsText(profile.FaktorSonderF, 6);
  values["ZGrenze"] = FixedDecimalsText(profile.ZGrenze, 3);
  for (std::size_t n = 0; n < kToolCount; ++n) values[ToolKey(n)] = std::to_string(profile.Werkzeuge[n]);
  return values;
}

int ApplyValues(const DialogValues& values, SettingsRecord& live) {
  int errorNumber = 0;
  for (const Step& step : kApplyOrder) {
    const std::string_view text = ValueOf(values, step.field);
    const FieldElement e = Element(step.field);
    switch (step.kind) {
      case ControlKind::kText:
      case ControlKind::kNumber:
        if (!SetField(live, e, text)) errorNumber = step.errorNumber;
        break;
      case ControlKind::kCheckBox: SetField(live, e, text == "1" ? "1" : "0"); break;
      case ControlKind::kChoice: {
        // The selected item as it is, also -1 when none is selected.
        const std::int32_t item = ParseInteger(text).value_or(-1);
        std::memcpy(reinterpret_cast<unsigned char*>(&live) + e.field->offset, &item, sizeof item);
        break;
      }
    }
  }
  for (std::size_t n = 0; n < kToolCount; ++n)
    if (!SetField(live, Element(ToolKey(n)), ValueOf(values, ToolKey(n)))) errorNumber = kToolErrorNumber;
  return errorNumber;
}

}  // namespace morvatex
