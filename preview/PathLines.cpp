#include "preview/PathLines.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace morvatex {
namespace {

double DistanceToLine(double ax, double ay, double bx, double by, double x, double y) {
  const double dx = bx - ax, dy = by - ay;
  const double squared = dx * dx + dy * dy;
  double t = squared > 0 ? ((x - ax) * dx + (y - ay) * dy) / squared : 0;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  return std::hypot(ax + t * dx - x, ay + t * dy - y);
}

FlatMove Flat(const PathSegment& s) {
  // Arcs outside the XY plane are seen from above as lines at most.
  const bool flatArc = s.IsArc() && s.plane == Plane::kXY;
  return {s.start.x, s.start.y, s.end.x, s.end.y, flatArc, s.centre.x, s.centre.y, s.SignedSweep()};
}

}  // namespace

std::vector<std::size_t> MovesOfLine(const PathMoves& moves, std::size_t line) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < moves.size(); ++i)
    if (moves.LineOf(i) == line) found.push_back(i);
  return found;
}

double DistanceTo(const FlatMove& move, double x, double y) {
  const double ends = std::min(std::hypot(move.startX - x, move.startY - y), std::hypot(move.endX - x, move.endY - y));
  if (!move.arc) return DistanceToLine(move.startX, move.startY, move.endX, move.endY, x, y);
  const double radius = std::hypot(move.startX - move.centreX, move.startY - move.centreY);
  const double from = std::atan2(move.startY - move.centreY, move.startX - move.centreX);
  const double to = std::atan2(y - move.centreY, x - move.centreX);
  // The turn from the start to the point, in the arc's direction.
  double turn = move.signedSweep >= 0 ? to - from : from - to;
  turn = std::fmod(turn + 4 * std::numbers::pi, 2 * std::numbers::pi);
  if (turn > std::abs(move.signedSweep)) return ends;
  return std::abs(std::hypot(x - move.centreX, y - move.centreY) - radius);
}

std::optional<std::size_t> NearestMove(const PathMoves& moves, double x, double y, double reach) {
  std::optional<std::size_t> nearest;
  double best = reach;
  for (std::size_t i = 0; i < moves.size(); ++i) {
    const double distance = DistanceTo(Flat(moves[i]), x, y);
    if (distance <= best && (!nearest || distance < best)) {
      best = distance;
      nearest = i;
    }
  }
  return nearest;
}

}  // namespace morvatex
