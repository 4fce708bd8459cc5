#include "gui/ClickableImage.h"

#include <QMouseEvent>
#include <QPainter>

namespace morvatex {

ClickableImage::ClickableImage(const QString& word, QSize size, const ImageColours& colours, QWidget* parent)
    : QLabel(parent), word_(word), colours_(colours) {
  setFixedSize(size);
}

void ClickableImage::paintEvent(QPaintEvent*) {
  // Painted afresh at the screen's pixel ratio: sharp at 1x, 1.5x and 2x
  // alike, where a picture of fixed pixels would be scaled up and blurred.
  QPainter painter(this);
  const QRect all = rect();
  painter.fillRect(all, colours_.outerFrame);
  painter.fillRect(all.adjusted(2, 2, -2, -2), colours_.innerFrame);
  painter.fillRect(all.adjusted(3, 3, -3, -3), colours_.background);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(height() - 12);
  painter.setFont(font);
  painter.setPen(colours_.text);
  painter.drawText(all, Qt::AlignCenter, word_);
}

void ClickableImage::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

void ClickableImage::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (click) emit Clicked();
}

}  // namespace morvatex
