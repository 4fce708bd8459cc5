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
            "(YZ)\r\n");
}

TEST(OutcomeMessages, ShareOneTextPerStageAndEndWithTheirMarks) {
  EXPECT_EQ(OutcomeMessage(51), OutcomeMessage(52));
  EXPECT_EQ(OutcomeMessage(60), OutcomeMessage(67));
  EXPECT_EQ(OutcomeMessage(80), OutcomeMessage(95));
  EXPECT_EQ(OutcomeMessage(11), "Konvertierung durch Benutzer abgebrochen! ");
  EXPECT_EQ(OutcomeMessage(56), "Quelldatei enth\xE4lt kein g\xFCltiges \"PROGEND\"!");
  EXPECT_EQ(OutcomeMessage(170), "Konnte Satznummer nicht interpretieren (\"N.. \")!");
  EXPECT_EQ(OutcomeMessage(156), "GETTOOL enth\xE4lt ung\xFCltige Werkzeugnummer (0>=Tool<=99)!");
  EXPECT_EQ(OutcomeMessage(153), "Konnte Wert f\xFCr Vorschub nicht lesen!");
  EXPECT_EQ(OutcomeMessage(155), "Interpolation??? !");
  for (int unknown : {1, 10, 61, 63, 94, 112, -1}) EXPECT_EQ(OutcomeMessage(unknown), "Unbekannter Fehler!") << unknown;
}

}  // namespace
}  // namespace morvatex
