#pragma once

// The main window as the saved configurations see it. Saving reads the controls as one
// record; loading writes them one value at a time, in the stored order, so that a value
// missing from an older key leaves what was applied before it in place.

#include <optional>
#include <string>
#include <vector>

#include "launcher/LaunchConfig.h"
#include "plugins/FXIntf.h"

namespace fx {

// The item lists whose index a configuration stores.
enum class TConfigList { Skill, PlayModeRule, Teamplay, ClientExit };

class TConfigHost {
 public:
  virtual ~TConfigHost() = default;

  // The configuration box: "(Default)" first, then the names sorted. Index -1 is no
  // selection (the box shows empty).
  virtual std::vector<std::string> ConfigNames() const = 0;
  virtual void AddConfigName(const std::string& name) = 0;
  virtual void RemoveConfigName(const std::string& name) = 0;
  virtual int SelectedConfig() const = 0;
  virtual void SelectConfig(int index) = 0;
  virtual void SetDeleteEnabled(bool enabled) = 0;

  // Saving.
  virtual void WriteExeList() = 0;
  virtual TLaunchConfig GatherConfig() const = 0;
  // The name for a new configuration, proposed as `proposal`; nothing when cancelled.
  virtual std::optional<std::string> AskConfigName(const std::string& proposal) = 0;

  // The game type now active (never null once the window is set up) and its features.
  virtual TQuakePlugin* ActivePlugin() = 0;
  virtual TPluginFeatures ActiveFeatures() = 0;

  // Loading. SelectGameType looks the display name up without regard to case, selects it
  // and activates it as a user's choice would; false when no game type has that name.
  virtual bool SelectGameType(const std::string& name) = 0;
  // An index outside the list leaves it without selection.
  virtual void SetItemIndex(TConfigList list, int index) = 0;
  // An empty caption selects the first entry; otherwise the first entry whose caption is
  // exactly `caption`; without one the selection stays.
  virtual void SelectExe(const std::string& caption) = 0;
  virtual void SetMapText(const std::string& text) = 0;
  virtual void SetPatchText(const std::string& text) = 0;
  virtual void SetPlayMode(int mode) = 0;
  virtual void SetDemoRecText(const std::string& text) = 0;
  virtual void SetDemoPlayText(const std::string& text) = 0;
  // Also updates the players label, as the track bar's own change would.
  virtual void SetMaxPlayers(int players) = 0;
  virtual void SetFragLimit(double value) = 0;
  virtual void SetTimeLimit(double value) = 0;
  virtual void SetConnectTo(const std::string& text) = 0;
  virtual void SetAddParms(const std::vector<std::string>& lines) = 0;
  virtual void SetAutoAim(bool checked) = 0;
  virtual void SetConLog(bool checked) = 0;
  virtual void SetHostname(const std::string& text) = 0;
  virtual void SetIgnoreGeneralCmds(bool checked) = 0;
  virtual void SetFragLimitEnabled(bool checked) = 0;
  virtual void SetTimeLimitEnabled(bool checked) = 0;
};

}  // namespace fx
