// Fixed facts about the product that several parts of the program print.
#pragma once

#include <string_view>

namespace morvatex {

inline constexpr std::string_view kProductName = "Morvatex";
inline constexpr std::string_view kVersionText = "01.23";
inline constexpr std::string_view kAuthorName = "Morvatex-Team";
inline constexpr std::string_view kAuthorEMail = "info@morvatex.example";
inline constexpr std::string_view kProductWebPage = "https://morvatex.example/";

// The generator line that opens every DXF drawing (cut or padded to 80
// characters there): "Generator: Morvatex Ver.01.23 / Infos: " + web page.
inline constexpr std::string_view kGeneratorLine = "Generator: Morvatex Ver.01.23 / Infos: https://morvatex.example/";

}  // namespace morvatex
