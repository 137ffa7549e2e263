#include "plugins/RogueCTFDlg.h"

#include "plugins/OptionsDialogFrame.h"
#include "ui_RogueCTFDlg.h"

namespace fx {

TRogueCTFDlg::TRogueCTFDlg(QWidget* parent)
    : QDialog(parent), FUi(std::make_unique<Ui::RogueCTFDlg>()) {
  FUi->setupUi(this);
  FrameOptionsDialog(*this, {220, 148});
}

TRogueCTFDlg::~TRogueCTFDlg() = default;

void TRogueCTFDlg::SetChoice(const TRogueCTFChoice& choice) {
  FUi->cbHealth->setChecked(choice.HealthProtect);
  FUi->cbArmor->setChecked(choice.ArmorProtect);
  FUi->cbRunes->setChecked(choice.Runes);
  FUi->cbUseColor->setChecked(choice.UseColor);
  FUi->cbAllowChange->setChecked(choice.AllowChange);
}

TRogueCTFChoice TRogueCTFDlg::Choice() const {
  TRogueCTFChoice choice;
  choice.HealthProtect = FUi->cbHealth->isChecked();
  choice.ArmorProtect = FUi->cbArmor->isChecked();
  choice.Runes = FUi->cbRunes->isChecked();
  choice.UseColor = FUi->cbUseColor->isChecked();
  choice.AllowChange = FUi->cbAllowChange->isChecked();
  return choice;
}

}  // namespace fx
