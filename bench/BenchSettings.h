// The settings record the benchmarks convert with.
#pragma once

#include "settings/SettingsRecord.h"

namespace morvatex::bench {

// A new configuration (current version, the new profile values) with the
// output switches as given.
SettingsRecord BenchSettings(bool cnc = true, bool dxf = true, bool polylines = true);

}  // namespace morvatex::bench
