#pragma once

// The NetQuake control protocol, as plain bytes in and out. A control packet starts with a
// big-endian word: the control flag 0x80000000 with the packet's whole length in the low 16
// bits; the 32-bit numbers inside are little-endian. Servers drop a packet whose length word
// differs from its size, and so does this parser.

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "servers/ServerInfo.h"

namespace fx {

// 0x02 "QUAKE" 3: what a server is, its map and how full it is.
std::string NetQuakeInfoRequest();
// 0x03 index: one player, counted among the active ones from 0.
std::string NetQuakePlayerRequest(int index);
// Rule names longer than this are not echoed back in a rule request (the engines' rule names
// are short cvar names; a longer one ends the list).
inline constexpr std::size_t kMaxRuleName = 255;
// 0x04 name: the rule after `previous` ("" for the first), cut at kMaxRuleName bytes so the
// length word can never overflow.
std::string NetQuakeRuleRequest(std::string_view previous);

struct TNetQuakeInfo {
  std::string Address;  // the server's own idea of its address; the sender's is the truth
  std::string Name, Map;
  int Players = 0, MaxPlayers = 0, Protocol = 0;
};
struct TNetQuakePlayer {
  int Index = 0;
  TServerPlayer Player;
  std::string Address;
};
struct TNetQuakeRule {
  bool End = false;  // an empty reply ends the list
  std::string Name, Value;
};
using TNetQuakeReply = std::variant<TNetQuakeInfo, TNetQuakePlayer, TNetQuakeRule>;

// Nothing when the datagram is not a well-formed reply of the three kinds.
std::optional<TNetQuakeReply> ParseNetQuakeReply(std::string_view datagram);

}  // namespace fx
