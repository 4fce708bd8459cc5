#include "paint/ToolPathPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <QLinearGradient>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

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

// The depth view's colour bar.
constexpr double kBarWidth = 12;
constexpr double kMaxBarHeight = 160;
// The moves go out in chunks of this many, with a stop query before each.
constexpr std::size_t kSegmentsPerChunk = 4096;
// Feed moves of one depth bucket share a pen, so a relief still goes out
// in runs of polylines rather than one call per move.
constexpr int kDepthBuckets = 64;

QString Figure(long double value) { return ToQString(FixedPointText(value, 3)); }

// The viridis map, evenly sampled: from dark purple (0) to yellow (1). It
// stays perceptually even and readable in grey.
QColor Viridis(double t) {
  static constexpr std::array<std::array<int, 3>, 9> kAnchors = {{{68, 1, 84},
                                                                  {71, 45, 123},
                                                                  {59, 82, 139},
                                                                  {44, 114, 142},
                                                                  {33, 145, 140},
                                                                  {40, 174, 128},
                                                                  {94, 201, 98},
                                                                  {173, 220, 48},
                                                                  {253, 231, 37}}};
  const double at = std::clamp(t, 0.0, 1.0) * (kAnchors.size() - 1);
  const std::size_t i = std::min(static_cast<std::size_t>(at), kAnchors.size() - 2);
  const double f = at - static_cast<double>(i);
  const auto mix = [&](int c) {
    return static_cast<int>(std::lround(kAnchors[i][c] + (kAnchors[i + 1][c] - kAnchors[i][c]) * f));
  };
  return QColor(mix(0), mix(1), mix(2));
}

// The Z range of the feed moves' ends, and the bucket of a Z in it: 0 for
// the highest, kDepthBuckets - 1 for the deepest.
struct DepthRange : FeedDepth {
  // Adds the feed moves from `first` to before `end`.
  void Add(const ToolPath& path, std::size_t first, std::size_t end) {
    for (std::size_t i = first; i < end; ++i) {
      const PathSegment s = path.segments[i];
      if (s.kind == PathSegment::Kind::kRapid) continue;
      const double z = s.end.z;
      top = known ? std::max(top, z) : z;
      bottom = known ? std::min(bottom, z) : z;
      known = true;
    }
  }
  int Bucket(double z) const {
    const double t = top > bottom ? (top - z) / (top - bottom) : 0;
    return static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * (kDepthBuckets - 1)));
  }
  static QColor Colour(int bucket) { return Viridis(1 - static_cast<double>(bucket) / (kDepthBuckets - 1)); }
};

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

// The colour bar with the Z range at its ends, on white so that it stays
// readable over the moves.
void PaintDepthLegend(QPainter& painter, const DepthRange& range, const QRectF& area) {
  const QRectF bar = DepthLegendBar(area);
  painter.setFont(FigureFont());
  const QFontMetricsF metrics(painter.font());
  const QString top = QStringLiteral("Z ") + Figure(range.top) + QStringLiteral(" mm");
  const QString bottom = QStringLiteral("Z ") + Figure(range.bottom) + QStringLiteral(" mm");
  const double textWidth = std::max(metrics.horizontalAdvance(top), metrics.horizontalAdvance(bottom));
  const double half = metrics.height() / 2;
  painter.fillRect(QRectF(bar.left() - kFigureGap - textWidth - kFigureGap, bar.top() - half - kFigureGap,
                          textWidth + kFigureGap * 3 + bar.width(), bar.height() + 2 * (half + kFigureGap)),
                   Qt::white);
  QLinearGradient gradient(bar.topLeft(), bar.bottomLeft());
  constexpr int kStops = 8;
  for (int i = 0; i <= kStops; ++i)
    gradient.setColorAt(static_cast<double>(i) / kStops, Viridis(1.0 - i * 1.0 / kStops));
  painter.fillRect(bar, gradient);
  painter.setPen(Qt::black);
  const double centre = (metrics.ascent() - metrics.descent()) / 2;
  painter.drawText(QPointF(bar.left() - kFigureGap - metrics.horizontalAdvance(top), bar.top() + centre), top);
  painter.drawText(QPointF(bar.left() - kFigureGap - metrics.horizontalAdvance(bottom), bar.bottom() + centre), bottom);
}

// Collects the moves of one kind as polylines in pixels, only as fine as the
// picture can show: arcs become chords within a fraction of a pixel, points
// closer than half a pixel to the last one kept are left out (the last of a
// polyline always stays, so ends and corners keep their place), and pieces
// wholly outside the visible area are dropped, which ends the polyline there.
// Each polyline is drawn with the painter's pen as soon as it ends.
class Polylines {
 public:
  Polylines(QPainter& painter, const PreviewView& view, const QRectF& area) : painter_(painter), view_(view) {
    // Tolerances are in device pixels, which a scaled painter makes smaller.
    const double deviceScale = std::sqrt(std::abs(painter.deviceTransform().determinant()));
    const double pixel = deviceScale > 0 ? 1 / deviceScale : 1;
    chordError_ = kChordError * pixel;
    minStep2_ = kMinStep * kMinStep * pixel * pixel;
    // Wide enough for the widest pen with its round caps.
    constexpr double kCullMargin = 4;
    visible_ = area.adjusted(-kCullMargin, -kCullMargin, kCullMargin, kCullMargin);
  }

  void Add(const PathSegment& s) {
    const QPointF start = view_.ToScreen(s.start.x, s.start.y), end = view_.ToScreen(s.end.x, s.end.y);
    if (s.kind != PathSegment::Kind::kArc) {
      Piece(start, end);
      return;
    }
    // Screen Y points down, the machine's up: a positive sweep turns
    // counter-clockwise as the eye sees it.
    const double r = s.radius * view_.scale;
    const QPointF centre = view_.ToScreen(s.centreX, s.centreY);
    if (!Visible(centre - QPointF(r, r), centre + QPointF(r, r))) {
      End();
      return;
    }
    // The chord of angle a misses the arc by r (1 - cos(a / 2)). A huge arc
    // far beyond the picture gets a bounded number of chords.
    constexpr double kMaxChords = 1 << 16;
    double chords = 1;
    if (r > chordError_)
      chords = std::clamp(std::ceil(std::abs(s.sweep) / (2 * std::acos(1 - chordError_ / r))), 1.0, kMaxChords);
    const int n = static_cast<int>(chords);
    // From k = 0: a start off the circle joins it with a straight piece.
    QPointF from = start;
    for (int k = 0; k < n; ++k) {
      const double a = s.startAngle + s.sweep * k / n;
      const QPointF to = centre + QPointF(r * std::cos(a), -r * std::sin(a));
      Piece(from, to);
      from = to;
    }
    // The exact end, so that the next move joins without a break.
    Piece(from, end);
  }

  // Draws the open polyline.
  void End() {
    if (line_.empty()) return;
    if (line_.size() == 1 || line_.back() != current_) line_.push_back(current_);
    painter_.drawPolyline(line_.data(), static_cast<int>(line_.size()));
    line_.clear();
  }

 private:
  static constexpr double kChordError = 0.25, kMinStep = 0.5;  // pixels

  bool Visible(QPointF a, QPointF b) const {
    return std::max(a.x(), b.x()) >= visible_.left() && std::min(a.x(), b.x()) <= visible_.right() &&
           std::max(a.y(), b.y()) >= visible_.top() && std::min(a.y(), b.y()) <= visible_.bottom();
  }

  void Piece(QPointF from, QPointF to) {
    if (!Visible(from, to)) {
      End();
      return;
    }
    if (line_.empty() || from != current_) {
      End();
      line_.push_back(from);
    }
    current_ = to;
    const QPointF step = to - line_.back();
    if (QPointF::dotProduct(step, step) >= minStep2_) line_.push_back(to);
  }

  QPainter& painter_;
  const PreviewView& view_;
  QRectF visible_;
  double chordError_ = kChordError, minStep2_ = kMinStep * kMinStep;
  std::vector<QPointF> line_;  // the points kept so far
  QPointF current_;            // where the open polyline really is, kept or not
};

}  // namespace

void PreviewView::ZoomAbout(QPointF anchor, double factor) {
  // From a kilometre to a micrometre across a few hundred pixels.
  constexpr double kMinScale = 1e-4, kMaxScale = 1e5;
  factor = std::clamp(scale * factor, kMinScale, kMaxScale) / scale;
  origin = anchor + (origin - anchor) * factor;
  scale *= factor;
}

QRectF DepthLegendBar(const QRectF& area) {
  // Whole pixels, so that the bar's edge rows hold its end colours.
  const double height = std::floor(std::clamp(area.height() / 3, 1.0, kMaxBarHeight));
  return QRectF(std::floor(area.right() - kMargin - kBarWidth), std::floor(area.top() + kMargin + kFontPixels / 2),
                kBarWidth, height);
}

std::size_t PaintSteps(const ToolPath& path, const PaintOptions& options) {
  // Rapid moves, feed moves and dots, and with depth the scan for the range.
  const std::size_t chunks = (path.segments.size() + kSegmentsPerChunk - 1) / kSegmentsPerChunk;
  return chunks * (options.depth ? 4 : 3);
}

FeedDepth FeedDepthOf(const ToolPath& path) {
  DepthRange range;
  range.Add(path, 0, path.segments.size());
  return range;
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
  // over them, then the dots of moves in Z alone.
  const auto inChunks = [&](auto add, auto draw) {
    for (std::size_t first = 0; first < path.segments.size(); first += kSegmentsPerChunk) {
      if (stopped && stopped()) return false;
      const std::size_t end = std::min(path.segments.size(), first + kSegmentsPerChunk);
      for (std::size_t i = first; i < end; ++i) add(path.segments[i]);
      draw();
    }
    return true;
  };
  // Rapid and feed moves: one polyline per unbroken run of the kind.
  const auto strokeMoves = [&](const QPen& pen, bool rapid) {
    painter.setPen(pen);
    Polylines lines(painter, view, area);
    return inChunks(
        [&](const PathSegment& segment) {
          if ((segment.kind == PathSegment::Kind::kRapid) == rapid) lines.Add(segment);
        },
        [&] { lines.End(); });
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
  // Feed moves by depth: one polyline per unbroken run of one bucket.
  std::vector<QPen> depthPens;
  const auto strokeByDepth = [&] {
    Polylines lines(painter, view, area);
    int current = -1;
    return inChunks(
        [&](const PathSegment& segment) {
          if (segment.kind == PathSegment::Kind::kRapid) return;
          const int bucket = range.Bucket(segment.end.z);
          if (bucket != current) {
            lines.End();
            painter.setPen(depthPens[static_cast<std::size_t>(bucket)]);
            current = bucket;
          }
          lines.Add(segment);
        },
        [&] { lines.End(); });
  };
  painter.setBrush(Qt::NoBrush);
  QPen rapidPen(kRapidColour, 1);
  rapidPen.setDashPattern({6, 4});  // long enough to tell from a feed move at a glance
  rapidPen.setCosmetic(true);
  QPen feedPen(kFeedColour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  feedPen.setCosmetic(true);
  if (options.depth) {
    for (int bucket = 0; bucket < kDepthBuckets; ++bucket) {
      depthPens.push_back(feedPen);
      depthPens.back().setColor(DepthRange::Colour(bucket));
    }
  }
  std::vector<QPointF> dots;
  std::vector<int> dotBuckets;  // with depth, the bucket of each dot
  const bool drawn = strokeMoves(rapidPen, true) && (options.depth ? strokeByDepth() : strokeMoves(feedPen, false)) &&
                     inChunks(
                         [&](const PathSegment& segment) {
                           // A feed move in Z alone (drilling, plunging) has no line to show: a dot.
                           if (segment.kind != PathSegment::Kind::kLinear || !segment.zOnly) return;
                           dots.push_back(view.ToScreen(segment.end.x, segment.end.y));
                           if (options.depth) dotBuckets.push_back(range.Bucket(segment.end.z));
                         },
                         [&] {
                           painter.setPen(Qt::NoPen);
                           painter.setBrush(kFeedColour);
                           // One at a time: a path of thousands of them fills far slower.
                           for (std::size_t i = 0; i < dots.size(); ++i) {
                             if (options.depth) painter.setBrush(DepthRange::Colour(dotBuckets[i]));
                             painter.drawEllipse(dots[i], kPlungeRadius, kPlungeRadius);
                           }
                           painter.setBrush(Qt::NoBrush);
                           dots.clear();
                           dotBuckets.clear();
                         });
  if (!drawn) {
    painter.restore();
    return false;
  }

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
