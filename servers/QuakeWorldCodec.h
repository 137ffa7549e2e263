#pragma once

// QuakeWorld's connectionless queries: "status" with its flag bits, answered by an 'n' packet
// holding the server's info string and a line per client, and the 'k' ping answered by 'l'.

#include <optional>
#include <string>
#include <string_view>

#include "servers/ServerInfo.h"

namespace fx {

// Flag bits of "status": the info string, players, spectators, and each client's team.
inline constexpr int kStatusServerInfo = 1;
inline constexpr int kStatusPlayers = 2;
inline constexpr int kStatusSpectators = 4;
inline constexpr int kStatusTeams = 16;

std::string QuakeWorldStatusRequest(int flags = kStatusServerInfo | kStatusPlayers |
                                                kStatusSpectators | kStatusTeams);
std::string QuakeWorldPingRequest();

// Fills name, map, mod folder, counts, password flag, rules (the info string in order) and
// the clients; spectators are listed but not counted as players. Nothing for any other packet.
std::optional<TServerInfo> ParseQuakeWorldStatus(std::string_view datagram);
// The acknowledgement of a ping, with or without the connectionless header.
bool IsQuakeWorldPingReply(std::string_view datagram);
// FTE's notice that it blocks the querier for a day (a print, 'n', "Probable ddos
// amplification attack"), sent in place of a status or getstatus reply.
bool IsBlockNotice(std::string_view datagram);

}  // namespace fx
