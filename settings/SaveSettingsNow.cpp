#include "settings/SaveSettingsNow.h"

#include "settings/FXSettings.h"
#include "ui/QtUserDialogs.h"

namespace fx {

bool SaveProgramSettingsNow(QWidget* parent) {
  TQtUserDialogs dialogs(parent);
  return SaveProgramSettingsNow(FXUserSettings(), FXSettings(), dialogs);
}

}  // namespace fx
