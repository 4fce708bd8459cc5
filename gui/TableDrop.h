// Files dropped on the job table: which of them the table takes, and the
// drag events of the grid that accept or refuse a drop.
#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QAbstractItemView;
class QMimeData;

namespace morvatex {

// What a drop asks the table to do.
struct DropContents {
  enum class Kind {
    kNothing,    // nothing usable: the drop is refused
    kIselFiles,  // add `files` as "Isel-Datei(en) hinzufügen" adds chosen files
    kJobList,    // open the one job list file in `files` as "Öffnen..." does
  };
  Kind kind = Kind::kNothing;
  QStringList files;  // local paths with the platform's separators, in the order dropped
};

// Sorts the file addresses in `data`. Isel files are those the add dialog
// offers first: the extension ".ncp" in any case. A job list file (".mvx",
// any case) is taken only as the one usable file of the drop: a list
// together with Isel files or with a second list asks for two things at
// once and gives nothing. Other files and addresses that are no local files
// are passed over.
DropContents ClassifyDrop(const QMimeData& data);

// Accepts drops of usable files on `grid` (its viewport takes the drag
// events) unless `blocked` says no, and hands each accepted drop to
// `deliver` once the drop has returned to the dragging program (so the
// questions that follow never hold it). A drop is only ever taken as a copy
// or a link: a drop proposed as a move would let the other program delete
// the user's files. Owned by `grid`.
class TableDrop final : public QObject {
 public:
  TableDrop(QAbstractItemView* grid, std::function<bool()> blocked, std::function<void(const DropContents&)> deliver);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<bool()> blocked_;
  std::function<void(const DropContents&)> deliver_;
};

}  // namespace morvatex
