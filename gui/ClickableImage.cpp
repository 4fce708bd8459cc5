#include "gui/ClickableImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace morvatex {
namespace {

QPixmap DrawPicture(const QString& word, QSize size, const ImageColours& colours) {
  QPixmap picture(size);
  picture.fill(colours.outerFrame);
  QPainter painter(&picture);
  const QRect all(QPoint(0, 0), size);
  painter.fillRect(all.adjusted(2, 2, -2, -2), colours.innerFrame);
  painter.fillRect(all.adjusted(3, 3, -3, -3), colours.background);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(size.height() - 12);
  painter.setFont(font);
  painter.setPen(colours.text);
  painter.drawText(all, Qt::AlignCenter, word);
  return picture;
}

}  // namespace

ClickableImage::ClickableImage(const QString& word, QSize size, const ImageColours& colours, QWidget* parent)
    : QLabel(parent) {
  setPixmap(DrawPicture(word, size, colours));
  setFixedSize(size);
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
