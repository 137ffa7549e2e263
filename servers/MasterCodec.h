#pragma once

// The two master protocols. A dpmaster answers "getservers" (IPv4 addresses) or
// "getserversExt" (IPv4 and IPv6) in datagrams of at most 1400 bytes; only the last one ends
// with the pseudo-entry "\EOT\0\0\0". A QuakeWorld master answers "c\n" with 'd' packets of
// 6-byte entries and no end mark, possibly in several datagrams.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "servers/ServerInfo.h"

namespace fx {

// The game names Quake servers register under with a dpmaster: DarkPlaces' own, and the one
// QuakeSpasm-Spiked and FTE use.
inline constexpr std::string_view kDpMasterGames[] = {"DarkPlaces-Quake", "FTE-Quake"};

// `extended` asks for getserversExt with both address families.
std::string DpMasterRequest(std::string_view game, bool extended);
std::string QuakeWorldMasterRequest();

struct TMasterReply {
  std::vector<TServerAddress> Servers;  // in the order sent; entries with port 0 left out
  bool Last = false;                    // the end mark came (dpmaster only)
};

std::optional<TMasterReply> ParseDpMasterReply(std::string_view datagram);
std::optional<TMasterReply> ParseQuakeWorldMasterReply(std::string_view datagram);

}  // namespace fx
