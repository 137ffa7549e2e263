#pragma once

// Which servers the browser shows: the user's filter as a plain value, the rule that
// favourites are always shown, and the search for a player across every listed server.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "servers/ServerInfo.h"

namespace fx {

// Protocol families as bits, in the order of TServerFamily.
enum TFamilyBits : std::uint8_t {
  kFamilyNetQuake = 1,
  kFamilyQuakeWorld = 2,
  kFamilyDarkPlaces = 4,
  kAllFamilies = kFamilyNetQuake | kFamilyQuakeWorld | kFamilyDarkPlaces,
};
std::uint8_t FamilyBit(TServerFamily family);

struct TServerFilter {
  std::string Text;   // in the name, address or map (as shown; ASCII case-blind)
  std::string Game;   // the mod folder, case-blind; "id1" also finds servers that name none
  std::string Map;    // part of the map's name, case-blind
  int PingBelow = 0;  // milliseconds; 0 any ping (an unmeasured ping never passes a limit)
  bool NotEmpty = false;
  bool NotFull = false;
  bool NoPassword = false;
  std::uint8_t Families = kAllFamilies;  // TFamilyBits

  friend bool operator==(const TServerFilter&, const TServerFilter&) = default;
};

// Whether the server passes every part of the filter.
bool MatchesFilter(const TServerInfo& server, const TServerFilter& filter);

// Whether the table lists the server: a favourite always; one that answered by the
// filter; one that did not answer only when `showSilent` (it is never dropped, only
// hidden), and then by the filter's text and families, the parts that can judge it.
bool IsServerShown(const TServerInfo& server, const TServerFilter& filter, bool favourite,
                   bool showSilent);

struct TPlayerHit {
  std::size_t Server = 0;  // index into the servers searched
  std::size_t Player = 0;  // index into that server's PlayerList
  friend bool operator==(const TPlayerHit&, const TPlayerHit&) = default;
};

// Every player whose name, as shown, holds `text` (ASCII case-blind), in server order;
// nothing for an empty text.
std::vector<TPlayerHit> FindPlayers(std::span<const TServerInfo> servers, std::string_view text);

}  // namespace fx
