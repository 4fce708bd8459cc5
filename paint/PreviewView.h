// The view of the preview: where the machine's millimetres lie in pixels,
// zooming, and the view that fits a whole tool path into an area.
#pragma once

#include <QPointF>
#include <QRectF>

#include <optional>

#include "preview/ToolPath.h"

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
  // the scale stays between 1e-4 and 1e5 pixels per mm, or where it was
  // when it lay outside (a fitted view of huge extents).
  void ZoomAbout(QPointF anchor, double factor);
};

// The view that shows the whole drawing extents in `area`, centred, leaving
// room at the sides for the figures. A path without extents gets the
// machine zero in the middle at 1 pixel per mm.
PreviewView FitView(const ToolPath& path, const QRectF& area);

// The frame drawn round the drawing extents in `view`; none while the
// extents are unknown. Its figures stand left of it and below it.
std::optional<QRectF> DrawingFrame(const ToolPath& path, const PreviewView& view);

}  // namespace morvatex
