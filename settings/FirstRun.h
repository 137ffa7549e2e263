#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/SpecialFolders.h"
#include "settings/FXSettings.h"
#include "settings/FoundEngine.h"
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

// The folder the setup dialog proposes: the first folder that holds the game's data, else
// the first of ~/quake and ~/.quakespasm that exists, else ~/quake written out in full.
std::string DefaultQuakeFolder(const TXdgFolders& folders);
// The folders that hold the game's data (GameFolderCandidates below the home folder), in
// order; a folder found there is what DefaultQuakeFolder proposes.
std::vector<std::string> GameFoldersFound(const TXdgFolders& folders);

// True when the folder holds the game: "QUAKE.EXE" in any case, or (the Linux engines
// need no such file) an "id1" folder with "pak0.pak", in any case.
bool GameFolderHoldsQuake(const std::string& folder);

// Enters the five standard executables under HKEY_LOCAL_MACHINE, leaving entries of the
// same name untouched. `registry` may have any key open; it is left closed.
void CreateStandardExecutables(TRegistry& registry);
// Enters the engines found on this machine the same way (their absolute paths, the OpenGL
// type), leaving entries of the same name untouched.
void CreateFoundExecutables(TRegistry& registry, const std::vector<TFoundEngine>& engines);

// The dialog's OK: stores the choice and returns true, or, when the game is not found,
// asks "Quake could not be located..." and returns true on Yes (nothing stored) and
// false on No (the dialog stays open). The desktop shortcut is "Fraxinel.desktop"; the
// start-menu one takes the installed desktop entry's file name (DesktopEntryFileName()).
// `engines` are entered after the standard five.
bool CompleteSetup(const TSetupChoice& choice, TFXSettings& settings, TRegistry& registry,
                   const TShortcutPlan& shortcuts, TUserDialogs& dialogs,
                   const std::vector<TFoundEngine>& engines = {});

}  // namespace fx
