// Shows the job table in a Qt view. Row 0 of the job table becomes the
// view's column headers, so view row i is job table row i + 1.
#pragma once

#include <QAbstractTableModel>

#include "batch/JobTable.h"

namespace morvatex {

class JobTableModel final : public QAbstractTableModel, private JobTableObserver {
  Q_OBJECT

 public:
  // Follows `table` until destroyed; `table` has to outlive the model.
  explicit JobTableModel(JobTable& table, QObject* parent = nullptr);
  ~JobTableModel() override;

  // The job table row shown in view row index.row(); -1 for an invalid index.
  static int TableRow(const QModelIndex& index) { return index.isValid() ? index.row() + 1 : -1; }
  // The view index of a job table cell; invalid for the header row.
  QModelIndex IndexOf(int row, int column) const { return index(row - 1, column); }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void RowCountChanging(int oldCount, int newCount) override;
  void RowCountChanged(int oldCount, int newCount) override;
  void CellChanged(int row, int column) override;

  JobTable& table_;
};

}  // namespace morvatex
