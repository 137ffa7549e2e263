#pragma once

// The demo browser's table: one row per demo, the columns the browser shows, numbers for
// sorting under kSortRole. A thin view over the model's rows.

#include <QAbstractTableModel>

#include <vector>

#include "demos/DemoScan.h"

namespace fx {

class TDemoTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum TColumn : int {
    kFile,
    kWhere,
    kMap,
    kTitle,
    kLength,
    kPlayers,
    kGame,
    kProtocol,
    kEngines,
    kSize,
    kDate,
    kColumns
  };
  static constexpr int kSortRole = Qt::UserRole;

  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void Append(std::vector<TDemoRow> rows);
  void Clear();
  const TDemoRow& Row(int row) const { return FRows.at(static_cast<std::size_t>(row)); }
  const std::vector<TDemoRow>& Rows() const { return FRows; }

 private:
  QString Text(const TDemoRow& row, int column) const;
  QVariant SortKey(const TDemoRow& row, int column) const;

  std::vector<TDemoRow> FRows;
};

// The details pane's text: every player and every level with its length, and what is wrong.
QString DemoDetailsText(const TDemoRow& row);

}  // namespace fx
