#include "plugins/HHOptionsDlg.h"

#include <QAbstractButton>

#include <algorithm>

#include "plugins/OptionsDialogFrame.h"
#include "ui_HHOptionsDlg.h"

namespace fx {

THHOptionsDlg::THHOptionsDlg(QWidget* parent)
    : QDialog(parent), FUi(std::make_unique<Ui::HHOptionsDlg>()) {
  FUi->setupUi(this);
  // The lag index is the button's id, in the order the group shows them.
  int id = 0;
  for (QAbstractButton* button :
       {FUi->rbMaximumLag, FUi->rbHighLag, FUi->rbLowerLag, FUi->rbLeastLag})
    FLagButtons.addButton(button, id++);
  connect(FUi->tbMaxHeads, &QSlider::valueChanged, this, &THHOptionsDlg::tbMaxHeadsChange);
  FrameOptionsDialog(*this, {347, 229});
}

THHOptionsDlg::~THHOptionsDlg() = default;

void THHOptionsDlg::SetChoice(const THHChoice& choice) {
  auto& ui = *FUi;
  ui.cbCustom->setChecked(choice.Custom);
  ui.cbGrapple->setChecked(choice.Grapple);
  ui.cbLevelVoting->setChecked(choice.LevelVoting);
  ui.cbFragsForKills->setChecked(choice.FragsForKills);
  ui.cbSumScoring->setChecked(choice.SumScoring);
  ui.cbDeathMsgs->setChecked(choice.DeathMsgs);
  ui.cbHeadPickupMsgs->setChecked(choice.HeadPickupMsgs);
  ui.cbAltarMsgs->setChecked(choice.AltarMsgs);
  if (QAbstractButton* lag = FLagButtons.button(choice.Lag)) lag->setChecked(true);
  ui.tbMaxHeads->setValue(choice.MaxHeads);
  // The value may not have changed, and the label must show it all the same.
  tbMaxHeadsChange(ui.tbMaxHeads->value());
}

THHChoice THHOptionsDlg::Choice() const {
  const auto& ui = *FUi;
  THHChoice choice;
  choice.Custom = ui.cbCustom->isChecked();
  choice.Grapple = ui.cbGrapple->isChecked();
  choice.LevelVoting = ui.cbLevelVoting->isChecked();
  choice.FragsForKills = ui.cbFragsForKills->isChecked();
  choice.SumScoring = ui.cbSumScoring->isChecked();
  choice.DeathMsgs = ui.cbDeathMsgs->isChecked();
  choice.HeadPickupMsgs = ui.cbHeadPickupMsgs->isChecked();
  choice.AltarMsgs = ui.cbAltarMsgs->isChecked();
  choice.MaxHeads = ui.tbMaxHeads->value();
  choice.Lag = std::max(FLagButtons.checkedId(), 0);
  return choice;
}

void THHOptionsDlg::tbMaxHeadsChange(int position) {
  FUi->VisHeadLabel->setText(QString::fromStdString(VisibleHeadsText(position)));
}

}  // namespace fx
