// Draws antialiased polylines of round-capped strokes straight into the
// pixels of a 32-bit image. Qt's stroker builds an outline of curves for
// every polyline and then fills it; for the thin solid strokes of a preview
// with hundreds of thousands of polylines that costs seconds, while the
// coverage of a round-capped stroke is just the distance of a pixel's
// centre from the line.
//
// A pixel's coverage is 1.5 minus that distance for a stroke 2 pixels wide
// (half the width plus half a pixel), clamped to [0, 1]: exact where an
// edge runs along the pixel grid, within a few percent elsewhere. Within a
// polyline a pixel takes the largest coverage of its segments, so joins
// come out round; polylines add up as if each were blended on its own (a
// pocket's passes over one contour darken its edges as they do with Qt),
// and Flush blends the sum once in one colour.
#pragma once

#include <QtGui/qrgb.h>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QTransform>

#include <cstdint>
#include <vector>

namespace morvatex {

class StrokeRasterizer {
 public:
  // True when the rasterizer can draw into `image`: 32-bit pixels with the
  // colour in the low three bytes (RGB32, ARGB32, premultiplied ARGB32).
  static bool Supports(const QImage& image);

  // Draws into `image`, which must be supported and outlive the rasterizer,
  // strokes `width` device pixels wide.
  StrokeRasterizer(QImage& image, double width);

  // Only pixels in `clip` (device pixels, within the image) are drawn;
  // drops coverage not yet blended.
  void SetClip(const QRect& clip);

  // Adds the coverage of the polyline through `points`, which `toDevice`
  // maps to device pixels (a pixel's centre lies at +0.5). A polyline of
  // one point, or of equal points, is a round dot as wide as the stroke.
  // `colour` is the one the next Flush blends in.
  void AddPolyline(const QPointF* points, int count, const QTransform& toDevice, QRgb colour);

  // Blends the coverage added since the last Flush in opaque `colour`.
  void Flush(QRgb colour);

 private:
  void AddSegment(QPointF a, QPointF b);

  uchar* bits_;
  qsizetype bytesPerLine_;
  QRect imageRect_, clip_;
  double reach_;
  std::uint32_t opaque_ =
      0;  // the colour of the polyline being added  // from a stroke's centre line to where coverage ends
  // Coverage of the clip's pixels, 0 to 255, row by row, and the indices
  // of those above 0: of the polylines so far, and of the one being added.
  std::vector<std::uint8_t> coverage_, line_;
  std::vector<std::uint32_t> touched_, lineTouched_;
};

}  // namespace morvatex
