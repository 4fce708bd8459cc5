// Constants of the settings file and profile file formats.
#pragma once

#include <cstddef>
#include <cstdint>

namespace morvatex {

// The settings file is exactly one record of this size, with no header.
inline constexpr std::size_t kSettingsRecordSize = 2744;
// The machine-profile block inside it, also the whole content of a profile file.
inline constexpr std::size_t kProfileBlockSize = 1960;
inline constexpr std::size_t kProfileBlockOffset = 8;

// `Version` of a valid settings record.
inline constexpr std::int32_t kSettingsVersion = 4;
// `ProfilVersion` of a valid profile block: the one profile format this
// program reads and writes.
inline constexpr std::int32_t kProfileFormat = 6;

inline constexpr std::size_t kToolCount = 100;

}  // namespace morvatex
