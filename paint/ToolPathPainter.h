// Draws the tool path of the preview: feed moves solid, rapid moves thin and
// dashed, arcs true to a fraction of a pixel, feed moves in Z alone as dots, the drawing
// extents as a frame with their figures in mm. Shared by the preview window and the converter's --preview
// (which paints into an image); needs Qt's painting only, no widgets.
#pragma once

#include <QPointF>
#include <QRectF>

#include <cstddef>
#include <functional>

#include "preview/ToolPath.h"

class QPainter;

namespace morvatex {

// Maps machine millimetres to pixels: X to the right, Y upwards.
struct PreviewView {
  double scale = 1;  // pixels per mm
  QPointF origin;    // the pixel where the machine point (0, 0) lies

  QPointF ToScreen(double x, double y) const { return {origin.x() + x * scale, origin.y() - y * scale}; }
  QPointF ToMachine(QPointF pixel) const {
    return {(pixel.x() - origin.x()) / scale, (origin.y() - pixel.y()) / scale};
  }
  // Zooms by `factor` about `anchor` (a pixel), which keeps its machine point;
  // the scale stays between 1e-4 and 1e5 pixels per mm.
  void ZoomAbout(QPointF anchor, double factor);
};

// The view that shows the whole drawing extents in `area`, centred, leaving
// room at the sides for the figures. A path without extents gets the
// machine zero in the middle at 1 pixel per mm.
PreviewView FitView(const ToolPath& path, const QRectF& area);

struct PaintOptions {
  // Feed moves and their dots coloured by the Z where each move ends, on the
  // viridis map from yellow (the highest such Z) to dark purple (the deepest),
  // with a legend; a relief of tiny moves is otherwise one solid area.
  bool depth = false;
  // Horizontal bands of an image painted at once, each on a thread of its
  // own; 0: one per processor. The picture is the same for any number.
  int bands = 0;
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

// Where the depth legend's colour bar lies in `area` (top right corner):
// the highest Z at its top edge, the deepest at its bottom edge.
QRectF DepthLegendBar(const QRectF& area);

}  // namespace morvatex
