#include "plugins/CTFQuakePlugIn.h"

#include <array>
#include <string>
#include <string_view>

#include "plugins/CTFRuleFlags.h"
#include "plugins/OptionsKey.h"
#include "plugins/PluginHelpers.h"
#include "plugins/StandardMaps.h"

namespace fx {

namespace {

constexpr std::array<std::string_view, 17> kOwnMaps = {
    "CTFSTART: Introduction",
    "CTF1: McKinley Base",
    "CTF2: The Kiln",
    "CTF3: DySpHoRiA",
    "CTF4: The Forgotten Mines",
    "CTF5: Da Ancient War Grounds",
    "CTF6: Vertigo",
    "CTF7: Tale of Two Cities",
    "CTF8: The StrongBox",
    "CTF2M1: McKinley Station",
    "CTF2M2: The Warzone",
    "CTF2M3: Spill the Blood",
    "CTF2M4: Ruins of NeoMinonk",
    "CTF2M5: Disciple War Grounds",
    "CTF2M6: The Two Towers",
    "CTF2M7: Gloom Castles",
    "CTF2M8: Capturephobolis",
};

constexpr std::array<std::string_view, 3> kPlayModes = {
    "Deathmatch (respawning weapons)", "Deathmatch (staying weapons)",
    "Deathmatch (staying weapons + respawning items)"};

constexpr const char* kCtfTeamplay = "CtfTeamplay";
constexpr const char* kPatchFolder = "CTF";
constexpr std::int32_t kServerLineCount = 2;

}  // namespace

TCTFQuakePlugIn::TCTFQuakePlugIn(TQuakeStarter& starter, TPluginDialogs& dialogs)
    : TQuakePlugin(starter), FDialogs(dialogs) {}

std::int32_t TCTFQuakePlugIn::GetScriptLineCount() {
  return Starter().IsServer() ? kServerLineCount : 0;
}

void TCTFQuakePlugIn::GetScriptLine(std::int32_t index, TLongText& line) {
  line.Clear();
  // The play-mode entries are the modification's deathmatch values 1 to 3.
  if (index == 0) line = NumberedCommand("teamplay", FRuleFlags);
  if (index == 1) line = NumberedCommand("deathmatch", DeathmatchOfPlayMode(Starter()));
}

void TCTFQuakePlugIn::Activate() {
  DefaultPatchDir(Starter(), kPatchFolder);
  Starter().SetPlayMode(0);
}

void TCTFQuakePlugIn::GetFeatures(TPluginFeatures& features) {
  features = {};
  features.OwnMaps = true;
  features.OwnPlayModes = true;
  features.HasServerOptions = true;
  features.StoresOptions = true;
  features.NoTeamplay = true;
  features.OwnDeathmatchLine = true;
}

std::int32_t TCTFQuakePlugIn::GetMapCount() {
  return static_cast<std::int32_t>(kOwnMaps.size() + StandardQuakeMaps().size());
}

void TCTFQuakePlugIn::GetMapName(std::int32_t index, TShortName& name) {
  const auto own = static_cast<std::int32_t>(kOwnMaps.size());
  if (index < own)
    GetListEntry(kOwnMaps, index, name);
  else
    GetListEntry(StandardQuakeMaps(), index - own, name);
}

std::int32_t TCTFQuakePlugIn::GetPlayModeCount() {
  return static_cast<std::int32_t>(kPlayModes.size());
}

void TCTFQuakePlugIn::GetPlayModeName(std::int32_t index, TShortName& name) {
  GetListEntry(kPlayModes, index, name);
}

bool TCTFQuakePlugIn::ShowServerOptions() {
  std::int32_t flags = FRuleFlags;
  if (!EditRules(flags)) return false;
  FRuleFlags = flags;
  return true;
}

bool TCTFQuakePlugIn::EditRules(std::int32_t& flags) {
  return FDialogs.ShowCTFOptions(flags);
}

void TCTFQuakePlugIn::SaveOptions(const TLongText& keyPath) {
  SaveOptionValue(keyPath, kCtfTeamplay, FRuleFlags);
}

void TCTFQuakePlugIn::LoadOptions(const TLongText& keyPath) {
  FRuleFlags = LoadOptionValue(keyPath, kCtfTeamplay, kCTFDefaultRules);
}

void TCTFQuakePlugIn::GetPicture(TModuleHandle& module, std::int32_t& number) {
  module = 0;
  number = 2;
}

}  // namespace fx
