#include "paint/ReadBackOverlay.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <optional>

#include "preview/PathLines.h"

namespace morvatex {
namespace {

// A stop query before each chunk of this many moves.
constexpr std::size_t kMovesPerChunk = 4096;
constexpr double kPixelsPerArcStep = 3;
constexpr int kMostArcSteps = 512;
constexpr double kRingRadius = 7;  // px: a selected move too small to see still shows
// A long run is stroked in pieces of this many points: one stroke of a
// million points would hold its whole outline at once.
constexpr qsizetype kPointsPerStroke = 1024;

QPen OverlayPen(const QColor& colour, double width) {
  QPen pen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  pen.setCosmetic(true);
  return pen;
}

// Draws the moves `wanted` picks as polylines, one per unbroken run.
template <typename Wanted>
bool DrawMoves(QPainter& painter, const std::vector<ReadBackMove>& moves, const PreviewView& view,
               const std::function<bool()>& stopped, Wanted&& wanted) {
  QPolygonF line;
  const auto flush = [&] {
    if (line.size() > 1) painter.drawPolyline(line);
    line.clear();
  };
  for (std::size_t i = 0; i < moves.size(); ++i) {
    if (i % kMovesPerChunk == 0 && stopped && stopped()) return false;
    const ReadBackMove& move = moves[i];
    if (!wanted(move)) {
      flush();
      continue;
    }
    const bool joined = i > 0 && !line.empty() && moves[i - 1].x == move.startX && moves[i - 1].y == move.startY;
    if (!joined) {
      flush();
      line << view.ToScreen(move.startX, move.startY);
    }
    AppendOverlayMove(line, move, view);
    if (line.size() >= kPointsPerStroke) {
      const QPointF last = line.back();
      flush();
      line << last;
    }
  }
  flush();
  return true;
}

// The Isel moves of `line`, marked; the end of the first is ringed.
std::optional<QPointF> DrawIselLine(QPainter& painter, const ToolPath& path, std::size_t line,
                                    const PreviewView& view) {
  std::optional<QPointF> ring;
  for (std::size_t i = 0; i < path.segments.size(); ++i) {
    const PathSegment s = path.segments[i];
    if (s.line != line) continue;
    const ReadBackMove move = OverlayMoveOf(s);
    QPolygonF points{view.ToScreen(move.startX, move.startY)};
    AppendOverlayMove(points, move, view);
    painter.drawPolyline(points);
    if (!ring) ring = points.back();
  }
  return ring;
}

}  // namespace

void AppendOverlayMove(QPolygonF& line, const ReadBackMove& move, const PreviewView& view) {
  if (move.arc) {
    const double radius = std::hypot(move.startX - move.centreX, move.startY - move.centreY);
    const double from = std::atan2(move.startY - move.centreY, move.startX - move.centreX);
    const double pixels = std::abs(move.sweep) * radius * view.scale;
    // Clamped before the cast: an arc of a wild CNC file may span infinity.
    const double wanted = std::isfinite(pixels) ? std::ceil(pixels / kPixelsPerArcStep) : kMostArcSteps;
    const int steps = static_cast<int>(std::clamp(wanted, 2.0, static_cast<double>(kMostArcSteps)));
    for (int i = 1; i < steps; ++i) {
      const double angle = from + move.sweep * i / steps;
      line << view.ToScreen(move.centreX + radius * std::cos(angle), move.centreY + radius * std::sin(angle));
    }
  }
  line << view.ToScreen(move.x, move.y);
}

ReadBackMove OverlayMoveOf(const PathSegment& s) {
  return {static_cast<float>(s.start.x),       static_cast<float>(s.start.y),
          static_cast<float>(s.end.x),         static_cast<float>(s.end.y),
          static_cast<float>(s.centre.x),      static_cast<float>(s.centre.y),
          static_cast<float>(s.SignedSweep()), 0,
          s.kind == MotionKind::kRapid,        s.IsArc()};
}

bool ReadBackOverlay::Divergent(std::size_t line) const {
  return std::binary_search(divergentLines.begin(), divergentLines.end(), line);
}

std::vector<std::size_t> ReadBackOverlay::MovesOfLine(std::size_t line) const {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < moves.size(); ++i)
    if (moves[i].line == line) found.push_back(i);
  return found;
}

std::optional<std::size_t> ReadBackOverlay::NearestMove(double x, double y, double reach) const {
  std::optional<std::size_t> nearest;
  double best = reach;
  for (std::size_t i = 0; i < moves.size(); ++i) {
    const ReadBackMove& m = moves[i];
    const double distance = DistanceTo({m.startX, m.startY, m.x, m.y, m.arc, m.centreX, m.centreY, m.sweep}, x, y);
    if (distance <= best && (!nearest || distance < best)) {
      best = distance;
      nearest = i;
    }
  }
  return nearest;
}

bool PaintReadBack(QPainter& painter, const ToolPath& path, const ReadBackOverlay& overlay,
                   const OverlaySelection& selected, const PreviewView& view, const QRectF& area,
                   const std::function<bool()>& stopped) {
  painter.save();
  painter.setClipRect(area);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(OverlayPen(kReadBackColour, 1));
  bool drawn = DrawMoves(painter, overlay.moves, view, stopped, [](const ReadBackMove&) { return true; });
  if (drawn && !overlay.divergentLines.empty()) {
    painter.setPen(OverlayPen(kDivergenceColour, 3));
    drawn = DrawMoves(painter, overlay.moves, view, stopped,
                      [&](const ReadBackMove& move) { return overlay.Divergent(move.line); });
  }
  if (drawn && selected != OverlaySelection{}) {
    painter.setPen(OverlayPen(kSelectionColour, 4));
    std::optional<QPointF> ring;
    if (selected.iselLine > 0) ring = DrawIselLine(painter, path, selected.iselLine, view);
    if (selected.cncLine > 0) {
      drawn = DrawMoves(painter, overlay.moves, view, stopped, [&](const ReadBackMove& move) {
        if (move.line == selected.cncLine && !ring) ring = view.ToScreen(move.x, move.y);
        return move.line == selected.cncLine;
      });
    }
    if (drawn && ring) {
      painter.setPen(OverlayPen(kSelectionColour, 2));
      painter.drawEllipse(*ring, kRingRadius, kRingRadius);
    }
  }
  painter.restore();
  return drawn;
}

}  // namespace morvatex
