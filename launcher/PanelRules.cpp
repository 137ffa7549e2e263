#include "launcher/PanelRules.h"

#include "launcher/ScriptText.h"
#include "plugins/GameTypeSelection.h"

namespace fx {

TPanelStates PanelStates(int playMode, const TPluginFeatures& features, bool shareware) {
  const bool server = IsServerMode(playMode);
  const bool local = playMode == kPlaySingle || server;  // a game runs on this machine
  TPanelStates s;
  s.AutoAimPanel = local;
  s.ServerOptionsPanel = server;
  s.MaxPlayersPanel = server;
  s.RulesPanel = server;
  s.ClientPanel = playMode == kPlayClient;
  s.DemoRecPanel = playMode == kPlaySingle || playMode == kPlayListen || playMode == kPlayClient;
  s.DemoPlayPanel = playMode == kPlayDemo;
  s.SkillPanel = local && !features.NoSkill;
  s.MapPanel = local && !features.NoMap;
  s.PlayModePanel = server && !features.NoPlayMode;
  s.TeamplayPanel = server;
  s.ClientExitPanel = server && !features.NoClientExit;
  s.PlayerClassPanel =
      (playMode == kPlaySingle || playMode == kPlayListen || playMode == kPlayClient) &&
      features.HasPlayerClasses;
  s.GameModeOptionsBtn = features.HasOptions;
  s.AddOptionsButton = server && features.HasServerOptions;
  s.FixedMaps = features.FixedMaps;
  // The shareware edition cannot load other game types or patches.
  s.GameModeComboBox = !shareware;
  s.PatchPanel = !shareware && !features.NoPatch;
  s.NoPatchLabel = !shareware;
  s.ForcePatchNone = shareware;
  return s;
}

TDependentStates DependentStates(bool fragLimitChecked, bool timeLimitChecked,
                                 bool recordDemoChecked) {
  TDependentStates s;
  s.FragLimitEdit = fragLimitChecked;
  s.TimeLimitEdit = timeLimitChecked;
  s.DemoRecControls = recordDemoChecked;
  s.DemoRecNone = !recordDemoChecked;
  return s;
}

bool IsNoneText(std::string_view text) {
  return EqualsIgnoringCase(text, kNoneText);
}

}  // namespace fx
