#include "plugins/QtPluginDialogs.h"

#include "plugins/CTFBotOptionsDlg.h"
#include "plugins/CTFOptionsDlg.h"
#include "plugins/RogueCTFDlg.h"

namespace fx {

namespace {

// Shows a dialog that edits rule flags; on OK the flags are the dialog's.
template <typename TDialog>
bool EditFlags(QWidget* parent, std::int32_t& flags) {
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

bool TQtPluginDialogs::ShowCTFOptions(std::int32_t& flags) {
  return EditFlags<TCTFOptionsDlg>(FParent.data(), flags);
}

bool TQtPluginDialogs::ShowCTFBotOptions(std::int32_t& flags) {
  return EditFlags<TCTFBotOptionsDlg>(FParent.data(), flags);
}

}  // namespace fx
