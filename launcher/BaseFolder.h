#pragma once

// A base folder of this program's own for an engine that reads nothing but its base folder
// (a build without per-user folders) when the game folder cannot be written: it holds a link
// to each entry of the game folder's folders, so the engine finds the game as it lies, and
// the launch's scripts beside them; the engine is handed it as "-basedir". What the engine
// writes there (its config.cfg, saves) stays from launch to launch.

#include <filesystem>

#include "platform/GamePaths.h"

namespace fx {

// Where that folder lies: $XDG_DATA_HOME/fraxinel/engine-base (else ~/.local/share/...).
std::filesystem::path OwnBaseFolder(const TUserHomes& homes);

// Makes `own` mirror `game` one level deep: each folder of the game folder (id1, a mod) is a
// folder of `own` holding a link to each of its entries; each other entry is a link. Links
// that do not lead into `game` any more are removed; files that are no links (written by the
// engine or this program) are kept and hide the game's entry of that name. Throws
// EScriptWriteError when `own` cannot be made.
void MirrorGameFolder(const std::filesystem::path& game, const std::filesystem::path& own);

}  // namespace fx
