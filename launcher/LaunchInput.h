#pragma once

// What the main window hands to a launch: the state of its controls at the moment the user
// starts the game, as plain values. The window copies texts as they stand; the launch
// applies the "(None)" rules, the map-name cut and the lower-casing itself.

#include <string>
#include <vector>

namespace fx {

// Item indexes of the play-mode box.
enum TPlayMode : int {
  kPlaySingle = 0,
  kPlayListen = 1,
  kPlayDedicated = 2,
  kPlayClient = 3,
  kPlayDemo = 4,
};

// Listen or dedicated server.
inline bool IsServerMode(int playMode) {
  return playMode == kPlayListen || playMode == kPlayDedicated;
}

struct TLaunchInput {
  int PlayMode = kPlaySingle;
  std::string Hostname = "Unnamed";
  int Skill = 0;
  bool RecordDemo = false;
  std::string DemoRecord;  // text of the record box
  std::string DemoPlay;    // text of the playback box
  bool AutoAim = false;
  // Index and shown text of the selected item of each server list; the texts appear in the
  // server summary.
  int PlayModeRule = 0;
  std::string PlayModeRuleText;
  int Teamplay = 0;
  std::string TeamplayText;
  int ClientExit = 0;
  std::string ClientExitText;
  bool Pausable = false;
  bool FragLimitOn = false;
  double FragLimit = 0;
  bool TimeLimitOn = false;
  double TimeLimit = 0;
  std::string Server;  // text of the connect box
  bool IgnoreGeneralCmds = false;
  std::vector<std::string> AddCmds;  // lines of the additional-commands memo
  // The map box: the selected item's text when the box is pick-only (empty when nothing is
  // selected), otherwise the typed text.
  std::string MapText;
  std::string Patch;  // text of the patch box
  int MaxPlayers = 0;
  bool SaveLog = false;
  std::string ExtraParams;  // text of the command-line field
};

}  // namespace fx
