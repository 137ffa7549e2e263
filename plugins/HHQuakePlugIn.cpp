#include "plugins/HHQuakePlugIn.h"

#include <array>
#include <string_view>

#include "plugins/HHGameFlags.h"
#include "plugins/OptionsKey.h"
#include "plugins/PluginHelpers.h"
#include "plugins/StandardMaps.h"

namespace fx {

namespace {

constexpr std::array<std::string_view, 6> kOwnMaps = {
    "HH1B: Shadows Of Sin",       "HH2B: Spoon's Keep", "HH3B: Spoon City",
    "HH4B: The Defiled Chambers", "HH5B: DCDM 3",       "HH6B: DCDM 5"};
constexpr std::array<std::string_view, 2> kPlayModes = {"Deathmatch (respawning weapons)",
                                                        "Deathmatch (staying weapons)"};
constexpr const char* kOptionsValue = "HHDeathmatch";

}  // namespace

THHQuakePlugIn::THHQuakePlugIn(TQuakeStarter& starter, TPluginDialogs& dialogs)
    : TQuakePlugin(starter), FDialogs(dialogs) {}

std::int32_t THHQuakePlugIn::GetScriptLineCount() {
  return Starter().IsServer() ? 2 : 0;
}

void THHQuakePlugIn::GetScriptLine(std::int32_t index, TLongText& line) {
  line.Clear();
  if (index == 0) line = NumberedCommand("deathmatch", DeathmatchOfPlayMode(Starter()));
  if (index == 1) line = NumberedCommand("temp1", FOptions);
}

void THHQuakePlugIn::Activate() {
  DefaultPatchDir(Starter(), "HH");
  Starter().SetPlayMode(0);
}

void THHQuakePlugIn::GetFeatures(TPluginFeatures& features) {
  features = {};
  features.OwnMaps = true;
  features.OwnPlayModes = true;
  features.HasServerOptions = true;
  features.StoresOptions = true;
  features.OwnDeathmatchLine = true;
}

std::int32_t THHQuakePlugIn::GetMapCount() {
  return static_cast<std::int32_t>(kOwnMaps.size() + StandardQuakeMaps().size());
}

void THHQuakePlugIn::GetMapName(std::int32_t index, TShortName& name) {
  const auto own = static_cast<std::int32_t>(kOwnMaps.size());
  if (index < own)
    GetListEntry(kOwnMaps, index, name);
  else
    GetListEntry(StandardQuakeMaps(), index - own, name);
}

std::int32_t THHQuakePlugIn::GetPlayModeCount() {
  return static_cast<std::int32_t>(kPlayModes.size());
}

void THHQuakePlugIn::GetPlayModeName(std::int32_t index, TShortName& name) {
  GetListEntry(kPlayModes, index, name);
}

bool THHQuakePlugIn::ShowServerOptions() {
  std::int32_t options = FOptions;
  if (!FDialogs.ShowHHOptions(options)) return false;
  FOptions = options;
  return true;
}

void THHQuakePlugIn::SaveOptions(const TLongText& keyPath) {
  SaveOptionValue(keyPath, kOptionsValue, FOptions);
}

void THHQuakePlugIn::LoadOptions(const TLongText& keyPath) {
  FOptions = LoadOptionValue(keyPath, kOptionsValue, kHHDefaultOptions);
}

void THHQuakePlugIn::GetPicture(TModuleHandle& module, std::int32_t& number) {
  module = 0;
  number = 4;
}

}  // namespace fx
