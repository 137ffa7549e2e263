#include "plugins/QtPluginDialogs.h"

#include "plugins/CTFBotOptionsDlg.h"
#include "plugins/CTFOptionsDlg.h"
#include "plugins/HHOptionsDlg.h"
#include "plugins/RogueCTFDlg.h"
#include "plugins/TFSettingsDlg.h"
#include "plugins/VarimixOptionsDlg.h"

namespace fx {

namespace {

// Shows a dialog that edits rule flags; on OK the flags are the dialog's.
template <typename TDialog, typename TFlags>
bool EditFlags(QWidget* parent, TFlags& flags) {
  TDialog dialog(parent);
  dialog.SetFlags(flags);
  if (dialog.exec() != QDialog::Accepted) return false;
  flags = dialog.Flags();
  return true;
}

}  // namespace

TQtPluginDialogs::TQtPluginDialogs(QWidget* parent) : FParent(parent) {}

bool TQtPluginDialogs::ShowRogueCTF(std::int32_t& flags) {
  TRogueCTFDlg dialog(FParent.data());
  dialog.SetChoice(RogueCTFChoiceFromFlags(flags));
  if (dialog.exec() != QDialog::Accepted) return false;
  flags = RogueCTFFlagsFromChoice(dialog.Choice());
  return true;
}

bool TQtPluginDialogs::ShowTFSettings(TTFFlags& flags) {
  return EditFlags<TTFSettingsDlg>(FParent.data(), flags);
}

bool TQtPluginDialogs::ShowHHOptions(std::int32_t& options) {
  THHOptionsDlg dialog(FParent.data());
  dialog.SetChoice(HHChoiceFromOptions(options));
  if (dialog.exec() != QDialog::Accepted) return false;
  options = HHOptionsFromChoice(dialog.Choice());
  return true;
}

bool TQtPluginDialogs::ShowVarimixOptions(std::int32_t& options) {
  return EditFlags<TVarimixOptionsDlg>(FParent.data(), options);
}

bool TQtPluginDialogs::ShowCTFOptions(std::int32_t& flags) {
  return EditFlags<TCTFOptionsDlg>(FParent.data(), flags);
}

bool TQtPluginDialogs::ShowCTFBotOptions(std::int32_t& flags) {
  return EditFlags<TCTFBotOptionsDlg>(FParent.data(), flags);
}

}  // namespace fx
