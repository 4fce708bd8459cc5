#include "paint/ProgramMarks.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

#include "engine/NumberText.h"
#include "paint/Figures.h"
#include "qttext/QtText.h"

namespace morvatex {
namespace {

constexpr double kMarkWidth = 4;
constexpr double kMarkerRadius = 6;
constexpr double kBarTick = 4;

QPen MarkPen(double width) {
  QPen pen(kSelectionColour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  pen.setCosmetic(true);
  return pen;
}

template <typename MoveOf>
std::optional<QPointF> PaintMoves(QPainter& painter, const std::vector<std::size_t>& moves, const PreviewView& view,
                                  MoveOf moveOf) {
  std::optional<QPointF> last;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(MarkPen(kMarkWidth));
  for (const std::size_t index : moves) {
    const ReadBackMove move = moveOf(index);
    QPolygonF points{view.ToScreen(move.startX, move.startY)};
    AppendOverlayMove(points, move, view);
    // A move too short to see still shows as a dot.
    if (points.size() == 2 && points[0] == points[1]) {
      painter.drawPoint(points[0]);
    } else {
      painter.drawPolyline(points);
    }
    last = points.back();
  }
  painter.restore();
  return last;
}

}  // namespace

std::optional<QPointF> PaintMarkedMoves(QPainter& painter, const ToolPath& path, const std::vector<std::size_t>& moves,
                                        const PreviewView& view) {
  return PaintMoves(painter, moves, view, [&](std::size_t i) { return OverlayMoveOf(path.segments[i]); });
}

std::optional<QPointF> PaintMarkedReadBack(QPainter& painter, const ReadBackOverlay& overlay,
                                           const std::vector<std::size_t>& moves, const PreviewView& view) {
  return PaintMoves(painter, moves, view, [&](std::size_t i) { return overlay.moves[i]; });
}

void PaintToolMarker(QPainter& painter, QPointF at) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setBrush(Qt::white);
  painter.setPen(MarkPen(2));
  painter.drawEllipse(at, kMarkerRadius, kMarkerRadius);
  painter.drawLine(at - QPointF(kMarkerRadius, 0), at + QPointF(kMarkerRadius, 0));
  painter.drawLine(at - QPointF(0, kMarkerRadius), at + QPointF(0, kMarkerRadius));
  painter.restore();
}

double ScaleBarLength(double pixelsPerMm) {
  if (!(pixelsPerMm > 0) || !std::isfinite(pixelsPerMm)) return 0;
  const double most = kScaleBarPixels / pixelsPerMm;  // mm
  const double decade = std::pow(10.0, std::floor(std::log10(most)));
  for (const double step : {5.0, 2.0, 1.0})
    if (step * decade <= most) return step * decade;
  return decade;
}

void PaintScaleBar(QPainter& painter, const PreviewView& view, const QRectF& area, std::optional<QRectF> frame) {
  const double length = ScaleBarLength(view.scale);
  if (length <= 0) return;
  const double pixels = length * view.scale;
  painter.save();
  painter.setFont(FigureFont());
  const QFontMetricsF metrics(painter.font());
  // As many decimals as the length has: "0.05 mm", "200 mm".
  const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(length) + 1e-9)));
  const QString text = ToQString(FixedPointText(length, decimals)) + QStringLiteral(" mm");
  // In the frame's lower left corner where the frame is on the canvas: its
  // figures stand outside it, left and below, so the bar never covers them.
  QPointF left(area.left() + kMargin, area.bottom() - kMargin);
  if (frame)
    left = QPointF(std::max(left.x(), frame->left() + 2 * kFigureGap),
                   std::min(left.y(), frame->bottom() - 2 * kFigureGap));
  const QPointF right = left + QPointF(pixels, 0);
  // A white ground, so that the bar reads over the path too.
  const QRectF ground(left.x() - kFigureGap, left.y() - metrics.height() - kBarTick - kFigureGap,
                      std::max(pixels, metrics.horizontalAdvance(text)) + 2 * kFigureGap,
                      metrics.height() + kBarTick + 2 * kFigureGap);
  painter.fillRect(ground, QColor(255, 255, 255, 220));
  painter.setPen(QPen(Qt::black, 1));
  painter.drawLine(left, right);
  painter.drawLine(left, left - QPointF(0, kBarTick));
  painter.drawLine(right, right - QPointF(0, kBarTick));
  painter.drawText(QPointF(left.x(), left.y() - kBarTick - metrics.descent() - 1), text);
  painter.restore();
}

}  // namespace morvatex
