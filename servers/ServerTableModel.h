#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <array>
#include <map>
#include <span>
#include <vector>

#include "servers/ServerFilter.h"
#include "servers/ServerInfo.h"
#include "servers/ServerTableText.h"

namespace fx {

// Every server the browser has heard of, one row each, in the order they became known.
// Rows are only added and changed, never dropped while the dialog lives: a server that
// stops answering keeps its row with its new state.
class TServerTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TServerTableModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // Adds the new servers as one block at the end and updates the known ones. An update
  // that only says a known server is being asked again keeps what it answered before.
  void Apply(std::vector<TServerInfo> servers);
  // Rows for servers not heard of yet, as waiting (favourites are listed before they answer).
  void AddWaiting(std::span<const TServerInfo> servers);

  const TServerInfo& Server(int row) const { return FRows[static_cast<std::size_t>(row)]; }
  const std::vector<TServerInfo>& Servers() const { return FRows; }
  int RowOf(const TServerAddress& address) const;  // -1 when not listed

  bool IsFavourite(int row) const { return FFavourite[static_cast<std::size_t>(row)]; }
  void SetFavourite(int row, bool favourite);
  // A server the user joined before: shown in italics, said so in its tool tip.
  bool IsFromHistory(int row) const { return FHistory[static_cast<std::size_t>(row)]; }
  void SetFromHistory(int row);

  // How many rows are in each state (indexed by TServerState).
  int CountOf(TServerState state) const { return FCounts[static_cast<std::size_t>(state)]; }

 private:
  void Count(const TServerInfo& server, int delta);

  std::vector<TServerInfo> FRows;
  std::vector<bool> FFavourite;
  std::vector<bool> FHistory;
  std::map<TServerAddress, int> FRowOf;
  std::array<int, kServerStates> FCounts{};
};

// The table's sorting and filtering: columns sort by ServerLess, rows pass IsServerShown.
class TServerFilterProxy : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  explicit TServerFilterProxy(QObject* parent = nullptr);

  void SetFilter(const TServerFilter& filter, bool showSilent);
  const TServerFilter& Filter() const { return FFilter; }
  bool ShowSilent() const { return FShowSilent; }

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

 private:
  const TServerTableModel& Table() const;

  TServerFilter FFilter;
  bool FShowSilent = false;
};

}  // namespace fx
