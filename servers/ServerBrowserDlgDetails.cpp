// The server browser's chosen server: its players and rules, and asking it for them.

#include <QTreeWidget>

#include <algorithm>

#include "servers/ServerBrowserDlg.h"
#include "servers/ServerTableModel.h"
#include "ui_ServerBrowserDlg.h"

namespace fx {

namespace {

QString Text(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Shown(const std::string& quakeText) {
  return Text(QuakeServerText(quakeText));
}

QString TimeText(int seconds) {
  if (seconds < 0) return {};
  return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// Players by frags, spectators after them: as a scoreboard lists them.
std::vector<const TServerPlayer*> ScoreboardOrder(const std::vector<TServerPlayer>& players) {
  std::vector<const TServerPlayer*> order;
  for (const TServerPlayer& player : players)
    order.push_back(&player);
  std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
    if (a->Spectator != b->Spectator) return b->Spectator;
    return !a->Spectator && a->Frags > b->Frags;
  });
  return order;
}

QTreeWidgetItem* PlayerItem(const TServerPlayer& player) {
  auto* item = new QTreeWidgetItem;
  item->setText(0, Shown(player.Name));
  item->setText(1, player.Spectator ? QStringLiteral("spectator") : QString::number(player.Frags));
  item->setText(2, player.Bot ? QStringLiteral("bot")
                              : (player.Ping >= 0 ? QString::number(player.Ping) : QString()));
  item->setText(3, TimeText(player.Seconds));
  item->setText(4, Shown(player.Team));
  for (const int column : {1, 2, 3})
    item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

}  // namespace

int TServerBrowserDlg::CurrentRow() const {
  const QModelIndex current = FUi->tvServers->currentIndex();
  if (!current.isValid()) return -1;
  return FProxy->mapToSource(current).row();
}

const TServerInfo* TServerBrowserDlg::CurrentServer() const {
  const int row = CurrentRow();
  return row < 0 ? nullptr : &FTable->Server(row);
}

void TServerBrowserDlg::CurrentChanged() {
  ShowDetails();
  UpdateButtons();
  FDetailsTimer.start();
}

void TServerBrowserDlg::ShowDetails() {
  QTreeWidget& players = *FUi->lvPlayers;
  QTreeWidget& rules = *FUi->lvRules;
  players.clear();
  rules.clear();
  const TServerInfo* server = CurrentServer();
  if (server == nullptr) return;
  QList<QTreeWidgetItem*> playerItems;
  for (const TServerPlayer* player : ScoreboardOrder(server->PlayerList))
    playerItems.append(PlayerItem(*player));
  players.addTopLevelItems(playerItems);
  QList<QTreeWidgetItem*> ruleItems;
  for (const auto& [name, value] : server->Rules)
    ruleItems.append(new QTreeWidgetItem(QStringList{Shown(name), Shown(value)}));
  rules.addTopLevelItems(ruleItems);
}

void TServerBrowserDlg::AskDetails() {
  const TServerInfo* server = CurrentServer();
  if (server == nullptr || !FAskedDetails.insert(server->Address).second) return;
  GatherSources();
  try {
    FSource.QueryDetails({server->Address, server->Family}, FLists.Limits);
  } catch (const std::exception& e) {
    ShowError(std::string("The server could not be asked.\n\n") + e.what());
  }
}

void TServerBrowserDlg::SelectRow(int sourceRow) {
  const QModelIndex shown = FProxy->mapFromSource(FTable->index(sourceRow, 0));
  if (!shown.isValid()) {
    // Hidden by the filter: the user sees why nothing moved.
    FOptions.Dialogs->Beep();
    return;
  }
  FUi->tvServers->setCurrentIndex(shown);
  FUi->tvServers->scrollTo(shown);
}

}  // namespace fx
