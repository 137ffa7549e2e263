#pragma once

#include <cstdint>

#include "plugins/CTFRuleFlags.h"
#include "plugins/FXIntf.h"
#include "plugins/PluginDialogs.h"

namespace fx {

// "Threewave Capture the Flag (4.0)": the modification's maps before the standard ones,
// three deathmatch rules, and the rule flags it reads from "teamplay", edited in a dialog
// and stored as "CtfTeamplay". Servers get "teamplay <flags>" and "deathmatch <rule + 1>"
// from here, not from the host.
class TCTFQuakePlugIn : public TQuakePlugin {
 public:
  // `dialogs` shows the options dialog; it must outlive the plug-in.
  TCTFQuakePlugIn(TQuakeStarter& starter, TPluginDialogs& dialogs);

  std::int32_t GetScriptLineCount() override;
  void GetScriptLine(std::int32_t index, TLongText& line) override;
  // Puts the patch on the "CTF" sub-folder unless one is chosen; the rule on its first entry.
  void Activate() override;
  void GetFeatures(TPluginFeatures& features) override;
  std::int32_t GetMapCount() override;
  void GetMapName(std::int32_t index, TShortName& name) override;
  std::int32_t GetPlayModeCount() override;
  void GetPlayModeName(std::int32_t index, TShortName& name) override;
  // True on OK, with the flags rebuilt from the dialog.
  bool ShowServerOptions() override;
  void SaveOptions(const TLongText& keyPath) override;
  // A configuration without stored rules gets the default rules.
  void LoadOptions(const TLongText& keyPath) override;
  void GetPicture(TModuleHandle& module, std::int32_t& number) override;

  std::int32_t RuleFlags() const { return FRuleFlags; }
  void SetRuleFlags(std::int32_t flags) { FRuleFlags = flags; }

 protected:
  TPluginDialogs& Dialogs() const { return FDialogs; }
  // Shows the variant's dialog on `flags`; true on OK.
  virtual bool EditRules(std::int32_t& flags);

 private:
  TPluginDialogs& FDialogs;
  // A fresh choice plays by the rules a configuration without stored ones gets.
  std::int32_t FRuleFlags = kCTFDefaultRules;
};

}  // namespace fx
