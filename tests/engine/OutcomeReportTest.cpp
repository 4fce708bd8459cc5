#include <gtest/gtest.h>

#include "engine/OutcomeCodes.h"
#include "tests/support/ConversionHarness.h"

namespace morvatex {
namespace {

using testing::Convert;
using testing::CrLfLines;

TEST(OutcomeReport, ASuccessfulRunHasFiveLines) {
  SettingsRecord settings = testing::NewConfigurationSettings();
  settings.DXFDateinerzeugen = true;
  const auto r = Convert(settings, CrLfLines({"VEL 1", "VEL 2", "VEL 3", "VEL 4", "PROGEND"}));
  EXPECT_EQ(r.report,
            "Fehlerstatus: 0\r\n"
            " Quelldatei: C:\\cnc\\teil.ncp\r\n"
            " Zieldatei:  C:\\cnc\\teil.cnc\r\n"
            " DXFdatei:  C:\\cnc\\teil.cnc.dxf\r\n"
            " Datei wurde fehlerfrei konvertiert!\r\n");
}

TEST(OutcomeReport, AFailedRunShowsTheLineTextAndOnlyTheChosenOutputs) {
  SettingsRecord settings = testing::NewConfigurationSettings();
  settings.CNCDINCodeerstellen = false;
  settings.DXFDateinerzeugen = true;
  const auto r = Convert(settings, CrLfLines({"VEL 1", "VEL 2", "N3 PLANE  YZ ; Ebene", "VEL 4", "PROGEND"}));
  EXPECT_EQ(r.report,
            "Fehlerstatus: 151\r\n"
            " Quelldatei: C:\\cnc\\teil.ncp\r\n"
            " DXFdatei:  C:\\cnc\\teil.cnc.dxf\r\n"
            " Interpolationsebene wird in dieser Version noch nicht unterst\xFCtzt!\r\n"
            "(YZ)\r\n"
            "Isel-Zeile 3: N3 PLANE  YZ ; Ebene\r\n");
}

TEST(OutcomeMessages, ShareOneTextPerStageAndEndWithTheirMarks) {
  EXPECT_EQ(OutcomeMessage(Outcome::kSourceRead), OutcomeMessage(Outcome::kSourceClose));
  EXPECT_EQ(OutcomeMessage(Outcome::kDxfCreate), OutcomeMessage(Outcome::kDxfClose));
  EXPECT_EQ(OutcomeMessage(Outcome::kCncCreate), OutcomeMessage(Outcome::kXilogHeaderOrContourStart));
  EXPECT_EQ(OutcomeMessage(Outcome::kStopped), "Konvertierung durch Benutzer abgebrochen! ");
  EXPECT_EQ(OutcomeMessage(Outcome::kNoProgend), "Quelldatei enth\xE4lt kein g\xFCltiges \"PROGEND\"!");
  EXPECT_EQ(OutcomeMessage(Outcome::kBlockNumber), "Konnte Satznummer nicht interpretieren (\"N.. \")!");
  EXPECT_EQ(OutcomeMessage(Outcome::kToolOutOfRange), "GETTOOL enth\xE4lt ung\xFCltige Werkzeugnummer (0>=Tool<=99)!");
  EXPECT_EQ(OutcomeMessage(Outcome::kFeedNotInteger), "Konnte Wert f\xFCr Vorschub nicht lesen!");
  EXPECT_EQ(OutcomeMessage(Outcome::kUnknownInterpolation), "Interpolation??? !");
  for (int unknown : {1, 10, 61, 63, 94, 112, -1})
    EXPECT_EQ(OutcomeMessage(Outcome{unknown}), "Unbekannter Fehler!") << unknown;
}

}  // namespace
}  // namespace morvatex
