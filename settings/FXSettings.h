#pragma once

#include <functional>
#include <string>
#include <vector>

#include "settings/AppSettings.h"
#include "ui/UserDialogs.h"

namespace fx {

inline constexpr const char* kProgramKey = "Software\\Bolsk\\Fraxinel";

// Machine-wide settings (HKEY_LOCAL_MACHINE, kProgramKey).
class TFXSettings : public TAppSettings {
 public:
  // Shows the settings dialog for this object; installed by the view.
  using TEditor = std::function<void(TFXSettings&)>;

  TFXSettings();

  bool Shareware() const { return FShareware; }
  void SetShareware(bool value) { FShareware = value; }
  int Version() const { return FVersion; }
  void SetVersion(int value) { FVersion = value; }
  bool CloseOnExec() const { return FCloseOnExec; }
  void SetCloseOnExec(bool value) { FCloseOnExec = value; }
  const std::string& CfgFileName() const { return FCfgFileName; }
  void SetCfgFileName(const std::string& value) { FCfgFileName = value; }
  const std::string& QPath() const { return FQPath; }
  // Stores the folder, then clears Shareware when IsRegisteredGameFolder says so.
  void SetQPath(const std::string& value);
  const std::string& PatchPath() const { return FPatchPath; }
  void SetPatchPath(const std::string& value) { FPatchPath = value; }
  bool ShowCmdLine() const { return FShowCmdLine; }
  void SetShowCmdLine(bool value) { FShowCmdLine = value; }

  void SetEditor(TEditor editor) { FEditor = std::move(editor); }
  // Runs the installed editor; without one it does nothing.
  void Edit() override;

  std::vector<TPropertyInfo> Properties() const override;

 private:
  bool FShareware = true;
  int FVersion = 0;
  bool FCloseOnExec = false;
  std::string FCfgFileName = "Frax.cfg";
  std::string FQPath;
  std::string FPatchPath;
  bool FShowCmdLine = false;
  TEditor FEditor;
};

// Per-user settings (HKEY_CURRENT_USER, kProgramKey).
class TFXUserSettings : public TAppSettings {
 public:
  TFXUserSettings();

  const std::vector<std::string>& AddParms() const { return FAddParms; }
  void SetAddParms(const std::vector<std::string>& lines) { FAddParms = lines; }
  bool ShowCmdLine() const { return FShowCmdLine; }
  void SetShowCmdLine(bool value) { FShowCmdLine = value; }
  const std::string& LastConfig() const { return FLastConfig; }
  void SetLastConfig(const std::string& value) { FLastConfig = value; }
  bool AnimateMainWindowIcon() const { return FAnimateMainWindowIcon; }
  void SetAnimateMainWindowIcon(bool value) { FAnimateMainWindowIcon = value; }
  bool DelInID1Dir() const { return FDelInID1Dir; }
  void SetDelInID1Dir(bool value) { FDelInID1Dir = value; }
  bool DelInPatchDir() const { return FDelInPatchDir; }
  void SetDelInPatchDir(bool value) { FDelInPatchDir = value; }
  bool DelOnLaunch() const { return FDelOnLaunch; }
  void SetDelOnLaunch(bool value) { FDelOnLaunch = value; }
  bool DelOnExit() const { return FDelOnExit; }
  void SetDelOnExit(bool value) { FDelOnExit = value; }
  bool InGameCmds() const { return FInGameCmds; }
  void SetInGameCmds(bool value) { FInGameCmds = value; }

  // Deletes the game's own CONFIG.CFG files as the Del* settings say. `onExit` is true
  // when the program ends, false at a launch; `patchDir` is the current patch directory
  // relative to `gameFolder`, possibly empty. Files that cannot be deleted are ignored.
  void CleanUpConfigFiles(bool onExit, const std::string& patchDir,
                          const std::string& gameFolder) const;

  std::vector<TPropertyInfo> Properties() const override;

 private:
  std::vector<std::string> FAddParms;
  bool FShowCmdLine = false;
  std::string FLastConfig;
  bool FAnimateMainWindowIcon = true;
  bool FDelInID1Dir = false;
  bool FDelInPatchDir = false;
  bool FDelOnLaunch = false;
  bool FDelOnExit = false;
  bool FInGameCmds = true;
};

// Whether a game folder holds the registered edition: "ID1\PAK1.PAK", or "ID1\GFX\POP.LMP"
// as a file or inside one of id1's PACK archives (their directories only are read). Names
// are found whatever their case.
bool IsRegisteredGameFolder(const std::string& gameFolder);

// The part of `path` after `folder` and one separator ("C:\Quake", "C:\Quake\ctf" ->
// "ctf"). A path that does not begin with the folder is returned unchanged.
std::string RelativeToFolder(const std::string& folder, const std::string& path);

// What the settings dialog shows, as plain values.
struct TSettingsDialogState {
  bool CloseOnExec = false;
  std::vector<std::string> AddParms;
  bool ShowCmdLine = false;
  bool DelOnLaunch = false;
  bool DelOnExit = false;
  bool DelInID1Dir = false;
  bool DelInPatchDir = false;
  bool AnimateMainWindowIcon = true;
  bool InGameCmds = true;
  std::string QPath;
  std::string PatchPath;
};

TSettingsDialogState FillSettingsDialog(const TFXSettings& machine, const TFXUserSettings& user);
// Copies an accepted dialog back, in the order that lets the QPath setter see the new
// folder before anything else reads it.
void ApplySettingsDialog(const TSettingsDialogState& state, TFXSettings& machine,
                         TFXUserSettings& user);

// Saves `user`, then `machine`. Both are tried, so that a per-user file that cannot be
// written does not cost the machine-wide changes as well; the first ERegistryException is
// rethrown. On failure the values stay in the objects (and the registry store keeps what
// it could not write) for the next try.
void SaveProgramSettings(TAppSettings& user, TAppSettings& machine);

// What the user is told when the program settings could not be saved.
std::string SettingsNotSavedText(const std::string& reason);

// Saves the program settings at once (SaveProgramSettings), so that what the user has just
// confirmed outlives a crash or a kill; a failure is shown through `dialogs` as the save at
// the end shows it. Returns whether both were saved.
bool SaveProgramSettingsNow(TAppSettings& user, TAppSettings& machine, TUserDialogs& dialogs);

// The two program-wide settings objects: created and loaded machine-wide first, saved
// per-user first. One instance lives in main() for the whole run.
class TProgramSettings {
 public:
  // Constructs both objects and loads them. Values that cannot be read (of the wrong type)
  // are left out, each object's reported to `onError` once its other values are read.
  explicit TProgramSettings(const std::function<void(const std::string&)>& onError = {});
  // Saves what has not been saved yet; errors go to stderr (a destructor cannot ask).
  ~TProgramSettings();
  TProgramSettings(const TProgramSettings&) = delete;
  TProgramSettings& operator=(const TProgramSettings&) = delete;

  // The save at the end: the per-user, then the machine-wide settings; throws
  // ERegistryException. The destructor saves no more after it.
  void Save();
  // The same save in the middle of a run, for what the user has just confirmed; the end
  // of the program saves again.
  void SaveNow() { SaveProgramSettings(User, Machine); }
  // Nothing is saved at the end: a run that only starts a saved configuration must not
  // store values over what a running copy keeps.
  void SkipSaveAtEnd() { FSaved = true; }

  TFXSettings Machine;
  TFXUserSettings User;

 private:
  bool FSaved = false;
};

// The live TProgramSettings' objects, for the views; throws std::logic_error when none
// lives.
TFXSettings& FXSettings();
TFXUserSettings& FXUserSettings();

}  // namespace fx
