#pragma once

// The names a launch hands the engine, spelled as they lie on disk. A Linux engine looks its
// files up case-sensitively, in archives and folders alike, while the window's names come
// from lists, from typing and from the map browser's upper-case captions: "map dm_arena"
// does not start maps/DM_Arena.bsp, and "-game CTF" does not load ctf/.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fx {

// The game directories the engine uses, the first searched first: the -game mod, the mission
// packs its switches ask for ("-hipnotic", "-rogue", "-quoth", in `switches`), then id1.
std::vector<std::string> EngineGameDirs(std::string_view mod, std::string_view switches);

// The folders the engine looks in for a file, the first searched first: for each game
// directory its copy in the engine's per-user folder (when `userFolder` is not empty), which
// such engines search ahead of the game folder, then the game folder's.
std::vector<std::filesystem::path> EngineSearchFolders(const std::filesystem::path& gameFolder,
                                                       const std::filesystem::path& userFolder,
                                                       const std::vector<std::string>& gameDirs);

// `relative` ("maps/e1m1.bsp") as the engine would find it on the search path: unchanged when
// some folder or archive holds it spelled so, else the spelling of the first one that holds
// it in another case (a folder's PACK archives are searched before its loose files), else
// nothing.
std::optional<std::string> FindOnSearchPath(const std::vector<std::filesystem::path>& folders,
                                            std::string_view relative);

// The map, demo and script names of one launch. The window's are "(None)"-free, the map cut
// before its title, and in lower case.
struct TScriptNames {
  std::string Map;
  std::string DemoRecord;
  std::string DemoPlay;
};

// The names as they lie on the search path ("maps/<map>.bsp", "<demo>.dem"); a name found
// nowhere stays as it is.
TScriptNames DiskScriptNames(const TScriptNames& names,
                             const std::vector<std::filesystem::path>& folders);

// The mod folder's name for "-game": the real name of the folder the patch stands for
// (found whatever its case, or under its common name) in the game folder, else in the
// engine's per-user folder (when given), else the patch's last part as written.
std::string GameDirName(const std::filesystem::path& gameFolder, std::string_view patch,
                        const std::filesystem::path& userFolder = {});

// The folder the patch stands for: in the game folder, else in the per-user folder where
// only that one holds it (a mod installed there); the game folder's path when neither does.
std::filesystem::path FindModFolder(const std::filesystem::path& gameFolder, std::string_view patch,
                                    const std::filesystem::path& userFolder = {});

// Whether the patch's folder lies directly in the game folder or the engine's per-user
// folder, the only places engines load a mod from ("-game" takes a single folder name, never
// a path). Real paths are compared: a patch folder setting that is a link to the game folder
// names mods in the game folder.
bool ModLiesInGameFolder(const std::filesystem::path& gameFolder, std::string_view patch,
                         const std::filesystem::path& userFolder = {});

}  // namespace fx
