#include "paint/ToolPathPainter.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "engine/OutcomeCodes.h"
#include "paint/BandPainters.h"
#include "paint/Batch.h"
#include "paint/DepthColours.h"
#include "paint/Figures.h"
#include "paint/Polylines.h"

namespace morvatex {
namespace {

const QColor kFeedColour(0, 0, 170);
const QColor kRapidColour(210, 40, 40);
const QColor kFrameColour(150, 150, 150);
const QColor kFailureColour(230, 0, 0);

// The moves go out in chunks of this many, with a stop query before each.
constexpr std::size_t kSegmentsPerChunk = 4096;

}  // namespace

std::size_t PaintSteps(const ToolPath& path, const PaintOptions& options) {
  // Rapid moves, feed moves and dots, and with depth the scan for the range.
  const std::size_t chunks = (path.segments.size() + kSegmentsPerChunk - 1) / kSegmentsPerChunk;
  return chunks * (options.depth ? 4 : 3);
}

bool PaintToolPath(QPainter& painter, const ToolPath& path, const PreviewView& view, const QRectF& area,
                   const std::function<bool()>& stopped, const PaintOptions& options) {
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
  // over them, then the dots of moves in Z alone. Each chunk becomes a
  // batch of polylines, drawn before the next chunk is asked for.
  Batch batch;
  const auto inChunks = [&](auto add, auto draw) {
    for (std::size_t first = 0; first < path.segments.size(); first += kSegmentsPerChunk) {
      if (stopped && stopped()) return false;
      const std::size_t end = std::min(path.segments.size(), first + kSegmentsPerChunk);
      for (std::size_t i = first; i < end; ++i) add(path.segments[i]);
      draw();
      batch.clear();
    }
    return true;
  };
  // The range, too, in chunks: a long path takes a while to scan.
  DepthRange range;
  if (options.depth) {
    for (std::size_t first = 0; first < path.segments.size(); first += kSegmentsPerChunk) {
      if (stopped && stopped()) {
        painter.restore();
        return false;
      }
      range.Add(path, first, std::min(path.segments.size(), first + kSegmentsPerChunk));
    }
  }
  painter.setBrush(Qt::NoBrush);
  QPen rapidPen(kRapidColour, 1);
  rapidPen.setDashPattern({6, 4});  // long enough to tell from a feed move at a glance
  rapidPen.setCosmetic(true);
  QPen feedPen(kFeedColour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  feedPen.setCosmetic(true);
  // Feed moves by depth: a pen per depth bucket, one polyline per unbroken
  // run of one bucket.
  std::vector<QPen> feedPens;
  if (options.depth) {
    for (int bucket = 0; bucket < kDepthBuckets; ++bucket) {
      feedPens.push_back(feedPen);
      feedPens.back().setColor(DepthRange::Colour(bucket));
    }
  } else {
    feedPens.push_back(feedPen);
  }
  const std::vector<QPen> rapidPens = {rapidPen};
  const auto strokeRapid = [&] {
    // One painter for the dashes (see BandPainters).
    BandPainters one(painter, area, 0);
    Polylines lines(batch, painter, view, area);
    return inChunks(
        [&](const PathSegment& segment) {
          if (segment.kind == PathSegment::Kind::kRapid) lines.Add(segment);
        },
        [&] {
          lines.End();
          one.Draw(batch, rapidPens);
        });
  };
  const int bands =
      options.bands > 0 ? options.bands : static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
  const auto strokeFeed = [&](BandPainters& painters) {
    Polylines lines(batch, painter, view, area);
    return inChunks(
        [&](const PathSegment& segment) {
          if (segment.kind == PathSegment::Kind::kRapid) return;
          if (options.depth) lines.SetPen(range.Bucket(segment.end.z));
          lines.Add(segment);
        },
        [&] {
          lines.End();
          painters.Draw(batch, feedPens);
        });
  };
  // A feed move in Z alone (drilling, plunging) has no line to show: a dot.
  const double deviceScale = std::sqrt(std::abs(painter.deviceTransform().determinant()));
  const double dotReach = kPlungeRadius + kPenReach / (deviceScale > 0 ? deviceScale : 1);
  const auto dots = [&](BandPainters& painters) {
    return inChunks(
        [&](const PathSegment& segment) {
          if (segment.kind != PathSegment::Kind::kLinear || !segment.zOnly) return;
          const QPointF at = view.ToScreen(segment.end.x, segment.end.y);
          Batch::Line dot;
          dot.first = batch.points.size();
          dot.count = 1;
          dot.pen = options.depth ? range.Bucket(segment.end.z) : 0;
          dot.left = at.x() - dotReach;
          dot.right = at.x() + dotReach;
          dot.top = at.y() - dotReach;
          dot.bottom = at.y() + dotReach;
          batch.points.push_back(at);
          batch.lines.push_back(dot);
        },
        [&] { painters.Draw(batch, feedPens); });
  };
  bool drawn = strokeRapid();
  if (drawn) {
    BandPainters painters(painter, area, bands);
    // Where the feed moves end and the dots lie, for the band edges.
    painters.Balance([&](const auto& add) {
      for (std::size_t i = 0; i < path.segments.size(); ++i) {
        const PathPoint end = path.segments.EndOf(i);
        add(view.ToScreen(end.x, end.y), 1.0);
      }
    });
    drawn = strokeFeed(painters) && dots(painters);
    if (drawn) painters.Finish();
  }
  if (!drawn) {
    painter.restore();
    return false;
  }
  painter.setBrush(Qt::NoBrush);

  if (range.known) PaintDepthLegend(painter, range, area);

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
