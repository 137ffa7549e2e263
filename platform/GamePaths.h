#pragma once

#include <filesystem>
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

}  // namespace fx
