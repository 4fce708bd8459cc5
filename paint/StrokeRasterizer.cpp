#include "paint/StrokeRasterizer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace morvatex {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The interval of x where lo <= c0 + c1 * x <= hi, intersected with [left,
// right]; empty: left > right.
inline void Constrain(double c0, double c1, double lo, double hi, double& left, double& right) {
  if (c1 == 0) {
    if (c0 < lo || c0 > hi) {
      left = kInfinity;
      right = -kInfinity;
    }
    return;
  }
  double from = (lo - c0) / c1, to = (hi - c0) / c1;
  if (from > to) std::swap(from, to);
  left = std::max(left, from);
  right = std::min(right, to);
}

// Widens [left, right] by the chord of the circle of `radius` about `centre`
// on the row through y, if it meets it.
inline void JoinCircle(QPointF centre, double radius, double y, double& left, double& right) {
  const double dy = y - centre.y();
  if (std::abs(dy) > radius) return;
  const double half = std::sqrt(radius * radius - dy * dy);
  if (left > right) {
    left = centre.x() - half;
    right = centre.x() + half;
    return;
  }
  left = std::min(left, centre.x() - half);
  right = std::max(right, centre.x() + half);
}

// a * alpha + b * beta for each of the four bytes, alpha + beta being 255,
// divided by 255 and rounded.
std::uint32_t Interpolate255(std::uint32_t a, std::uint32_t alpha, std::uint32_t b, std::uint32_t beta) {
  std::uint32_t low = (a & 0xff00ff) * alpha + (b & 0xff00ff) * beta;
  low = (low + ((low >> 8) & 0xff00ff) + 0x800080) >> 8;
  std::uint32_t high = ((a >> 8) & 0xff00ff) * alpha + ((b >> 8) & 0xff00ff) * beta;
  high = high + ((high >> 8) & 0xff00ff) + 0x800080;
  return (low & 0xff00ff) | (high & 0xff00ff00);
}

}  // namespace

bool StrokeRasterizer::Supports(const QImage& image) {
  const QImage::Format format = image.format();
  return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
         format == QImage::Format_ARGB32_Premultiplied;
}

StrokeRasterizer::StrokeRasterizer(QImage& image, double width)
    : bits_(image.bits()),
      bytesPerLine_(image.bytesPerLine()),
      imageRect_(image.rect()),
      clip_(image.rect()),
      reach_(width / 2 + 0.5) {
  coverage_.assign(static_cast<std::size_t>(clip_.width()) * static_cast<std::size_t>(clip_.height()), 0);
  line_ = coverage_;
}

void StrokeRasterizer::SetClip(const QRect& clip) {
  clip_ = clip.intersected(imageRect_);
  touched_.clear();
  lineTouched_.clear();
  coverage_.assign(
      static_cast<std::size_t>(std::max(0, clip_.width())) * static_cast<std::size_t>(std::max(0, clip_.height())), 0);
  line_ = coverage_;
}

void StrokeRasterizer::AddPolyline(const QPointF* points, int count, const QTransform& toDevice, QRgb colour) {
  if (count <= 0 || clip_.isEmpty()) return;
  opaque_ = colour | 0xff000000u;
  QPointF from = toDevice.map(points[0]);
  if (count == 1) AddSegment(from, from);
  for (int i = 1; i < count; ++i) {
    const QPointF to = toDevice.map(points[i]);
    AddSegment(from, to);
    from = to;
  }
  // As if the polyline were blended now: a pixel covered by a and then by
  // b is covered by 1 - (1 - a)(1 - b).
  for (const std::uint32_t index : lineTouched_) {
    const unsigned a = coverage_[index], b = line_[index];
    line_[index] = 0;
    if (a == 0) touched_.push_back(index);
    const unsigned product = a * b + 128;
    coverage_[index] = static_cast<std::uint8_t>(a + b - ((product + (product >> 8)) >> 8));
  }
  lineTouched_.clear();
}

void StrokeRasterizer::AddSegment(QPointF a, QPointF b) {
  const double reach = reach_;
  const QPointF d = b - a;
  const double length2 = QPointF::dotProduct(d, d);
  const bool point = length2 < 1e-12;
  const double length = std::sqrt(length2);
  // Rows whose centres lie within reach of the segment.
  const double top = std::min(a.y(), b.y()) - reach, bottom = std::max(a.y(), b.y()) + reach;
  const int firstRow = std::max(clip_.top(), static_cast<int>(std::ceil(std::max(top - 0.5, -1e9))));
  const int lastRow = std::min(clip_.bottom(), static_cast<int>(std::floor(std::min(bottom - 0.5, 1e9))));
  const int width = clip_.width();
  for (int row = firstRow; row <= lastRow; ++row) {
    const double y = row + 0.5, dy = y - a.y();
    // The pixel centres on this row within reach: the stadium about the
    // segment is convex, so they form one run, the union of the two end
    // circles and the band beside the segment.
    double left = kInfinity, right = -kInfinity;
    if (!point) {
      // Along the segment (0 to 1) and across it (within reach), in x - a.x.
      double from = -kInfinity, to = kInfinity;
      Constrain(dy * d.y() / length2, d.x() / length2, 0, 1, from, to);
      Constrain(-dy * d.x() / length, d.y() / length, -reach, reach, from, to);
      if (from <= to) {
        left = from + a.x();
        right = to + a.x();
      }
      JoinCircle(b, reach, y, left, right);
    }
    JoinCircle(a, reach, y, left, right);
    if (left > right) continue;
    const int firstColumn = std::max(clip_.left(), static_cast<int>(std::ceil(std::max(left - 0.5, -1e9))));
    const int lastColumn = std::min(clip_.right(), static_cast<int>(std::floor(std::min(right - 0.5, 1e9))));
    const auto* pixels = reinterpret_cast<const std::uint32_t*>(bits_ + row * bytesPerLine_);
    std::uint8_t* coverage =
        line_.data() + static_cast<std::size_t>(row - clip_.top()) * static_cast<std::size_t>(width);
    for (int column = firstColumn; column <= lastColumn; ++column) {
      // A pixel of the colour already stays so, however it is covered:
      // where passes cross each other many times, most are.
      if (pixels[column] == opaque_) continue;
      const double dx = column + 0.5 - a.x();
      double ex = dx, ey = dy;
      if (!point) {
        const double t = std::clamp((dx * d.x() + dy * d.y()) / length2, 0.0, 1.0);
        ex -= t * d.x();
        ey -= t * d.y();
      }
      const double cover = std::min(1.0, reach - std::sqrt(ex * ex + ey * ey));
      if (cover <= 0) continue;
      const auto value = static_cast<std::uint8_t>(cover * 255 + 0.5);
      std::uint8_t& cell = coverage[column - clip_.left()];
      if (value <= cell) continue;
      if (cell == 0)
        lineTouched_.push_back(static_cast<std::uint32_t>((row - clip_.top()) * width + (column - clip_.left())));
      cell = value;
    }
  }
}

void StrokeRasterizer::Flush(QRgb colour) {
  const std::uint32_t opaque = colour | 0xff000000u;
  const int width = clip_.width();
  for (const std::uint32_t index : touched_) {
    std::uint8_t& cell = coverage_[index];
    const std::uint32_t alpha = cell;
    cell = 0;
    const int row = clip_.top() + static_cast<int>(index / static_cast<std::uint32_t>(width));
    const int column = clip_.left() + static_cast<int>(index % static_cast<std::uint32_t>(width));
    auto* pixel = reinterpret_cast<std::uint32_t*>(bits_ + row * bytesPerLine_) + column;
    *pixel = alpha == 255 ? opaque : Interpolate255(opaque, alpha, *pixel, 255 - alpha);
  }
  touched_.clear();
}

}  // namespace morvatex
