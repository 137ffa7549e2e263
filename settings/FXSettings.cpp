#include "settings/FXSettings.h"

#include <exception>
#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <stdexcept>
#include <system_error>

#include "platform/GamePaths.h"
#include "platform/PackDirectory.h"
#include "settings/PathUtils.h"
#include "settings/PropertyBuilders.h"

namespace fx {

namespace {

namespace fs = std::filesystem;

TProgramSettings* gLiveSettings = nullptr;

bool GameFileExists(const std::string& gameFolder, std::string_view relative) {
  std::error_code ec;
  return fs::is_regular_file(ResolveGamePath(gameFolder, relative), ec);
}

// A missing file, or one that cannot go, is no error for the clean-up; a folder of
// that name is not ours to remove.
void DeleteGameFile(const std::string& gameFolder, const std::string& relative) {
  const fs::path file = ResolveGamePath(gameFolder, relative);
  std::error_code ec;
  if (fs::is_directory(fs::symlink_status(file, ec))) return;
  fs::remove(file, ec);
}

// The registered edition's status bar picture, which the shareware edition lacks. The 2021
// release and the store folders keep it inside a single id1/pak0.pak.
constexpr std::string_view kRegisteredPicture = "gfx/pop.lmp";

bool PacksHoldRegisteredPicture(const std::string& gameFolder) {
  for (const fs::path& pack : PackFilesIn(ResolveGamePath(gameFolder, "ID1")))
    if (PackHoldsName(pack, kRegisteredPicture)) return true;
  return false;
}

}  // namespace

bool IsRegisteredGameFolder(const std::string& gameFolder) {
  return GameFileExists(gameFolder, "ID1\\PAK1.PAK") ||
         GameFileExists(gameFolder, "ID1\\GFX\\POP.LMP") || PacksHoldRegisteredPicture(gameFolder);
}

// --- TFXSettings ---

TFXSettings::TFXSettings() : TAppSettings(kProgramKey) {
  SetRootKey(HKEY_LOCAL_MACHINE);
}

void TFXSettings::SetQPath(const std::string& value) {
  FQPath = value;
  // An empty folder would test the current directory instead of the game's.
  if (value.empty()) return;
  if (IsRegisteredGameFolder(value)) FShareware = false;
}

void TFXSettings::Edit() {
  if (FEditor) FEditor(*this);
}

std::vector<TPropertyInfo> TFXSettings::Properties() const {
  using T = TFXSettings;
  std::vector<TPropertyInfo> list = TAppSettings::Properties();
  list.push_back(NotStored(BoolProperty<T>("Shareware", &T::Shareware, &T::SetShareware)));
  list.push_back(IntegerProperty<T>("Version", &T::Version, &T::SetVersion, 0));
  list.push_back(BoolProperty<T>("CloseOnExec", &T::CloseOnExec, &T::SetCloseOnExec));
  list.push_back(StringProperty<T>("CfgFileName", &T::CfgFileName, &T::SetCfgFileName));
  list.push_back(StringProperty<T>("QPath", &T::QPath, &T::SetQPath));
  list.push_back(StringProperty<T>("PatchPath", &T::PatchPath, &T::SetPatchPath));
  list.push_back(BoolProperty<T>("ShowCmdLine", &T::ShowCmdLine, &T::SetShowCmdLine, false));
  return list;
}

// --- TFXUserSettings ---

TFXUserSettings::TFXUserSettings() : TAppSettings(kProgramKey) {
  SetRootKey(HKEY_CURRENT_USER);
}

void TFXUserSettings::CleanUpConfigFiles(bool onExit, const std::string& patchDir,
                                         const std::string& gameFolder) const {
  if (!((onExit && FDelOnExit) || FDelOnLaunch)) return;
  // Without a game folder the names would be taken relative to the working directory.
  if (gameFolder.empty()) return;
  if (FDelInID1Dir) DeleteGameFile(gameFolder, "ID1\\CONFIG.CFG");
  if (FDelInPatchDir && !patchDir.empty())
    DeleteGameFile(gameFolder, EnsureBackslash(patchDir) + "CONFIG.CFG");
}

std::vector<TPropertyInfo> TFXUserSettings::Properties() const {
  using T = TFXUserSettings;
  std::vector<TPropertyInfo> list = TAppSettings::Properties();
  list.push_back(StringListProperty<T>("AddParms", &T::FAddParms));
  list.push_back(BoolProperty<T>("ShowCmdLine", &T::ShowCmdLine, &T::SetShowCmdLine, false));
  list.push_back(StringProperty<T>("LastConfig", &T::LastConfig, &T::SetLastConfig));
  list.push_back(BoolProperty<T>("AnimateMainWindowIcon", &T::AnimateMainWindowIcon,
                                 &T::SetAnimateMainWindowIcon, true));
  list.push_back(BoolProperty<T>("DelInID1Dir", &T::DelInID1Dir, &T::SetDelInID1Dir));
  list.push_back(BoolProperty<T>("DelInPatchDir", &T::DelInPatchDir, &T::SetDelInPatchDir));
  list.push_back(BoolProperty<T>("DelOnLaunch", &T::DelOnLaunch, &T::SetDelOnLaunch));
  list.push_back(BoolProperty<T>("DelOnExit", &T::DelOnExit, &T::SetDelOnExit));
  list.push_back(BoolProperty<T>("InGameCmds", &T::InGameCmds, &T::SetInGameCmds, true));
  return list;
}

// --- Free routines ---

std::string RelativeToFolder(const std::string& folder, const std::string& path) {
  // Cutting characters without looking would turn a path elsewhere into garbage.
  if (folder.empty() || path.size() < folder.size()) return path;
  for (std::size_t i = 0; i < folder.size(); ++i) {
    const bool same =
        path[i] == folder[i] || (IsPathDelimiter(path[i]) && IsPathDelimiter(folder[i]));
    if (!same) return path;
  }
  if (path.size() == folder.size() || IsPathDelimiter(folder.back()))
    return path.substr(folder.size());
  if (!IsPathDelimiter(path[folder.size()])) return path;  // "/quake2" is not below "/quake"
  return path.substr(folder.size() + 1);
}

TSettingsDialogState FillSettingsDialog(const TFXSettings& machine, const TFXUserSettings& user) {
  TSettingsDialogState state;
  state.CloseOnExec = machine.CloseOnExec();
  state.AddParms = user.AddParms();
  state.ShowCmdLine = user.ShowCmdLine();
  state.DelOnLaunch = user.DelOnLaunch();
  state.DelOnExit = user.DelOnExit();
  state.DelInID1Dir = user.DelInID1Dir();
  state.DelInPatchDir = user.DelInPatchDir();
  state.AnimateMainWindowIcon = user.AnimateMainWindowIcon();
  state.InGameCmds = user.InGameCmds();
  state.QPath = machine.QPath();
  state.PatchPath = machine.PatchPath();
  return state;
}

void ApplySettingsDialog(const TSettingsDialogState& state, TFXSettings& machine,
                         TFXUserSettings& user) {
  machine.SetCloseOnExec(state.CloseOnExec);
  machine.SetQPath(state.QPath);
  machine.SetPatchPath(state.PatchPath);
  user.SetAddParms(state.AddParms);
  user.SetShowCmdLine(state.ShowCmdLine);
  user.SetInGameCmds(state.InGameCmds);
  user.SetAnimateMainWindowIcon(state.AnimateMainWindowIcon);
  user.SetDelOnLaunch(state.DelOnLaunch);
  user.SetDelOnExit(state.DelOnExit);
  user.SetDelInID1Dir(state.DelInID1Dir);
  user.SetDelInPatchDir(state.DelInPatchDir);
}

// --- TProgramSettings ---

namespace {

// Damaged values are reported once everything else of the object has been read.
void LoadReporting(TAppSettings& settings, const std::function<void(const std::string&)>& onError) {
  try {
    settings.Load();
  } catch (const ERegistryException& e) {
    if (onError)
      onError(e.what());
    else
      std::cerr << "fraxinel: " << e.what() << '\n';
  }
}

void SaveReporting(TAppSettings& settings) noexcept {
  try {
    settings.Save();
  } catch (const std::exception& e) {
    std::cerr << "fraxinel: settings not saved: " << e.what() << '\n';
  } catch (...) {
    std::cerr << "fraxinel: settings not saved\n";
  }
}

}  // namespace

TProgramSettings::TProgramSettings(const std::function<void(const std::string&)>& onError) {
  if (gLiveSettings) throw std::logic_error("The program settings exist already");
  gLiveSettings = this;
  try {
    LoadReporting(Machine, onError);
    LoadReporting(User, onError);
  } catch (...) {
    gLiveSettings = nullptr;
    throw;
  }
}

TProgramSettings::~TProgramSettings() {
  if (!FSaved) {
    SaveReporting(User);
    SaveReporting(Machine);
  }
  if (gLiveSettings == this) gLiveSettings = nullptr;
}

void TProgramSettings::Save() {
  FSaved = true;
  SaveProgramSettings(User, Machine);
}

void SaveProgramSettings(TAppSettings& user, TAppSettings& machine) {
  std::exception_ptr firstError;
  for (TAppSettings* settings : std::initializer_list<TAppSettings*>{&user, &machine}) {
    try {
      settings->Save();
    } catch (const ERegistryException&) {
      if (!firstError) firstError = std::current_exception();
    }
  }
  if (firstError) std::rethrow_exception(firstError);
}

std::string SettingsNotSavedText(const std::string& reason) {
  return "The settings could not be saved.\n\n" + reason;
}

bool SaveProgramSettingsNow(TAppSettings& user, TAppSettings& machine, TUserDialogs& dialogs) {
  try {
    SaveProgramSettings(user, machine);
    return true;
  } catch (const std::exception& e) {
    TMessage message;
    message.Text = SettingsNotSavedText(e.what());
    message.Icon = TMsgIcon::Error;
    dialogs.ShowMessage(message);
    return false;
  }
}

TFXSettings& FXSettings() {
  if (!gLiveSettings) throw std::logic_error("The program settings do not exist");
  return gLiveSettings->Machine;
}

TFXUserSettings& FXUserSettings() {
  if (!gLiveSettings) throw std::logic_error("The program settings do not exist");
  return gLiveSettings->User;
}

}  // namespace fx
