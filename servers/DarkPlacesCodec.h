#pragma once

// "getstatus" and "getinfo" with a challenge, as DarkPlaces, FTE and QuakeSpasm-Spiked answer
// them: "statusResponse" or "infoResponse", the info string, and for getstatus a line per
// player. The challenge comes back under "challenge", which pairs a reply with its request.

#include <optional>
#include <string>
#include <string_view>

#include "servers/ServerInfo.h"

namespace fx {

std::string DarkPlacesStatusRequest(std::string_view challenge);
std::string DarkPlacesInfoRequest(std::string_view challenge);

struct TDarkPlacesReply {
  TServerInfo Info;       // family DarkPlaces; Protocol is the game name ("DarkPlaces-Quake")
  std::string Challenge;  // as echoed; "" when the server sent none
  bool Status = false;    // a statusResponse (with players), not an infoResponse
};

std::optional<TDarkPlacesReply> ParseDarkPlacesReply(std::string_view datagram);

}  // namespace fx
