#pragma once

class QWidget;

namespace fx {

// Saves the program-wide settings objects (FXSettings(), FXUserSettings()) at once, through
// the same objects and registry store as the save at the end: for what the user has just
// confirmed, so that it outlives a crash, a lost display or a kill. A failure is shown in a
// message box over `parent` as at the end; the values stay in memory for the next save.
// Returns whether they were saved.
bool SaveProgramSettingsNow(QWidget* parent = nullptr);

}  // namespace fx
