#include "settings/GameFolderSearch.h"

#include <iterator>
#include <system_error>

#include "platform/GamePaths.h"
#include "settings/SteamLibraries.h"

namespace fx {

namespace fs = std::filesystem;

std::vector<fs::path> SystemGameFolders() {
  return {std::begin(kSystemGameFolders), std::end(kSystemGameFolders)};
}

std::vector<fs::path> GameFolderCandidates(const fs::path& home,
                                           const std::vector<fs::path>& systemFolders) {
  std::vector<fs::path> candidates{home / "quake", home / ".quakespasm"};
  candidates.insert(candidates.end(), systemFolders.begin(), systemFolders.end());
  for (const fs::path& library : SteamLibraryFolders(home)) {
    const fs::path game = library / "steamapps" / "common" / "Quake";
    candidates.push_back(game);
    candidates.push_back(game / "rerelease");
  }
  return candidates;
}

bool HoldsGameData(const fs::path& folder) {
  if (folder.empty()) return false;
  std::error_code ec;
  return fs::is_regular_file(ResolveGamePath(folder, "id1\\pak0.pak"), ec);
}

std::vector<std::string> FoldersWithGameData(const std::vector<fs::path>& candidates) {
  std::vector<std::string> found;
  for (const fs::path& folder : candidates)
    if (HoldsGameData(folder)) found.push_back(folder.string());
  return found;
}

}  // namespace fx
