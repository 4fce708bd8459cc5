// The picture of the preview, checked against the geometry the programs are
// built from: where a move runs, pixels are drawn; where none runs, the
// background stays white.
#include "paint/ToolPathPainter.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "tests/support/ConversionHarness.h"
#include "tests/support/FakeFileSystem.h"

namespace morvatex {
namespace {

struct Picture {
  ToolPath path;
  PreviewView view;
  QImage image{400, 300, QImage::Format_RGB32};
};

Picture Paint(const std::vector<std::string_view>& program, PaintOptions options = {},
              IselDialect dialect = IselDialect::kOriginal) {
  testing::FakeFileSystem fs;
  fs.files["p.ncp"] = testing::CrLfLines(program);
  Picture picture;
  picture.path = TraceToolPathFile(fs, "p.ncp", testing::NewConfigurationSettings(), {}, {}, dialect);
  const QRectF area(picture.image.rect());
  picture.view = FitPicture(picture.path, area, options);
  QPainter painter(&picture.image);
  PaintToolPath(painter, picture.path, picture.view, area, {}, options);
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

// The feed moves drawn exactly: true arcs, every move, nothing left out.
QImage ExactFeedMoves(const ToolPath& path, const PreviewView& view, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainterPath feed;
  for (std::size_t i = 0; i < path.segments.size(); ++i) {
    const PathSegment s = path.segments[i];
    if (s.kind == MotionKind::kRapid) continue;
    const QPointF start = view.ToScreen(s.start.x, s.start.y);
    if (feed.isEmpty() || feed.currentPosition() != start) feed.moveTo(start);
    if (s.kind == MotionKind::kLinear) {
      feed.lineTo(view.ToScreen(s.end.x, s.end.y));
      continue;
    }
    const double r = s.radius * view.scale;
    const QPointF centre = view.ToScreen(s.centre.x, s.centre.y);
    constexpr double kDegrees = 180 / std::numbers::pi;
    feed.arcTo(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), s.startAngle * kDegrees,
               s.SignedSweep() * kDegrees);
  }
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  QPen pen(QColor(0, 0, 170), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  pen.setCosmetic(true);
  painter.setPen(pen);
  painter.drawPath(feed);
  return image;
}

// Pixels of `from` drawn as feed that have no feed pixel within one pixel in `in`.
int FeedPixelsMissing(const QImage& from, const QImage& in) {
  int missing = 0;
  for (int y = 1; y + 1 < from.height(); ++y)
    for (int x = 1; x + 1 < from.width(); ++x)
      if (IsFeed(from.pixel(x, y)) && !Near(in, QPointF(x, y), IsFeed)) ++missing;
  return missing;
}

// An arc in the XZ or YZ plane is seen from above as a run along X or Y:
// every feed pixel lies on that run, and the run is drawn from end to end.
TEST(ToolPathPainter, ArcsOutsideTheXYPlaneAreSeenFromAbove) {
  const struct {
    const char* name;
    std::vector<std::string_view> program;
    PathPoint from, to;  // the run, in X and Y
  } cases[] = {
      {"a half circle in XZ, over X 10 .. 50",
       {"VEL 6000", "FASTABS X50000 Y20000 Z0", "PLANE XZ", "CWABS I30000 K0 X10000 Z0", "PROGEND"},
       {10, 20, 0},
       {50, 20, 0}},
      {"three quarters in YZ, over Y 10 .. 50",
       {"VEL 6000", "FASTABS X20000 Y30000 Z20000", "PLANE YZ", "CCWABS J30000 K0 Y50000 Z0", "PROGEND"},
       {20, 10, 0},
       {20, 50, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Picture p = Paint(c.program, {}, IselDialect::kExtended);
    ASSERT_EQ(p.path.code, Outcome::kSuccess);
    const QPointF a = p.view.ToScreen(c.from.x, c.from.y), b = p.view.ToScreen(c.to.x, c.to.y);
    for (double t = 0; t <= 1; t += 0.05) EXPECT_TRUE(Near(p.image, a + (b - a) * t, IsFeed)) << t;
    // No feed pixel more than the pen's reach off the run.
    const QRectF run = QRectF(a, b).normalized().adjusted(-3, -3, 3, 3);
    int off = 0;
    for (int y = 0; y < p.image.height(); ++y)
      for (int x = 0; x < p.image.width(); ++x) off += IsFeed(p.image.pixel(x, y)) && !run.contains(x, y);
    EXPECT_EQ(off, 0);
  }
}

// Moves whose place is not known for sure (here in the machine's frame)
// are drawn paler where their numbers say; the moves of a line not carried
// over whole in the warning colour; the rest as ever.
TEST(ToolPathPainter, MovesAreMarkedByWhatIsKnownOfThem) {
  const Picture p = Paint({"VEL 6000", "FASTABS X0 Y0 Z0", "MOVEABS X50000 Q7", "WPCLEAR", "MOVEABS Y30000",
                           "WPREG1ACT", "MOVEABS X0 Y30000 Z0", "PROGEND"},
                          {}, IselDialect::kExtended);
  ASSERT_EQ(p.path.code, Outcome::kSuccess);
  const auto along = [&](PathPoint from, PathPoint to, bool (*test)(QRgb)) {
    const QPointF a = p.view.ToScreen(from.x, from.y), b = p.view.ToScreen(to.x, to.y);
    for (double t = 0.1; t < 0.95; t += 0.1) EXPECT_TRUE(Near(p.image, a + (b - a) * t, test)) << t;
  };
  along({0, 0, 0}, {50, 0, 0},
        [](QRgb c) { return qRed(c) > 180 && qGreen(c) > 120 && qGreen(c) < 200 && qBlue(c) < 80; });
  along({50, 0, 0}, {50, 30, 0}, [](QRgb c) { return qBlue(c) > 200 && qRed(c) > 100 && qRed(c) < 200; });
  along({50, 30, 0}, {0, 30, 0}, IsFeed);
}

// Arcs flattened to chords, runs of tiny moves merged and moves outside the
// picture dropped must leave the feed moves where the exact drawing has them.
TEST(ToolPathPainter, FeedMovesLieWhereTheExactDrawingHasThem) {
  // A circle of radius 10 about (50, 30) in 0.05 mm steps: about six moves a pixel.
  std::vector<std::string> tiny = {"VEL 6000", "FASTABS X60000 Y30000"};
  for (int i = 1; i <= 1257; ++i) {
    const double a = i * 0.005;
    tiny.push_back("MOVEABS X" + std::to_string(std::lround(50000 + 10000 * std::cos(a))) + " Y" +
                   std::to_string(std::lround(30000 + 10000 * std::sin(a))));
  }
  tiny.insert(tiny.end(), {"MOVEABS X90000 Y30000", "PROGEND"});
  const std::vector<std::string> rectangle = {"VEL 10000",  "FASTABS X0 Y0", "MOVEABS X100000", "MOVEABS Y50000",
                                              "MOVEABS X0", "MOVEABS Y0",    "PROGEND"};
  const std::vector<std::string> circle = {"VEL 6000", "FASTABS X50000 Y40000", "CWABS I50000 J50000 X50000 Y40000",
                                           "WAIT", "PROGEND"};
  // A half circle of radius 40 one way, one of radius 20 the other way, then
  // arcs of radius 0.1 mm in the middle of the picture, each way.
  const std::vector<std::string> arcs = {"VEL 6000",
                                         "FASTABS X0 Y0",
                                         "CCWABS I40000 J0 X80000 Y0",
                                         "CWABS I60000 J0 X40000 Y0",
                                         "MOVEABS X40000 Y-20000",
                                         "CCWABS I40100 J-20000 X40200 Y-20000",
                                         "CWABS I40300 J-20000 X40400 Y-20000",
                                         "CCWABS I40400 J-19900 X40400 Y-20000",
                                         "MOVEABS X40000 Y-10000",
                                         "PROGEND"};
  const std::vector<std::string> diagonal = {"VEL 6000", "FASTABS X0 Y0", "MOVEABS X100000 Y50000", "MOVEABS X0 Y50000",
                                             "PROGEND"};
  struct Case {
    const char* name;
    const std::vector<std::string>* program;
    double zoom, x, y;  // about this machine point
  };
  const Case cases[] = {
      {"rectangle", &rectangle, 1, 0, 0},
      {"circle", &circle, 1, 0, 0},
      {"circle close up", &circle, 6, 50, 40},
      {"arcs", &arcs, 1, 0, 0},
      {"small arcs close up", &arcs, 60, 40.2, -20},
      {"tiny moves", &tiny, 1, 0, 0},
      {"tiny moves close up", &tiny, 5, 60, 30},
      {"crossing the picture", &diagonal, 12, 50, 25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::FakeFileSystem fs;
    fs.files["p.ncp"] = testing::CrLfLines(std::vector<std::string_view>(c.program->begin(), c.program->end()));
    const ToolPath path = TraceToolPathFile(fs, "p.ncp", testing::NewConfigurationSettings());
    ASSERT_FALSE(path.segments.empty()) << path.code;
    QImage image(400, 300, QImage::Format_RGB32);
    const QRectF area(image.rect());
    PreviewView view = FitView(path, area);
    view.ZoomAbout(view.ToScreen(c.x, c.y), c.zoom);
    {
      QPainter painter(&image);
      ASSERT_TRUE(PaintToolPath(painter, path, view, area));
    }
    const QImage exact = ExactFeedMoves(path, view, image.size());
    int feedPixels = 0;
    for (int y = 0; y < exact.height(); ++y)
      for (int x = 0; x < exact.width(); ++x) feedPixels += IsFeed(exact.pixel(x, y));
    EXPECT_GT(feedPixels, 50);
    EXPECT_EQ(FeedPixelsMissing(exact, image), 0);
    EXPECT_EQ(FeedPixelsMissing(image, exact), 0);
  }
}

// Any extents a program can reach fit the area, from a millimetre to far
// beyond the machine's reach (lines of 2147 m each, and work-piece zeros
// shifted by them, end below 1e17 mm): the frame lies inside it with room
// for the figures. Extents beyond, whose figures alone are wider than any
// window, still get a usable scale. And
// the path of such a program (moves of 2147 m, then the work-piece zero
// shifted by the position 2,000 times) runs inside the frame.
TEST(ToolPathPainter, AnyFiniteExtentsAreFitted) {
  const QRectF area(0, 0, 400, 300);
  for (const long double span : {1.0L, 1e6L, 1e12L, 1e17L, 1e300L}) {
    for (const long double low : {0.0L, -span * 3}) {
      SCOPED_TRACE(static_cast<double>(span));
      ToolPath path;
      path.extentsKnown = true;
      path.extents = {low, low / 2, low + span, low / 2 + span / 3};
      const PreviewView view = FitView(path, area);
      ASSERT_TRUE(std::isfinite(view.scale) && view.scale > 0);
      if (span > 1e17L) continue;
      const QPointF topLeft =
          view.ToScreen(static_cast<double>(path.extents.minX), static_cast<double>(path.extents.maxY));
      const QPointF bottomRight =
          view.ToScreen(static_cast<double>(path.extents.maxX), static_cast<double>(path.extents.minY));
      EXPECT_GT(topLeft.x(), area.left() + 20) << "room for the figures";
      EXPECT_GE(topLeft.y(), area.top());
      EXPECT_LT(bottomRight.x(), area.right());
      EXPECT_LT(bottomRight.y(), area.bottom() - 12);
      EXPECT_GT(bottomRight.x() - topLeft.x(), 150) << "the frame fills much of the area";
    }
  }

  std::vector<std::string> lines = {"VEL 1000"};
  lines.insert(lines.end(), 2000, "MOVEREL X2147483647 Y2147483647");
  lines.insert(lines.end(), 2000, "WPZERO");
  lines.insert(lines.end(), {"MOVEREL X1 Y1", "PROGEND"});
  const Picture p = Paint(std::vector<std::string_view>(lines.begin(), lines.end()));
  ASSERT_EQ(p.path.code, Outcome::kSuccess);
  ASSERT_GT(p.path.extents.maxX, 1e12L);
  const QPointF end =
      p.view.ToScreen(static_cast<double>(p.path.extents.maxX), static_cast<double>(p.path.extents.maxY));
  const QPointF start = p.view.ToScreen(0, 0);
  EXPECT_TRUE(p.image.rect().contains(end.toPoint()) && p.image.rect().contains(start.toPoint()));
  EXPECT_TRUE(Near(p.image, (start + end) / 2, IsFeed)) << "the path runs inside the frame";
  EXPECT_TRUE(Near(p.image, QPointF(end.x(), start.y()), [](QRgb c) { return !IsWhite(c); })) << "the frame's corner";
}

// The ends of the depth colour map: the highest Z yellow, the deepest dark purple.
constexpr QRgb kTopColour = qRgb(253, 231, 37), kDeepColour = qRgb(68, 1, 84);

bool Close(QRgb a, QRgb b) {
  constexpr int kTolerance = 12;
  return std::abs(qRed(a) - qRed(b)) <= kTolerance && std::abs(qGreen(a) - qGreen(b)) <= kTolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= kTolerance;
}

// A line at Z 0 (Y 0) and one at Z -10 (Y 50), each 100 mm long: the depth
// view colours them by the map's ends and shows the range in its legend;
// the plain view stays blue; a path without feed moves gets no legend.
TEST(ToolPathPainter, DepthViewColoursFeedMovesByTheirZ) {
  const std::vector<std::string_view> twoDepths = {
      "VEL 6000",        "FASTABS X0 Y0",   "MOVEABS X100000", "FASTABS X0 Y50000",
      "MOVEABS Z-10000", "MOVEABS X100000", "PROGEND"};
  const std::vector<std::string_view> rapidOnly = {"VEL 6000", "FASTABS X0 Y0", "FASTABS X100000 Y50000", "PROGEND"};
  const struct Case {
    const char* name;
    const std::vector<std::string_view>* program;
    bool depth;
    std::function<bool(QRgb)> top, deep;  // the pixels of the line at Z 0 and at Z -10; none: not drawn
    bool legend;
  } cases[] = {
      {"depth view", &twoDepths, true, [](QRgb c) { return Close(c, kTopColour); },
       [](QRgb c) { return Close(c, kDeepColour); }, true},
      {"plain view", &twoDepths, false, IsFeed, IsFeed, false},
      {"rapid moves only", &rapidOnly, true, nullptr, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Picture p = Paint(*c.program, PaintOptions{c.depth});
    // Left of the legend, which covers the top right corner.
    for (double x = 5; x <= 50; x += 5) {
      SCOPED_TRACE(x);
      if (c.top) {
        EXPECT_TRUE(Near(p.image, p.view.ToScreen(x, 0), c.top));
      }
      if (c.deep) {
        EXPECT_TRUE(Near(p.image, p.view.ToScreen(x, 50), c.deep));
      }
    }
    const QRectF bar = DepthLegendBar(QRectF(p.image.rect()));
    const int middle = static_cast<int>(bar.center().x());
    const QRgb barTop = p.image.pixel(middle, static_cast<int>(bar.top()));
    const QRgb barBottom = p.image.pixel(middle, static_cast<int>(bar.bottom()) - 1);
    // Where the figure at each end of the bar begins: the ink leftmost in a band about that end.
    const auto figureStart = [&](double y) {
      for (int x = static_cast<int>(bar.left()) - 120; x < bar.left(); ++x)
        for (int dy = -6; dy <= 6; ++dy)
          if (qGray(p.image.pixel(x, static_cast<int>(y) + dy)) < 100) return x;
      return static_cast<int>(bar.left());
    };
    if (c.legend) {
      EXPECT_TRUE(Close(barTop, kTopColour)) << std::hex << barTop;
      EXPECT_TRUE(Close(barBottom, kDeepColour)) << std::hex << barBottom;
      // "Z 0.000 mm" and "Z -10.000 mm", ending at the bar: the deeper one is the wider.
      EXPECT_LT(figureStart(bar.top()), bar.left() - 50);
      EXPECT_LT(figureStart(bar.bottom()), figureStart(bar.top()) - 8);
    } else {
      EXPECT_FALSE(Close(barTop, kTopColour));
      EXPECT_FALSE(Close(barBottom, kDeepColour));
      EXPECT_EQ(figureStart(bar.top()), bar.left());
    }
  }
}

// The depth view's drawing is fitted beside its legend: no pixel of the
// drawing (painted without the legend, in the same view) falls in the
// legend's box, though the part reaches into that corner when fitted to the
// whole picture.
TEST(ToolPathPainter, TheDepthLegendStandsBesideTheDrawing) {
  const std::vector<std::string_view> plate = {
      "VEL 10000",  "FASTABS X0 Y0 Z2000", "MOVEABS Z-5000",        "MOVEABS X100000", "MOVEABS Y60000", "MOVEABS X0",
      "MOVEABS Y0", "FASTABS Z2000",       "FASTABS X90000 Y50000", "MOVEABS Z-10000", "FASTABS Z2000",  "PROGEND"};
  const Picture depth = Paint(plate, PaintOptions{true});
  const QRectF area(depth.image.rect());
  const QRect box = DepthLegendBox(FeedDepthOf(depth.path), area).toAlignedRect();
  const auto inkInBox = [&box](const QImage& image) {
    int ink = 0;
    for (int y = std::max(box.top(), 0); y <= box.bottom() && y < image.height(); ++y)
      for (int x = std::max(box.left(), 0); x <= box.right() && x < image.width(); ++x)
        ink += IsWhite(image.pixel(x, y)) ? 0 : 1;
    return ink;
  };
  EXPECT_GT(inkInBox(depth.image), 0);  // the legend itself
  QImage beside(depth.image.size(), QImage::Format_RGB32);
  QImage under(depth.image.size(), QImage::Format_RGB32);
  for (auto [image, view] : {std::pair{&beside, depth.view}, std::pair{&under, FitView(depth.path, area)}}) {
    QPainter painter(image);
    PaintToolPath(painter, depth.path, view, area);
  }
  EXPECT_EQ(inkInBox(beside), 0);
  EXPECT_GT(inkInBox(under), 0);
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
  // A whole picture asks as often as PaintSteps says, which a progress
  // display counts on.
  for (const bool depth : {false, true}) {
    asked = 0;
    EXPECT_TRUE(PaintToolPath(painter, path, FitView(path, area), area, [&] { return ++asked < 0; }, {depth}));
    EXPECT_EQ(static_cast<std::size_t>(asked), PaintSteps(path, {depth})) << depth;
  }
}

// Painted in bands on several threads, a picture is the one a single
// painter gives, pixel for pixel: dashed rapid moves crossing the band
// edges, wide feed moves, sharp corners, arcs and dots, with depth colours,
// in an image of the window's kind at twice the pixels and under a scaled
// painter.
TEST(ToolPathPainter, BandsPaintThePictureOnePainterPaints) {
  std::vector<std::string> many = {"VEL 6000"};
  for (int i = 0; i < 300; ++i) {
    const int x = (i * 7919) % 100000, y = (i * 104729) % 60000;
    many.push_back("FASTABS X" + std::to_string(x) + " Y" + std::to_string(y) + " Z5000");
    many.push_back("MOVEABS Z-" + std::to_string(1000 + i * 10));
    many.push_back("MOVEREL X20000");
    many.push_back("CCWREL I0 J5000 X0 Y10000");
    many.push_back("MOVEREL X-20000 Y-3000");
  }
  many.push_back("PROGEND");
  const std::vector<std::string> rapids = {
      "VEL 6000",           "FASTABS X0 Y0",      "FASTABS X100000 Y60000", "FASTABS X0 Y60000",
      "MOVEABS X3000 Y100", "FASTABS X100000 Y0", "MOVEABS X0 Y30000",      "PROGEND"};
  const struct Case {
    const char* name;
    const std::vector<std::string>* program;
    bool depth;
    QImage::Format format;
    double ratio, scale;
  } cases[] = {
      {"contours", &many, false, QImage::Format_RGB32, 1, 1},
      {"contours by depth", &many, true, QImage::Format_RGB32, 1, 1},
      {"rapid moves across the bands", &rapids, false, QImage::Format_RGB32, 1, 1},
      {"window image at twice the pixels", &many, false, QImage::Format_ARGB32_Premultiplied, 2, 1},
      {"scaled painter", &rapids, true, QImage::Format_RGB32, 1, 1.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::FakeFileSystem fs;
    fs.files["p.ncp"] = testing::CrLfLines(std::vector<std::string_view>(c.program->begin(), c.program->end()));
    const ToolPath path = TraceToolPathFile(fs, "p.ncp", testing::NewConfigurationSettings());
    ASSERT_EQ(path.code, Outcome::kSuccess);
    const QRectF area(0, 0, 300, 200);
    // `granted`: how many threads the system gives (-1: as many as asked).
    const auto paint = [&](int bands, int granted) {
      QImage image(QSize(300, 200) * c.ratio * c.scale, c.format);
      image.setDevicePixelRatio(c.ratio);
      QPainter painter(&image);
      painter.scale(c.scale, c.scale);
      int asked = 0;
      const ThreadStarter scarce = [&](std::function<void()> work) {
        return granted < 0 || asked++ < granted ? StartThread(std::move(work)) : std::thread();
      };
      EXPECT_TRUE(PaintToolPath(painter, path, FitView(path, area), area, {}, PaintOptions{c.depth, bands, scarce}));
      return image;
    };
    const QImage one = paint(1, -1);
    // Bands on many threads, and on fewer than asked when the system gives
    // no more: none (the calling thread paints), one, two.
    for (const auto& [bands, granted] : {std::pair{2, -1}, {3, -1}, {7, -1}, {5, 0}, {5, 1}, {5, 2}, {1, 0}}) {
      const QImage banded = paint(bands, granted);
      int differing = 0;
      for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x) differing += one.pixel(x, y) != banded.pixel(x, y);
      EXPECT_EQ(differing, 0) << bands << " bands, threads granted: " << granted;
    }
  }
}

}  // namespace
}  // namespace morvatex
