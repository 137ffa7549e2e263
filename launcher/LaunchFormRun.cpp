// The main window's additions around a launch: the command-line preview, the game's output
// and its early-exit check, installed engines, and starting a configuration from outside.

#include <QCoreApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>

#include <cstdlib>
#include <utility>

#include "launcher/ConfigShortcut.h"
#include "launcher/Configurations.h"
#include "launcher/FXLaunchForm.h"
#include "launcher/GameOutput.h"
#include "launcher/GameOutputWatch.h"
#include "platform/Shell.h"
#include "platform/SpecialFolders.h"
#include "settings/FXSettings.h"
#include "ui_FXLaunchForm.h"

namespace fx {

namespace {

constexpr const char* kProgramIconName = "fraxinel";

}  // namespace

void TFXLaunchForm::SetUpLaunchExtras(const TLaunchFormOptions& options) {
  FOutputFolder = options.GameOutputFolder.value_or(std::filesystem::path());
  FFindEngines = options.FindEngines ? options.FindEngines : [] { return FindInstalledEngines(); };
  FDesktopFolder = options.DesktopFolder.value_or(TXdgFolders().Desktop());
  FUi->FileShowOutputItem->setEnabled(!FOutputFolder.empty());
  FCfgPopupMenu = new QMenu(this);  // owned by the window
  FCfgPopupMenu->addAction(FUi->miCfgCreateShortcut);
  FUi->CfgComboBox->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(FUi->CfgComboBox, &QWidget::customContextMenuRequested, this,
          &TFXLaunchForm::CfgPopupMenuPopup);
  connect(FUi->miCfgCreateShortcut, &QAction::triggered, this,
          &TFXLaunchForm::miCfgCreateShortcutClick);
  connect(FUi->miExeAddEngines, &QAction::triggered, this, &TFXLaunchForm::miExeAddEnginesClick);
  connect(FUi->FileShowOutputItem, &QAction::triggered, this,
          &TFXLaunchForm::FileShowOutputItemClick);
}

void TFXLaunchForm::UpdateCommandPreview() {
  QLineEdit* preview = FUi->edCommandLine;
  const bool shown = FXUserSettings().ShowCmdLine();
  preview->setVisible(shown);
  const int exe = SelectedExe();
  // The list and the entries change apart for a moment while an entry is removed.
  const bool known = exe >= 0 && exe < static_cast<int>(FExes.size());
  if (!shown || !known || ActivePlugin() == nullptr) {
    preview->clear();
    return;
  }
  try {
    TLongText switches;
    ActivePlugin()->GetCmdLineSwitches(switches);
    const TLaunchInput input = GatherLaunchInput();
    const TQuakeExe& entry = FExes[static_cast<std::size_t>(exe)];
    const TLaunchDisk disk = PlanLaunchDisk(input, FXSettings(), entry, CurrentUserHomes());
    const TExeStart start = PlanLaunchStart(input, switches.View(), FXSettings(), entry, disk);
    preview->setText(QString::fromStdString(CommandPreview(start)));
    preview->setToolTip(
        QStringLiteral("Started in %1").arg(QString::fromStdString(start.Directory)));
    ShowScriptPlace(disk.Place);
    preview->setCursorPosition(0);
  } catch (const std::exception& e) {
    preview->setText(QString::fromStdString(e.what()));
  }
}

void TFXLaunchForm::ShowScriptPlace(const TScriptPlace& place) {
  QLineEdit* preview = FUi->edCommandLine;
  preview->setText(preview->text() + QString::fromStdString(ScriptPlaceNote(place)));
  preview->setToolTip(preview->toolTip() + QStringLiteral("\nScript: ") +
                      QString::fromStdString(place.MainScriptPath().string()));
}

void TFXLaunchForm::FollowLaunch(TLaunchResult& result) {
  if (result.Problem) ReportStartProblem(*result.Problem);
  const bool close = std::exchange(FCloseAfterStart, false);
  if (!result.Watch.Active()) {
    if (close) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    return;
  }
  auto* watch = new TGameOutputWatch(std::move(result.Watch), StartedProgram(result.Start),
                                     result.OutputFile, *FDialogs, this);  // the window owns it
  ++FGameChecks;
  // A game that ends at once with a failure keeps the window, so its message is seen and
  // the choice can be mended; one that runs on (or ends well) closes it.
  connect(watch, &TGameOutputWatch::finished, this, [this, watch, close](bool failed) {
    --FGameChecks;
    FGameFailed = FGameFailed || failed;
    watch->deleteLater();
    if (close && !failed) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  });
}

void TFXLaunchForm::ReportStartProblem(const TStartProblem& problem) {
  const int row = SelectedExe();
  if (row < 0 || row >= static_cast<int>(FExes.size())) return;
  RefreshExeItem(row);
  const TMessage message =
      StartProblemMessage(problem, FExes[static_cast<std::size_t>(row)].Name());
  if (FDialogs->ShowMessage(message) == TMsgResult::Yes) miExePropertiesClick();
}

bool TFXLaunchForm::WaitForGameChecks() {
  QEventLoop loop;
  while (FGameChecks > 0)
    loop.processEvents(QEventLoop::WaitForMoreEvents);
  return !FGameFailed;
}

bool TFXLaunchForm::LaunchSavedConfiguration(const std::string& name) {
  FStoreOnClose = false;
  try {
    FConfigs->Load(name);
  } catch (const std::exception& e) {
    ReportException(e);
    return false;
  }
  // What the controls hold now is no copy of the configuration: starting it would start
  // something else under its name.
  if (!FConfigs->LoadProblem().empty()) {
    TMessage message;
    message.Text =
        "The configuration \"" + name + "\" was not launched.\n\n" + FConfigs->LoadProblem();
    message.Caption = "Error";
    message.Icon = TMsgIcon::Error;
    FDialogs->ShowMessage(message);
    return false;
  }
  return LaunchNow();
}

void TFXLaunchForm::FileShowOutputItemClick() {
  if (const auto newest = NewestGameOutput(FOutputFolder)) {
    ShellExecute("open", newest->string(), "", newest->parent_path().string());
    return;
  }
  TMessage message;
  message.Text = "No game output has been kept yet.\n\nIt is kept in " + FOutputFolder.string();
  message.Icon = TMsgIcon::Information;
  FDialogs->ShowMessage(message);
}

void TFXLaunchForm::miExeAddEnginesClick() {
  const TQuakeExeList missing =
      MissingEngines(FExes, FFindEngines(), FXSettings().QPath(), ProcessPathVariable());
  if (missing.empty()) {
    TMessage message;
    message.Text = "No other installed engines were found.";
    message.Icon = TMsgIcon::Information;
    FDialogs->ShowMessage(message);
    return;
  }
  const int first = static_cast<int>(FExes.size());
  for (const TQuakeExe& exe : missing) {
    FExes.push_back(exe);
    AddExeItem(FExes.back());
  }
  FUi->lvExe->setCurrentRow(first);
  MarkModified();
}

void TFXLaunchForm::CfgPopupMenuPopup(const QPoint& position) {
  const std::string name = FUi->CfgComboBox->currentText().toStdString();
  FUi->miCfgCreateShortcut->setEnabled(!name.empty() && ConfigurationExists(name));
  FCfgPopupMenu->popup(FUi->CfgComboBox->mapToGlobal(position));
}

void TFXLaunchForm::miCfgCreateShortcutClick() {
  const std::string name = FUi->CfgComboBox->currentText().toStdString();
  if (name.empty() || !ConfigurationExists(name)) {
    FDialogs->Beep();
    return;
  }
  const std::filesystem::path file = ConfigShortcutFile(FDesktopFolder, name);
  const TShortcut shortcut =
      ConfigShortcut(QCoreApplication::applicationFilePath().toStdString(), name, kProgramIconName);
  TMessage message;
  if (CreateShortcut(shortcut, file, ConfigShortcutArguments(name))) {
    message.Text = "The shortcut was written to:\n" + file.string();
    message.Icon = TMsgIcon::Information;
  } else {
    message.Text = "The shortcut could not be written to:\n" + file.string();
    message.Icon = TMsgIcon::Error;
  }
  FDialogs->ShowMessage(message);
}

}  // namespace fx
