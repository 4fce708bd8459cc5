// What the program viewer marks over the preview's picture: the moves of the
// line selected in its texts, the tool where their last move ends, and a
// scale bar. The canvas paints these itself over the worker's picture, so
// that stepping through lines costs no new picture of the whole path.
#pragma once

#include <QPointF>
#include <QRectF>

#include <cstddef>
#include <optional>
#include <vector>

#include "paint/PreviewView.h"
#include "paint/ReadBackOverlay.h"
#include "preview/ToolPath.h"

class QPainter;

namespace morvatex {

// Paints the moves `moves` of `path` in the selection colour; returns where
// the last of them ends, in pixels (none without moves).
std::optional<QPointF> PaintMarkedMoves(QPainter& painter, const ToolPath& path, const std::vector<std::size_t>& moves,
                                        const PreviewView& view);
// The same for moves of the read-back path.
std::optional<QPointF> PaintMarkedReadBack(QPainter& painter, const ReadBackOverlay& overlay,
                                           const std::vector<std::size_t>& moves, const PreviewView& view);
// The tool's position: a small cross in a ring at `at` (pixels).
void PaintToolMarker(QPainter& painter, QPointF at);

// The length of the scale bar at `pixelsPerMm`: 1, 2 or 5 times a power of
// ten mm, the longest that stays within kScaleBarPixels.
inline constexpr double kScaleBarPixels = 120;
double ScaleBarLength(double pixelsPerMm);
// The bar with its length in mm, in the bottom left corner of `area`, or
// inside `frame` (the drawing's) there, clear of its figures.
void PaintScaleBar(QPainter& painter, const PreviewView& view, const QRectF& area, std::optional<QRectF> frame);

}  // namespace morvatex
