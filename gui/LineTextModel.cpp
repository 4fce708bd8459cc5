#include "gui/LineTextModel.h"

#include <algorithm>
#include <climits>

#include "qttext/QtText.h"

namespace morvatex {

LineTextModel::LineTextModel(FileSystem& fs, QObject* parent) : QAbstractListModel(parent), fs_(fs) {}

void LineTextModel::SetFile(const std::string& path, std::shared_ptr<const LineIndex> index) {
  beginResetModel();
  path_ = path;
  index_ = std::move(index);
  blocks_.clear();
  numberWidth_ = index_ ? static_cast<int>(QString::number(index_->size()).size()) : 1;
  endResetModel();
}

int LineTextModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !index_) return 0;
  // A view counts rows in int; a file of more lines shows its first ones.
  return static_cast<int>(std::min<std::size_t>(index_->size(), INT_MAX));
}

const std::vector<QString>& LineTextModel::Block(std::size_t row) const {
  const std::size_t block = row / kLinesPerBlock;
  for (auto it = blocks_.begin(); it != blocks_.end(); ++it) {
    if (it->first != block) continue;
    blocks_.splice(blocks_.begin(), blocks_, it);
    return blocks_.front().second;
  }
  std::vector<std::string> lines;
  // A file that changed or went since it was indexed shows what can be read.
  ReadIndexedLines(fs_, path_, *index_, block * kLinesPerBlock, kLinesPerBlock, lines);
  ++blocksRead_;
  std::vector<QString> texts;
  texts.reserve(lines.size());
  for (const std::string& line : lines) texts.push_back(ToQString(line));
  blocks_.emplace_front(block, std::move(texts));
  if (blocks_.size() > kBlocksKept) blocks_.pop_back();
  return blocks_.front().second;
}

QString LineTextModel::LineText(int row) const {
  if (!index_ || row < 0 || static_cast<std::size_t>(row) >= index_->size()) return {};
  const std::vector<QString>& block = Block(static_cast<std::size_t>(row));
  const std::size_t at = static_cast<std::size_t>(row) % kLinesPerBlock;
  return at < block.size() ? block[at] : QString();
}

QVariant LineTextModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::UserRole) return LineText(index.row());
  if (role != Qt::DisplayRole) return {};
  return QStringLiteral("%1  ").arg(index.row() + 1, numberWidth_) + LineText(index.row());
}

}  // namespace morvatex
