#include "plugins/FXStdPlgIn.h"

#include <array>
#include <string>
#include <string_view>

#include "plugins/MessageBoxStyle.h"
#include "plugins/OptionsKey.h"
#include "plugins/StandardMaps.h"

namespace fx {

namespace {

constexpr std::array<std::string_view, 4> kSkills = {"Easy", "Normal", "Hard", "Nightmare"};
constexpr std::array<std::string_view, 3> kPlayModes = {
    "Cooperative", "Deathmatch (respawning weapons)", "Deathmatch (staying weapons)"};
constexpr std::array<std::string_view, 3> kTeamplay = {"No Teamplay", "Friendly Fire",
                                                       "No Friendly Fire"};
constexpr std::array<std::string_view, 3> kClientExit = {"On all maps", "Only on start map",
                                                         "On no map"};
constexpr std::array<std::string_view, 7> kRogueTeamplay = {"No Teamplay",
                                                            "Friendly Fire",
                                                            "No Friendly Fire",
                                                            "Tag",
                                                            "Capture the Flag",
                                                            "Capture the Flag: One Flag",
                                                            "Capture the Flag: Three Team"};

constexpr const char* kRogueGameCfg = "RogueGameCfg";
constexpr const char* kCTFOnlyMessage =
    "Additional Options are only valid for \"Capture the Flag\".";

std::int32_t CountOf(std::span<const std::string_view> list) {
  return static_cast<std::int32_t>(list.size());
}

}  // namespace

// --- TStandardQuakePlugin ------------------------------------------------------------------

std::int32_t TStandardQuakePlugin::GetScriptLineCount() {
  return 1;
}

void TStandardQuakePlugin::GetScriptLine(std::int32_t index, TLongText& line) {
  line.Clear();
  if (index == 0 && Starter().IsServer() && Starter().GetPlayMode() == 0) line = "coop 1";
}

void TStandardQuakePlugin::GetFeatures(TPluginFeatures& features) {
  features = {};
  features.OwnSkills = true;
  features.OwnMaps = true;
  features.OwnPlayModes = true;
  features.OwnTeamplay = true;
  features.OwnClientExit = true;
}

std::int32_t TStandardQuakePlugin::GetSkillCount() {
  return CountOf(kSkills);
}
void TStandardQuakePlugin::GetSkillName(std::int32_t index, TShortName& name) {
  GetListEntry(kSkills, index, name);
}

std::int32_t TStandardQuakePlugin::GetMapCount() {
  return Starter().IsShareware() ? kSharewareMapCount : CountOf(StandardQuakeMaps());
}
void TStandardQuakePlugin::GetMapName(std::int32_t index, TShortName& name) {
  GetListEntry(StandardQuakeMaps(), index, name);
}

std::int32_t TStandardQuakePlugin::GetPlayModeCount() {
  return CountOf(kPlayModes);
}
void TStandardQuakePlugin::GetPlayModeName(std::int32_t index, TShortName& name) {
  GetListEntry(kPlayModes, index, name);
}

std::int32_t TStandardQuakePlugin::GetTeamplayCount() {
  return CountOf(kTeamplay);
}
void TStandardQuakePlugin::GetTeamplayName(std::int32_t index, TShortName& name) {
  GetListEntry(kTeamplay, index, name);
}

std::int32_t TStandardQuakePlugin::GetClientExitCount() {
  return CountOf(kClientExit);
}
void TStandardQuakePlugin::GetClientExitName(std::int32_t index, TShortName& name) {
  GetListEntry(kClientExit, index, name);
}

// --- TStandardQuakePluginM1 ----------------------------------------------------------------

void TStandardQuakePluginM1::GetCmdLineSwitches(TLongText& switches) {
  switches = "-hipnotic";
}

std::int32_t TStandardQuakePluginM1::GetScriptLineCount() {
  return 1;
}

void TStandardQuakePluginM1::GetFeatures(TPluginFeatures& features) {
  features = {};
  features.OwnMaps = true;
}

std::int32_t TStandardQuakePluginM1::GetMapCount() {
  return CountOf(ScourgeOfArmagonMaps());
}
void TStandardQuakePluginM1::GetMapName(std::int32_t index, TShortName& name) {
  GetListEntry(ScourgeOfArmagonMaps(), index, name);
}

void TStandardQuakePluginM1::GetPicture(TModuleHandle& module, std::int32_t& number) {
  module = 0;
  number = 5;
}

// --- TStandardQuakePluginM2 ----------------------------------------------------------------

TStandardQuakePluginM2::TStandardQuakePluginM2(TQuakeStarter& starter, TPluginDialogs& dialogs)
    : TQuakePlugin(starter), FDialogs(dialogs) {}

void TStandardQuakePluginM2::GetCmdLineSwitches(TLongText& switches) {
  switches = "-rogue";
}

std::int32_t TStandardQuakePluginM2::GetScriptLineCount() {
  return 1;
}

void TStandardQuakePluginM2::GetScriptLine(std::int32_t index, TLongText& line) {
  line.Clear();
  if (index != 0 || FGameFlags == 0) return;
  if (Starter().IsServer() && Starter().GetTeamplay() >= kFirstCTFTeamplay) {
    line = "gamecfg " + std::to_string(FGameFlags);
  }
}

void TStandardQuakePluginM2::GetFeatures(TPluginFeatures& features) {
  features = {};
  features.OwnMaps = true;
  features.OwnTeamplay = true;
  features.HasServerOptions = true;
  features.StoresOptions = true;
}

std::int32_t TStandardQuakePluginM2::GetMapCount() {
  return CountOf(DissolutionOfEternityMaps());
}
void TStandardQuakePluginM2::GetMapName(std::int32_t index, TShortName& name) {
  GetListEntry(DissolutionOfEternityMaps(), index, name);
}

std::int32_t TStandardQuakePluginM2::GetTeamplayCount() {
  return CountOf(kRogueTeamplay);
}
void TStandardQuakePluginM2::GetTeamplayName(std::int32_t index, TShortName& name) {
  GetListEntry(kRogueTeamplay, index, name);
}

bool TStandardQuakePluginM2::ShowServerOptions() {
  if (Starter().GetTeamplay() < kFirstCTFTeamplay) {
    Starter().SetTeamplay(kFirstCTFTeamplay);
    Starter().ShowMessageBox(kCTFOnlyMessage, "Information", kMbIconInformation);
  }
  std::int32_t flags = FGameFlags;
  if (!FDialogs.ShowRogueCTF(flags)) return false;
  FGameFlags = flags;
  return true;
}

void TStandardQuakePluginM2::SaveOptions(const TLongText& keyPath) {
  SaveOptionValue(keyPath, kRogueGameCfg, FGameFlags);
}

void TStandardQuakePluginM2::LoadOptions(const TLongText& keyPath) {
  FGameFlags = LoadOptionValue(keyPath, kRogueGameCfg, FGameFlags);
}

void TStandardQuakePluginM2::GetPicture(TModuleHandle& module, std::int32_t& number) {
  module = 0;
  number = 6;
}

}  // namespace fx
