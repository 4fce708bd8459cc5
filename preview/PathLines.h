// The link between a program's lines and the moves of its path, for the
// preview's program viewer: the moves a line made, and the move nearest a
// point of the picture. Each answer runs once over the path, which for
// millions of moves takes some milliseconds: fast enough for a click or a
// key, and no index to hold.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "preview/ToolPath.h"

namespace morvatex {

// The moves of `line` (1-based), in program order; none for a line that
// moved nothing.
std::vector<std::size_t> MovesOfLine(const PathMoves& moves, std::size_t line);

// How far the point (x, y) lies from a move seen from above, in mm: a line
// from (startX, startY) to (endX, endY), or, with `arc`, the arc about
// (centreX, centreY) from the start turning `signedSweep` radians
// (counter-clockwise positive).
struct FlatMove {
  double startX = 0, startY = 0, endX = 0, endY = 0;
  bool arc = false;
  double centreX = 0, centreY = 0, signedSweep = 0;
};
double DistanceTo(const FlatMove& move, double x, double y);

// The move whose drawing passes nearest (x, y), if one passes within
// `reach` mm; of several as near, the first.
std::optional<std::size_t> NearestMove(const PathMoves& moves, double x, double y, double reach);

}  // namespace morvatex
