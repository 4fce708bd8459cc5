#include "tests/engine/CncTestSupport.h"

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "tests/support/ConversionHarness.h"

namespace morvatex::testing {

SettingsRecord XilogMachineSettings() {
  SettingsRecord settings = NewConfigurationSettings();
  MachineProfile& p = settings.Profil;
  for (std::uint16_t& tool : p.Werkzeuge) tool = 101;
  p.Dateinamenerweiterung.Assign("xxl");
  p.Sonderbehandlung = 1;
  p.ZeichenWertzuweisung.Assign("=");
  p.Satznummerierung = false;
  p.Nachkommastellen = 3;
  p.ErsterSatz = 10;
  p.SatznummernIncrement = 10;
  p.ZWerte = true;
  p.RWerte = false;
  p.IJWerte = true;
  p.KWerte = false;
  p.SWerte = false;
  p.FWerte = false;
  p.ModaleG = false;
  p.ModaleXYZ = false;
  p.ModaleIJK = false;
  p.NachkommastellenS = 0;
  p.NachkommastellenF = 0;
  p.OrdneFZuG0_3 = false;
  p.OrdneSZuG0_3 = false;
  p.OrdneSpLiReEinZuG0_3 = false;
  p.XYZRelativ = false;
  p.IJKRelativ = false;
  p.FaktorSonderS = 1;
  p.FaktorSonderF = 1;
  for (auto* line : {&p.Vorspann1, &p.Vorspann3, &p.Vorspann4, &p.Vorspann5, &p.Vorspann6, &p.Nachspann1, &p.Nachspann2,
                     &p.Nachspann3}) {
    line->Assign("");
  }
  p.Vorspann2.Assign("ISO \"M17\"");
  for (auto* code : {&p.Werkzeugwechsel1, &p.Werkzeugwechsel2, &p.Werkzeugwechsel3, &p.VorUnterschreitenDerZGrenze,
                     &p.VorErreichenDerZGrenze, &p.VorWechselZuG0}) {
    code->Assign("");
  }
  p.ZGrenze = 1000;
  p.VorWechselZuG123.Assign("E=300");
  for (auto* code : {&p.KuehlungEin, &p.KuehlungAus, &p.SpindelEin, &p.SpindelAus, &p.SpindelRechtslauf,
                     &p.SpindelLinkslauf, &p.G17, &p.Halt}) {
    code->Assign("");
  }
  return settings;
}

std::string GoldenFile(std::string_view name) {
  std::ifstream file(std::string(MORVATEX_CNC_GOLDEN_DIR) + "/" + std::string(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> CncOfProgram(const SettingsRecord& settings, std::vector<std::string_view> lines,
                                      Outcome expectedCode) {
  while (lines.size() < 4) lines.push_back(";");
  lines.push_back("PROGEND");
  const ConversionResult result = Convert(settings, CrLfLines(lines));
  EXPECT_EQ(result.code, expectedCode) << result.report;
  return CncLines(result.cnc);
}

std::vector<std::string> CncLines(const std::string& cnc) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < cnc.size()) {
    const std::size_t end = cnc.find("\r\n", start);
    const std::string line = cnc.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (end == std::string::npos || line.find_first_of("\r\n") != std::string::npos) {
      lines.push_back("<no CR LF>");
      break;
    }
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

}  // namespace morvatex::testing
