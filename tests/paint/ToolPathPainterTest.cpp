// The picture of the preview, checked against the geometry the programs are
// built from: where a move runs, pixels are drawn; where none runs, the
// background stays white.
#include "paint/ToolPathPainter.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/support/ConversionHarness.h"
#include "tests/support/FakeFileSystem.h"

namespace morvatex {
namespace {

struct Picture {
  ToolPath path;
  PreviewView view;
  QImage image{400, 300, QImage::Format_RGB32};
};

Picture Paint(const std::vector<std::string_view>& program) {
  testing::FakeFileSystem fs;
  fs.files["p.ncp"] = testing::CrLfLines(program);
  Picture picture;
  picture.path = TraceToolPathFile(fs, "p.ncp", testing::NewConfigurationSettings());
  const QRectF area(picture.image.rect());
  picture.view = FitView(picture.path, area);
  QPainter painter(&picture.image);
  PaintToolPath(painter, picture.path, picture.view, area);
  return picture;
}

bool IsFeed(QRgb c) { return qBlue(c) > 120 && qRed(c) < 100; }
bool IsRapid(QRgb c) { return qRed(c) > 150 && qGreen(c) < 150; }
bool IsWhite(QRgb c) { return c == qRgb(255, 255, 255); }

// True when a pixel within one pixel of `at` passes `test`.
template <typename Test>
bool Near(const QImage& image, QPointF at, Test test) {
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy)
      if (test(image.pixel(static_cast<int>(std::lround(at.x())) + dx, static_cast<int>(std::lround(at.y())) + dy)))
        return true;
  return false;
}

TEST(ToolPathPainter, RectangleEdgesAreDrawnAndItsInsideIsNot) {
  const Picture p =
      Paint({"VEL 10000", "FASTABS X0 Y0", "MOVEABS X100000", "MOVEABS Y50000", "MOVEABS X0", "MOVEABS Y0", "PROGEND"});
  ASSERT_GT(p.view.scale, 2);
  for (double t = 0.05; t < 1; t += 0.05) {
    SCOPED_TRACE(t);
    EXPECT_TRUE(Near(p.image, p.view.ToScreen(100 * t, 0), IsFeed));
    EXPECT_TRUE(Near(p.image, p.view.ToScreen(100 * t, 50), IsFeed));
    EXPECT_TRUE(Near(p.image, p.view.ToScreen(0, 50 * t), IsFeed));
    EXPECT_TRUE(Near(p.image, p.view.ToScreen(100, 50 * t), IsFeed));
    EXPECT_TRUE(IsWhite(p.image.pixel(p.view.ToScreen(100 * t, 25).toPoint())));
  }
  // The whole rectangle lies inside the picture.
  EXPECT_TRUE(QRectF(p.image.rect()).contains(p.view.ToScreen(0, 0)));
  EXPECT_TRUE(QRectF(p.image.rect()).contains(p.view.ToScreen(100, 50)));
}

TEST(ToolPathPainter, CircleIsDrawnAtItsRadiusAndRapidMovesAreDashed) {
  // Rapid from (0, 0) to the circle's lowest point, then a full circle of
  // radius 10 about (50, 50).
  const Picture p =
      Paint({"VEL 6000", "FASTABS X50000 Y40000", "CWABS I50000 J50000 X50000 Y40000", "WAIT", "PROGEND"});
  for (int degrees = 0; degrees < 360; degrees += 10) {
    SCOPED_TRACE(degrees);
    const double a = degrees * std::numbers::pi / 180;
    EXPECT_TRUE(Near(p.image, p.view.ToScreen(50 + 10 * std::cos(a), 50 + 10 * std::sin(a)), IsFeed));
    EXPECT_TRUE(IsWhite(p.image.pixel(p.view.ToScreen(50 + 7 * std::cos(a), 50 + 7 * std::sin(a)).toPoint())));
  }
  int rapid = 0, gaps = 0;
  for (double t = 0.1; t < 0.9; t += 0.01) {
    const QPointF at = p.view.ToScreen(50 * t, 40 * t);
    rapid += Near(p.image, at, IsRapid);
    gaps += IsWhite(p.image.pixel(at.toPoint()));
  }
  EXPECT_GT(rapid, 10);
  EXPECT_GT(gaps, 10);
}

TEST(ToolPathPainter, AFeedMoveInZAloneIsADot) {
  const Picture p =
      Paint({"VEL 6000", "FASTABS X10000 Y10000", "MOVEABS Z-2000", "FASTABS Z0", "FASTABS X30000 Y10000", "PROGEND"});
  EXPECT_TRUE(IsFeed(p.image.pixel(p.view.ToScreen(10, 10).toPoint())));
  EXPECT_FALSE(Near(p.image, p.view.ToScreen(30, 10), IsFeed));  // only rapid moves end there
}

// A stop between two chunks of moves leaves the picture unfinished and says
// so; without one, every chunk is drawn.
TEST(ToolPathPainter, AStopBetweenChunksOfMovesEndsThePainting) {
  std::vector<std::string> text;
  text.push_back("VEL 1000");
  for (int i = 0; i < 10000; ++i) text.push_back(i % 2 ? "MOVEABS X10000 Y0" : "MOVEABS X0 Y10000");
  text.push_back("PROGEND");
  testing::FakeFileSystem fs;
  fs.files["p.ncp"] = testing::CrLfLines(std::vector<std::string_view>(text.begin(), text.end()));
  const ToolPath path = TraceToolPathFile(fs, "p.ncp", testing::NewConfigurationSettings());
  QImage image(200, 200, QImage::Format_RGB32);
  QPainter painter(&image);
  const QRectF area(image.rect());
  int asked = 0;
  EXPECT_FALSE(PaintToolPath(painter, path, FitView(path, area), area, [&] { return ++asked == 2; }));
  EXPECT_EQ(asked, 2);
  asked = 0;
  EXPECT_TRUE(PaintToolPath(painter, path, FitView(path, area), area, [&] { return ++asked < 0; }));
  EXPECT_GT(asked, 2) << "asked between chunks";
}

}  // namespace
}  // namespace morvatex
