#include "qttext/QtText.h"

#include "base/Cp1252Codec.h"

namespace morvatex {

QString ToQString(std::string_view cp1252) { return QString::fromStdU16String(Cp1252ToUtf16(cp1252)); }

std::optional<std::string> ToCp1252(const QString& text) { return Utf16ToCp1252(text.toStdU16String()); }

}  // namespace morvatex
