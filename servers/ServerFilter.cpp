#include "servers/ServerFilter.h"

#include <cstdio>

#include "servers/ServerTableText.h"

namespace fx {

namespace {

bool SameFolder(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ContainsIgnoringCase(a, b);
}

bool GameMatches(const TServerInfo& server, std::string_view wanted) {
  if (wanted.empty()) return true;
  // The base game goes by several names: none at all, "id1", and "qw" on QuakeWorld.
  if (SameFolder(wanted, "id1") && ServerModFolder(server).empty()) return true;
  return server.Game.size() == wanted.size() && QuakeTextContains(server.Game, wanted);
}

// The address as shown, without a heap copy for the usual IPv4 address.
bool AddressContains(const TServerAddress& address, std::string_view text) {
  if (address.IsV6) return ContainsIgnoringCase(address.ToString(), text);
  char shown[24];
  const int length =
      std::snprintf(shown, sizeof shown, "%u.%u.%u.%u:%u", address.Bytes[0], address.Bytes[1],
                    address.Bytes[2], address.Bytes[3], address.Port);
  return ContainsIgnoringCase(std::string_view(shown, static_cast<std::size_t>(length)), text);
}

bool TextMatches(const TServerInfo& server, std::string_view text) {
  return text.empty() || QuakeTextContains(server.Name, text) ||
         QuakeTextContains(server.Map, text) || AddressContains(server.Address, text);
}

}  // namespace

std::uint8_t FamilyBit(TServerFamily family) {
  return static_cast<std::uint8_t>(1u << static_cast<unsigned>(family));
}

bool MatchesFilter(const TServerInfo& server, const TServerFilter& filter) {
  if ((filter.Families & FamilyBit(server.Family)) == 0) return false;
  if (filter.PingBelow > 0 && (server.PingMs < 0 || server.PingMs >= filter.PingBelow))
    return false;
  if (filter.NotEmpty && server.Players <= 0) return false;
  if (filter.NotFull && server.MaxPlayers > 0 && server.Players >= server.MaxPlayers) return false;
  if (filter.NoPassword && server.Password) return false;
  if (!filter.Map.empty() && !QuakeTextContains(server.Map, filter.Map)) return false;
  return GameMatches(server, filter.Game) && TextMatches(server, filter.Text);
}

bool IsServerShown(const TServerInfo& server, const TServerFilter& filter, bool favourite,
                   bool showSilent) {
  if (favourite) return true;
  if (server.State == TServerState::Answered) return MatchesFilter(server, filter);
  // Of a server that did not answer only its address, family and last known name are
  // known: the parts of the filter about players, ping and password cannot judge it.
  return showSilent && (filter.Families & FamilyBit(server.Family)) != 0 &&
         TextMatches(server, filter.Text);
}

std::vector<TPlayerHit> FindPlayers(std::span<const TServerInfo> servers, std::string_view text) {
  std::vector<TPlayerHit> hits;
  if (text.empty()) return hits;
  for (std::size_t s = 0; s < servers.size(); ++s) {
    const std::vector<TServerPlayer>& players = servers[s].PlayerList;
    for (std::size_t p = 0; p < players.size(); ++p)
      if (QuakeTextContains(players[p].Name, text)) hits.push_back({s, p});
  }
  return hits;
}

}  // namespace fx
