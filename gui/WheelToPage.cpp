#include "gui/WheelToPage.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QScrollBar>
#include <QWheelEvent>

namespace morvatex {

WheelToPage::WheelToPage(QAbstractScrollArea* table, QAbstractScrollArea* page)
    : QObject(table), table_(table), page_(page) {
  table_->viewport()->installEventFilter(this);
}

bool WheelToPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Wheel) return QObject::eventFilter(watched, event);
  const auto* wheel = static_cast<QWheelEvent*>(event);
  const bool sideways = (wheel->modifiers() & Qt::ShiftModifier) != 0 || table_->hasFocus();
  // The scroll bars take a wheel of either direction.
  QScrollBar* bar = sideways ? table_->horizontalScrollBar() : page_->verticalScrollBar();
  QCoreApplication::sendEvent(bar, event);
  return true;
}

}  // namespace morvatex
