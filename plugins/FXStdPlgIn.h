#pragma once

// The three plain Quake game types: the standard game and the two mission packs. The
// standard one also supplies the lists that other game types leave to it.

#include <cstdint>

#include "plugins/FXIntf.h"
#include "plugins/PluginDialogs.h"

namespace fx {

// "Quake (Standard)": owns all five lists; the fallback for every other game type.
class TStandardQuakePlugin : public TQuakePlugin {
 public:
  using TQuakePlugin::TQuakePlugin;

  // "coop 1" for a cooperative server; the host itself writes "deathmatch 0" for it.
  std::int32_t GetScriptLineCount() override;
  void GetScriptLine(std::int32_t index, TLongText& line) override;
  void GetFeatures(TPluginFeatures& features) override;
  std::int32_t GetSkillCount() override;
  void GetSkillName(std::int32_t index, TShortName& name) override;
  // The shareware edition has the first nine maps only.
  std::int32_t GetMapCount() override;
  void GetMapName(std::int32_t index, TShortName& name) override;
  std::int32_t GetPlayModeCount() override;
  void GetPlayModeName(std::int32_t index, TShortName& name) override;
  std::int32_t GetTeamplayCount() override;
  void GetTeamplayName(std::int32_t index, TShortName& name) override;
  std::int32_t GetClientExitCount() override;
  void GetClientExitName(std::int32_t index, TShortName& name) override;
};

// "Quake - Scourge of Armagon": its own maps, everything else from the standard game.
class TStandardQuakePluginM1 : public TQuakePlugin {
 public:
  using TQuakePlugin::TQuakePlugin;

  void GetCmdLineSwitches(TLongText& switches) override;
  // One line, always empty: the host writes it as an empty script line.
  std::int32_t GetScriptLineCount() override;
  void GetFeatures(TPluginFeatures& features) override;
  std::int32_t GetMapCount() override;
  void GetMapName(std::int32_t index, TShortName& name) override;
  void GetPicture(TModuleHandle& module, std::int32_t& number) override;
};

// "Quake - Dissolution of Eternity": its own maps and teamplay games, and the team-game
// flags of its capture-the-flag games, edited in a dialog and stored as "RogueGameCfg".
class TStandardQuakePluginM2 : public TQuakePlugin {
 public:
  // `dialogs` shows the options dialog; it must outlive the plug-in.
  TStandardQuakePluginM2(TQuakeStarter& starter, TPluginDialogs& dialogs);

  // The first teamplay index of the capture-the-flag games, where the flags apply.
  static constexpr std::int32_t kFirstCTFTeamplay = 4;

  void GetCmdLineSwitches(TLongText& switches) override;
  // "gamecfg <flags>" for a capture-the-flag server with flags set; otherwise empty.
  std::int32_t GetScriptLineCount() override;
  void GetScriptLine(std::int32_t index, TLongText& line) override;
  void GetFeatures(TPluginFeatures& features) override;
  std::int32_t GetMapCount() override;
  void GetMapName(std::int32_t index, TShortName& name) override;
  std::int32_t GetTeamplayCount() override;
  void GetTeamplayName(std::int32_t index, TShortName& name) override;
  // Switches the host to "Capture the Flag" first (with a message) when it is on a
  // teamplay the flags do not apply to, then shows the dialog; true on OK.
  bool ShowServerOptions() override;
  void SaveOptions(const TLongText& keyPath) override;
  // Keeps the flags when the configuration holds none.
  void LoadOptions(const TLongText& keyPath) override;
  void GetPicture(TModuleHandle& module, std::int32_t& number) override;

  std::int32_t GameFlags() const { return FGameFlags; }
  void SetGameFlags(std::int32_t flags) { FGameFlags = flags; }

 private:
  TPluginDialogs& FDialogs;
  std::int32_t FGameFlags = 0;
};

}  // namespace fx
