#include "plugins/RogueCTFDlg.h"

#include <algorithm>

#include "ui/ScreenCentre.h"
#include "ui_RogueCTFDlg.h"

namespace fx {

namespace {

constexpr int kClientWidth = 220;
constexpr int kClientHeight = 148;

}  // namespace

TRogueCTFDlg::TRogueCTFDlg(QWidget* parent)
    : QDialog(parent), FUi(std::make_unique<Ui::RogueCTFDlg>()) {
  FUi->setupUi(this);
  // A dialog border: fixed, at least the designed size, larger where the fonts need it.
  const QSize hint = sizeHint();
  setFixedSize(std::max(hint.width(), kClientWidth), std::max(hint.height(), kClientHeight));
  CentreOnScreen(*this);
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
