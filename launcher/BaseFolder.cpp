#include "launcher/BaseFolder.h"

#include <string>
#include <system_error>
#include <vector>

#include "launcher/ScriptText.h"

namespace fx {

namespace fs = std::filesystem;

namespace {

// A game folder's folders hold maps/, progs/, a few archives and scripts; a folder with more
// entries than this is not a game's, and mirroring it would stall the launch.
constexpr std::size_t kMaxEntries = 20000;

bool IsLink(const fs::path& path) {
  std::error_code error;
  return fs::is_symlink(fs::symlink_status(path, error));
}

bool IsFolderNoLink(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(fs::symlink_status(path, error));
}

std::vector<fs::path> Entries(const fs::path& folder) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (entries.size() == kMaxEntries)
      throw EScriptWriteError("The folder \"" + folder.string() + "\" holds more than " +
                              std::to_string(kMaxEntries) + " entries; it is no game folder.");
    entries.push_back(it->path());
  }
  return entries;
}

// Removes the links of `own` that do not name an entry of `game` (by the same name) any more.
void RemoveStaleLinks(const fs::path& own, const fs::path& game) {
  for (const fs::path& entry : Entries(own)) {
    if (!IsLink(entry)) continue;
    std::error_code error;
    const fs::path target = fs::read_symlink(entry, error);
    if (error || target != game / entry.filename() || !fs::exists(target, error))
      fs::remove(entry, error);
  }
}

void LinkEntries(const fs::path& game, const fs::path& own) {
  RemoveStaleLinks(own, game);
  for (const fs::path& entry : Entries(game)) {
    const fs::path link = own / entry.filename();
    std::error_code error;
    if (fs::exists(fs::symlink_status(link, error))) continue;  // a link already, or kept
    fs::create_symlink(entry, link, error);
  }
}

void MakeFolder(const fs::path& folder) {
  std::error_code error;
  if (IsLink(folder)) fs::remove(folder, error);
  fs::create_directories(folder, error);
  if (!IsFolderNoLink(folder))
    throw EScriptWriteError("The folder \"" + folder.string() +
                            "\" cannot be made for the engine's game files (" +
                            (error ? error.message() : std::string("not a folder")) + ").");
}

}  // namespace

fs::path OwnBaseFolder(const TUserHomes& homes) {
  const fs::path data = ExpandUserFolder("$XDG_DATA_HOME/fraxinel", homes);
  return data.empty() ? data : data / "engine-base";
}

void MirrorGameFolder(const fs::path& gameFolder, const fs::path& own) {
  // Links name the game folder's real place, so a moved link to it is no worry.
  std::error_code error;
  const fs::path game = fs::weakly_canonical(gameFolder, error);
  MakeFolder(own);
  RemoveStaleLinks(own, game);
  for (const fs::path& entry : Entries(game)) {
    const fs::path mirrored = own / entry.filename();
    if (fs::is_directory(entry, error)) {
      MakeFolder(mirrored);
      LinkEntries(entry, mirrored);
    } else if (!fs::exists(fs::symlink_status(mirrored, error))) {
      fs::create_symlink(entry, mirrored, error);
    }
  }
}

}  // namespace fx
