#include "plugins/OptionsDialogFrame.h"

#include <QDialog>

#include "ui/ScreenCentre.h"

namespace fx {

void FrameOptionsDialog(QDialog& dialog, QSize designed) {
  dialog.setFixedSize(dialog.sizeHint().expandedTo(designed));
  CentreOnScreen(dialog);
}

}  // namespace fx
