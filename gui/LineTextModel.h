// The lines of a long text file as a list model: each row one line, read
// from the file only when a view asks for it (preview/LineIndex.h), a few
// blocks of lines kept at a time. So a program of millions of lines is
// shown without ever being held whole.
#pragma once

#include <QAbstractListModel>
#include <QString>

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/FileSystem.h"
#include "preview/LineIndex.h"

namespace morvatex {

class LineTextModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  // `fs` must outlive the model.
  LineTextModel(FileSystem& fs, QObject* parent);
  // Shows the file at `path` as `index` describes it (null: nothing).
  void SetFile(const std::string& path, std::shared_ptr<const LineIndex> index);
  bool HasFile() const { return index_ != nullptr; }

  int rowCount(const QModelIndex& parent = {}) const override;
  // DisplayRole: the line number, then its text; UserRole: the text alone.
  QVariant data(const QModelIndex& index, int role) const override;
  // The text of line `row` (0-based); empty when it cannot be read.
  QString LineText(int row) const;
  // How many blocks of lines were read from the file so far.
  int BlocksRead() const { return blocksRead_; }

 private:
  static constexpr std::size_t kLinesPerBlock = 256;
  static constexpr std::size_t kBlocksKept = 16;
  // The lines of the block that holds `row`, read if not kept.
  const std::vector<QString>& Block(std::size_t row) const;

  FileSystem& fs_;
  std::string path_;
  std::shared_ptr<const LineIndex> index_;
  int numberWidth_ = 1;
  // The blocks kept, the one used last first.
  mutable std::list<std::pair<std::size_t, std::vector<QString>>> blocks_;
  mutable int blocksRead_ = 0;
};

}  // namespace morvatex
