#pragma once

#include <cstdint>

#include "plugins/FXIntf.h"
#include "plugins/PluginDialogs.h"

namespace fx {

// "Varimix by Bolsk": a deathmatch modification on the standard maps, its feature switches
// packed into "temp1" (VarimixGameFlags.h) and stored as "VarimixCfg".
class TVarimixQuakePlugin : public TQuakePlugin {
 public:
  // `dialogs` shows the options dialog; it must outlive the plug-in.
  TVarimixQuakePlugin(TQuakeStarter& starter, TPluginDialogs& dialogs);

  // The options of a configuration that holds none: all features on, debug mode off.
  static constexpr std::int32_t kDefaultOptions = 0;

  // One line for a server, "temp1 <options>;deathmatch <play mode + 1>"; none otherwise.
  std::int32_t GetScriptLineCount() override;
  void GetScriptLine(std::int32_t index, TLongText& line) override;
  // The patch "VARIMIX" unless one is chosen, then the first play mode.
  void Activate() override;
  void GetFeatures(TPluginFeatures& features) override;
  std::int32_t GetPlayModeCount() override;
  void GetPlayModeName(std::int32_t index, TShortName& name) override;
  bool ShowServerOptions() override;
  void SaveOptions(const TLongText& keyPath) override;
  void LoadOptions(const TLongText& keyPath) override;
  void GetPicture(TModuleHandle& module, std::int32_t& number) override;

  std::int32_t Options() const { return FOptions; }
  void SetOptions(std::int32_t options) { FOptions = options; }

 private:
  TPluginDialogs& FDialogs;
  // A fresh choice plays by the options a configuration without stored ones gets.
  std::int32_t FOptions = kDefaultOptions;
};

}  // namespace fx
