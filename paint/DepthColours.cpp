#include "paint/DepthColours.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <array>

#include "paint/Figures.h"

namespace morvatex {
namespace {

// The depth view's colour bar.
constexpr double kBarWidth = 12;
constexpr double kMaxBarHeight = 160;

}  // namespace

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

FeedDepth FeedDepthOf(const ToolPath& path) {
  DepthRange range;
  range.Add(path, 0, path.segments.size());
  return range;
}

QRectF DepthLegendBar(const QRectF& area) {
  // Whole pixels, so that the bar's edge rows hold its end colours.
  const double height = std::floor(std::clamp(area.height() / 3, 1.0, kMaxBarHeight));
  return QRectF(std::floor(area.right() - kMargin - kBarWidth), std::floor(area.top() + kMargin + kFontPixels / 2),
                kBarWidth, height);
}

namespace {

QString LegendText(double z) { return QStringLiteral("Z ") + Figure(z) + QStringLiteral(" mm"); }

}  // namespace

QRectF DepthLegendBox(const FeedDepth& range, const QRectF& area) {
  const QRectF bar = DepthLegendBar(area);
  const QFontMetricsF metrics(FigureFont());
  const double textWidth =
      std::max(metrics.horizontalAdvance(LegendText(range.top)), metrics.horizontalAdvance(LegendText(range.bottom)));
  const double half = metrics.height() / 2;
  return QRectF(bar.left() - kFigureGap - textWidth - kFigureGap, bar.top() - half - kFigureGap,
                textWidth + kFigureGap * 3 + bar.width(), bar.height() + 2 * (half + kFigureGap));
}

void PaintDepthLegend(QPainter& painter, const DepthRange& range, const QRectF& area) {
  const QRectF bar = DepthLegendBar(area);
  painter.setFont(FigureFont());
  const QFontMetricsF metrics(painter.font());
  const QString top = LegendText(range.top);
  const QString bottom = LegendText(range.bottom);
  painter.fillRect(DepthLegendBox(range, area), Qt::white);
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

}  // namespace morvatex
