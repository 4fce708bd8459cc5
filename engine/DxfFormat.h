// Constants of the DXF drawing's layout that its writer and the extents
// patch share.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace morvatex::dxf {

// Both comment lines of the file are exactly this long (cut or padded), so
// the header's extents fields always lie at the same byte offsets.
inline constexpr std::size_t kCommentWidth = 80;
inline constexpr std::string_view kSecondComment = "Werkzeugbahn: Vorschubbewegungen in der XY-Ebene";

// Width of an extents field and its placeholder.
inline constexpr std::size_t kExtentsFieldWidth = 10;
inline constexpr std::string_view kExtentsPlaceholder = "0000000000";

// Byte offsets of the eight extents fields, in the order minimum X,
// minimum Y, maximum X, maximum Y, then the limits: minimum X − 10,
// minimum Y − 10, maximum X + 10, maximum Y + 10.
inline constexpr std::array<std::size_t, 8> kExtentsFieldOffsets = {213, 229, 257, 273, 301, 317, 345, 361};

// The distance of the drawing limits from the extents, mm.
inline constexpr long double kLimitsMargin = 10;

// Every entity lies on this layer.
inline constexpr std::string_view kLayer = "KTX";

// Group codes of the ENTITIES section, right-aligned in three characters.
inline constexpr std::string_view kTypeCode = "  0";
inline constexpr std::string_view kLayerCode = "  8";

}  // namespace morvatex::dxf
