#include "launcher/DiskNames.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "launcher/ScriptText.h"
#include "platform/GamePaths.h"
#include "platform/PackDirectory.h"

namespace fx {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBaseGame = "id1";
// The mission-pack switches and the folders they load, in the order the engines add them.
constexpr std::array<std::string_view, 3> kMissionPacks = {"rogue", "hipnotic", "quoth"};

bool IsRegularFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

bool HasSwitch(std::string_view switches, std::string_view name) {
  // Whole words only: "-rogue" must not be found in "-roguelike".
  std::size_t at = 0;
  while ((at = switches.find(name, at)) != std::string_view::npos) {
    const std::size_t end = at + name.size();
    const bool starts = at == 0 || switches[at - 1] == ' ' || switches[at - 1] == '\t';
    const bool ends = end == switches.size() || switches[end] == ' ' || switches[end] == '\t';
    if (starts && ends) return true;
    at = end;
  }
  return false;
}

// Engines search a folder's archives ahead of its loose files, the highest number first.
std::vector<fs::path> PacksSearchedFirst(const fs::path& folder) {
  std::vector<fs::path> packs = PackFilesIn(folder);
  std::reverse(packs.begin(), packs.end());
  return packs;
}

std::string WithSlashes(std::string text) {
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

std::optional<std::string> FindExactly(const fs::path& folder, std::string_view relative) {
  for (const fs::path& pack : PacksSearchedFirst(folder))
    for (const std::string& stored : PackEntryNames(pack))
      if (WithSlashes(stored) == relative) return stored;
  if (IsRegularFile(folder / std::string(relative))) return std::string(relative);
  return std::nullopt;
}

std::optional<std::string> FindInAnyCase(const fs::path& folder, std::string_view relative) {
  for (const fs::path& pack : PacksSearchedFirst(folder))
    for (const std::string& stored : PackEntryNames(pack))
      if (EqualsIgnoringCase(WithSlashes(stored), relative)) return WithSlashes(stored);
  const fs::path found = ResolveGamePath(folder, relative);
  if (IsRegularFile(found)) return found.lexically_relative(folder).generic_string();
  return std::nullopt;
}

// The file name found for "<prefix><name><suffix>", without prefix and suffix.
std::string DiskName(const std::vector<fs::path>& folders, std::string_view prefix,
                     const std::string& name, std::string_view suffix) {
  if (name.empty()) return name;
  const std::string relative = std::string(prefix) + name + std::string(suffix);
  const auto found = FindOnSearchPath(folders, relative);
  if (!found || found->size() != relative.size()) return name;
  return found->substr(prefix.size(), name.size());
}

}  // namespace

std::vector<std::string> EngineGameDirs(std::string_view mod, std::string_view switches) {
  std::vector<std::string> dirs;
  // More "-game" in the player's parameters come after the mod's on the command line; the
  // engines that take several add each in turn, so the last is searched first (the engine
  // profiles' SeveralGames cites where). quakespasm reads only the first: a map found only
  // in the others would not start there whatever its spelling.
  std::vector<std::string_view> words;
  for (std::size_t at = 0; at < switches.size();) {
    const std::size_t begin = switches.find_first_not_of(" \t", at);
    if (begin == std::string_view::npos) break;
    const std::size_t end = std::min(switches.find_first_of(" \t", begin), switches.size());
    words.push_back(switches.substr(begin, end - begin));
    at = end;
  }
  for (std::size_t i = words.size(); i-- > 1;)
    if (words[i - 1] == "-game" && !EqualsIgnoringCase(words[i], mod)) dirs.emplace_back(words[i]);
  if (!mod.empty()) dirs.emplace_back(mod);
  // Added after id1 in this order, so searched before it the other way round.
  for (auto pack = kMissionPacks.rbegin(); pack != kMissionPacks.rend(); ++pack)
    if (HasSwitch(switches, "-" + std::string(*pack)) && !EqualsIgnoringCase(mod, *pack))
      dirs.emplace_back(*pack);
  dirs.emplace_back(kBaseGame);
  return dirs;
}

std::vector<fs::path> EngineSearchFolders(const fs::path& gameFolder, const fs::path& userFolder,
                                          const std::vector<std::string>& gameDirs) {
  std::vector<fs::path> folders;
  for (const std::string& dir : gameDirs) {
    // The engine makes its per-user copy under the name it was given.
    if (!userFolder.empty()) folders.push_back(userFolder / dir);
    folders.push_back(ResolveGamePath(gameFolder, dir));
  }
  return folders;
}

std::optional<std::string> FindOnSearchPath(const std::vector<fs::path>& folders,
                                            std::string_view relative) {
  const std::string wanted = WithSlashes(std::string(relative));
  // The name as written wins wherever it is, since the engine takes the first exact match.
  for (const fs::path& folder : folders)
    if (FindExactly(folder, wanted)) return wanted;
  for (const fs::path& folder : folders)
    if (auto found = FindInAnyCase(folder, wanted)) return found;
  return std::nullopt;
}

TScriptNames DiskScriptNames(const TScriptNames& names, const std::vector<fs::path>& folders) {
  return {DiskName(folders, "maps/", names.Map, ".bsp"),
          DiskName(folders, "", names.DemoRecord, ".dem"),
          DiskName(folders, "", names.DemoPlay, ".dem")};
}

fs::path FindModFolder(const fs::path& gameFolder, std::string_view patch,
                       const fs::path& userFolder) {
  const fs::path folder = ResolveModFolder(gameFolder, patch);
  std::error_code error;
  if (fs::is_directory(folder, error) || userFolder.empty()) return folder;
  // A bare name only: the per-user folder holds mods by their name, not paths below it.
  const fs::path user = ResolveModFolder(userFolder, patch);
  return fs::is_directory(user, error) && user.parent_path() == userFolder ? user : folder;
}

std::string GameDirName(const fs::path& gameFolder, std::string_view patch,
                        const fs::path& userFolder) {
  const fs::path folder = FindModFolder(gameFolder, patch, userFolder);
  std::error_code error;
  if (fs::is_directory(folder, error)) return folder.filename().string();
  std::string written = WithSlashes(std::string(patch));
  while (!written.empty() && written.back() == '/')
    written.pop_back();
  return written.substr(written.find_last_of('/') + 1);
}

bool ModLiesInGameFolder(const fs::path& gameFolder, std::string_view patch,
                         const fs::path& userFolder) {
  const std::string name = GameDirName(gameFolder, patch, userFolder);
  if (name.empty() || name == "." || name == "..") return false;
  const fs::path folder = FindModFolder(gameFolder, patch, userFolder).lexically_normal();
  // The real folders, so a link to the game folder (or from it) counts as the game folder.
  const auto real = [](const fs::path& path) {
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(path, error);
    return error ? path.lexically_normal() : resolved;
  };
  const fs::path parent = real(folder.parent_path());
  const auto same = [&](const fs::path& place) {
    return !place.empty() && parent == real((place / "").lexically_normal().parent_path());
  };
  return same(gameFolder) || same(userFolder);
}

}  // namespace fx
