// The main window as the saved configurations see it.

#include <QComboBox>

#include "exes/TextQuery.h"
#include "launcher/Configurations.h"
#include "launcher/FXLaunchForm.h"
#include "ui_FXLaunchForm.h"

namespace fx {

namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

void TFXLaunchForm::SaveCfgBtnClick() {
  try {
    FConfigs->SaveAs();
  } catch (const std::exception& e) {
    ReportException(e);
  }
}

void TFXLaunchForm::DeleteCfgBtnClick() {
  try {
    FConfigs->DeleteSelected();
  } catch (const std::exception& e) {
    ReportException(e);
  }
}

void TFXLaunchForm::CfgComboBoxChange(int index) {
  try {
    FConfigs->ChooseEntry(index);
  } catch (const std::exception& e) {
    ReportException(e);
  }
}

std::vector<std::string> TFXLaunchForm::ConfigNames() const {
  std::vector<std::string> names;
  for (int i = 0; i < FUi->CfgComboBox->count(); ++i)
    names.push_back(FUi->CfgComboBox->itemText(i).toStdString());
  return names;
}

void TFXLaunchForm::AddConfigName(const std::string& name) {
  // The box keeps "(Default)" first and the rest sorted as the file system would not:
  // without regard to case.
  QComboBox* box = FUi->CfgComboBox;
  const QString text = Text(name);
  int row = 1;
  while (row < box->count() && QString::compare(box->itemText(row), text, Qt::CaseInsensitive) < 0)
    ++row;
  const QSignalBlocker blocker(box);
  box->insertItem(row, text);
}

void TFXLaunchForm::RemoveConfigName(const std::string& name) {
  QComboBox* box = FUi->CfgComboBox;
  const int row = box->findText(Text(name));
  if (row < 0) return;
  const QSignalBlocker blocker(box);
  box->removeItem(row);
}

int TFXLaunchForm::SelectedConfig() const {
  return FUi->CfgComboBox->currentIndex();
}

void TFXLaunchForm::SelectConfig(int index) {
  const QSignalBlocker blocker(FUi->CfgComboBox);
  FUi->CfgComboBox->setCurrentIndex(index >= 0 && index < FUi->CfgComboBox->count() ? index : -1);
}

void TFXLaunchForm::SetDeleteEnabled(bool enabled) {
  FUi->DeleteCfgBtn->setEnabled(enabled);
}

TLaunchConfig TFXLaunchForm::GatherConfig() const {
  const auto& ui = *FUi;
  TLaunchConfig config;
  config.Gametype = ui.GameModeComboBox->currentText().toStdString();
  config.Skill = ui.cbSkill->currentIndex();
  config.Playmode = ui.MultiPlayModeComboBox->currentIndex();
  config.Teamplay = ui.TeamplayComboBox->currentIndex();
  config.ClientExit = ui.ClientExitComboBox->currentIndex();
  const int exe = SelectedExe();
  config.NewExe = exe >= 0 ? FExes[static_cast<std::size_t>(exe)].Name() : std::string();
  const TLaunchInput input = GatherLaunchInput();
  config.Map = input.MapText;
  config.Patch = input.Patch;
  config.AddParms = input.AddCmds;
  config.QuakeMode = FPlayMode;
  config.MaxPlayers = input.MaxPlayers;
  config.FragLimit = input.FragLimit;
  config.TimeLimit = input.TimeLimit;
  config.ConnectTo = input.Server;
  config.AutoAim = input.AutoAim;
  config.ConLog = input.SaveLog;
  config.Hostname = input.Hostname;
  config.IgnoreGeneralCmds = input.IgnoreGeneralCmds;
  config.EnableFragLimit = input.FragLimitOn;
  config.EnableTimeLimit = input.TimeLimitOn;
  return config;
}

std::optional<std::string> TFXLaunchForm::AskConfigName(const std::string& proposal) {
  std::string name = proposal;
  if (!EnterText("Save Configuration", "Enter a name for the new Configuration:", name, this))
    return std::nullopt;
  return name;
}

TQuakePlugin* TFXLaunchForm::ActivePlugin() {
  return FSelector ? FSelector->Current() : nullptr;
}

TPluginFeatures TFXLaunchForm::ActiveFeatures() {
  return FSelector ? FSelector->Features() : TPluginFeatures{};
}

bool TFXLaunchForm::SelectGameType(const std::string& name) {
  const auto type = FindGameType(name);
  if (!type) return false;
  for (std::size_t i = 0; i < FGameTypes.size(); ++i) {
    if (FGameTypes[i].Type != *type) continue;
    FUi->GameModeComboBox->setCurrentIndex(static_cast<int>(i));
    GameModeComboBoxChange(static_cast<int>(i));
    return true;
  }
  return false;  // a game type the program has no plug-in for yet
}

void TFXLaunchForm::SetItemIndex(TConfigList list, int index) {
  switch (list) {
    case TConfigList::Skill:
      return SetItemIndex(THostList::Skill, index);
    case TConfigList::PlayModeRule:
      return SetItemIndex(THostList::PlayMode, index);
    case TConfigList::Teamplay:
      return SetItemIndex(THostList::Teamplay, index);
    case TConfigList::ClientExit:
      return SetItemIndex(THostList::ClientExit, index);
  }
}

void TFXLaunchForm::SetDemoRecText(const std::string& text) {
  FUi->cbDemoRec->setEditText(Text(text));
}

void TFXLaunchForm::SetDemoPlayText(const std::string& text) {
  FUi->cbDemoPlay->setEditText(Text(text));
}

void TFXLaunchForm::SetMaxPlayers(int players) {
  FUi->tbMaxPlayers->setValue(players);
  MaxPlayersTrackBarChange(FUi->tbMaxPlayers->value());
}

void TFXLaunchForm::SetFragLimit(double value) {
  FUi->edFraglimit->SetValue(value);
}

void TFXLaunchForm::SetTimeLimit(double value) {
  FUi->edTimeLimit->SetValue(value);
}

void TFXLaunchForm::SetConnectTo(const std::string& text) {
  FUi->ConnectComboBox->setEditText(Text(text));
}

void TFXLaunchForm::SetAddParms(const std::vector<std::string>& lines) {
  QStringList text;
  for (const std::string& line : lines)
    text << Text(line);
  FUi->AddCmdMemo->setPlainText(text.join(QLatin1Char('\n')));
}

void TFXLaunchForm::SetAutoAim(bool checked) {
  FUi->cbAutoAim->setChecked(checked);
}

void TFXLaunchForm::SetConLog(bool checked) {
  FUi->cbSaveLog->setChecked(checked);
}

void TFXLaunchForm::SetIgnoreGeneralCmds(bool checked) {
  FUi->cbIgnoreGeneralCmds->setChecked(checked);
}

void TFXLaunchForm::SetFragLimitEnabled(bool checked) {
  FUi->cbFraglimit->setChecked(checked);
  RefreshDependentControls();
}

void TFXLaunchForm::SetTimeLimitEnabled(bool checked) {
  FUi->cbTimelimit->setChecked(checked);
  RefreshDependentControls();
}

}  // namespace fx
