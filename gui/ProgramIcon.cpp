#include "gui/ProgramIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace morvatex {
namespace {

// The artwork's grid: packaging/morvatex.svg draws in a 64 x 64 view box.
constexpr qreal kGrid = 64;

// Paints the artwork into a square of `side` device pixels at `origin`.
void PaintArtwork(QPainter& painter, QPoint origin, int side) {
  const qreal scale = side / kGrid;
  // The two frames on whole pixels: an edge between two pixels blurs both.
  const auto snapped = [&](qreal inset) {
    const int edge = static_cast<int>(std::lround(inset * scale));
    return QRectF(origin.x() + edge, origin.y() + edge, side - 2 * edge, side - 2 * edge);
  };
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x2b, 0x4c, 0x6f));
  painter.drawRoundedRect(snapped(4), 9 * scale, 9 * scale);
  painter.setBrush(QColor(0x35, 0x60, 0x8c));
  painter.drawRoundedRect(snapped(8), 6 * scale, 6 * scale);

  painter.translate(origin);
  painter.scale(scale, scale);
  // Widths in grid units, never below one device pixel.
  const auto width = [scale](qreal units) { return std::max(units, 1 / scale); };

  // The rapid approach, dashed 3 on, 2.5 off (Qt counts dashes in widths).
  QPen rapid(QColor(0xd7, 0xe3, 0xef), width(1.6), Qt::CustomDashLine, Qt::RoundCap);
  rapid.setDashPattern({3 / rapid.widthF(), 2.5 / rapid.widthF()});
  painter.setPen(rapid);
  painter.drawLine(QPointF(12, 52), QPointF(20, 40));

  // The cut with its round corner (centre 34,30, radius 10).
  QPainterPath cut(QPointF(20, 40));
  cut.lineTo(20, 20);
  cut.lineTo(34, 20);
  cut.arcTo(QRectF(24, 20, 20, 20), 90, -90);
  cut.lineTo(44, 44);
  painter.setPen(QPen(QColor(0xf2, 0x9a, 0x2e), width(5), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(cut);

  // The cutter at the end of the path.
  painter.setPen(QPen(Qt::white, width(2.5)));
  painter.setBrush(QColor(0x35, 0x60, 0x8c));
  painter.drawEllipse(QPointF(44, 44), 6, 6);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(44, 44), 1.6, 1.6);
}

class ProgramIconEngine final : public QIconEngine {
 public:
  // Painted through a picture at the painter's pixel ratio, so that the
  // frames are snapped to the device's pixels, not the painter's units.
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap picture = pixmap(rect.size() * ratio, mode, state);
    picture.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect.topLeft(), picture);
  }

  // QIcon asks for the device pixels of a size at a pixel ratio; the artwork
  // is centred in the square that fits.
  QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    const int side = std::min(size.width(), size.height());
    if (side <= 0) return picture;
    QPainter painter(&picture);
    PaintArtwork(painter, QPoint((size.width() - side) / 2, (size.height() - side) / 2), side);
    return picture;
  }

  // The sizes desktops ask for; a window system that takes several icons
  // (X11) gets each painted at its own size.
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    QList<QSize> sizes;
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) sizes.push_back(QSize(side, side));
    return sizes;
  }

  QIconEngine* clone() const override { return new ProgramIconEngine; }
  QString key() const override { return QStringLiteral("morvatex"); }
};

}  // namespace

QIcon ProgramIcon() { return QIcon(new ProgramIconEngine); }

}  // namespace morvatex
