// The tool assignment table: which DIN tool number stands for an Isel tool.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "settings/SettingsRecord.h"

namespace morvatex {

// The decimal DIN tool number of Isel tool `toolIndex` (0..99, as the
// interpreter takes it; a larger index reads the last entry).
inline std::string DinToolNumberText(const MachineProfile& profile, std::uint16_t toolIndex) {
  return std::to_string(profile.Werkzeuge[std::min<std::size_t>(toolIndex, kToolCount - 1)]);
}

}  // namespace morvatex
