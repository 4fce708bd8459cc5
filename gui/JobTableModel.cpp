#include "gui/JobTableModel.h"

#include "qttext/QtText.h"

namespace morvatex {

JobTableModel::JobTableModel(JobTable& table, QObject* parent) : QAbstractTableModel(parent), table_(table) {
  table_.SetObserver(this);
}

JobTableModel::~JobTableModel() { table_.SetObserver(nullptr); }

int JobTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : table_.RowCount() - 1; }

int JobTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kJobColumnCount; }

QVariant JobTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
  const std::string& text = table_.Cell(TableRow(index), index.column());
  // The tooltip shows a path the column cuts off in full; an empty cell has none.
  if (role == Qt::ToolTipRole && text.empty()) return {};
  return ToQString(text);
}

QVariant JobTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return ToQString(table_.Cell(0, section));
}

Qt::ItemFlags JobTableModel::flags(const QModelIndex& index) const {
  // Cells are selected, never edited in place.
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void JobTableModel::RowCountChanging(int oldCount, int newCount) {
  if (newCount > oldCount)
    beginInsertRows(QModelIndex(), oldCount - 1, newCount - 2);
  else
    beginRemoveRows(QModelIndex(), newCount - 1, oldCount - 2);
}

void JobTableModel::RowCountChanged(int oldCount, int newCount) {
  if (newCount > oldCount)
    endInsertRows();
  else
    endRemoveRows();
}

void JobTableModel::CellChanged(int row, int column) {
  if (row == 0) {
    emit headerDataChanged(Qt::Horizontal, column, column);
    return;
  }
  const QModelIndex cell = IndexOf(row, column);
  emit dataChanged(cell, cell, {Qt::DisplayRole});
}

}  // namespace morvatex
