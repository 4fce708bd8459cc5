// A row of controls that wraps onto further rows when its widget is too
// narrow for it, so that a window's smallest width is that of its widest
// control, not of the whole row. Stretches take the room left in their row,
// as in a QHBoxLayout: at full width it looks like one.
#pragma once

#include <QLayout>
#include <QList>

namespace morvatex {

class FlowLayout final : public QLayout {
 public:
  FlowLayout() = default;
  ~FlowLayout() override;
  FlowLayout(const FlowLayout&) = delete;
  FlowLayout& operator=(const FlowLayout&) = delete;

  void AddSpacing(int width);
  void AddStretch();
  void InsertWidget(int index, QWidget* widget);

  void addItem(QLayoutItem* item) override;
  int count() const override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  Qt::Orientations expandingDirections() const override;
  bool hasHeightForWidth() const override;
  int heightForWidth(int width) const override;
  QSize minimumSize() const override;
  QSize sizeHint() const override;
  void setGeometry(const QRect& rect) override;

 private:
  QList<QLayoutItem*> items_;

  int Gap() const;

  // Lays the items out in `rect` (only measuring when `apply` is false);
  // returns the height used.
  int Arrange(const QRect& rect, bool apply) const;
};

}  // namespace morvatex
