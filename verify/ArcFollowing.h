// Whether straight feed moves stand in for an arc: the CNC writer gives an
// arc that the configured words cannot say (an arc in the XZ or YZ plane
// without its plane code or centre words) as chords (engine/MoveGeometry.h,
// ForEachChord), and the check accepts them where they keep to the arc.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/Move.h"
#include "verify/TracedMove.h"

namespace morvatex {

// How a run of straight moves follows an arc.
struct ArcFollowing {
  enum class Verdict {
    kFollows,   // the first `moves` of them run along the arc to its end
    kNeedMore,  // all of them keep to the arc, which goes on beyond the last
    kStrays,    // one leaves the arc's band, or a move is no straight feed move
  };
  Verdict verdict = Verdict::kStrays;
  std::size_t moves = 0;
  double deviation = 0;      // mm: the farthest an end or a chord's middle lies from the arc
  std::size_t farthest = 0;  // the index of the move that lies farthest
};

// Follows `arc` (any plane; its sweep may exceed a full turn, its depth
// along the plane's normal changes evenly) with `moves[from]` onwards:
// each end point and each chord's middle must lie within `band` of the arc,
// the ends must go forwards along it (back by `tolerance` at most), and the
// last must end within `tolerance` of the arc's end. The first move must
// start within `tolerance` of the arc's start. Whether the deviation is
// within `tolerance` is the caller's to judge: a band wider than it lets a
// run of chords that follows the arc too coarsely count as one.
ArcFollowing FollowArc(const PathMove& arc, const std::vector<TracedMove>& moves, std::size_t from, double tolerance,
                       double band);

// Whether `next` goes on where the arc `arc` ends, about the same centre in
// the same plane and sense: the pieces of one helix or circle.
bool ContinuesArc(const PathMove& arc, const PathMove& next);

}  // namespace morvatex
