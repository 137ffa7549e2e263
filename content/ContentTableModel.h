#pragma once

// The content browser's table: one row per package with its installed state, and the
// proxy that sorts by any column and shows the rows the search and filters let through.

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <vector>

#include "content/ContentSearch.h"

namespace fx {

enum TContentColumn {
  kColTitle,
  kColAuthor,
  kColDate,
  kColType,
  kColSize,
  kColRating,
  kColUsers,
  kColInstalled,
  kColCount
};

class TContentTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  // Qt::DisplayRole: the text; Qt::UserRole: the value to sort by.
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  void SetPackages(std::vector<TContentPackage> packages, std::vector<TInstallState> states);
  // Every state unknown until SetStates gives it: the column says "checking...".
  void SetChecking();
  void SetStates(const std::vector<std::pair<std::size_t, TInstallState>>& states);
  bool StateKnown(std::size_t row) const { return row < FKnown.size() && FKnown[row] != 0; }
  const std::vector<TContentPackage>& Packages() const { return FPackages; }
  const std::vector<TInstallState>& States() const { return FStates; }
  const std::vector<std::string>& SearchTexts() const { return FTexts; }

 private:
  std::vector<TContentPackage> FPackages;
  std::vector<TInstallState> FStates;
  std::vector<char> FKnown;
  std::vector<std::string> FTexts;
};

class TContentFilterProxy : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  explicit TContentFilterProxy(QObject* parent = nullptr);
  // Filters the source's rows with `filter` (FilterPackages) and shows those.
  void SetFilter(const TContentFilter& filter);
  const std::vector<std::size_t>& Matching() const { return FMatching; }

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

 private:
  std::vector<char> FShown;
  std::vector<std::size_t> FMatching;
};

QString InstallStateText(TInstallState state);

}  // namespace fx
