// The read-back overlay on its own: where its moves land in the picture,
// which colour each gets, and that a wild CNC file's figures or a stop
// leave a picture without harm.
#include "paint/ReadBackOverlay.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <numbers>

namespace morvatex {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// 20 pixels per mm, the machine zero at (100, 100) of a 200 x 200 image.
const PreviewView kView{20, QPointF(100, 100)};

struct Drawn {
  QImage image;
  bool finished = false;
};

Drawn Paint(const ReadBackOverlay& overlay, const OverlaySelection& selected = {},
            const std::function<bool()>& stopped = {}) {
  Drawn d{QImage(200, 200, QImage::Format_RGB32), false};
  d.image.fill(Qt::white);
  QPainter painter(&d.image);
  d.finished = PaintReadBack(painter, ToolPath{}, overlay, selected, kView, QRectF(d.image.rect()), stopped);
  return d;
}

// The thin read-back line lies between two pixel rows, which smoothing
// shares half and half: a clearly green pixel is one of it.
bool Near(QColor got, QColor want) {
  if (want == kReadBackColour) return got.green() > got.red() + 50 && got.green() > got.blue() + 30;
  return std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) + std::abs(got.blue() - want.blue()) <
         120;
}

TEST(ReadBackOverlay, MovesLandWhereTheyGoInTheirColours) {
  struct Case {
    const char* name;
    ReadBackMove move;
    std::vector<std::size_t> divergent;
    OverlaySelection selected;
    QPoint probe;  // a pixel on the move
    QColor colour;
  };
  // A half circle of radius 2 mm about the zero from (2, 0): counter-clockwise
  // it passes (0, 2) above, clockwise (0, -2) below.
  const ReadBackMove ccw{2, 0, -2, 0, 0, 0, kPi, 5, false, true};
  const ReadBackMove cw{2, 0, -2, 0, 0, 0, -kPi, 5, false, true};
  const ReadBackMove line{-3, 1, 3, 1, 0, 0, 0, 7, false, false};
  const Case cases[] = {
      {"line", line, {}, {}, QPoint(100, 80), kReadBackColour},
      {"divergent line", line, {7}, {}, QPoint(100, 80), kDivergenceColour},
      {"another line divergent", line, {6, 8}, {}, QPoint(100, 80), kReadBackColour},
      {"selected line", line, {7}, {7, 0}, QPoint(100, 80), kSelectionColour},
      {"counter-clockwise arc", ccw, {}, {}, QPoint(100, 60), kReadBackColour},
      {"clockwise arc", cw, {}, {}, QPoint(100, 140), kReadBackColour},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Drawn d = Paint({{c.move}, c.divergent}, c.selected);
    EXPECT_TRUE(d.finished);
    EXPECT_TRUE(Near(d.image.pixelColor(c.probe), c.colour)) << d.image.pixelColor(c.probe).name().toStdString();
    // The other side of an arc stays white.
    if (c.move.arc) {
      EXPECT_EQ(d.image.pixelColor(c.probe.x(), 200 - c.probe.y()), QColor(Qt::white));
    }
  }
}

TEST(ReadBackOverlay, WildFiguresAndAStopLeaveThePictureUnharmed) {
  const ReadBackMove far{0, 0, 1e30F, -1e30F, 0, 0, 0, 1, false, false};
  const ReadBackMove hugeArc{1e30F, 0, -1e30F, 0, 0, 0, kPi, 2, false, true};
  EXPECT_TRUE(Paint({{far, hugeArc}, {1, 2}}, {1, 0}).finished);
  const Drawn stopped = Paint({{far}, {}}, {}, [] { return true; });
  EXPECT_FALSE(stopped.finished);
}

}  // namespace
}  // namespace morvatex
