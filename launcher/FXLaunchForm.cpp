#include "launcher/FXLaunchForm.h"

#include <QCloseEvent>

#include <exception>
#include <iostream>
#include <string>

#include "settings/AppSettings.h"
#include "settings/FXSettings.h"
#include "settings/FormPlacementView.h"
#include "ui/ProgramPictures.h"
#include "ui/QtUserDialogs.h"
#include "ui/ScreenCentre.h"
#include "ui_FXLaunchForm.h"

namespace fx {

namespace {

constexpr const char* kPlacementName = "FXLaunchForm";

}  // namespace

TFXLaunchForm::TFXLaunchForm(QWidget* parent)
    : QMainWindow(parent), FUi(std::make_unique<Ui::FXLaunchForm>()) {
  FUi->setupUi(this);
  setWindowIcon(ProgramIcon());
  connect(FUi->FileExitItem, &QAction::triggered, this, &TFXLaunchForm::FileExitItemClick);
  connect(FUi->OptionsSettingsItem, &QAction::triggered, this,
          &TFXLaunchForm::OptionsSettingsItemClick);
  LoadPlacement();
}

TFXLaunchForm::~TFXLaunchForm() = default;

void TFXLaunchForm::LoadPlacement() {
  try {
    if (const auto placement = FXUserSettings().LoadFormPlacement(kPlacementName)) {
      ApplyFormPlacement(*this, *placement);
      return;
    }
  } catch (const ERegistryException& e) {
    // An unreadable placement is no reason not to start: the window keeps its design.
    std::cerr << "fraxinel: window placement not restored: " << e.what() << '\n';
  }
  CentreOnScreen(*this);
}

void TFXLaunchForm::SavePlacement() {
  try {
    FXUserSettings().SaveFormPlacement(kPlacementName, CaptureFormPlacement(*this));
  } catch (const std::exception& e) {
    ShowError(std::string("The window placement could not be saved.\n\n") + e.what());
  }
}

void TFXLaunchForm::ShowError(const std::string& text) {
  TMessage message;
  message.Text = text;
  message.Icon = TMsgIcon::Error;
  TQtUserDialogs(this).ShowMessage(message);
}

void TFXLaunchForm::closeEvent(QCloseEvent* event) {
  SavePlacement();
  QMainWindow::closeEvent(event);
}

void TFXLaunchForm::FileExitItemClick() {
  close();
}

void TFXLaunchForm::OptionsSettingsItemClick() {
  try {
    FXSettings().Edit();
  } catch (const std::exception& e) {
    ShowError(e.what());
    return;
  }
  // The icon animation and the controls that depend on the game edition follow the
  // settings here once the window has them.
}

}  // namespace fx
