#include "demos/DemoTableModel.h"

#include <QDateTime>
#include <QLocale>

#include "demos/DemoChoice.h"
#include "gamedata/QuakeText.h"

namespace fx {

namespace {

// Texts from game files are Quake's 8-bit characters: shown with the program's one mapping.
QString Quake(std::string_view text) {
  return QString::fromStdString(QuakeTextToUtf8(text));
}

// File names are bytes; one that is not UTF-8 is shown read as Latin-1.
QString FileText(const std::string& name) {
  const QString text = QString::fromUtf8(name);
  return text.contains(QChar::ReplacementCharacter) ? QString::fromLatin1(name) : text;
}

QString Levels(const TDemoInfo& info, bool titles) {
  QStringList parts;
  for (const TDemoLevel& level : info.Levels)
    parts << Quake(titles ? level.Title : level.Map);
  return parts.join(QStringLiteral(", "));
}

QString Players(const TDemoInfo& info) {
  QStringList names;
  for (const std::string& name : info.Players)
    names << Quake(name);
  return names.join(QStringLiteral(", "));
}

}  // namespace

int TDemoTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TDemoTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QString TDemoTableModel::Text(const TDemoRow& row, int column) const {
  const TDemoInfo& info = row.Info;
  switch (column) {
    case kFile: {
      const std::size_t slash = row.Name.find_last_of('/');
      return FileText((slash == std::string::npos ? "" : row.Name.substr(0, slash + 1)) +
                      row.FileName);
    }
    case kWhere:
      return FileText(row.Place.Where);
    case kMap:
      return Levels(info, false);
    case kTitle:
      return info.Problem.empty()
                 ? Levels(info, true)
                 : QString::fromStdString("(" + info.Problem + ") ") + Levels(info, true);
    case kLength:
      return info.Levels.empty() ? QString() : QString::fromStdString(DemoLengthText(info.Seconds));
    case kPlayers:
      return Players(info);
    case kGame:
      return QString::fromStdString(GameKindText(info.GameKind));
    case kProtocol:
      return info.Protocol == 0 ? QString()
                                : QString::fromStdString(DemoProtocolName(
                                      info.Format, info.Protocol, info.ProtocolFlags));
    case kEngines:
      return QString::fromStdString(DemoEnginesText(info));
    case kSize:
      return QLocale().formattedDataSize(row.Place.Size);
    case kDate:
      return QDateTime::fromMSecsSinceEpoch(row.Place.Modified / 1000000)
          .toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    default:
      return {};
  }
}

QVariant TDemoTableModel::SortKey(const TDemoRow& row, int column) const {
  switch (column) {
    case kLength:
      return row.Info.Seconds;
    case kSize:
      return static_cast<qlonglong>(row.Place.Size);
    case kDate:
      return static_cast<qlonglong>(row.Place.Modified);
    default:
      return Text(row, column).toLower();
  }
}

QVariant TDemoTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const TDemoRow& row = Row(index.row());
  if (role == Qt::DisplayRole) return Text(row, index.column());
  if (role == kSortRole) return SortKey(row, index.column());
  if (role == Qt::ToolTipRole && !row.Info.Problem.empty())
    return QString::fromStdString(row.Info.Problem);
  if (role == Qt::TextAlignmentRole && (index.column() == kLength || index.column() == kSize))
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant TDemoTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kHeads[kColumns] = {"File",     "Where",   "Map",  "Title",
                                               "Length",   "Players", "Game", "Protocol",
                                               "Plays in", "Size",    "Date"};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kColumns)
    return {};
  return QString::fromLatin1(kHeads[section]);
}

void TDemoTableModel::Append(std::vector<TDemoRow> rows) {
  if (rows.empty()) return;
  const int first = rowCount();
  beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
  for (TDemoRow& row : rows)
    FRows.push_back(std::move(row));
  endInsertRows();
}

void TDemoTableModel::Clear() {
  beginResetModel();
  FRows.clear();
  endResetModel();
}

QString DemoDetailsText(const TDemoRow& row) {
  const TDemoInfo& info = row.Info;
  QString text =
      FileText(row.Name) + QStringLiteral("\n") + FileText(row.Place.Where) + QStringLiteral("\n");
  if (!info.Problem.empty())
    text +=
        QStringLiteral("\nDamaged: ") + QString::fromStdString(info.Problem) + QStringLiteral("\n");
  if (info.Protocol != 0)
    text +=
        QStringLiteral("\nProtocol: ") +
        QString::fromStdString(DemoProtocolName(info.Format, info.Protocol, info.ProtocolFlags)) +
        QStringLiteral("\nPlays in: ") + QString::fromStdString(DemoEnginesText(info)) +
        QStringLiteral("\n");
  if (!info.GameDir.empty())
    text += QStringLiteral("Game folder: ") + FileText(info.GameDir) + "\n";
  if (!info.Levels.empty()) {
    text += QStringLiteral("\nLevels:\n");
    for (const TDemoLevel& level : info.Levels)
      text += QStringLiteral("  ") + Quake(level.Map) + QStringLiteral("  ") +
              QString::fromStdString(DemoLengthText(level.Seconds)) + QStringLiteral("  ") +
              Quake(level.Title) + QStringLiteral("\n");
  }
  if (!info.Players.empty()) {
    text += QStringLiteral("\nPlayers:\n");
    for (const std::string& name : info.Players)
      text += QStringLiteral("  ") + Quake(name) + "\n";
  }
  if (!row.AlsoIn.empty()) {
    text += QStringLiteral("\nAlso in (not played):\n");
    for (const std::string& where : row.AlsoIn)
      text += QStringLiteral("  ") + FileText(where) + "\n";
  }
  return text;
}

}  // namespace fx
