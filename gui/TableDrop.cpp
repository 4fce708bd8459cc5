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
Qt::DropAction SichereAktion(Qt::DropActions possible) {
  if (possible & Qt::CopyAction) return Qt::CopyAction;
  if (possible & Qt::LinkAction) return Qt::LinkAction;
  return Qt::IgnoreAction;
}

}  // namespace

Ablage AblageAuswerten(const QMimeData& data) {
  QStringList isel;
  QStringList listen;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = QDir::toNativeSeparators(url.toLocalFile());
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QStringLiteral("ncp"), Qt::CaseInsensitive) == 0) isel << path;
    if (suffix.compare(QStringLiteral("mvx"), Qt::CaseInsensitive) == 0) listen << path;
  }
  if (listen.isEmpty() && !isel.isEmpty()) return {Ablage::Art::kIselDateien, isel};
  if (listen.size() == 1 && isel.isEmpty()) return {Ablage::Art::kJobliste, listen};
  return {};
}

TabellenAblage::TabellenAblage(QAbstractItemView* grid, std::function<bool()> gesperrt,
                               std::function<void(const Ablage&)> ablegen)
    : QObject(grid), gesperrt_(std::move(gesperrt)), ablegen_(std::move(ablegen)) {
  grid->setAcceptDrops(true);
  grid->viewport()->setAcceptDrops(true);
  grid->viewport()->installEventFilter(this);
}

bool TabellenAblage::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
    return QObject::eventFilter(watched, event);
  // Taken here whatever the answer: the grid's own drag handling (moving
  // rows of the model) has no part in it.
  auto* drop = static_cast<QDropEvent*>(event);
  const Qt::DropAction action = SichereAktion(drop->possibleActions());
  Ablage ablage = AblageAuswerten(*drop->mimeData());
  if (gesperrt_() || action == Qt::IgnoreAction || ablage.art == Ablage::Art::kNichts) {
    drop->ignore();
    return true;
  }
  drop->setDropAction(action);
  drop->accept();
  if (type == QEvent::Drop) QTimer::singleShot(0, this, [this, ablage = std::move(ablage)] { ablegen_(ablage); });
  return true;
}

}  // namespace morvatex
