#include "plugins/VarimixQuakePlugin.h"

#include <array>
#include <string_view>

#include "plugins/OptionsKey.h"
#include "plugins/PluginHelpers.h"

namespace fx {

namespace {

constexpr std::array<std::string_view, 3> kPlayModes = {"Deathmatch (respawning weapons)",
                                                        "Deathmatch (staying weapons)",
                                                        "Deathmatch (staying weap., resp. items)"};
constexpr const char* kOptionsValue = "VarimixCfg";

}  // namespace

TVarimixQuakePlugin::TVarimixQuakePlugin(TQuakeStarter& starter, TPluginDialogs& dialogs)
    : TQuakePlugin(starter), FDialogs(dialogs) {}

std::int32_t TVarimixQuakePlugin::GetScriptLineCount() {
  return Starter().IsServer() ? 1 : 0;
}

void TVarimixQuakePlugin::GetScriptLine(std::int32_t index, TLongText& line) {
  line.Clear();
  if (index == 0) {
    line = NumberedCommand("temp1", FOptions) + ";" +
           NumberedCommand("deathmatch", DeathmatchOfPlayMode(Starter()));
  }
}

void TVarimixQuakePlugin::Activate() {
  DefaultPatchDir(Starter(), "VARIMIX");
  Starter().SetPlayMode(0);
}

void TVarimixQuakePlugin::GetFeatures(TPluginFeatures& features) {
  features = {};
  features.OwnPlayModes = true;
  features.HasServerOptions = true;
  features.StoresOptions = true;
  features.OwnDeathmatchLine = true;
}

std::int32_t TVarimixQuakePlugin::GetPlayModeCount() {
  return static_cast<std::int32_t>(kPlayModes.size());
}

void TVarimixQuakePlugin::GetPlayModeName(std::int32_t index, TShortName& name) {
  GetListEntry(kPlayModes, index, name);
}

bool TVarimixQuakePlugin::ShowServerOptions() {
  std::int32_t options = FOptions;
  if (!FDialogs.ShowVarimixOptions(options)) return false;
  FOptions = options;
  return true;
}

void TVarimixQuakePlugin::SaveOptions(const TLongText& keyPath) {
  SaveOptionValue(keyPath, kOptionsValue, FOptions);
}

void TVarimixQuakePlugin::LoadOptions(const TLongText& keyPath) {
  FOptions = LoadOptionValue(keyPath, kOptionsValue, kDefaultOptions);
}

void TVarimixQuakePlugin::GetPicture(TModuleHandle& module, std::int32_t& number) {
  module = 0;
  number = 1;
}

}  // namespace fx
