// The main window's server browser: "Find Servers..." beside the server box and in the
// "&File" menu, and the join that follows it.

#include <QPushButton>

#include <exception>

#include "launcher/FXLaunchForm.h"
#include "launcher/PanelRules.h"
#include "servers/ServerBrowserDlg.h"
#include "servers/ServerQueryRunner.h"
#include "settings/FXSettings.h"
#include "ui_FXLaunchForm.h"

namespace fx {

namespace {

std::unique_ptr<TServerSource> ProgramServerSource() {
  return std::make_unique<TServerQueryRunner>();
}

}  // namespace

void TFXLaunchForm::SetUpServerBrowser(const TLaunchFormOptions& options) {
  FMakeServerSource = options.ServerSource ? options.ServerSource : ProgramServerSource;
  connect(FUi->FindServersBtn, &QPushButton::clicked, this, &TFXLaunchForm::FindServersClick);
  connect(FUi->miFindServers, &QAction::triggered, this, &TFXLaunchForm::FindServersClick);
}

void TFXLaunchForm::FindServersClick() {
  try {
    if (!FServerSource) FServerSource = FMakeServerSource();
  } catch (const std::exception& e) {
    ReportException(e);
    return;
  }
  TServerBrowserOptions options;
  options.Dialogs = FDialogs;
  if (const int exe = SelectedExe(); exe >= 0)
    options.ProgramFile = FExes[static_cast<std::size_t>(exe)].ExeName;
  options.GameFolder = GameFolder();
  TServerBrowserDlg dialog(*FServerSource, std::move(options), this);
  if (dialog.exec() != QDialog::Accepted || !dialog.Chosen()) return;
  JoinServer(*dialog.Chosen());
}

void TFXLaunchForm::JoinServer(const TServerJoinChoice& choice) {
  // Only the address reaches the script, inside the quotes of its "connect" line.
  SetConnectTo(choice.Server.Address.ToString());
  // A game type with its own way of choosing the mod (or the shareware edition) keeps it.
  const bool patchable =
      PanelStates(kPlayClient, ActiveFeatures(), FXSettings().Shareware()).PatchPanel;
  if (!choice.ModFolder.empty() && patchable) SetPatchText(choice.ModFolder);
  SetPlayMode(kPlayClient);
  MarkModified();
  LaunchNow();
}

}  // namespace fx
