#include "paint/Figures.h"

#include "engine/NumberText.h"
#include "qttext/QtText.h"

namespace morvatex {

QString Figure(long double value) { return ToQString(FixedPointText(value, 3)); }

QFont FigureFont() {
  QFont font;
  font.setPixelSize(static_cast<int>(kFontPixels));
  return font;
}

}  // namespace morvatex
