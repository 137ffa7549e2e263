#pragma once

// The folders where the game's data may lie on Linux, for the first-run setup to propose.

#include <filesystem>
#include <string>
#include <vector>

namespace fx {

// System-wide places of the game's data (game-data-packager and hand installs).
inline constexpr const char* kSystemGameFolders[] = {"/usr/share/games/quake",
                                                     "/usr/local/games/quake"};

std::vector<std::filesystem::path> SystemGameFolders();

// The places looked at, in order: ~/quake, ~/.quakespasm, `systemFolders`, and for every
// Steam library below `home` its steamapps/common/Quake and that folder's "rerelease".
std::vector<std::filesystem::path> GameFolderCandidates(
    const std::filesystem::path& home, const std::vector<std::filesystem::path>& systemFolders);

// True when `folder` holds the game's data: id1/pak0.pak, in any case.
bool HoldsGameData(const std::filesystem::path& folder);

// What the setup offers: the candidates that hold the data, in candidate order. The first
// is proposed; the others are listed for the user to pick.
std::vector<std::string> FoldersWithGameData(const std::vector<std::filesystem::path>& candidates);

}  // namespace fx
