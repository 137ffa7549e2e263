#include "plugins/TFQuakePlugin.h"

#include <array>
#include <string_view>

#include "plugins/OptionsKey.h"
#include "plugins/PluginHelpers.h"

namespace fx {

namespace {

constexpr std::array<std::string_view, 2> kTeamplay = {"No Teamplay", "Teamplay"};
constexpr std::int32_t kTeamplayIndex = 1;

constexpr const char* kTemp1Value = "TFTemp1";
constexpr const char* kTeamValue = "TFTeam";
// Some stored configurations hold the team rules under this name.
constexpr const char* kOlderTeamValue = "TFTeamplay";

}  // namespace

TTFQuakePlugin::TTFQuakePlugin(TQuakeStarter& starter, TPluginDialogs& dialogs)
    : TQuakePlugin(starter), FDialogs(dialogs) {}

bool TTFQuakePlugin::PrepareLaunch() {
  // Set for "Teamplay" and cleared otherwise: a bit left over from an earlier launch would
  // start a team game that the box says is off.
  if (Starter().GetTeamplay() == kTeamplayIndex)
    FFlags.Team |= kTFTeamplayOn;
  else
    FFlags.Team &= ~kTFTeamplayOn;
  return true;
}

std::int32_t TTFQuakePlugin::GetScriptLineCount() {
  return 2;
}

void TTFQuakePlugin::GetScriptLine(std::int32_t index, TLongText& line) {
  line.Clear();
  if (index == 0) line = NumberedCommand("temp1", FFlags.Temp1);
  if (index == 1) line = NumberedCommand("teamplay", FFlags.Team);
}

void TTFQuakePlugin::Activate() {
  DefaultPatchDir(Starter(), "TEAMF");
  Starter().SetTeamplay(kTeamplayIndex);
}

void TTFQuakePlugin::GetFeatures(TPluginFeatures& features) {
  features = {};
  features.OwnTeamplay = true;
  features.HasServerOptions = true;
  features.StoresOptions = true;
  features.OwnTeamplayLine = true;
}

std::int32_t TTFQuakePlugin::GetTeamplayCount() {
  return static_cast<std::int32_t>(kTeamplay.size());
}

void TTFQuakePlugin::GetTeamplayName(std::int32_t index, TShortName& name) {
  GetListEntry(kTeamplay, index, name);
}

bool TTFQuakePlugin::ShowServerOptions() {
  TTFFlags flags = FFlags;
  if (!FDialogs.ShowTFSettings(flags)) return false;
  FFlags = flags;
  return true;
}

void TTFQuakePlugin::SaveOptions(const TLongText& keyPath) {
  TOptionsKey key(keyPath);
  key.Write(kTemp1Value, FFlags.Temp1);
  key.Write(kTeamValue, FFlags.Team);
  key.Close();
}

void TTFQuakePlugin::LoadOptions(const TLongText& keyPath) {
  const TOptionsKey key(keyPath);
  TTFFlags flags;
  flags.Temp1 = key.Read(kTemp1Value, kDefaultTemp1);
  flags.Team = key.Has(kTeamValue) ? key.Read(kTeamValue, kDefaultTeam)
                                   : key.Read(kOlderTeamValue, kDefaultTeam);
  FFlags = flags;
}

void TTFQuakePlugin::GetPicture(TModuleHandle& module, std::int32_t& number) {
  module = 0;
  number = 7;
}

}  // namespace fx
