#include "gui/DialogFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace morvatex {

QFont DialogFont(const QFont& base) {
  QFont font = base;
  font.setPointSize(8);
  const QStringList available = QFontDatabase::families();
  for (const char* family : {"Tahoma", "Liberation Sans", "Arial", "DejaVu Sans Condensed"}) {
    if (available.contains(QLatin1String(family), Qt::CaseInsensitive)) {
      font.setFamilies({QLatin1String(family)});
      break;
    }
  }
  return font;
}

}  // namespace morvatex
