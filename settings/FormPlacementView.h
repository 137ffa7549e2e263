#pragma once

#include "settings/AppSettings.h"

class QWidget;

namespace fx {

// A window's placement for TAppSettings::SaveFormPlacement. The rectangle is the normal
// (not maximised, not minimised) geometry of the window's client area, which is what
// ApplyFormPlacement sets again; taking the frame into one side only would move the
// window by the frame's size on every start.
TFormPlacement CaptureFormPlacement(const QWidget& form);

// Whether the user may resize the window: its minimum and maximum size differ and it
// does not carry Qt::MSWindowsFixedSizeDialogHint.
bool IsResizable(const QWidget& form);

// Puts a window where a stored placement says: the position always, the size only when
// the window is resizable (a fixed dialog keeps its designed size), then the state.
// Call it before the window is shown; a state other than 0, 1 and 2 counts as normal.
void ApplyFormPlacement(QWidget& form, const TFormPlacement& placement);

}  // namespace fx
