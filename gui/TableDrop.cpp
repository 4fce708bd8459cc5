#include "gui/TableDrop.h"

#include <QAbstractItemView>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace morvatex {
namespace {

// The action a drop is taken as, or IgnoreAction when it offers neither a
// copy nor a link.
Qt::DropAction SafeDropAction(Qt::DropActions possible) {
  if (possible & Qt::CopyAction) return Qt::CopyAction;
  if (possible & Qt::LinkAction) return Qt::LinkAction;
  return Qt::IgnoreAction;
}

}  // namespace

DropContents ClassifyDrop(const QMimeData& data) {
  QStringList isel;
  QStringList lists;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = QDir::toNativeSeparators(url.toLocalFile());
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QStringLiteral("ncp"), Qt::CaseInsensitive) == 0) isel << path;
    if (suffix.compare(QStringLiteral("mvx"), Qt::CaseInsensitive) == 0) lists << path;
  }
  if (lists.isEmpty() && !isel.isEmpty()) return {DropContents::Kind::kIselFiles, isel};
  if (lists.size() == 1 && isel.isEmpty()) return {DropContents::Kind::kJobList, lists};
  return {};
}

TableDrop::TableDrop(QAbstractItemView* grid, std::function<bool()> blocked,
                     std::function<void(const DropContents&)> deliver)
    : QObject(grid), blocked_(std::move(blocked)), deliver_(std::move(deliver)) {
  grid->setAcceptDrops(true);
  grid->viewport()->setAcceptDrops(true);
  grid->viewport()->installEventFilter(this);
}

bool TableDrop::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
    return QObject::eventFilter(watched, event);
  // Taken here whatever the answer: the grid's own drag handling (moving
  // rows of the model) has no part in it.
  auto* drop = static_cast<QDropEvent*>(event);
  const Qt::DropAction action = SafeDropAction(drop->possibleActions());
  DropContents contents = ClassifyDrop(*drop->mimeData());
  if (blocked_() || action == Qt::IgnoreAction || contents.kind == DropContents::Kind::kNothing) {
    drop->ignore();
    return true;
  }
  drop->setDropAction(action);
  drop->accept();
  if (type == QEvent::Drop) QTimer::singleShot(0, this, [this, contents = std::move(contents)] { deliver_(contents); });
  return true;
}

}  // namespace morvatex
