#pragma once

// Quake source ports installed on this machine, found by the program names of the engine
// profiles (exes/EngineProfiles) in the folders where Linux distributions, users and
// Flatpak put programs.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "exes/FXExes.h"
#include "settings/FoundEngine.h"

namespace fx {

// Folders searched after the PATH, "~/" standing for the home folder. Flatpak exports an
// application under its ID ("io.github.Novum.vkQuake"), whose last part, in any case,
// is matched against the program names.
inline constexpr std::string_view kEngineFolders[] = {
    "/usr/games",
    "~/.local/bin",
    "/var/lib/flatpak/exports/bin",
    "~/.local/share/flatpak/exports/bin",
};

// The folders to search: those of `pathVariable` (empty and relative ones skipped), then
// kEngineFolders with `home` put in; each once.
std::vector<std::filesystem::path> EngineFolders(std::string_view pathVariable,
                                                 const std::filesystem::path& home);

// The engines in `folders`: per program name of the profiles, in table order (the usual
// name of each family first, then its variants), the first executable file in folder order; a file
// reached twice (a link, or a folder named twice) counts once. A second program with the same entry
// name is told apart by its file name: "QuakeSpasm (quakespasm-sdl2)".
std::vector<TFoundEngine> FindInstalledEngines(const std::vector<std::filesystem::path>& folders);

// The process's PATH and home folder.
std::vector<TFoundEngine> FindInstalledEngines();

// The entry for a found engine: its absolute path, the OpenGL type (its command-line rules
// are those of the source ports), no command line of its own.
TQuakeExe EngineEntry(const TFoundEngine& engine);

// The found engines that no entry of `list` starts yet (an entry's file found as a launch
// finds it, through `gameFolder` and `pathVariable`), named so that no name of the list
// repeats ("vkQuake (1)" when "vkQuake" is taken by another program).
TQuakeExeList MissingEngines(const TQuakeExeList& list, const std::vector<TFoundEngine>& found,
                             const std::string& gameFolder, std::string_view pathVariable);

}  // namespace fx
