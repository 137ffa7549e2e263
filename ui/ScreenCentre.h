#pragma once

class QScreen;
class QWidget;

namespace fx {

// Moves the window, frame included, to the centre of the screen's available area (the
// given screen, else the window's own, else the primary one).
void CentreOnScreen(QWidget& window, const QScreen* screen = nullptr);

}  // namespace fx
