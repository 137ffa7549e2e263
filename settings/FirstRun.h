#pragma once

#include <filesystem>
#include <string>

#include "platform/Registry.h"
#include "platform/SpecialFolders.h"
#include "settings/FXSettings.h"
#include "ui/UserDialogs.h"

namespace fx {

// What the user chose in the first-run setup dialog.
struct TSetupChoice {
  std::string QuakePath;
  bool DesktopShortcut = true;
  bool StartMenuShortcut = false;
};

// Where the shortcuts go and what they start.
struct TShortcutPlan {
  std::filesystem::path ProgramFile;     // the program's own executable, full path
  std::filesystem::path DesktopFolder;   // empty: no desktop shortcut possible
  std::filesystem::path ProgramsFolder;  // empty: no start-menu shortcut possible
  std::string Icon;                      // icon name or file for the .desktop files
};

// The folder the setup dialog proposes: the first of ~/quake, ~/.quakespasm and
// /usr/share/games/quake that exists, else ~/quake written out in full.
std::string DefaultQuakeFolder(const TXdgFolders& folders);

// True when the folder holds the game: "QUAKE.EXE" in any case, or (the Linux engines
// need no such file) an "id1" folder with "pak0.pak", in any case.
bool GameFolderHoldsQuake(const std::string& folder);

// Enters the five standard executables under HKEY_LOCAL_MACHINE, leaving entries of the
// same name untouched. `registry` may have any key open; it is left closed.
void CreateStandardExecutables(TRegistry& registry);

// The dialog's OK: stores the choice and returns true, or, when the game is not found,
// asks "Quake could not be located..." and returns true on Yes (nothing stored) and
// false on No (the dialog stays open). The desktop shortcut is "Fraxinel.desktop"; the
// start-menu one takes the installed desktop entry's file name (DesktopEntryFileName()).
bool CompleteSetup(const TSetupChoice& choice, TFXSettings& settings, TRegistry& registry,
                   const TShortcutPlan& shortcuts, TUserDialogs& dialogs);

}  // namespace fx
