#include "settings/DialogValues.h"

#include <array>
#include <cstring>

#include "settings/NumberSyntax.h"
#include "settings/SettingsFields.h"

namespace morvatex {
namespace {

enum class Steuerelement { kText, kHaken, kAuswahl, kZahl };

struct Schritt {
  std::string_view feld;
  Steuerelement art;
  int fehler;  // error number of an invalid value; 0 for controls that are always valid
};

// The order in which "Übernehmen" converts the controls; the tool table
// comes last.
constexpr auto kReihenfolge = std::to_array<Schritt>({
    {"Dateinamenerweiterung", Steuerelement::kText, 0},
    {"Sonderbehandlung", Steuerelement::kAuswahl, 0},
    {"ZeichenWertzuweisung", Steuerelement::kText, 0},
    {"Satznummerierung", Steuerelement::kHaken, 0},
    {"Nachkommastellen", Steuerelement::kZahl, 4},
    {"ErsterSatz", Steuerelement::kZahl, 1},
    {"SatznummernIncrement", Steuerelement::kZahl, 2},
    {"ZGrenze", Steuerelement::kZahl, 3},
    {"ZWerte", Steuerelement::kHaken, 0},
    {"RWerte", Steuerelement::kHaken, 0},
    {"IJWerte", Steuerelement::kHaken, 0},
    {"KWerte", Steuerelement::kHaken, 0},
    {"SWerte", Steuerelement::kHaken, 0},
    {"FWerte", Steuerelement::kHaken, 0},
    {"ModaleG", Steuerelement::kHaken, 0},
    {"ModaleXYZ", Steuerelement::kHaken, 0},
    {"ModaleIJK", Steuerelement::kHaken, 0},
    {"ModalExtra", Steuerelement::kAuswahl, 0},
    {"NachkommastellenS", Steuerelement::kZahl, 9},
    {"NachkommastellenF", Steuerelement::kZahl, 10},
    {"OrdneFZuG0_3", Steuerelement::kHaken, 0},
    {"OrdneSpLiReEinZuG0_3", Steuerelement::kHaken, 0},
    {"XYZRelativ", Steuerelement::kHaken, 0},
    {"IJKRelativ", Steuerelement::kHaken, 0},
    {"FaktorSonderS", Steuerelement::kZahl, 7},
    {"FaktorSonderF", Steuerelement::kZahl, 8},
    {"Vorspann1", Steuerelement::kText, 0},
    {"Vorspann2", Steuerelement::kText, 0},
    {"Vorspann3", Steuerelement::kText, 0},
    {"Vorspann4", Steuerelement::kText, 0},
    {"Vorspann5", Steuerelement::kText, 0},
    {"Vorspann6", Steuerelement::kText, 0},
    {"Nachspann1", Steuerelement::kText, 0},
    {"Nachspann2", Steuerelement::kText, 0},
    {"Nachspann3", Steuerelement::kText, 0},
    {"Werkzeugwechsel1", Steuerelement::kText, 0},
    {"Werkzeugwechsel2", Steuerelement::kText, 0},
    {"Werkzeugwechsel3", Steuerelement::kText, 0},
    {"VorUnterschreitenDerZGrenze", Steuerelement::kText, 0},
    {"VorErreichenDerZGrenze", Steuerelement::kText, 0},
    {"VorWechselZuG0", Steuerelement::kText, 0},
    {"VorWechselZuG123", Steuerelement::kText, 0},
    {"KuehlungEin", Steuerelement::kText, 0},
    {"KuehlungAus", Steuerelement::kText, 0},
    {"SpindelEin", Steuerelement::kText, 0},
    {"SpindelAus", Steuerelement::kText, 0},
    {"SpindelRechtslauf", Steuerelement::kText, 0},
    {"SpindelLinkslauf", Steuerelement::kText, 0},
    {"G17", Steuerelement::kText, 0},
    {"Halt", Steuerelement::kText, 0},
    {"_N", Steuerelement::kText, 0},
    {"_S", Steuerelement::kText, 0},
    {"_F", Steuerelement::kText, 0},
    {"_G0", Steuerelement::kText, 0},
    {"_G1", Steuerelement::kText, 0},
    {"_G2", Steuerelement::kText, 0},
    {"_G3", Steuerelement::kText, 0},
    {"_X", Steuerelement::kText, 0},
    {"_Y", Steuerelement::kText, 0},
    {"_Z", Steuerelement::kText, 0},
    {"_I", Steuerelement::kText, 0},
    {"_J", Steuerelement::kText, 0},
    {"_K", Steuerelement::kText, 0},
    {"_R", Steuerelement::kText, 0},
});

constexpr int kWerkzeugFehler = 6;

std::string_view Wert(const Dialogwerte& values, std::string_view key) {
  const auto it = values.find(key);
  return it == values.end() ? std::string_view() : std::string_view(it->second);
}

FeldElement Element(std::string_view name) { return *FindeFeld(name); }

}  // namespace

std::string WerkzeugSchluessel(std::size_t n) { return "Werkzeuge[" + std::to_string(n) + "]"; }

Dialogwerte ZeigeWerte(const Maschinenprofil& profile) {
  Einstellungen record{};
  record.Profil = profile;
  Dialogwerte values;
  for (const Schritt& step : kReihenfolge) {
    const FeldElement e = Element(step.feld);
    std::string text = FeldText(record, e);
    if (step.art == Steuerelement::kHaken) text = text == "0" ? "0" : "1";
    values[std::string(step.feld)] = std::move(text);
  }
  values["OrdneSZuG0_3"] = profile.OrdneSZuG0_3 ? "1" : "0";
  values["FaktorSonderS"] = FestkommaText(profile.FaktorSonderS, 6);
  values["FaktorSonderF"] = FestkommaText(profile.FaktorSonderF, 6);
  values["ZGrenze"] = FestkommaText(profile.ZGrenze, 3);
  for (std::size_t n = 0; n < kToolCount; ++n) values[WerkzeugSchluessel(n)] = std::to_string(profile.Werkzeuge[n]);
  return values;
}

int Uebernehme(const Dialogwerte& values, Einstellungen& live) {
  int fehler = 0;
  for (const Schritt& step : kReihenfolge) {
    const std::string_view text = Wert(values, step.feld);
    const FeldElement e = Element(step.feld);
    switch (step.art) {
      case Steuerelement::kText:
      case Steuerelement::kZahl:
        if (!SetzeFeld(live, e, text)) fehler = step.fehler;
        break;
      case Steuerelement::kHaken:
        SetzeFeld(live, e, text == "1" ? "1" : "0");
        break;
      case Steuerelement::kAuswahl: {
        // The selected item as it is, also -1 when none is selected.
        const std::int32_t item = LeseGanzzahl(text).value_or(-1);
        std::memcpy(reinterpret_cast<unsigned char*>(&live) + e.feld->offset, &item, sizeof item);
        break;
      }
    }
  }
  for (std::size_t n = 0; n < kToolCount; ++n)
    if (!SetzeFeld(live, Element(WerkzeugSchluessel(n)), Wert(values, WerkzeugSchluessel(n)))) fehler = kWerkzeugFehler;
  return fehler;
}

}  // namespace morvatex
