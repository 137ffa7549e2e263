#include "content/ContentTableModel.h"

#include "content/ContentText.h"

namespace fx {

namespace {

QString Join(const std::vector<std::string>& items) {
  QStringList list;
  for (const std::string& item : items)
    list << QString::fromStdString(item);
  return list.join(QStringLiteral(", "));
}

QString SizeText(std::uint64_t bytes) {
  if (bytes == 0) return {};
  if (bytes < 1024 * 1024) return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
  return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

}  // namespace

QString InstallStateText(TInstallState state) {
  switch (state) {
    case TInstallState::Installed:
      return QStringLiteral("installed");
    case TInstallState::Partly:
      return QStringLiteral("partly");
    case TInstallState::Modified:
      return QStringLiteral("modified");
    case TInstallState::NotInstalled:
      break;
  }
  return QStringLiteral("not installed");
}

int TContentTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(FPackages.size());
}

int TContentTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColCount;
}

QVariant TContentTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::UserRole)) return {};
  const TContentPackage& p = FPackages[static_cast<std::size_t>(index.row())];
  const bool sort = role == Qt::UserRole;
  switch (index.column()) {
    case kColTitle:
      return QString::fromStdString(p.Title.empty() ? p.Id : p.Title);
    case kColAuthor:
      return QString::fromStdString(p.Author);
    case kColDate:
      // A number sorts as the text does ("1997" < "1997-05" < "1997-05-03") and costs no
      // text per comparison: the proxy sorts again after each keystroke.
      if (sort) return p.Date.Year * 10000 + p.Date.Month * 100 + p.Date.Day;
      return QString::fromStdString(FormatDate(p.Date));
    case kColType:
      return Join(p.Types);
    case kColSize:
      return sort ? QVariant(static_cast<qulonglong>(p.Bytes)) : QVariant(SizeText(p.Bytes));
    case kColRating:
      return sort ? QVariant(p.Rating)
                  : (p.Rating ? QVariant(QString(p.Rating, QChar(0x2605))) : QVariant(QString()));
    case kColUsers:
      if (sort) return p.UsersRating.value_or(-1);
      return p.UsersRating ? QString::number(*p.UsersRating, 'f', 2) : QString();
    case kColInstalled: {
      const TInstallState state = FStates[static_cast<std::size_t>(index.row())];
      if (!StateKnown(static_cast<std::size_t>(index.row())))
        return sort ? QVariant(-1) : QVariant(QStringLiteral("checking..."));
      return sort ? QVariant(static_cast<int>(state)) : QVariant(InstallStateText(state));
    }
  }
  return {};
}

QVariant TContentTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kNames[kColCount] = {"Title", "Author", "Date",  "Type",
                                                "Size",  "Rating", "Users", "Installed"};
  return section >= 0 && section < kColCount ? QString::fromLatin1(kNames[section]) : QVariant();
}

void TContentTableModel::SetPackages(std::vector<TContentPackage> packages,
                                     std::vector<TInstallState> states) {
  beginResetModel();
  FPackages = std::move(packages);
  states.resize(FPackages.size(), TInstallState::NotInstalled);
  FStates = std::move(states);
  FKnown.assign(FPackages.size(), 1);
  FTexts = fx::SearchTexts(FPackages);
  endResetModel();
}

void TContentTableModel::SetChecking() {
  FKnown.assign(FPackages.size(), 0);
  if (!FPackages.empty())
    emit dataChanged(index(0, kColInstalled), index(rowCount() - 1, kColInstalled));
}

void TContentTableModel::SetStates(
    const std::vector<std::pair<std::size_t, TInstallState>>& states) {
  std::size_t first = FPackages.size(), last = 0;
  for (const auto& [row, state] : states) {
    if (row >= FPackages.size()) continue;
    FStates[row] = state;
    FKnown[row] = 1;
    first = std::min(first, row);
    last = std::max(last, row);
  }
  if (first <= last)
    emit dataChanged(index(static_cast<int>(first), kColInstalled),
                     index(static_cast<int>(last), kColInstalled));
}

TContentFilterProxy::TContentFilterProxy(QObject* parent) : QSortFilterProxyModel(parent) {
  setSortRole(Qt::UserRole);
  setSortCaseSensitivity(Qt::CaseInsensitive);
}

void TContentFilterProxy::SetFilter(const TContentFilter& filter) {
  const auto* model = qobject_cast<const TContentTableModel*>(sourceModel());
  if (!model) return;
  FMatching = FilterPackages(model->Packages(), model->SearchTexts(), model->States(), filter);
  std::vector<char> shown(model->Packages().size(), 0);
  for (const std::size_t i : FMatching)
    shown[i] = 1;
  // A keystroke that lets the same rows through (most do, early in a word) changes nothing
  // the view shows: no new mapping, no sort again.
  if (shown == FShown) return;
  FShown = std::move(shown);
  invalidateFilter();
}

bool TContentFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
  const auto row = static_cast<std::size_t>(sourceRow);
  return row < FShown.size() ? FShown[row] != 0 : true;
}

}  // namespace fx
