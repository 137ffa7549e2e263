#include "plugins/VarimixOptionsDlg.h"

#include "plugins/OptionsDialogFrame.h"
#include "plugins/VarimixGameFlags.h"
#include "ui_VarimixOptionsDlg.h"

namespace fx {

TVarimixOptionsDlg::TVarimixOptionsDlg(QWidget* parent)
    : QDialog(parent), FUi(std::make_unique<Ui::VarimixOptionsDlg>()) {
  FUi->setupUi(this);
  FrameOptionsDialog(*this, {224, 186});
}

TVarimixOptionsDlg::~TVarimixOptionsDlg() = default;

void TVarimixOptionsDlg::SetFlags(std::int32_t options) {
  QListWidget& list = *FUi->clbFeatures;
  const TVarimixChoice choice =
      VarimixChoiceFromOptions(options, static_cast<std::size_t>(list.count()));
  for (int i = 0; i < list.count(); ++i) {
    list.item(i)->setCheckState(choice.FeaturesOn[static_cast<std::size_t>(i)] ? Qt::Checked
                                                                               : Qt::Unchecked);
  }
  FUi->cbDebugMode->setChecked(choice.DebugMode);
}

std::int32_t TVarimixOptionsDlg::Flags() const {
  const QListWidget& list = *FUi->clbFeatures;
  TVarimixChoice choice;
  for (int i = 0; i < list.count(); ++i)
    choice.FeaturesOn.push_back(list.item(i)->checkState() == Qt::Checked);
  choice.DebugMode = FUi->cbDebugMode->isChecked();
  return VarimixOptionsFromChoice(choice);
}

}  // namespace fx
