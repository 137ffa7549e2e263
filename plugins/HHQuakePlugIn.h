#pragma once

#include <cstdint>

#include "plugins/FXIntf.h"
#include "plugins/HHGameFlags.h"
#include "plugins/PluginDialogs.h"

namespace fx {

// "Head Hunters (1.0)": a deathmatch modification with its own maps ahead of the standard
// ones and its options packed into "temp1" (HHGameFlags.h), stored as "HHDeathmatch".
class THHQuakePlugIn : public TQuakePlugin {
 public:
  // `dialogs` shows the options dialog; it must outlive the plug-in.
  THHQuakePlugIn(TQuakeStarter& starter, TPluginDialogs& dialogs);

  // "deathmatch <play mode + 1>" and "temp1 <options>" for a server; nothing otherwise.
  std::int32_t GetScriptLineCount() override;
  void GetScriptLine(std::int32_t index, TLongText& line) override;
  // The patch "HH" unless one is chosen, then the first play mode.
  void Activate() override;
  void GetFeatures(TPluginFeatures& features) override;
  std::int32_t GetMapCount() override;
  void GetMapName(std::int32_t index, TShortName& name) override;
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
  std::int32_t FOptions = kHHDefaultOptions;
};

}  // namespace fx
