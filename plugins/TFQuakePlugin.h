#pragma once

#include <cstdint>

#include "plugins/FXIntf.h"
#include "plugins/PluginDialogs.h"
#include "plugins/TFGameFlags.h"

namespace fx {

// "TeamFortress (2.5)": the general rules ("temp1") and team rules ("teamplay") of the
// modification, written into every script, edited in the server options and stored as
// "TFTemp1" and "TFTeam" with a configuration.
class TTFQuakePlugin : public TQuakePlugin {
 public:
  // `dialogs` shows the options dialog; it must outlive the plug-in.
  TTFQuakePlugin(TQuakeStarter& starter, TPluginDialogs& dialogs);

  // The defaults of a configuration that holds no TeamFortress values.
  static constexpr std::int32_t kDefaultTemp1 = 0;
  static constexpr std::int32_t kDefaultTeam = kTFTeamplayOn;

  // Makes the teamplay bit follow the host's teamplay box.
  bool PrepareLaunch() override;
  // "temp1 <general rules>" and "teamplay <team rules>", in every play mode.
  std::int32_t GetScriptLineCount() override;
  void GetScriptLine(std::int32_t index, TLongText& line) override;
  // The patch "TEAMF" unless one is chosen, then "Teamplay".
  void Activate() override;
  void GetFeatures(TPluginFeatures& features) override;
  std::int32_t GetTeamplayCount() override;
  void GetTeamplayName(std::int32_t index, TShortName& name) override;
  bool ShowServerOptions() override;
  void SaveOptions(const TLongText& keyPath) override;
  // Always replaces both flag sets, with the defaults for values the configuration lacks.
  void LoadOptions(const TLongText& keyPath) override;
  void GetPicture(TModuleHandle& module, std::int32_t& number) override;

  const TTFFlags& Flags() const { return FFlags; }
  void SetFlags(const TTFFlags& flags) { FFlags = flags; }

 private:
  TPluginDialogs& FDialogs;
  // A fresh choice plays by the rules a configuration without stored ones gets.
  TTFFlags FFlags{kDefaultTemp1, kDefaultTeam};
};

}  // namespace fx
