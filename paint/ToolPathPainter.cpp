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

// A colour half way to white: a move whose place is not known for sure.
QColor Paler(const QColor& colour) {
  return {(colour.red() + 255) / 2, (colour.green() + 255) / 2, (colour.blue() + 255) / 2};
}

// The pens of one kind of move come in three groups of `count` (the
// feed's depth buckets): the moves' own, the paler ones of the moves
// whose place is uncertain, then one warning pen for the moves of lines
// not carried over whole.
int PenOf(int own, int count, bool uncertain, bool notCarried) {
  if (notCarried) return 2 * count;
  return uncertain ? count + own : own;
}

// The dashed pens of the rapid moves: 1 of each group, the uncertain ones
// dotted.
std::vector<QPen> RapidPens() {
  QPen rapidPen(kRapidColour, 1);
  rapidPen.setDashPattern({6, 4});  // long enough to tell from a feed move at a glance
  rapidPen.setCosmetic(true);
  QPen uncertainPen = rapidPen;
  uncertainPen.setColor(Paler(kRapidColour));
  uncertainPen.setDashPattern({2, 4});
  QPen warningPen = rapidPen;
  warningPen.setColor(kNotCarriedColour);
  return {rapidPen, uncertainPen, warningPen};
}

// The pens of the feed moves and their dots: by depth, a pen per depth
// bucket, one polyline per unbroken run of one bucket; then as many paler
// ones, then the warning pen.
std::vector<QPen> FeedPens(bool depth) {
  QPen feedPen(kFeedColour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  feedPen.setCosmetic(true);
  std::vector<QPen> feedPens;
  if (depth) {
    for (int bucket = 0; bucket < kDepthBuckets; ++bucket) {
      feedPens.push_back(feedPen);
      feedPens.back().setColor(DepthRange::Colour(bucket));
    }
  } else {
    feedPens.push_back(feedPen);
  }
  const std::size_t own = feedPens.size();
  for (std::size_t i = 0; i < own; ++i) {
    feedPens.push_back(feedPens[i]);
    feedPens.back().setColor(Paler(feedPens[i].color()));
  }
  feedPens.push_back(feedPen);
  feedPens.back().setColor(kNotCarriedColour);
  return feedPens;
}

// How many bands of an image are painted at once: as many as asked, else
// one per processor, at most 8.
int BandCount(const PaintOptions& options) {
  return options.bands > 0 ? options.bands : static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
}

// The steps of one picture, as PaintToolPath takes them, on what they
// share: the painter, the path and its view, the pens, the depth range and
// the batch that each chunk of moves becomes. A step that returns false was
// stopped.
class Picture {
 public:
  Picture(QPainter& painter, const ToolPath& path, const PreviewView& view, const QRectF& area,
          const std::function<bool()>& stopped, const PaintOptions& options);

  void PaintFrame();
  bool ScanDepth();
  bool PaintRapidMoves();
  void BalanceBands(BandPainters& painters) const;
  bool PaintFeedMoves(BandPainters& painters);
  bool PaintDots(BandPainters& painters);
  void PaintLegend();
  void PaintFailureRing();

 private:
  bool Stopped() const { return stopped_ && stopped_(); }
  // The feed pen of a move ending at depth `z`.
  int FeedPen(double z, bool uncertain, bool notCarried) const {
    return PenOf(options_.depth ? range_.Bucket(z) : 0, options_.depth ? kDepthBuckets : 1, uncertain, notCarried);
  }
  template <typename Add, typename Draw>
  bool InChunks(Add add, Draw draw);

  QPainter& painter_;
  const ToolPath& path_;
  const PreviewView& view_;
  const QRectF& area_;
  const std::function<bool()>& stopped_;
  const PaintOptions& options_;
  const std::vector<QPen> rapidPens_, feedPens_;
  DepthRange range_;
  Batch batch_;
};

Picture::Picture(QPainter& painter, const ToolPath& path, const PreviewView& view, const QRectF& area,
                 const std::function<bool()>& stopped, const PaintOptions& options)
    : painter_(painter),
      path_(path),
      view_(view),
      area_(area),
      stopped_(stopped),
      options_(options),
      rapidPens_(RapidPens()),
      feedPens_(FeedPens(options.depth)) {}

void Picture::PaintFrame() {
  const std::optional<QRectF> drawn = DrawingFrame(path_, view_);
  if (!drawn) return;
  const QRectF frame = *drawn;
  const DrawingExtents& e = path_.extents;
  QPen framePen(kFrameColour, 1);
  framePen.setCosmetic(true);
  painter_.setPen(framePen);
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(frame);
  painter_.setFont(FigureFont());
  painter_.setPen(Qt::black);
  const QFontMetricsF metrics(painter_.font());
  const double below = frame.bottom() + kFigureGap + metrics.ascent();
  const QString minX = Figure(e.minX), maxX = Figure(e.maxX);
  painter_.drawText(QPointF(frame.left(), below), minX);
  // A narrow or flat drawing would put a pair of figures on each other: the
  // same figure is written once, a different one moved clear of the first.
  if (maxX != minX) {
    const double after = frame.left() + metrics.horizontalAdvance(minX) + 2 * kFigureGap;
    painter_.drawText(QPointF(std::max(frame.right() - metrics.horizontalAdvance(maxX), after), below), maxX);
  }
  const QString minY = Figure(e.minY), maxY = Figure(e.maxY);
  painter_.drawText(QPointF(frame.left() - kFigureGap - metrics.horizontalAdvance(minY), frame.bottom()), minY);
  if (maxY != minY) {
    const double above = frame.bottom() - metrics.height() - kFigureGap;
    painter_.drawText(QPointF(frame.left() - kFigureGap - metrics.horizontalAdvance(maxY),
                              std::min(frame.top() + metrics.ascent(), above)),
                      maxY);
  }
}

bool Picture::ScanDepth() {
  if (!options_.depth) return true;
  // The range, too, in chunks: a long path takes a while to scan.
  for (std::size_t first = 0; first < path_.segments.size(); first += kSegmentsPerChunk) {
    if (Stopped()) return false;
    range_.Add(path_, first, std::min(path_.segments.size(), first + kSegmentsPerChunk));
  }
  return true;
}

// The moves go out in chunks, so that a stop is heard between two of them
// however long the whole path takes; rapid moves first, then feed moves
// over them, then the dots of moves in Z alone. Each chunk becomes a
// batch of polylines, drawn before the next chunk is asked for. `add`
// gets each move's index: it asks the kind first, which costs little, and
// reads only the moves it draws.
template <typename Add, typename Draw>
bool Picture::InChunks(Add add, Draw draw) {
  for (std::size_t first = 0; first < path_.segments.size(); first += kSegmentsPerChunk) {
    if (Stopped()) return false;
    const std::size_t end = std::min(path_.segments.size(), first + kSegmentsPerChunk);
    for (std::size_t i = first; i < end; ++i) add(i);
    draw();
    batch_.clear();
  }
  return true;
}

bool Picture::PaintRapidMoves() {
  painter_.setBrush(Qt::NoBrush);
  // One painter for the dashes (see BandPainters).
  BandPainters one(painter_, area_, 0);
  Polylines lines(batch_, painter_, view_, area_);
  const PathMoves& moves = path_.segments;
  return InChunks(
      [&](std::size_t i) {
        if (moves.KindOf(i) != MotionKind::kRapid) return;
        lines.SetPen(PenOf(0, 1, moves.Uncertain(i), moves.NotCarried(i)));
        lines.Add(moves[i]);
      },
      [&] {
        lines.End();
        one.Draw(batch_, rapidPens_);
      });
}

// Where the feed moves end and the dots lie, for the band edges.
void Picture::BalanceBands(BandPainters& painters) const {
  painters.Balance([&](const auto& add) {
    for (std::size_t i = 0; i < path_.segments.size(); ++i) {
      const PathPoint end = path_.segments.EndOf(i);
      add(view_.ToScreen(end.x, end.y), 1.0);
    }
  });
}

bool Picture::PaintFeedMoves(BandPainters& painters) {
  Polylines lines(batch_, painter_, view_, area_);
  const PathMoves& moves = path_.segments;
  return InChunks(
      [&](std::size_t i) {
        if (moves.KindOf(i) == MotionKind::kRapid) return;
        const PathSegment segment = moves[i];
        lines.SetPen(FeedPen(segment.end.z, segment.Uncertain(), segment.notCarried));
        lines.Add(segment);
      },
      [&] {
        lines.End();
        painters.Draw(batch_, feedPens_);
      });
}

// A feed move in Z alone (drilling, plunging) has no line to show: a dot.
bool Picture::PaintDots(BandPainters& painters) {
  const double deviceScale = std::sqrt(std::abs(painter_.deviceTransform().determinant()));
  const double dotReach = kPlungeRadius + kPenReach / (deviceScale > 0 ? deviceScale : 1);
  const PathMoves& moves = path_.segments;
  return InChunks(
      [&](std::size_t i) {
        if (moves.KindOf(i) != MotionKind::kLinear || !moves.ZOnly(i)) return;
        const PathPoint end = moves.EndOf(i);
        const QPointF at = view_.ToScreen(end.x, end.y);
        Batch::Line dot;
        dot.first = batch_.points.size();
        dot.count = 1;
        dot.pen = FeedPen(end.z, moves.Uncertain(i), moves.NotCarried(i));
        dot.left = at.x() - dotReach;
        dot.right = at.x() + dotReach;
        dot.top = at.y() - dotReach;
        dot.bottom = at.y() + dotReach;
        batch_.points.push_back(at);
        batch_.lines.push_back(dot);
      },
      [&] { painters.Draw(batch_, feedPens_); });
}

void Picture::PaintLegend() {
  if (range_.known) morvatex::PaintDepthLegend(painter_, range_, area_);
}

void Picture::PaintFailureRing() {
  // The dots may have left their brush on the painter.
  painter_.setBrush(Qt::NoBrush);
  if (IsGood(path_.code) || path_.segments.empty()) return;
  const PathPoint last = path_.segments.back().end;
  QPen failurePen(kFailureColour, 2);
  failurePen.setCosmetic(true);
  painter_.setPen(failurePen);
  painter_.drawEllipse(view_.ToScreen(last.x, last.y), 6, 6);
}

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
  Picture picture(painter, path, view, area, stopped, options);
  picture.PaintFrame();
  bool drawn = picture.ScanDepth() && picture.PaintRapidMoves();
  if (drawn) {
    BandPainters painters(painter, area, BandCount(options), options.startThread);
    picture.BalanceBands(painters);
    drawn = picture.PaintFeedMoves(painters) && picture.PaintDots(painters);
    if (drawn) painters.Finish();
  }
  if (drawn) {
    picture.PaintLegend();
    picture.PaintFailureRing();
  }
  painter.restore();
  return drawn;
}

PreviewView FitPicture(const ToolPath& path, const QRectF& area, const PaintOptions& options) {
  if (!options.depth) return FitView(path, area);
  const FeedDepth range = FeedDepthOf(path);
  if (!range.known) return FitView(path, area);
  // The drawing keeps its margin from the legend as from the window's edge.
  return FitView(path, area.adjusted(0, 0, -(area.right() - DepthLegendBox(range, area).left()), 0));
}

}  // namespace morvatex
