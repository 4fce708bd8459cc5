#include "paint/Batch.h"

#include <QPainter>

#include "paint/StrokeRasterizer.h"

namespace morvatex {
namespace {

// True for a pen whose polylines `strokes` draws: solid, round-capped,
// as wide as the feed moves' pen in device pixels.
bool OwnStroke(const QPen& pen) {
  return pen.isCosmetic() && pen.style() == Qt::SolidLine && pen.capStyle() == Qt::RoundCap &&
         pen.widthF() == kFeedWidth;
}

}  // namespace

void DrawBatch(QPainter& painter, const Batch& batch, const std::vector<QPen>& pens, const QRectF& band,
               StrokeRasterizer* strokes, const QTransform& toDevice) {
  int pen = -1;
  bool dots = false;
  int pending = -1;  // the pen of the coverage in `strokes` not yet blended
  for (const Batch::Line& line : batch.lines) {
    const bool own = strokes != nullptr && line.count > 1 && OwnStroke(pens[static_cast<std::size_t>(line.pen)]);
    if (pending >= 0 && (!own || line.pen != pending)) {
      strokes->Flush(pens[static_cast<std::size_t>(pending)].color().rgb());
      pending = -1;
    }
    if (line.right < band.left() || line.left > band.right() || line.bottom < band.top() || line.top > band.bottom())
      continue;
    if (own) {
      strokes->AddPolyline(batch.points.data() + line.first, static_cast<int>(line.count), toDevice,
                           pens[static_cast<std::size_t>(line.pen)].color().rgb());
      pending = line.pen;
      continue;
    }
    const bool dot = line.count == 1;
    if (dot != dots || line.pen != pen) {
      pen = line.pen;
      dots = dot;
      const QPen& chosen = pens[static_cast<std::size_t>(pen)];
      painter.setPen(dot ? QPen(Qt::NoPen) : chosen);
      painter.setBrush(dot ? QBrush(chosen.color()) : QBrush(Qt::NoBrush));
    }
    const QPointF* points = batch.points.data() + line.first;
    if (dot) {
      painter.drawEllipse(points[0], kPlungeRadius, kPlungeRadius);
    } else {
      painter.drawPolyline(points, static_cast<int>(line.count));
    }
  }
  if (pending >= 0) strokes->Flush(pens[static_cast<std::size_t>(pending)].color().rgb());
}

}  // namespace morvatex
