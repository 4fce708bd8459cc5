#include "bench/BenchSettings.h"

#include "settings/SettingsFile.h"

namespace morvatex::bench {

SettingsRecord BenchSettings(bool cnc, bool dxf, bool polylines) {
  SettingsRecord settings{};
  settings.Version = kSettingsVersion;
  SetNewProfileValues(settings.Profil);
  settings.CNCDINCodeerstellen = cnc;
  settings.DXFDateinerzeugen = dxf;
  settings.Erstelle2DPolylinien = polylines;
  return settings;
}

}  // namespace morvatex::bench
