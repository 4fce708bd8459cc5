// The feed moves collected for one polyline of the drawing, held compactly:
// a million segments without a rapid move between them must fit in memory
// beside the source text.
#pragma once

#include <cstddef>
#include <deque>

namespace morvatex {

class PolylineSegments {
 public:
  // A vertex of the polyline: the start point of one segment, with the
  // bulge of an arc segment.
  struct Vertex {
    long double x = 0, y = 0;
    bool isArc = false;
    long double bulge = 0;  // only for an arc segment
  };

  // Appends a segment from (startX, startY) to (endX, endY): a straight one,
  // or an arc with `bulge` (tan(sweep / 4), negative when clockwise).
  void AddLine(long double startX, long double startY, long double endX, long double endY);
  void AddArc(long double startX, long double startY, long double endX, long double endY, long double bulge);

  // Forgets every segment and gives back their memory.
  void Clear();

  bool empty() const { return starts_.empty(); }
  std::size_t size() const { return starts_.size(); }

  // Calls visit(const Vertex&) for every segment in order while it returns
  // true; false when it stopped early.
  template <typename Visit>
  bool ForEachVertex(Visit visit) const {
    auto bulge = bulges_.begin();
    for (std::size_t i = 0; i < starts_.size(); ++i) {
      Vertex vertex{starts_[i].x, starts_[i].y};
      if (bulge != bulges_.end() && bulge->segment == i) {
        vertex.isArc = true;
        vertex.bulge = bulge->value;
        ++bulge;
      }
      if (!visit(vertex)) return false;
    }
    return true;
  }

  // The end point of the last segment (only when not empty).
  long double EndX() const { return endX_; }
  long double EndY() const { return endY_; }

  // The last segment ends exactly where the first one starts.
  bool Closed() const;

 private:
  struct Point {
    long double x, y;
  };
  struct Bulge {
    std::size_t segment;
    long double value;
  };

  void AddStart(long double startX, long double startY, long double endX, long double endY);

  // Chunked containers: growing them never copies what is already there.
  std::deque<Point> starts_;
  std::deque<Bulge> bulges_;  // arc segments only, in segment order
  long double endX_ = 0, endY_ = 0;
};

}  // namespace morvatex
