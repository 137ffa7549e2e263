#pragma once

#include <QSize>

class QDialog;

namespace fx {

// A game type's options dialog with a dialog border: fixed, at least the designed client
// size, larger where the fonts need it, centred on the screen.
void FrameOptionsDialog(QDialog& dialog, QSize designed);

}  // namespace fx
