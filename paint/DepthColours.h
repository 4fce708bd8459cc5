// The depth view's colours: feed moves and their dots coloured by the Z
// where each move ends, on the viridis map, with a legend of the range.
#pragma once

#include <QColor>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "paint/ToolPathPainter.h"
#include "preview/ToolPath.h"

class QPainter;

namespace morvatex {

// Feed moves of one depth bucket share a pen, so a relief still goes out
// in runs of polylines rather than one call per move.
inline constexpr int kDepthBuckets = 64;

// The viridis map, evenly sampled: from dark purple (0) to yellow (1). It
// stays perceptually even and readable in grey.
QColor Viridis(double t);

// The Z range of the feed moves' ends, and the bucket of a Z in it: 0 for
// the highest, kDepthBuckets - 1 for the deepest.
struct DepthRange : FeedDepth {
  // Adds the feed moves from `first` to before `end`.
  void Add(const ToolPath& path, std::size_t first, std::size_t end) {
    for (std::size_t i = first; i < end; ++i) {
      if (path.segments.KindOf(i) == MotionKind::kRapid) continue;
      const double z = path.segments.EndOf(i).z;
      top = known ? std::max(top, z) : z;
      bottom = known ? std::min(bottom, z) : z;
      known = true;
    }
  }
  int Bucket(double z) const {
    const double t = top > bottom ? (top - z) / (top - bottom) : 0;
    return static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * (kDepthBuckets - 1)));
  }
  static QColor Colour(int bucket) { return Viridis(1 - static_cast<double>(bucket) / (kDepthBuckets - 1)); }
};

// The colour bar with the Z range at its ends, on white so that it stays
// readable over the moves.
void PaintDepthLegend(QPainter& painter, const DepthRange& range, const QRectF& area);

}  // namespace morvatex
