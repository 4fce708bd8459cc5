#include "paint/PreviewView.h"

#include <QFontMetricsF>

#include <algorithm>
#include <limits>

#include "paint/Figures.h"

namespace morvatex {
namespace {

// The smallest span fitted, so a path along one line still gets a scale.
constexpr double kMinSpan = 1;  // mm

// Pixels left of the frame that the Y figures need.
double FigureWidth(const ToolPath& path) {
  const QFontMetricsF metrics(FigureFont());
  return std::max(metrics.horizontalAdvance(Figure(path.extents.minY)),
                  metrics.horizontalAdvance(Figure(path.extents.maxY))) +
         kFigureGap;
}

}  // namespace

void PreviewView::ZoomAbout(QPointF anchor, double factor) {
  // From a kilometre to a micrometre across a few hundred pixels.
  constexpr double kMinScale = 1e-4, kMaxScale = 1e5;
  // A fitted view may lie beyond them (extents of a billion kilometres): it
  // moves on from there, never jumps.
  factor = std::clamp(scale * factor, std::min(kMinScale, scale), std::max(kMaxScale, scale)) / scale;
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
  const long double spanX = std::max(e.maxX - e.minX, static_cast<long double>(kMinSpan));
  const long double spanY = std::max(e.maxY - e.minY, static_cast<long double>(kMinSpan));
  // Any finite extents fit, a billion kilometres as well: no lower limit
  // but a positive scale (an area smaller than the margins gives none).
  const long double fitted = std::min(inner.width() / spanX, inner.height() / spanY);
  view.scale = std::max(static_cast<double>(fitted), std::numeric_limits<double>::min());
  const double midX = static_cast<double>(e.minX + e.maxX) / 2, midY = static_cast<double>(e.minY + e.maxY) / 2;
  view.origin = inner.center() - QPointF(midX * view.scale, -midY * view.scale);
  return view;
}

std::optional<QRectF> DrawingFrame(const ToolPath& path, const PreviewView& view) {
  if (!path.extentsKnown) return std::nullopt;
  const DrawingExtents& e = path.extents;
  return QRectF(view.ToScreen(e.minX, e.maxY), view.ToScreen(e.maxX, e.minY)).normalized();
}

}  // namespace morvatex
