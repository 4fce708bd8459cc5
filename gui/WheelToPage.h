// The wheel over a table inside a scrolled page: the page scrolls, wherever
// the pointer is, so that passing over the table does not catch the wheel.
// The table itself scrolls sideways with Shift+wheel, or while it has the
// keyboard focus.
#pragma once

#include <QObject>

class QAbstractScrollArea;

namespace morvatex {

class WheelToPage final : public QObject {
 public:
  // Watches `table`'s viewport; owned by `table`.
  WheelToPage(QAbstractScrollArea* table, QAbstractScrollArea* page);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QAbstractScrollArea* table_;
  QAbstractScrollArea* page_;
};

}  // namespace morvatex
