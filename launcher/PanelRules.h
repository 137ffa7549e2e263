#pragma once

// Which parts of the main window a play mode and a game type leave visible or enabled.
// The window applies the result to its controls; every rule lives here.

#include <string_view>

#include "launcher/LaunchInput.h"
#include "plugins/FXIntf.h"

namespace fx {

struct TPanelStates {
  // Panels of the "Game" tab.
  bool SkillPanel = false;
  bool MapPanel = false;
  bool DemoRecPanel = false;
  bool DemoPlayPanel = false;
  bool PlayerClassPanel = false;
  bool PlayModePanel = false;
  bool TeamplayPanel = false;
  bool RulesPanel = false;
  bool ClientExitPanel = false;
  bool ClientPanel = false;
  bool AutoAimPanel = false;
  bool ServerOptionsPanel = false;
  bool MaxPlayersPanel = false;
  // The "General" tab.
  bool GameModeOptionsBtn = false;  // enabled
  bool AddOptionsButton = false;    // enabled
  bool GameModeComboBox = true;     // enabled
  bool PatchPanel = false;
  bool NoPatchLabel = false;
  bool ForcePatchNone = false;  // the patch box must show "(None)"
  bool FixedMaps = false;       // the map box is pick-only

  friend bool operator==(const TPanelStates&, const TPanelStates&) = default;
};

// The whole table for a play mode, the active game type's features and the game edition.
TPanelStates PanelStates(int playMode, const TPluginFeatures& features, bool shareware);

// Controls that follow check boxes of the "Game" tab.
struct TDependentStates {
  bool FragLimitEdit = false;  // enabled
  bool TimeLimitEdit = false;
  bool DemoRecControls = false;  // the record box and its browse button enabled
  bool DemoRecNone = false;      // the record box shows "(None)"
};

TDependentStates DependentStates(bool fragLimitChecked, bool timeLimitChecked,
                                 bool recordDemoChecked);

// "(None)" compared without regard to case; the patch "Docs..." button is enabled unless
// the box shows it.
bool IsNoneText(std::string_view text);

}  // namespace fx
