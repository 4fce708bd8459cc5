#include "bench/BenchSettings.h"

#include "settings/SettingsFile.h"

namespace morvatex::bench {

Einstellungen BenchSettings(bool cnc, bool dxf, bool polylines) {
  Einstellungen settings{};
  settings.Version = kSettingsVersion;
  SetzeNeueProfilwerte(settings.Profil);
  settings.CNCDINCodeerstellen = cnc;
  settings.DXFDateinerzeugen = dxf;
  settings.Erstelle2DPolylinien = polylines;
  return settings;
}

}  // namespace morvatex::bench
