// The server browser's "Sources" page: the masters (each switchable, the user's own
// removable), the local network and the two query limits.

#include <QSignalBlocker>
#include <QTreeWidget>

#include <exception>

#include "servers/ServerBrowserDlg.h"
#include "ui_ServerBrowserDlg.h"

namespace fx {

namespace {

QString Text(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString KindText(const TMasterServer& master) {
  QString kind = master.Kind == TMasterKind::DpMaster ? QStringLiteral("DarkPlaces")
                                                      : QStringLiteral("QuakeWorld");
  if (master.BuiltIn) kind += QStringLiteral(", built in");
  return kind;
}

}  // namespace

void TServerBrowserDlg::FillSources() {
  FFillingSources = true;
  FUi->cbSearchLan->setChecked(FLists.SearchLan);
  FUi->sbPacketRate->setValue(FLists.Limits.PacketsPerSecond);
  FUi->sbPerHost->setValue(FLists.Limits.PerHostConcurrency);
  FFillingSources = false;
  FillMasters();
}

void TServerBrowserDlg::FillMasters() {
  QTreeWidget& list = *FUi->lvMasters;
  const QSignalBlocker blocker(&list);
  const int current = list.indexOfTopLevelItem(list.currentItem());
  list.clear();
  for (const TMasterServer& master : FLists.Masters) {
    const std::string address = MasterAddressText(master);
    auto* item = new QTreeWidgetItem(QStringList{Text(address), KindText(master)});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, master.Enabled ? Qt::Checked : Qt::Unchecked);
    if (const auto result = FMasterResults.find(address); result != FMasterResults.end()) {
      const TMasterResult& last = result->second;
      item->setText(2, last.Answered ? QStringLiteral("%1 servers at %2")
                                           .arg(last.Servers)
                                           .arg(Text(FMasterTimes[address]))
                                     : Text(last.Error.empty() ? "no answer" : last.Error));
    }
    list.addTopLevelItem(item);
  }
  if (current >= 0 && current < list.topLevelItemCount())
    list.setCurrentItem(list.topLevelItem(current));
  UpdateButtons();
}

void TServerBrowserDlg::MasterItemChanged(QTreeWidgetItem* item) {
  const int index = FUi->lvMasters->indexOfTopLevelItem(item);
  if (index < 0 || static_cast<std::size_t>(index) >= FLists.Masters.size()) return;
  FLists.Masters[static_cast<std::size_t>(index)].Enabled = item->checkState(0) == Qt::Checked;
  SaveLists();
}

void TServerBrowserDlg::AddMasterClick() {
  const std::string address = FUi->edMasterAddress->text().trimmed().toStdString();
  const TMasterKind kind =
      FUi->cbMasterKind->currentIndex() == 1 ? TMasterKind::QuakeWorld : TMasterKind::DpMaster;
  try {
    FLists.AddMaster(address, kind);
  } catch (const EServerListError& e) {
    ShowError(e.what());
    return;
  }
  FUi->edMasterAddress->clear();
  FillMasters();
  FUi->lvMasters->setCurrentItem(
      FUi->lvMasters->topLevelItem(FUi->lvMasters->topLevelItemCount() - 1));
  SaveLists();
}

void TServerBrowserDlg::RemoveMasterClick() {
  const int index = FUi->lvMasters->indexOfTopLevelItem(FUi->lvMasters->currentItem());
  if (index < 0 || !FLists.RemoveMaster(static_cast<std::size_t>(index))) {
    FOptions.Dialogs->Beep();
    return;
  }
  FillMasters();
  SaveLists();
}

void TServerBrowserDlg::GatherSources() {
  if (FFillingSources) return;
  FLists.SearchLan = FUi->cbSearchLan->isChecked();
  FLists.Limits.PacketsPerSecond = FUi->sbPacketRate->value();
  FLists.Limits.PerHostConcurrency = FUi->sbPerHost->value();
}

}  // namespace fx
