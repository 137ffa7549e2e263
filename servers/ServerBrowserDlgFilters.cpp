// The server browser's filter controls, its named presets and the player search.

#include <QSignalBlocker>
#include <QTreeWidget>

#include <exception>

#include "servers/ServerBrowserDlg.h"
#include "servers/ServerTableModel.h"
#include "ui_ServerBrowserDlg.h"

namespace fx {

namespace {

std::string Std(const QString& text) {
  return text.toStdString();
}

QString Text(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TServerFilter TServerBrowserDlg::GatherFilter() const {
  const auto& ui = *FUi;
  TServerFilter filter;
  filter.Text = Std(ui.edFilterText->text());
  filter.Game = Std(ui.edFilterGame->text());
  filter.Map = Std(ui.edFilterMap->text());
  filter.PingBelow = ui.sbPingBelow->value();
  filter.NotEmpty = ui.cbNotEmpty->isChecked();
  filter.NotFull = ui.cbNotFull->isChecked();
  filter.NoPassword = ui.cbNoPassword->isChecked();
  filter.Families = 0;
  if (ui.cbNetQuake->isChecked()) filter.Families |= kFamilyNetQuake;
  if (ui.cbQuakeWorld->isChecked()) filter.Families |= kFamilyQuakeWorld;
  if (ui.cbDarkPlaces->isChecked()) filter.Families |= kFamilyDarkPlaces;
  return filter;
}

void TServerBrowserDlg::ShowFilter(const TServerFilter& filter) {
  auto& ui = *FUi;
  // One filter pass for the whole preset, not one per control.
  std::vector<std::unique_ptr<QSignalBlocker>> blockers;
  for (QObject* control : std::initializer_list<QObject*>{
           ui.edFilterText, ui.edFilterGame, ui.edFilterMap, ui.sbPingBelow, ui.cbNotEmpty,
           ui.cbNotFull, ui.cbNoPassword, ui.cbNetQuake, ui.cbQuakeWorld, ui.cbDarkPlaces})
    blockers.push_back(std::make_unique<QSignalBlocker>(control));
  ui.edFilterText->setText(Text(filter.Text));
  ui.edFilterGame->setText(Text(filter.Game));
  ui.edFilterMap->setText(Text(filter.Map));
  ui.sbPingBelow->setValue(filter.PingBelow);
  ui.cbNotEmpty->setChecked(filter.NotEmpty);
  ui.cbNotFull->setChecked(filter.NotFull);
  ui.cbNoPassword->setChecked(filter.NoPassword);
  ui.cbNetQuake->setChecked((filter.Families & kFamilyNetQuake) != 0);
  ui.cbQuakeWorld->setChecked((filter.Families & kFamilyQuakeWorld) != 0);
  ui.cbDarkPlaces->setChecked((filter.Families & kFamilyDarkPlaces) != 0);
}

void TServerBrowserDlg::ApplyFilter() {
  FLists.ShowSilent = FUi->cbShowSilent->isChecked();
  FProxy->SetFilter(GatherFilter(), FLists.ShowSilent);
  UpdateStatus();
  UpdateButtons();
}

void TServerBrowserDlg::FillPresets(const std::string& text) {
  QComboBox& box = *FUi->cbPreset;
  const QSignalBlocker blocker(&box);
  box.clear();
  for (const TFilterPreset& preset : FPresets)
    box.addItem(Text(preset.Name));
  box.setCurrentIndex(-1);
  box.setEditText(Text(text));
}

void TServerBrowserDlg::PresetChosen(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= FPresets.size()) return;
  ShowFilter(FPresets[static_cast<std::size_t>(index)].Filter);
  ApplyFilter();
}

void TServerBrowserDlg::SavePresetClick() {
  const std::string name = Std(FUi->cbPreset->currentText().trimmed());
  try {
    FStore.SavePreset({name, GatherFilter()});
    FPresets = FStore.LoadPresets();
  } catch (const std::exception& e) {
    ShowError(e.what());
    return;
  }
  FillPresets(name);
}

void TServerBrowserDlg::DeletePresetClick() {
  const std::string name = Std(FUi->cbPreset->currentText().trimmed());
  const auto preset = std::find_if(FPresets.begin(), FPresets.end(), [&](const auto& p) {
    return p.Name.size() == name.size() && ContainsIgnoringCase(p.Name, name);
  });
  if (preset == FPresets.end()) {
    FOptions.Dialogs->Beep();
    return;
  }
  TMessage question;
  question.Text = "Delete the filter preset \"" + preset->Name + "\"?";
  question.Caption = "Warning";
  question.Icon = TMsgIcon::Warning;
  question.Buttons = TMsgButtons::YesNo;
  question.DefaultButton = TMsgResult::No;
  if (FOptions.Dialogs->ShowMessage(question) != TMsgResult::Yes) return;
  try {
    FStore.DeletePreset(preset->Name);
    FPresets = FStore.LoadPresets();
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
  FillPresets("");
}

void TServerBrowserDlg::SearchPlayers() {
  QTreeWidget& found = *FUi->lvFoundPlayers;
  found.clear();
  const std::string text = Std(FUi->edPlayerSearch->text());
  if (text.empty()) return;
  const std::vector<TServerInfo>& servers = FTable->Servers();
  QList<QTreeWidgetItem*> items;
  for (const TPlayerHit& hit : FindPlayers(servers, text)) {
    const TServerInfo& server = servers[hit.Server];
    auto* item = new QTreeWidgetItem(
        QStringList{Text(QuakeServerText(server.PlayerList[hit.Player].Name)),
                    Text(QuakeServerText(server.Name)), Text(server.Address.ToString())});
    item->setData(0, Qt::UserRole, static_cast<int>(hit.Server));
    items.append(item);
  }
  found.addTopLevelItems(items);
}

void TServerBrowserDlg::FoundPlayerChosen(QTreeWidgetItem* item) {
  if (item != nullptr) SelectRow(item->data(0, Qt::UserRole).toInt());
}

}  // namespace fx
