#pragma once

#include <vector>

class QWidget;

namespace fx {

// Enables or disables `control` and, recursively, every widget inside it (windows of
// their own excepted). Edit fields inside it get the button-face colour as their
// background while disabled and the normal edit background while enabled, so that a
// group switched off reads as such at a glance. `control` itself keeps its colours.
void EnableControls(QWidget* control, bool enabled);

// EnableControls for each control of the list; null entries are skipped.
void EnableControlList(const std::vector<QWidget*>& controls, bool enabled);

}  // namespace fx
