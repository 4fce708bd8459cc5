// The own strokes against Qt's: the same polylines stroked by QPainter with
// a round-capped cosmetic pen 2 pixels wide must give nearly the same
// pixels, so that a half-pixel shift, a wrong width, edges blended twice
// or a clip that leaks show up.
#include "paint/StrokeRasterizer.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace morvatex {
namespace {

const QColor kBlue(0, 0, 170);

using Polyline = std::vector<QPointF>;

QImage White(double ratio) {
  QImage image(QSize(40, 30) * ratio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::white);
  return image;
}

TEST(StrokeRasterizer, StrokesAsQtDrawsThem) {
  const struct Case {
    const char* name;
    std::vector<Polyline> lines;
    double ratio;
    QRect clip;  // device pixels; empty: the whole image
  } cases[] = {
      {"horizontal between pixel rows", {{{4, 10.3}, {30, 10.3}}}, 1, {}},
      {"vertical on a pixel edge", {{{12, 3}, {12, 25}}}, 1, {}},
      {"diagonal", {{{3, 4}, {33, 25.5}}}, 1, {}},
      {"a sharp corner and a gentle one", {{{5, 25}, {20, 5}, {35, 25}, {38, 20}}}, 1, {}},
      {"one point", {{{20.25, 15.5}}}, 1, {}},
      {"passes over one line add up",
       {{{4, 10.3}, {30, 10.3}}, {{4, 10.3}, {30, 10.3}}, {{4, 10.3}, {30, 10.3}}},
       1,
       {}},
      {"crossing lines", {{{4, 4}, {36, 26}}, {{4, 26}, {36, 4}}}, 1, {}},
      {"twice the pixels", {{{3, 4}, {33, 25.5}}, {{4, 10.3}, {30, 10.3}}}, 2, {}},
      {"clipped to rows", {{{3, 4}, {33, 25.5}}}, 1, QRect(0, 10, 40, 8)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QImage qt = White(c.ratio), own = White(c.ratio);
    const QRect clip = c.clip.isEmpty() ? qt.rect() : c.clip;
    {
      QPainter painter(&qt);
      painter.setRenderHint(QPainter::Antialiasing, true);
      painter.setClipRect(QRectF(clip.topLeft() / c.ratio, clip.size() / c.ratio));
      QPen pen(kBlue, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
      pen.setCosmetic(true);
      painter.setPen(pen);
      for (const Polyline& line : c.lines) {
        if (line.size() == 1) {
          painter.drawPoint(line[0]);
        } else {
          painter.drawPolyline(line.data(), static_cast<int>(line.size()));
        }
      }
    }
    StrokeRasterizer strokes(own, 2);
    strokes.SetClip(clip);
    for (const Polyline& line : c.lines)
      strokes.AddPolyline(line.data(), static_cast<int>(line.size()), QTransform::fromScale(c.ratio, c.ratio),
                          kBlue.rgb());
    strokes.Flush(kBlue.rgb());

    int drawn = 0, worst = 0;
    for (int y = 0; y < own.height(); ++y) {
      for (int x = 0; x < own.width(); ++x) {
        const QRgb a = own.pixel(x, y), b = qt.pixel(x, y);
        drawn += a != qRgb(255, 255, 255);
        if (!clip.contains(x, y)) {
          EXPECT_EQ(a, qRgb(255, 255, 255)) << x << ", " << y;
        }
        worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qBlue(a) - qBlue(b))});
      }
    }
    EXPECT_GT(drawn, 3);
    // Less than a quarter of a pixel's coverage, against white.
    EXPECT_LT(worst, 64);
  }
}

}  // namespace
}  // namespace morvatex
