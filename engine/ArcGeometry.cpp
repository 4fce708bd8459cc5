#include "engine/ArcGeometry.h"

#include "engine/ExtendedPrecision.h"

namespace morvatex {

long double ArcSweep(long double startAngle, long double endAngle, bool clockwise) {
  long double sweep = clockwise ? startAngle - endAngle : endAngle - startAngle;
  if (sweep < 0) sweep += 2 * kPi;
  return sweep;
}

}  // namespace morvatex
