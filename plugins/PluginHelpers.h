#pragma once

// Small rules several modification game types share.

#include <cstdint>
#include <string>
#include <string_view>

#include "plugins/FXIntf.h"

namespace fx {

// Points the host's patch box at the modification's sub-folder of the patch folder, unless
// the user already chose a patch.
void DefaultPatchDir(TQuakeStarter& starter, std::string_view folder);

// The "deathmatch" value of a game type whose play modes are all deathmatch games: the
// play-mode index plus 1.
std::int32_t DeathmatchOfPlayMode(TQuakeStarter& starter);

// "<command> <value>", as a script line.
std::string NumberedCommand(std::string_view command, std::int32_t value);

}  // namespace fx
