// A small picture with a word on it that acts like a button when clicked.
#pragma once

#include <QColor>
#include <QLabel>
#include <QSize>

namespace morvatex {

struct ImageColours {
  QColor text;
  QColor background;
  QColor outerFrame;
  QColor innerFrame;
};

class ClickableImage final : public QLabel {
  Q_OBJECT

 public:
  // A picture of exactly `size` pixels showing `word` centred in `colours`.
  ClickableImage(const QString& word, QSize size, const ImageColours& colours, QWidget* parent = nullptr);

 signals:
  // The left button was pressed and released over the picture.
  void Clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QString word_;
  ImageColours colours_;
  bool pressed_ = false;
};

}  // namespace morvatex
