#include "preview/CornerBlend.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace morvatex {
namespace {

// LinuxCNC's planner: its servo cycle, the share of the acceleration a kink
// may take within one cycle, and the split of the acceleration on curves
// (half along the path, the rest, √(1 − ½²), across it).
constexpr double kServoCycle = 0.001;  // s
constexpr double kKinkShare = 0.1;
constexpr double kTangentialShare = 0.5;
const double kNormalShare = std::sqrt(1 - kTangentialShare * kTangentialShare);

}  // namespace

CornerBlend BlendCorner(const PathPoint& before, const PathPoint& after, double lengthBefore, double lengthAfter,
                        double acceleration, double tolerance) {
  constexpr double kUnbounded = std::numeric_limits<double>::infinity();
  const double dx = after.x - before.x, dy = after.y - before.y, dz = after.z - before.z;
  const double kink = std::max({std::abs(dx), std::abs(dy), std::abs(dz)});
  if (!(kink > 0)) return {kUnbounded, 0, 0};
  const double kinkSpeed = kKinkShare * acceleration * kServoCycle / kink;
  // The path turns by φ; the moves meet at π − φ, half of it is θ, and
  // sin θ = cos(φ/2) and cos θ = sin(φ/2) follow from cos φ.
  const double cosine = std::clamp(before.x * after.x + before.y * after.y + before.z * after.z, -1.0, 1.0);
  const double sine = std::sqrt((1 + cosine) / 2), cosineOfHalf = std::sqrt((1 - cosine) / 2);
  if (!(sine > 1e-6)) return {0, 0, 0};                  // a reversal stops
  if (!(cosineOfHalf > 1e-9)) return {kinkSpeed, 0, 0};  // too shallow to round
  // The cut that puts the arc's middle at the tolerance from the corner,
  // bounded by half of each move.
  const double withinTolerance = sine < 1 ? tolerance * cosineOfHalf / (1 - sine) : kUnbounded;
  const double cut = std::max(0.0, std::min({withinTolerance, lengthBefore / 2, lengthAfter / 2}));
  const double radius = cut * sine / cosineOfHalf;
  const double blendSpeed = std::sqrt(kNormalShare * acceleration * radius);
  if (!(blendSpeed > kinkSpeed)) return {kinkSpeed, 0, 0};
  return {blendSpeed, cut, radius * std::acos(cosine)};
}

ArcLimits ArcMotion(double radius, double feed, double acceleration) {
  const double cutoff = std::sqrt(kNormalShare * acceleration * radius);
  if (cutoff < feed) return {cutoff, kTangentialShare * acceleration};
  const double centripetal = radius > 0 ? feed * feed / radius : 0;
  return {feed, std::sqrt(std::max(0.0, acceleration * acceleration - centripetal * centripetal))};
}

}  // namespace morvatex
