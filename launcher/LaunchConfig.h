#pragma once

// A saved launch configuration: the main window's choices as they are stored under
// HKEY_CURRENT_USER "Software\Bolsk\Fraxinel\Configs\<name>".

#include <optional>
#include <string>
#include <vector>

namespace fx {

class TRegistry;

// Fields in the order they are written.
struct TLaunchConfig {
  std::string Gametype;  // display name of the game type
  int Skill = 0;
  int Playmode = 0;  // index of the play-mode rule ("deathmatch")
  int Teamplay = 0;
  int ClientExit = 0;
  std::string NewExe;  // caption of the selected executable; empty when none
  std::string Map;     // the map box's text, title included
  std::string Patch;   // the patch box's text, "(None)" included
  std::vector<std::string> AddParms;
  int QuakeMode = 0;  // play mode 0..4
  int MaxPlayers = 8;
  double FragLimit = 0;
  double TimeLimit = 0;
  std::string ConnectTo;
  bool AutoAim = false;
  bool ConLog = false;
  std::string Hostname;
  bool IgnoreGeneralCmds = false;
  bool EnableFragLimit = false;
  bool EnableTimeLimit = false;

  friend bool operator==(const TLaunchConfig&, const TLaunchConfig&) = default;
};

// Writes every value into the open key of `registry`, in the order of the fields: strings
// as REG_SZ, integers as REG_DWORD, flags as REG_DWORD 0/1, numbers as 8-byte REG_BINARY.
void WriteLaunchConfig(TRegistry& registry, const TLaunchConfig& config);

// The additional commands as one stored text: each line followed by CR LF, so no lines
// give "" and one empty line gives "\r\n".
std::string JoinConfigLines(const std::vector<std::string>& lines);
// The stored text back as lines, breaking at CR LF, LF or CR; a break at the very end
// starts no further line.
std::vector<std::string> SplitConfigLines(const std::string& text);

// The play mode of a key written before "QuakeMode" existed, from "Demo", "ConnectClient",
// "ServerType" and "DemoName".
struct TOldPlayMode {
  std::optional<int> Mode;    // nullopt: a "ServerType" outside 0..2 leaves the mode as it is
  bool DemoPlayback = false;  // the demo name belongs to the playback box, else to recording
  std::string DemoName;

  friend bool operator==(const TOldPlayMode&, const TOldPlayMode&) = default;
};

// Reads the older values from the open key; the three numbers are required, so a missing
// one throws ERegistryException "Failed to get data for '<name>'".
TOldPlayMode ReadOldPlayMode(const TRegistry& registry);

}  // namespace fx
