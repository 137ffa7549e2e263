#pragma once

// The one-line-per-player texts of QuakeWorld "status" and DarkPlaces "getstatus" replies.
// Names are written between double quotes and may hold quotes themselves, so a name is found
// by the quotes around it, not by splitting at every quote.

#include <optional>
#include <string_view>

#include "servers/ServerInfo.h"

namespace fx {

// `userid frags minutes ping "name" "skin" top bottom ["team" ...]`; a spectator has frags
// -9999 or "S", a negative ping or a name starting with \s\. Nothing for a line that is not
// such a player.
std::optional<TServerPlayer> ParseQuakeWorldPlayer(std::string_view line);

// The three formats answered to getstatus:
//   frags ping "name"                    (DarkPlaces; frags may be a game's status word)
//   frags ping team "name"               (DarkPlaces, Nexuiz-derived games)
//   frags ping bottom_top "name" [address]  (QuakeSpasm-Spiked and its descendants)
//   frags ping "team" "name"             (FTE)
std::optional<TServerPlayer> ParseDarkPlacesPlayer(std::string_view line);

}  // namespace fx
