// Windows-1252 text of the core at the edge to Qt's Unicode strings.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace morvatex {

// Windows-1252 bytes as a Qt string; never fails.
QString ToQString(std::string_view cp1252);

// A Qt string as Windows-1252 bytes; nothing when it holds a character the
// code page cannot show (nothing is ever replaced).
std::optional<std::string> ToCp1252(const QString& text);

}  // namespace morvatex
