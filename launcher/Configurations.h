#pragma once

// The main window's saved configurations: the box of names, the modified and loading
// flags, and saving, loading and deleting the keys below
// HKEY_CURRENT_USER "Software\Bolsk\Fraxinel\Configs". The window's controls are the
// working copy; this class moves them to and from the registry through TConfigHost.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "launcher/ConfigHost.h"
#include "platform/Registry.h"
#include "ui/UserDialogs.h"

namespace fx {

class TFXUserSettings;

inline constexpr const char* kConfigsKey = "Software\\Bolsk\\Fraxinel\\Configs";
// Always the first entry of the box, whether or not a key of that name exists.
inline constexpr const char* kDefaultConfigName = "(Default)";
// Unsaved changes carried over to the next start; never listed.
inline constexpr const char* kTempConfigName = "!TEMP1";

// Why `name` cannot be a configuration's key name (empty, a backslash, a line break, or a
// key path too long for the plug-ins to be given); "" when it can.
std::string ConfigNameProblem(const std::string& name);

// Whether a configuration of that name is saved (on the default store) and listed in the
// box: "!TEMP1" never is.
bool ConfigurationExists(const std::string& name);

class TConfigurations {
 public:
  // Makes the registry object for one operation. It must work on the store that the
  // plug-ins' own TRegistry() objects use, since they write into the same keys.
  using TRegistryFactory = std::function<std::unique_ptr<TRegistry>()>;

  // Without a factory, each operation uses a TRegistry() on the default store.
  TConfigurations(TConfigHost& host, TUserDialogs& dialogs, TRegistryFactory registry = {});

  bool Modified() const { return FModified; }
  bool Loading() const { return FLoading; }
  // The window sets the loading flag while it builds its controls.
  void SetLoading(bool loading) { FLoading = loading; }
  // The name last picked in the box; "" when none was.
  const std::string& LastChosen() const { return FLastChosen; }

  // Called by every configuration control's change: the first change after a load or
  // save clears the box's selection and disables delete.
  void MarkModified();

  // Stores the controls under `name`. With `ask`, the name is asked for first and an
  // existing key is replaced only after a Yes. True when the key was written.
  bool Save(const std::string& name, bool ask);
  // The save button: asks, proposing the name last chosen in the box.
  bool SaveAs();
  // Fills the controls from the key of that name; a registry error (a required value
  // missing) passes to the caller with the values before it applied and loading cleared.
  void Load(const std::string& name);
  // Why the last Load applied nothing ("" when it applied the key, or there was none): a
  // game type the program does not have.
  const std::string& LoadProblem() const { return FLoadProblem; }
  // The box's change: picks entry `index`, loads it and remembers it.
  void ChooseEntry(int index);
  // The delete button: removes the selected configuration after a Yes.
  void DeleteSelected();

  // Fills the box from the registry at start; true when unsaved changes were left over
  // from the last run (a "!TEMP1" key).
  bool ReadList();
  // The first load, once the game types are set up: the left-over changes (modified, no
  // entry selected), else the entry named `lastConfig`, else the first entry.
  void InitialLoad(bool tempFound, const std::string& lastConfig);
  // When the window closes: remembers the selected name, runs the config-file clean-up
  // and keeps the controls: as "!TEMP1" when modified, else under the selected name when
  // they were loaded from it or saved into it. Errors are swallowed so closing always
  // completes.
  void StoreOnExit(TFXUserSettings& user, const std::string& gameFolder,
                   const std::string& patchDir);
  // The same with the clean-up run in each of `configFolders` (the engine's base and
  // per-user folders), `gameDir` naming the mod folder in them.
  void StoreOnExit(TFXUserSettings& user, const std::vector<std::string>& configFolders,
                   const std::string& gameDir);

 private:
  std::unique_ptr<TRegistry> OpenConfigs() const;
  int IndexOfName(const std::string& name) const;
  std::string SelectedName() const;
  bool AcceptName(const std::string& name, bool ask);
  bool ReplaceKey(TRegistry& registry, const std::string& name, bool ask);
  void WriteKey(TRegistry& registry, const std::string& name);
  // False when the key names a game type the program does not have: nothing was applied.
  bool ApplyKey(const TRegistry& registry);
  void LoadPluginOptions(const std::string& keyPath);
  void ApplyPlayMode(const TRegistry& registry);
  void ApplyLimitsAndTexts(const TRegistry& registry);

  TConfigHost& FHost;
  TUserDialogs& FDialogs;
  TRegistryFactory FRegistry;
  bool FModified = false;
  bool FLoading = false;
  std::string FLastChosen;
  // The configuration the controls were loaded from whole or last saved into; "" when they
  // are no copy of one. Closing stores the controls only into that one.
  std::string FInControls;
  std::string FLoadProblem;
};

}  // namespace fx
