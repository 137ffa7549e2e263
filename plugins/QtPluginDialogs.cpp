#include "plugins/QtPluginDialogs.h"

#include "plugins/RogueCTFDlg.h"

namespace fx {

TQtPluginDialogs::TQtPluginDialogs(QWidget* parent) : FParent(parent) {}

bool TQtPluginDialogs::ShowRogueCTF(std::int32_t& flags) {
  TRogueCTFDlg dialog(FParent.data());
  dialog.SetChoice(RogueCTFChoiceFromFlags(flags));
  if (dialog.exec() != QDialog::Accepted) return false;
  flags = RogueCTFFlagsFromChoice(dialog.Choice());
  return true;
}

}  // namespace fx
