// Draws the tool path of the preview: feed moves solid, rapid moves thin and
// dashed, arcs true to a fraction of a pixel (those outside the XY plane as
// what is seen of them from above), feed moves in Z alone as dots, the
// drawing extents as a frame with their figures in mm. Moves whose place is
// uncertain (engine/Move.h: the machine's frame, unknown axes) are drawn
// where their numbers say, paler and rapid ones dotted; the moves of lines
// not carried over whole in the warning colour. Shared by the preview window and the converter's --preview
// (which paints into an image); needs Qt's painting only, no widgets.
#pragma once

#include <QColor>
#include <QRectF>

#include <cstddef>
#include <functional>

#include "base/ThreadStarter.h"
#include "paint/PreviewView.h"
#include "preview/ToolPath.h"

class QPainter;

namespace morvatex {

// The moves of lines not carried over whole, and the window's line that
// counts them.
inline const QColor kNotCarriedColour(220, 160, 0);

struct PaintOptions {
  // Feed moves and their dots coloured by the Z where each move ends, on the
  // viridis map from yellow (the highest such Z) to dark purple (the deepest),
  // with a legend; a relief of tiny moves is otherwise one solid area.
  bool depth = false;
  // Horizontal bands of an image painted at once, each on a thread of its
  // own; 0: one per processor. The picture is the same for any number.
  int bands = 0;
  // Where the bands' threads come from; with fewer than asked (none at
  // all), the picture is painted on those there are (the calling one).
  ThreadStarter startThread = StartThread;
};

// Paints the white background of `area`, the extents frame with its figures,
// the moves, and, for a path that ends in a failure, a red ring at the
// position where it ended. `stopped` is asked between chunks of moves; when
// it says yes the picture stays unfinished and the answer is false.
bool PaintToolPath(QPainter& painter, const ToolPath& path, const PreviewView& view, const QRectF& area,
                   const std::function<bool()>& stopped = {}, const PaintOptions& options = {});

// The Z range the depth view's colours span: the highest and the deepest Z
// where a feed move ends; `known` false for a path without feed moves.
struct FeedDepth {
  bool known = false;
  double top = 0, bottom = 0;
};
FeedDepth FeedDepthOf(const ToolPath& path);

// How often PaintToolPath asks `stopped` when it paints the whole of
// `path` with `options`: a measure of how far a picture has come.
std::size_t PaintSteps(const ToolPath& path, const PaintOptions& options);

// The view that fits `path` into `area` (FitView), beside the depth
// legend's box when `options` ask for the depth view, never under it.
PreviewView FitPicture(const ToolPath& path, const QRectF& area, const PaintOptions& options);

// Where the depth legend's colour bar lies in `area` (top right corner):
// the highest Z at its top edge, the deepest at its bottom edge.
QRectF DepthLegendBar(const QRectF& area);

// The box the legend of `range` fills in `area` (its white ground, top
// right corner), which a fitted drawing leaves free.
QRectF DepthLegendBox(const FeedDepth& range, const QRectF& area);

}  // namespace morvatex
