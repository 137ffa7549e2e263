#include "servers/ServerTableModel.h"

#include <QBrush>
#include <QFont>
#include <QPalette>

#include <algorithm>

namespace fx {

namespace {

constexpr std::array<const char*, static_cast<std::size_t>(TServerColumn::Count)> kHeaders = {
    "Name", "Address", "Map", "Players", "Ping", "Game", "Protocol"};

QString Text(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsNumeric(TServerColumn column) {
  return column == TServerColumn::Players || column == TServerColumn::Ping;
}

}  // namespace

TServerTableModel::TServerTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int TServerTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TServerTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(TServerColumn::Count);
}

QVariant TServerTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const TServerInfo& server = Server(index.row());
  const auto column = static_cast<TServerColumn>(index.column());
  switch (role) {
    case Qt::DisplayRole:
      return Text(ServerCellText(server, column));
    case Qt::TextAlignmentRole:
      return IsNumeric(column) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::FontRole:
      if (IsFavourite(index.row()) || IsFromHistory(index.row())) {
        QFont font;
        font.setBold(IsFavourite(index.row()));
        font.setItalic(IsFromHistory(index.row()));
        return font;
      }
      return {};
    case Qt::ForegroundRole:
      // A server that did not answer is listed, but greyed.
      if (server.State != TServerState::Answered)
        return QPalette().brush(QPalette::Disabled, QPalette::Text);
      return {};
    case Qt::ToolTipRole:
      if (column != TServerColumn::Name) return {};
      if (IsFavourite(index.row()))
        return IsFromHistory(index.row()) ? QStringLiteral("Favourite, joined before")
                                          : QStringLiteral("Favourite");
      if (IsFromHistory(index.row())) return QStringLiteral("Joined before (history)");
      return {};
    default:
      return {};
  }
}

QVariant TServerTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 ||
      section >= static_cast<int>(TServerColumn::Count))
    return {};
  if (role == Qt::DisplayRole)
    return QString::fromLatin1(kHeaders[static_cast<std::size_t>(section)]);
  if (role == Qt::TextAlignmentRole && IsNumeric(static_cast<TServerColumn>(section)))
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

void TServerTableModel::Count(const TServerInfo& server, int delta) {
  FCounts[static_cast<std::size_t>(server.State)] += delta;
}

void TServerTableModel::Apply(std::vector<TServerInfo> servers) {
  std::vector<TServerInfo*> added;
  std::map<TServerAddress, std::size_t> addedAt;
  std::vector<int> changed;
  for (TServerInfo& server : servers) {
    const auto known = FRowOf.find(server.Address);
    if (known == FRowOf.end()) {
      // Twice in one batch: the later report wins, on the row the first one gets.
      const auto [at, isNew] = addedAt.emplace(server.Address, added.size());
      if (isNew)
        added.push_back(&server);
      else
        added[at->second] = &server;
      continue;
    }
    TServerInfo& row = FRows[static_cast<std::size_t>(known->second)];
    if (server.State == TServerState::Waiting && row.State != TServerState::Waiting) continue;
    Count(row, -1);
    row = std::move(server);
    Count(row, +1);
    changed.push_back(known->second);
  }
  if (!added.empty()) {
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    for (TServerInfo* server : added) {
      FRowOf.emplace(server->Address, rowCount());
      Count(*server, +1);
      FRows.push_back(std::move(*server));
      FFavourite.push_back(false);
      FHistory.push_back(false);
    }
    endInsertRows();
  }
  // One signal per run of neighbouring rows: a range over the whole table would make the
  // proxy look at every row again.
  std::sort(changed.begin(), changed.end());
  changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
  const int last = columnCount() - 1;
  for (std::size_t i = 0; i < changed.size();) {
    std::size_t j = i;
    while (j + 1 < changed.size() && changed[j + 1] == changed[j] + 1)
      ++j;
    emit dataChanged(index(changed[i], 0), index(changed[j], last));
    i = j + 1;
  }
}

void TServerTableModel::AddWaiting(std::span<const TServerInfo> servers) {
  std::vector<TServerInfo> unknown;
  for (const TServerInfo& server : servers)
    if (RowOf(server.Address) < 0) {
      unknown.push_back(server);
      unknown.back().State = TServerState::Waiting;
    }
  Apply(std::move(unknown));
}

int TServerTableModel::RowOf(const TServerAddress& address) const {
  const auto found = FRowOf.find(address);
  return found == FRowOf.end() ? -1 : found->second;
}

void TServerTableModel::SetFavourite(int row, bool favourite) {
  if (row < 0 || row >= rowCount() || IsFavourite(row) == favourite) return;
  FFavourite[static_cast<std::size_t>(row)] = favourite;
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void TServerTableModel::SetFromHistory(int row) {
  if (row < 0 || row >= rowCount() || IsFromHistory(row)) return;
  FHistory[static_cast<std::size_t>(row)] = true;
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

TServerFilterProxy::TServerFilterProxy(QObject* parent) : QSortFilterProxyModel(parent) {
  setDynamicSortFilter(true);
}

const TServerTableModel& TServerFilterProxy::Table() const {
  return static_cast<const TServerTableModel&>(*sourceModel());
}

void TServerFilterProxy::SetFilter(const TServerFilter& filter, bool showSilent) {
  if (filter == FFilter && showSilent == FShowSilent) return;
  FFilter = filter;
  FShowSilent = showSilent;
  invalidateFilter();
}

bool TServerFilterProxy::filterAcceptsRow(int sourceRow,
                                          const QModelIndex& /*sourceParent*/) const {
  const TServerTableModel& table = Table();
  return IsServerShown(table.Server(sourceRow), FFilter, table.IsFavourite(sourceRow), FShowSilent);
}

bool TServerFilterProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const TServerTableModel& table = Table();
  return ServerLess(table.Server(left.row()), table.Server(right.row()),
                    static_cast<TServerColumn>(left.column()));
}

}  // namespace fx
