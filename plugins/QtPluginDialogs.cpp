#include "plugins/QtPluginDialogs.h"

#include "plugins/HHOptionsDlg.h"
#include "plugins/RogueCTFDlg.h"
#include "plugins/TFSettingsDlg.h"
#include "plugins/VarimixOptionsDlg.h"

namespace fx {

TQtPluginDialogs::TQtPluginDialogs(QWidget* parent) : FParent(parent) {}

bool TQtPluginDialogs::ShowRogueCTF(std::int32_t& flags) {
  TRogueCTFDlg dialog(FParent.data());
  dialog.SetChoice(RogueCTFChoiceFromFlags(flags));
  if (dialog.exec() != QDialog::Accepted) return false;
  flags = RogueCTFFlagsFromChoice(dialog.Choice());
  return true;
}

bool TQtPluginDialogs::ShowTFSettings(TTFFlags& flags) {
  TTFSettingsDlg dialog(FParent.data());
  dialog.SetFlags(flags);
  if (dialog.exec() != QDialog::Accepted) return false;
  flags = dialog.Flags();
  return true;
}

bool TQtPluginDialogs::ShowHHOptions(std::int32_t& options) {
  THHOptionsDlg dialog(FParent.data());
  dialog.SetChoice(HHChoiceFromOptions(options));
  if (dialog.exec() != QDialog::Accepted) return false;
  options = HHOptionsFromChoice(dialog.Choice());
  return true;
}

bool TQtPluginDialogs::ShowVarimixOptions(std::int32_t& options) {
  TVarimixOptionsDlg dialog(FParent.data());
  dialog.SetOptions(options);
  if (dialog.exec() != QDialog::Accepted) return false;
  options = dialog.Options();
  return true;
}

}  // namespace fx
