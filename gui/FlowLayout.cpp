#include "gui/FlowLayout.h"

#include <QLabel>
#include <QSpacerItem>
#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace morvatex {
namespace {

bool IsStretch(QLayoutItem* item) {
  const QSpacerItem* spacer = item->spacerItem();
  return spacer != nullptr && spacer->sizePolicy().horizontalPolicy() == QSizePolicy::Expanding;
}

bool Shown(QLayoutItem* item) { return item->widget() == nullptr || !item->widget()->isHidden(); }

}  // namespace

int FlowLayout::Gap() const {
  // As a QHBoxLayout finds its spacing: its own, its parent layout's, or the
  // style's.
  if (spacing() >= 0) return spacing();
  if (const auto* outer = qobject_cast<const QLayout*>(parent())) return std::max(0, outer->spacing());
  if (const QWidget* widget = parentWidget())
    return std::max(0, widget->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, widget));
  return 0;
}

FlowLayout::~FlowLayout() {
  while (QLayoutItem* item = takeAt(0)) delete item;
}

void FlowLayout::AddSpacing(int width) { addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum)); }

void FlowLayout::AddStretch() { addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum)); }

void FlowLayout::InsertWidget(int index, QWidget* widget) {
  addChildWidget(widget);
  items_.insert(std::clamp<qsizetype>(index, 0, items_.size()), new QWidgetItem(widget));
  invalidate();
}

void FlowLayout::addItem(QLayoutItem* item) {
  items_.append(item);
  invalidate();
}

int FlowLayout::count() const { return static_cast<int>(items_.size()); }

QLayoutItem* FlowLayout::itemAt(int index) const { return index >= 0 && index < count() ? items_[index] : nullptr; }

QLayoutItem* FlowLayout::takeAt(int index) { return index >= 0 && index < count() ? items_.takeAt(index) : nullptr; }

Qt::Orientations FlowLayout::expandingDirections() const { return Qt::Horizontal; }

bool FlowLayout::hasHeightForWidth() const { return true; }

int FlowLayout::heightForWidth(int width) const { return Arrange(QRect(0, 0, width, 0), false); }

QSize FlowLayout::minimumSize() const {
  // The widest item, a label with its buddy counted as one.
  QSize size;
  for (int index = 0; index < count(); ++index) {
    QLayoutItem* item = items_[index];
    if (!Shown(item)) continue;
    QSize least = item->minimumSize();
    const auto* label = qobject_cast<const QLabel*>(item->widget());
    if (label != nullptr && index + 1 < count() && label->buddy() == items_[index + 1]->widget())
      least.rwidth() += Gap() + items_[index + 1]->minimumSize().width();
    size = size.expandedTo(least);
  }
  const QMargins m = contentsMargins();
  return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize FlowLayout::sizeHint() const {
  int width = 0, height = 0;
  bool afterWidget = false;
  for (QLayoutItem* item : items_) {
    if (!Shown(item)) continue;
    width += item->sizeHint().width() + (afterWidget && item->spacerItem() == nullptr ? Gap() : 0);
    afterWidget = afterWidget || item->spacerItem() == nullptr;
    height = std::max(height, item->sizeHint().height());
  }
  const QMargins m = contentsMargins();
  return {width + m.left() + m.right(), height + m.top() + m.bottom()};
}

void FlowLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  Arrange(rect, true);
}

int FlowLayout::Arrange(const QRect& rect, bool apply) const {
  const QRect area = rect.marginsRemoved(contentsMargins());
  const int gap = Gap();
  // As in a QHBoxLayout: the spacing between two widgets, none beside a
  // spacing or stretch, which keep their own width.
  const auto gapBefore = [gap](QLayoutItem* item, bool afterWidget) {
    return afterWidget && item->spacerItem() == nullptr ? gap : 0;
  };
  std::vector<QLayoutItem*> row;
  int top = area.y();
  // One row: its items left to right, the room left shared by its stretches.
  const auto place = [&] {
    int used = 0, stretches = 0, height = 0;
    bool afterWidget = false;
    for (QLayoutItem* item : row) {
      used += gapBefore(item, afterWidget) + item->sizeHint().width();
      afterWidget = afterWidget || item->spacerItem() == nullptr;
      stretches += IsStretch(item) ? 1 : 0;
      height = std::max(height, item->sizeHint().height());
    }
    int x = area.x(), extra = std::max(0, area.width() - used);
    afterWidget = false;
    for (QLayoutItem* item : row) {
      x += gapBefore(item, afterWidget);
      afterWidget = afterWidget || item->spacerItem() == nullptr;
      const QSize hint = item->sizeHint();
      int width = hint.width();
      if (IsStretch(item)) {
        width += extra / stretches;
        extra -= extra / stretches;
        --stretches;
      }
      if (apply) item->setGeometry(QRect(x, top + (height - hint.height()) / 2, width, hint.height()));
      x += width;
    }
    top += height + gap;
    row.clear();
  };
  int rowWidth = 0;
  bool afterWidget = false;
  const QWidget* buddy = nullptr;  // of the label just placed: kept on its row
  for (int index = 0; index < count(); ++index) {
    QLayoutItem* item = items_[index];
    if (!Shown(item)) continue;
    int width = gapBefore(item, afterWidget) + item->sizeHint().width();
    const auto* label = qobject_cast<const QLabel*>(item->widget());
    if (label != nullptr && index + 1 < count() && label->buddy() == items_[index + 1]->widget())
      width += Gap() + items_[index + 1]->sizeHint().width();
    const bool glued = buddy != nullptr && item->widget() == buddy;
    buddy = label != nullptr ? label->buddy() : nullptr;
    if (!row.empty() && !glued && rowWidth + width > area.width() && item->spacerItem() == nullptr) {
      place();
      rowWidth = 0;
      afterWidget = false;
    }
    // A spacing or stretch that opens a row has nothing to keep apart.
    if (row.empty() && item->spacerItem() != nullptr) continue;
    rowWidth += gapBefore(item, afterWidget) + item->sizeHint().width();
    afterWidget = afterWidget || item->spacerItem() == nullptr;
    row.push_back(item);
  }
  if (!row.empty()) place();
  return std::max(0, top - gap - area.y()) + contentsMargins().top() + contentsMargins().bottom();
}

}  // namespace morvatex
