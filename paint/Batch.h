// A batch: the polylines and dots of one chunk of moves, ready to draw, and
// the drawing of one.
#pragma once

#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QTransform>

#include <cstddef>
#include <vector>

class QPainter;

namespace morvatex {

class StrokeRasterizer;

// The feed moves' pen: the only one whose polylines go to a StrokeRasterizer.
inline constexpr double kFeedWidth = 2;  // device pixels
// The radius of a dot.
inline constexpr double kPlungeRadius = 3.5;  // pixels
// Wide enough for the widest pen with its round caps, and for a dot.
inline constexpr double kPenReach = 4;  // device pixels

// The polylines and dots of one chunk of moves, in drawing order, each with
// the pen (or brush) it is drawn with and its bounds grown by what the pen
// adds around it.
struct Batch {
  struct Line {
    std::size_t first = 0, count = 0;  // in points
    int pen = 0;
    double left = 0, top = 0, right = 0, bottom = 0;
  };
  std::vector<QPointF> points;
  std::vector<Line> lines;
  void clear() {
    points.clear();
    lines.clear();
  }
};

// Draws a batch. Pens index `pens`; a polyline of one point is a dot, filled
// with its pen's colour. Only what reaches `band` (in the painter's
// coordinates) is drawn. With `strokes`, polylines of the pens it draws go
// to it (their points mapped to its pixels by `toDevice`), and it blends a
// run of them of one pen at once, wherever the run ends: so the picture does
// not depend on which lines reach the band.
void DrawBatch(QPainter& painter, const Batch& batch, const std::vector<QPen>& pens, const QRectF& band,
               StrokeRasterizer* strokes = nullptr, const QTransform& toDevice = {});

}  // namespace morvatex
