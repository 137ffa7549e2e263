#pragma once

// Where a launch's scripts go. The game folder's id1 as always; when that cannot be written
// (a system-wide data package), the id1 of the engine's per-user folder, which such engines
// search ahead of the game folder; for a build that reads only its base folder, a base folder
// of this program's own (launcher/BaseFolder) handed to it as "-basedir". Either way the
// engine must run this launch's script: a copy of it left by an earlier launch in a folder
// searched first is replaced too, and a launch that cannot place its script where the
// engine reads it ends with an error before anything starts.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "exes/EngineLooks.h"
#include "launcher/ScriptText.h"

namespace fx {

struct TScriptPlace {
  std::filesystem::path Folder;  // the id1 folder the scripts are written to
  bool InUserFolder = false;     // the engine's per-user folder, as the game's cannot be written
  std::string MainScript;        // the main script's name as spelled there: what "+exec" names
  // Where the engine looks for the scripts, the first searched first (EngineSearchFolders).
  std::vector<std::filesystem::path> SearchFolders;
  // The program's own base folder the engine is handed as "-basedir", mirroring GameFolder;
  // empty: the engine keeps its base folder.
  std::filesystem::path BaseDir;
  std::filesystem::path GameFolder;  // the base folder the engine would read without one

  std::filesystem::path MainScriptPath() const { return Folder / MainScript; }
  // The base folder the engine reads in this launch.
  const std::filesystem::path& EngineBase() const { return BaseDir.empty() ? GameFolder : BaseDir; }
};

// The scripts' names besides the main one, which every place must take too.
inline constexpr std::string_view kAuxiliaryScripts[] = {"fx_maps.cfg", "fx_svinf.cfg"};

// The place for a launch of an engine that looks as `looks` says; `gameDirs` are
// EngineGameDirs; `ownBase` is OwnBaseFolder. Throws EScriptWriteError naming the folder
// and the reason when no place is read by the engine, or a Flatpak engine's sandbox cannot
// see the game folder (with the command that lets it).
TScriptPlace PlanScriptPlace(const TEngineLooks& looks, std::string_view cfgFileName,
                             const std::vector<std::string>& gameDirs,
                             const std::filesystem::path& ownBase, const TUserHomes& homes);
// The same for an engine that reads `gameFolder` and, when not empty, `userFolder`.
TScriptPlace PlanScriptPlace(const std::filesystem::path& gameFolder, std::string_view cfgFileName,
                             const std::filesystem::path& userFolder,
                             const std::vector<std::string>& gameDirs);

// The name a script file takes in the place's folder: the name as written when a file has it
// or none has it in another case; else the other spelling, when that file can be written.
std::string PlacedName(const TScriptPlace& place, std::string_view name);

// Makes the place's folder (the per-user id1, or the mirrored base folder).
void PrepareScriptPlace(const TScriptPlace& place);

// Writes the script and replaces this program's own copies of it in the folders the engine
// searches first (a file beginning with the scripts' header, or named as an auxiliary
// script), matched by the exact name, as the engine opens files. A file of that name there
// that this program did not write is left alone and reported: EScriptWriteError, as for a
// failed write.
void WritePlacedScript(const TScriptPlace& place, std::string_view name, const TScriptLines& lines);

// Whether a file begins as every script of this program does.
bool IsProgramScript(const std::filesystem::path& file);

}  // namespace fx
