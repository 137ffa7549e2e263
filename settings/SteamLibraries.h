#pragma once

// Steam's library folders, as its libraryfolders.vdf lists them, so the first-run setup
// can find a game bought there.

#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace fx {

// A libraryfolders.vdf that is not the format: the text says where.
class EVdfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The library folders of a libraryfolders.vdf text, in file order: the "path" of each
// entry of the root object, or (the older form) the text of an entry whose name is a
// number. Objects nest at most 32 deep. Strings keep Steam's escapes ("\\" and "\""). Throws
// EVdfError for a text that is cut off, unbalanced or holds something other than strings, braces
// and comments.
std::vector<std::filesystem::path> ParseSteamLibraryFolders(std::string_view vdf);

// Where Steam keeps libraryfolders.vdf below a home folder: the native client's two
// places and the Flatpak client's.
std::vector<std::filesystem::path> SteamLibraryFiles(const std::filesystem::path& home);

// Flatpak's Steam (com.valvesoftware.Steam) runs with `--persist=.` (its manifest on
// Flathub, com.valvesoftware.Steam.yml): inside its sandbox the home folder's path is ours,
// but what lies there is ~/.var/app/com.valvesoftware.Steam. A library path it writes below
// `home` is therefore given there first, then as written (for a sandbox granted the real
// home); any other path as written.
std::filesystem::path FlatpakSteamFolder(const std::filesystem::path& home);
std::vector<std::filesystem::path> FlatpakSteamPaths(const std::filesystem::path& inside,
                                                     const std::filesystem::path& home);

// The library folders of every file of SteamLibraryFiles that exists, each once; a file
// that cannot be read or parsed adds nothing. The Flatpak client's paths are translated
// with FlatpakSteamPaths.
std::vector<std::filesystem::path> SteamLibraryFolders(const std::filesystem::path& home);

}  // namespace fx
