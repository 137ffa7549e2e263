#include "settings/FirstRun.h"

#include <array>
#include <system_error>

#include "platform/GamePaths.h"
#include "platform/InstallLayout.h"
#include "platform/Shortcuts.h"

namespace fx {

namespace {

namespace fs = std::filesystem;

struct TStandardExe {
  const char* Name;
  const char* ExeName;
  int ExeType;
};

constexpr std::array<TStandardExe, 5> kStandardExes{{
    {"DOS Quake", "quake.exe", 0},
    {"WinQuake", "winquake.exe", 1},
    {"OpenGL Quake", "glquake.exe", 2},
    {"Rendition", "vquake.exe", 3},
    {"Quake (Win95 TCP/IP)", "q95.bat", 4},
}};

constexpr const char* kDesktopShortcutFile = "Fraxinel.desktop";

bool IsFolder(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool IsFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::string ExecutablesKey() {
  return std::string("\\") + kProgramKey + "\\Executables";
}

// A shortcut that cannot be written is no reason to stop the setup.
void PlaceShortcut(const TShortcutPlan& plan, const fs::path& folder, const std::string& file) {
  if (folder.empty()) return;
  const TShortcut shortcut{plan.ProgramFile, "Fraxinel", "Fraxinel", plan.Icon};
  CreateShortcut(shortcut, folder / file);
}

TMsgResult AskToContinueWithoutQuake(TUserDialogs& dialogs) {
  TMessage message;
  message.Text =
      "Quake could not be located in the given Quake Folder.\n\n"
      "Are you sure you want to continue?";
  message.Icon = TMsgIcon::Stop;
  message.Buttons = TMsgButtons::YesNo;
  message.DefaultButton = TMsgResult::No;
  return dialogs.ShowMessage(message);
}

}  // namespace

std::string DefaultQuakeFolder(const TXdgFolders& folders) {
  const fs::path home = folders.Home();
  for (const fs::path& candidate :
       {home / "quake", home / ".quakespasm", fs::path("/usr/share/games/quake")})
    if (IsFolder(candidate)) return candidate.string();
  return (home / "quake").string();
}

bool GameFolderHoldsQuake(const std::string& folder) {
  // An empty text would test the working directory.
  if (folder.empty()) return false;
  return IsFile(ResolveGamePath(folder, "QUAKE.EXE")) ||
         IsFile(ResolveGamePath(folder, "id1\\pak0.pak"));
}

void CreateStandardExecutables(TRegistry& registry) {
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  const std::string key = ExecutablesKey();
  if (!registry.OpenKey(key, true)) throw ERegistryException("Failed to create key " + key);
  for (const TStandardExe& exe : kStandardExes) {
    if (registry.KeyExists(exe.Name)) continue;
    if (!registry.OpenKey(exe.Name, true))
      throw ERegistryException(std::string("Failed to create key ") + exe.Name);
    registry.WriteString("ExeName", exe.ExeName);
    registry.WriteString("CmdLine", "");
    registry.WriteInteger("ExeType", exe.ExeType);
    registry.OpenKey(key, false);
  }
  registry.CloseKey();
}

bool CompleteSetup(const TSetupChoice& choice, TFXSettings& settings, TRegistry& registry,
                   const TShortcutPlan& shortcuts, TUserDialogs& dialogs) {
  if (!GameFolderHoldsQuake(choice.QuakePath))
    return AskToContinueWithoutQuake(dialogs) == TMsgResult::Yes;

  settings.SetQPath(choice.QuakePath);
  if (settings.PatchPath().empty()) settings.SetPatchPath(settings.QPath());
  if (choice.DesktopShortcut)
    PlaceShortcut(shortcuts, shortcuts.DesktopFolder, kDesktopShortcutFile);
  // Named as the installed desktop entry, so that menus show the user's entry in its place
  // rather than both.
  if (choice.StartMenuShortcut)
    PlaceShortcut(shortcuts, shortcuts.ProgramsFolder, DesktopEntryFileName());
  CreateStandardExecutables(registry);
  settings.SetVersion(1);
  return true;
}

}  // namespace fx
