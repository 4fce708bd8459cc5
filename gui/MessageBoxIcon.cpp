#include "gui/MessageBoxIcon.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>

#include <cmath>

namespace morvatex {
namespace {

struct IconLook {
  QStyle::StandardPixmap standard;
  QColor colour;
  QString glyph;
};

IconLook LookOf(QMessageBox::Icon icon) {
  switch (icon) {
    case QMessageBox::Information: return {QStyle::SP_MessageBoxInformation, QColor(0, 102, 204), QStringLiteral("i")};
    case QMessageBox::Warning: return {QStyle::SP_MessageBoxWarning, QColor(230, 160, 0), QStringLiteral("!")};
    case QMessageBox::Critical: return {QStyle::SP_MessageBoxCritical, QColor(204, 0, 0), QStringLiteral("×")};
    default: return {QStyle::SP_MessageBoxQuestion, QColor(0, 102, 204), QStringLiteral("?")};
  }
}

}  // namespace

QPixmap MessageBoxIcon(QMessageBox::Icon icon, const QWidget& box, qreal ratio) {
  if (icon == QMessageBox::NoIcon) return {};
  const IconLook look = LookOf(icon);
  const QIcon styled = box.style()->standardIcon(look.standard, nullptr, &box);
  const int metric = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
  // The size Qt shows it at, so that at 1x the box looks as it always did.
  const QSize size = styled.isNull() ? QSize(metric, metric) : styled.actualSize(QSize(metric, metric));
  const QSize needed(static_cast<int>(std::lround(size.width() * ratio)),
                     static_cast<int>(std::lround(size.height() * ratio)));
  if (!styled.isNull() && styled.actualSize(needed) == needed) return styled.pixmap(size, ratio);

  QPixmap pixmap(needed);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(look.colour.darker(130));
  painter.setBrush(look.colour);
  const QRectF area(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
  if (icon == QMessageBox::Warning) {
    QPainterPath triangle;
    triangle.moveTo(area.center().x(), area.top());
    triangle.lineTo(area.bottomRight());
    triangle.lineTo(area.bottomLeft());
    triangle.closeSubpath();
    painter.drawPath(triangle);
  } else {
    painter.drawEllipse(area);
  }
  QFont font = box.font();
  font.setBold(true);
  font.setPixelSize(std::max(1, size.height() * 2 / 3));
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(icon == QMessageBox::Warning ? area.adjusted(0, area.height() / 4, 0, 0) : area, Qt::AlignCenter,
                   look.glyph);
  return pixmap;
}

void SetSharpIcon(QMessageBox& box, QMessageBox::Icon icon) {
  if (icon == QMessageBox::NoIcon) return;
  const QWidget* over = box.parentWidget() != nullptr ? box.parentWidget()->window() : &box;
  const QScreen* screen = over->screen();
  box.setIconPixmap(
      MessageBoxIcon(icon, box, screen != nullptr ? screen->devicePixelRatio() : qApp->devicePixelRatio()));
}

}  // namespace morvatex
