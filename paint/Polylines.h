// Turns moves into the polylines of a batch, only as fine as the picture can
// show and only where it is visible. Defined in the class, so that the calls
// made for every move inline into the loops over the moves (out of line,
// collecting the polylines of a million moves took 8% more instructions).
#pragma once

#include <QPainter>
#include <QPointF>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/MoveGeometry.h"
#include "paint/Batch.h"
#include "paint/PreviewView.h"
#include "preview/ToolPath.h"

namespace morvatex {

// Collects the moves of one kind as polylines in pixels, only as fine as the
// picture can show: arcs become chords within a fraction of a pixel (arcs in
// the XZ and YZ planes the chords of their XY projection), points
// closer than half a pixel to the last one kept are left out (the last of a
// polyline always stays, so ends and corners keep their place), and pieces
// wholly outside the visible area are dropped, which ends the polyline there.
// Each polyline goes to the batch as soon as it ends.
class Polylines {
 public:
  Polylines(Batch& batch, const QPainter& painter, const PreviewView& view, const QRectF& area)
      : batch_(batch), view_(view) {
    // Tolerances are in device pixels, which a scaled painter makes smaller.
    const double deviceScale = std::sqrt(std::abs(painter.deviceTransform().determinant()));
    pixel_ = deviceScale > 0 ? 1 / deviceScale : 1;
    chordError_ = kChordError * pixel_;
    minStep2_ = kMinStep * kMinStep * pixel_ * pixel_;
    visible_ = area.adjusted(-kPenReach, -kPenReach, kPenReach, kPenReach);
  }

  // The pen of the polylines from here on; ends the open one.
  void SetPen(int pen) {
    if (pen == pen_) return;
    End();
    pen_ = pen;
  }

  void Add(const PathSegment& s) {
    const QPointF start = view_.ToScreen(s.start.x, s.start.y), end = view_.ToScreen(s.end.x, s.end.y);
    if (!s.IsArc()) {
      Piece(start, end);
      return;
    }
    if (s.plane != Plane::kXY) {
      AddProjection(s, start);
      return;
    }
    // Screen Y points down, the machine's up: a positive signed sweep turns
    // counter-clockwise as the eye sees it.
    const double r = s.radius * view_.scale;
    const QPointF centre = view_.ToScreen(s.centre.x, s.centre.y);
    if (!Visible(centre - QPointF(r, r), centre + QPointF(r, r))) {
      End();
      return;
    }
    // The chord of angle a misses the arc by r (1 - cos(a / 2)).
    double chords = 1;
    if (r > chordError_)
      chords = std::clamp(std::ceil(s.sweep / (2 * std::acos(1 - chordError_ / r))), 1.0, kMaxChords);
    const int n = static_cast<int>(chords);
    // From k = 0: a start off the circle joins it with a straight piece.
    QPointF from = start;
    const double sweep = s.SignedSweep();
    for (int k = 0; k < n; ++k) {
      const double a = s.startAngle + sweep * k / n;
      const QPointF to = centre + QPointF(r * std::cos(a), -r * std::sin(a));
      Piece(from, to);
      from = to;
    }
    // The exact end, so that the next move joins without a break.
    Piece(from, end);
  }

  // Hands the open polyline to the batch.
  void End() {
    if (line_.empty()) return;
    if (line_.size() == 1 || line_.back() != current_) line_.push_back(current_);
    Hand();
  }

 private:
  static constexpr double kChordError = 0.25, kMinStep = 0.5;  // pixels
  // A huge arc far beyond the picture gets a bounded number of chords.
  static constexpr double kMaxChords = 1 << 16;

  // An arc in the XZ or YZ plane seen from above: its chords (engine/
  // MoveGeometry.h), straight along X or Y unless it is a helix along the
  // other axis.
  // The last chord ends at the arc's end, so that the next move joins
  // without a break.
  void AddProjection(const PathSegment& s, QPointF start) {
    const Plane plane = s.plane;
    const double r = s.radius;
    const double u = PlaneU(s.centre, plane), v = PlaneV(s.centre, plane);
    const double n0 = PlaneNormal(s.start, plane), n1 = PlaneNormal(s.end, plane);
    const PathPoint low = PlanePoint(u - r, v - r, std::min(n0, n1), plane);
    const PathPoint high = PlanePoint(u + r, v + r, std::max(n0, n1), plane);
    if (!Visible(view_.ToScreen(low.x, low.y), view_.ToScreen(high.x, high.y))) {
      End();
      return;
    }
    // Within a fraction of a pixel, in mm, but never more chords than an
    // arc in the XY plane gets.
    const double fewest = r * (1 - std::cos(s.sweep / (2 * kMaxChords)));
    const double tolerance = std::max(chordError_ / view_.scale, fewest);
    QPointF from = start;
    ForEachChord(static_cast<const PathMove&>(s), tolerance, [&](const PathMove& chord) {
      const QPointF to = view_.ToScreen(chord.end.x, chord.end.y);
      Piece(from, to);
      from = to;
    });
  }

  void Hand() {
    Batch::Line line;
    line.first = batch_.points.size();
    line.count = line_.size();
    line.pen = pen_;
    line.left = line.right = line_.front().x();
    line.top = line.bottom = line_.front().y();
    for (const QPointF& p : line_) {
      line.left = std::min(line.left, p.x());
      line.right = std::max(line.right, p.x());
      line.top = std::min(line.top, p.y());
      line.bottom = std::max(line.bottom, p.y());
    }
    const double reach = kPenReach * pixel_;
    line.left -= reach;
    line.top -= reach;
    line.right += reach;
    line.bottom += reach;
    batch_.points.insert(batch_.points.end(), line_.begin(), line_.end());
    batch_.lines.push_back(line);
    line_.clear();
  }

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
    if (QPointF::dotProduct(step, step) < minStep2_) return;
    line_.push_back(to);
  }

  Batch& batch_;
  const PreviewView& view_;
  QRectF visible_;
  double pixel_ = 1;
  double chordError_ = kChordError, minStep2_ = kMinStep * kMinStep;
  int pen_ = 0;
  std::vector<QPointF> line_;  // the points kept so far
  QPointF current_;            // where the open polyline really is, kept or not
};

}  // namespace morvatex
