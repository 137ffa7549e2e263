#pragma once

// Where a launch's scripts go. The game folder's id1 as always; when that cannot be written
// (a system-wide data package), the id1 of the engine's per-user folder, which such engines
// search ahead of the game folder. Either way the engine must run this launch's script: a
// copy of it left by an earlier launch in a folder searched first is replaced too.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/ScriptText.h"

namespace fx {

struct TScriptPlace {
  std::filesystem::path Folder;  // the id1 folder the scripts are written to
  bool InUserFolder = false;     // the engine's per-user folder, as the game's cannot be written
  std::string MainScript;        // the main script's name as spelled there: what "+exec" names
  // Where the engine looks for the scripts, the first searched first (EngineSearchFolders).
  std::vector<std::filesystem::path> SearchFolders;

  std::filesystem::path MainScriptPath() const { return Folder / MainScript; }
};

// The place for a launch. `userFolder` is the engine's per-user folder, empty when it has
// none or it is not known; `gameDirs` are EngineGameDirs. Throws EScriptWriteError naming the
// folder when the game folder's id1 cannot be written and there is no user folder.
TScriptPlace PlanScriptPlace(const std::filesystem::path& gameFolder, std::string_view cfgFileName,
                             const std::filesystem::path& userFolder,
                             const std::vector<std::string>& gameDirs);

// The name a script file takes in the place's folder: an existing file's spelling in any
// case, else `name` as written.
std::string PlacedName(const TScriptPlace& place, std::string_view name);

// Writes the script (creating the per-user id1 when needed) and replaces this program's own
// copies of it in the folders the engine searches first (a file beginning with the scripts'
// header, or named as an auxiliary script). A file of that name there that this program did
// not write is left alone and reported: EScriptWriteError, as for a failed write.
void WritePlacedScript(const TScriptPlace& place, std::string_view name, const TScriptLines& lines);

// Whether a file begins as every script of this program does.
bool IsProgramScript(const std::filesystem::path& file);

}  // namespace fx
