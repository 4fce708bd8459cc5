#include "engine/PolylineSegments.h"

namespace morvatex {

void PolylineSegments::AddStart(long double startX, long double startY, long double endX, long double endY) {
  starts_.push_back({startX, startY});
  endX_ = endX;
  endY_ = endY;
}

void PolylineSegments::AddLine(long double startX, long double startY, long double endX, long double endY) {
  AddStart(startX, startY, endX, endY);
}

void PolylineSegments::AddArc(long double startX, long double startY, long double endX, long double endY,
                              long double bulge) {
  bulges_.push_back({starts_.size(), bulge});
  AddStart(startX, startY, endX, endY);
}

void PolylineSegments::Clear() {
  starts_.clear();  // a deque gives back all of its chunks but one
  bulges_.clear();
}

bool PolylineSegments::Closed() const {
  return !starts_.empty() && endX_ == starts_.front().x && endY_ == starts_.front().y;
}

}  // namespace morvatex
