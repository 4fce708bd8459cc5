#include "paint/ToolPathPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <numbers>

#include "engine/NumberText.h"
#include "engine/OutcomeCodes.h"
#include "paint/QtText.h"

namespace morvatex {
namespace {

// Room around the frame: its figures stand left of it and below it.
constexpr double kMargin = 12;
constexpr double kFigureGap = 4;
constexpr double kFontPixels = 12;
// The smallest span fitted, so a path along one line still gets a scale.
constexpr double kMinSpan = 1;         // mm
constexpr double kPlungeRadius = 3.5;  // pixels

const QColor kFeedColour(0, 0, 170);
const QColor kRapidColour(210, 40, 40);
const QColor kFrameColour(150, 150, 150);
const QColor kFailureColour(230, 0, 0);

QString Figure(long double value) { return ToQString(FixedPointText(value, 3)); }

QFont FigureFont() {
  QFont font;
  font.setPixelSize(static_cast<int>(kFontPixels));
  return font;
}

// Pixels left of the frame that the Y figures need.
double FigureWidth(const ToolPath& path) {
  const QFontMetricsF metrics(FigureFont());
  return std::max(metrics.horizontalAdvance(Figure(path.extents.minY)),
                  metrics.horizontalAdvance(Figure(path.extents.maxY))) +
         kFigureGap;
}

void AddSegment(QPainterPath& out, const PathSegment& s, const PreviewView& view) {
  const QPointF start = view.ToScreen(s.start.x, s.start.y);
  if (out.isEmpty() || out.currentPosition() != start) out.moveTo(start);
  if (s.kind != PathSegment::Kind::kArc) {
    out.lineTo(view.ToScreen(s.end.x, s.end.y));
    return;
  }
  // Screen Y points down, the machine's up: both turn counter-clockwise
  // for positive angles as the eye sees them, which is Qt's convention.
  const double r = s.radius * view.scale;
  const QPointF centre = view.ToScreen(s.centreX, s.centreY);
  constexpr double kDegrees = 180 / std::numbers::pi;
  out.arcTo(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), s.startAngle * kDegrees, s.sweep * kDegrees);
}

}  // namespace

void PreviewView::ZoomAbout(QPointF anchor, double factor) {
  // From a kilometre to a micrometre across a few hundred pixels.
  constexpr double kMinScale = 1e-4, kMaxScale = 1e5;
  factor = std::clamp(scale * factor, kMinScale, kMaxScale) / scale;
  origin = anchor + (origin - anchor) * factor;
  scale *= factor;
}

PreviewView FitView(const ToolPath& path, const QRectF& area) {
  PreviewView view;
  if (!path.extentsKnown) {
    view.origin = area.center();
    return view;
  }
  const DrawingExtents& e = path.extents;
  const QRectF inner =
      area.adjusted(kMargin + FigureWidth(path), kMargin, -kMargin, -(kMargin + kFontPixels + kFigureGap));
  const double spanX = std::max(static_cast<double>(e.maxX - e.minX), kMinSpan);
  const double spanY = std::max(static_cast<double>(e.maxY - e.minY), kMinSpan);
  view.scale = std::max(std::min(inner.width() / spanX, inner.height() / spanY), 1e-9);
  const double midX = static_cast<double>(e.minX + e.maxX) / 2, midY = static_cast<double>(e.minY + e.maxY) / 2;
  view.origin = inner.center() - QPointF(midX * view.scale, -midY * view.scale);
  return view;
}

bool PaintToolPath(QPainter& painter, const ToolPath& path, const PreviewView& view, const QRectF& area,
                   const std::function<bool()>& stopped) {
  painter.save();
  painter.setClipRect(area);
  painter.fillRect(area, Qt::white);
  painter.setRenderHint(QPainter::Antialiasing, true);

  if (path.extentsKnown) {
    const DrawingExtents& e = path.extents;
    const QRectF frame = QRectF(view.ToScreen(e.minX, e.maxY), view.ToScreen(e.maxX, e.minY)).normalized();
    QPen framePen(kFrameColour, 1);
    framePen.setCosmetic(true);
    painter.setPen(framePen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    painter.setFont(FigureFont());
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(painter.font());
    const double below = frame.bottom() + kFigureGap + metrics.ascent();
    painter.drawText(QPointF(frame.left(), below), Figure(e.minX));
    const QString maxX = Figure(e.maxX);
    painter.drawText(QPointF(frame.right() - metrics.horizontalAdvance(maxX), below), maxX);
    const QString minY = Figure(e.minY), maxY = Figure(e.maxY);
    painter.drawText(QPointF(frame.left() - kFigureGap - metrics.horizontalAdvance(minY), frame.bottom()), minY);
    painter.drawText(
        QPointF(frame.left() - kFigureGap - metrics.horizontalAdvance(maxY), frame.top() + metrics.ascent()), maxY);
  }

  // The moves go out in chunks, so that a stop is heard between two of them
  // however long the whole path takes; rapid moves first, then feed moves
  // over them, then the dots of moves in Z alone.
  constexpr std::size_t kSegmentsPerChunk = 4096;
  const auto inChunks = [&](auto add, auto draw) {
    for (std::size_t first = 0; first < path.segments.size(); first += kSegmentsPerChunk) {
      if (stopped && stopped()) return false;
      QPainterPath chunk;
      const std::size_t end = std::min(path.segments.size(), first + kSegmentsPerChunk);
      for (std::size_t i = first; i < end; ++i) add(chunk, path.segments[i]);
      draw(chunk);
    }
    return true;
  };
  painter.setBrush(Qt::NoBrush);
  QPen rapidPen(kRapidColour, 1);
  rapidPen.setDashPattern({6, 4});  // long enough to tell from a feed move at a glance
  rapidPen.setCosmetic(true);
  QPen feedPen(kFeedColour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  feedPen.setCosmetic(true);
  const bool drawn =
      inChunks(
          [&](QPainterPath& chunk, const PathSegment& segment) {
            if (segment.kind == PathSegment::Kind::kRapid) AddSegment(chunk, segment, view);
          },
          [&](const QPainterPath& chunk) {
            painter.setPen(rapidPen);
            painter.drawPath(chunk);
          }) &&
      inChunks(
          [&](QPainterPath& chunk, const PathSegment& segment) {
            if (segment.kind != PathSegment::Kind::kRapid) AddSegment(chunk, segment, view);
          },
          [&](const QPainterPath& chunk) {
            painter.setPen(feedPen);
            painter.drawPath(chunk);
          }) &&
      inChunks(
          [&](QPainterPath& chunk, const PathSegment& segment) {
            // A feed move in Z alone (drilling, plunging) has no line to show: a dot.
            if (segment.kind == PathSegment::Kind::kLinear && segment.zOnly)
              chunk.addEllipse(view.ToScreen(segment.end.x, segment.end.y), kPlungeRadius, kPlungeRadius);
          },
          [&](const QPainterPath& chunk) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(kFeedColour);
            painter.drawPath(chunk);
            painter.setBrush(Qt::NoBrush);
          });
  if (!drawn) {
    painter.restore();
    return false;
  }

  if (!IsGood(path.code) && !path.segments.empty()) {
    const PathPoint last = path.segments.back().end;
    QPen failurePen(kFailureColour, 2);
    failurePen.setCosmetic(true);
    painter.setPen(failurePen);
    painter.drawEllipse(view.ToScreen(last.x, last.y), 6, 6);
  }
  painter.restore();
  return true;
}

}  // namespace morvatex
