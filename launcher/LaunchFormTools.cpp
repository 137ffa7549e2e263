// The main window's "&Tools" menu, "&Configure Tools..." and "&About".
#include <QMenu>

#include <exception>
#include <memory>

#include "launcher/FXLaunchForm.h"
#include "platform/Registry.h"
#include "settings/FXSettings.h"
#include "tools/EditToolsDlg.h"
#include "tools/FXTools.h"
#include "tools/ToolsMenu.h"
#include "ui/FXAboutDlg.h"
#include "ui_FXLaunchForm.h"

namespace fx {

void TFXLaunchForm::SetUpTools(const TLaunchFormOptions& options) {
  FTools = options.Tools != nullptr ? options.Tools : LiveToolList();
  if (FTools == nullptr) {
    FOwnTools = std::make_unique<TToolList>();
    FTools = FOwnTools.get();
    try {
      TRegistry registry;
      FTools->Load(registry);
    } catch (const std::exception& e) {
      ReportException(e);
    }
  }
  connect(FUi->miConfigureTools, &QAction::triggered, this, &TFXLaunchForm::miConfigureToolsClick);
  connect(FUi->HelpAboutItem, &QAction::triggered, this, &TFXLaunchForm::HelpAboutItemClick);
  BuildToolsMenu();
}

void TFXLaunchForm::BuildToolsMenu() {
  fx::BuildToolsMenu(*FUi->ToolsMenu, *FTools, [this](int index) { ToolItemClick(index); });
}

void TFXLaunchForm::miConfigureToolsClick() {
  try {
    TRegistry registry;
    EditTools(*FTools, registry, GameFolder(), this, *FDialogs);
  } catch (const std::exception& e) {
    ReportException(e);
  }
  // The list in memory holds the changes even when they could not be saved.
  BuildToolsMenu();
}

void TFXLaunchForm::ToolItemClick(int index) {
  if (index < 0 || index >= static_cast<int>(FTools->Items.size())) return;
  try {
    FTools->Items[static_cast<std::size_t>(index)].Run();
  } catch (const EToolError& e) {
    ReportException(e);
  }
}

void TFXLaunchForm::HelpAboutItemClick() {
  TAboutOptions options;
  options.Dialogs = FDialogs;
  TFXAboutDlg about(this, options);
  about.exec();
}

}  // namespace fx
