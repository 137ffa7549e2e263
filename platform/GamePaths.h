#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace fx {

// Maps a game-relative path written the Windows way ("ID1\GFX\POP.LMP", "id1/maps")
// below `gameFolder` onto the disk. Quake data on Linux comes in every spelling
// (id1/ or ID1/, PAK0.PAK or pak0.pak), so each component that does not exist as
// written is matched case-insensitively against the entries of its folder; an entry
// spelled exactly as written always wins. From the first component that matches
// nothing, the rest is kept as written, so the result also names files still to be
// created. Both separators are accepted; empty and "." components are dropped.
// Never throws: an unreadable or missing folder simply matches nothing.
std::filesystem::path ResolveGamePath(const std::filesystem::path& gameFolder,
                                      std::string_view relativePath);

// The folder a patch (mod) name below the game folder stands for: ResolveGamePath, and
// where that finds no folder, the name the mod is commonly installed under ("TEAMF" is
// often found as "fortress/"). The result need not exist.
std::filesystem::path ResolveModFolder(const std::filesystem::path& gameFolder,
                                       std::string_view patch);

// The player's home folders as the engines find them: some take the account's home from
// the password database, some the environment.
struct TUserHomes {
  std::string Account;      // the password database's home; "" when the account has none
  std::string Environment;  // $HOME; "" when unset
  std::string XdgDataHome;  // $XDG_DATA_HOME; "" when unset
  std::string FteHome;      // $FTEHOME, which names FTE's per-user folder; "" when unset
};
TUserHomes CurrentUserHomes();

// A per-user folder written as an engine profile has it: "~/" is the account's home (else
// $HOME), "$HOME/" the environment's (else the account's), "$XDG_DATA_HOME/" that folder
// (else $HOME/.local/share). Empty when the pattern is empty or names a home not known.
// "$FTEHOME" alone is that folder (empty when unset).
std::filesystem::path ExpandUserFolder(std::string_view pattern, const TUserHomes& homes);

}  // namespace fx
