#include "settings/FirstRun.h"

#include <array>
#include <system_error>

#include "platform/GamePaths.h"
#include "platform/InstallLayout.h"
#include "platform/Shortcuts.h"
#include "settings/GameFolderSearch.h"

namespace fx {

namespace {

namespace fs = std::filesystem;

struct TStandardExe {
  const char* Name;
  const char* ExeName;
  int ExeType;
};

// "ExeType" values as the executable entries store them.
constexpr int kOpenGLQuakeType = 2;

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

struct TNewEntry {
  std::string Name;
  std::string ExeName;
  int ExeType;
};

// Each new entry gets exactly three values, so the others take their defaults when read.
void CreateEntries(TRegistry& registry, const std::vector<TNewEntry>& entries) {
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  const std::string key = ExecutablesKey();
  if (!registry.OpenKey(key, true)) throw ERegistryException("Failed to create key " + key);
  for (const TNewEntry& exe : entries) {
    if (registry.KeyExists(exe.Name)) continue;
    if (!registry.OpenKey(exe.Name, true))
      throw ERegistryException("Failed to create key " + exe.Name);
    registry.WriteString("ExeName", exe.ExeName);
    registry.WriteString("CmdLine", "");
    registry.WriteInteger("ExeType", exe.ExeType);
    registry.OpenKey(key, false);
  }
  registry.CloseKey();
}

}  // namespace

std::vector<std::string> GameFoldersFound(const TXdgFolders& folders) {
  return FoldersWithGameData(GameFolderCandidates(folders.Home(), SystemGameFolders()));
}

std::string DefaultQuakeFolder(const TXdgFolders& folders) {
  if (const auto found = GameFoldersFound(folders); !found.empty()) return found.front();
  // Debian's engine packages make /usr/share/games/quake without the game's data, so it is
  // proposed only when it holds the data (above); of the user's own folders, one that
  // exists is likely where the data is meant to go.
  const fs::path home = folders.Home();
  for (const fs::path& candidate : {home / "quake", home / ".quakespasm"})
    if (IsFolder(candidate)) return candidate.string();
  return (home / "quake").string();
}

bool GameFolderHoldsQuake(const std::string& folder) {
  // An empty text would test the working directory.
  if (folder.empty()) return false;
  return IsFile(ResolveGamePath(folder, "QUAKE.EXE")) || HoldsGameData(folder);
}

void CreateStandardExecutables(TRegistry& registry) {
  std::vector<TNewEntry> entries;
  for (const TStandardExe& exe : kStandardExes)
    entries.push_back({exe.Name, exe.ExeName, exe.ExeType});
  CreateEntries(registry, entries);
}

void CreateFoundExecutables(TRegistry& registry, const std::vector<TFoundEngine>& engines) {
  std::vector<TNewEntry> entries;
  for (const TFoundEngine& engine : engines)
    entries.push_back({engine.Entry, engine.File.string(), kOpenGLQuakeType});
  CreateEntries(registry, entries);
}

bool CompleteSetup(const TSetupChoice& choice, TFXSettings& settings, TRegistry& registry,
                   const TShortcutPlan& shortcuts, TUserDialogs& dialogs,
                   const std::vector<TFoundEngine>& engines) {
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
  CreateFoundExecutables(registry, engines);
  settings.SetVersion(1);
  return true;
}

}  // namespace fx
