#include "servers/ServerTableText.h"

#include <algorithm>
#include <climits>
#include <tuple>

#include "gamedata/QuakeText.h"

namespace fx {

namespace {

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// -1, 0, 1 as std::string's compare of the two texts with each byte mapped by `shown`, ASCII
// case folded.
template <class TShown>
int CompareFolded(std::string_view a, std::string_view b, TShown shown) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(FoldAscii(shown(a[i])));
    const auto y = static_cast<unsigned char>(FoldAscii(shown(b[i])));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// CompareIgnoringCase(QuakeServerText(a), QuakeServerText(b)) without the copies: the
// table sorts thousands of names with it.
int CompareQuakeText(std::string_view a, std::string_view b) {
  return CompareFolded(a, b, QuakePlainChar);
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
  return CompareFolded(a, b, [](char c) { return c; });
}

auto AddressKey(const TServerAddress& address) {
  return std::tie(address.IsV6, address.Bytes, address.Port);
}

int PingKey(const TServerInfo& server) {
  return server.PingMs < 0 ? INT_MAX : server.PingMs;
}

// -1, 0 or 1 for the column alone.
int CompareColumn(const TServerInfo& a, const TServerInfo& b, TServerColumn column) {
  const auto order = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
  switch (column) {
    case TServerColumn::Name:
      return CompareQuakeText(a.Name, b.Name);
    case TServerColumn::Map:
      return CompareQuakeText(a.Map, b.Map);
    case TServerColumn::Game:
      return CompareQuakeText(a.Game, b.Game);
    case TServerColumn::Players:
      return order(std::tie(a.Players, a.MaxPlayers), std::tie(b.Players, b.MaxPlayers));
    case TServerColumn::Ping:
      return order(PingKey(a), PingKey(b));
    case TServerColumn::Family:
      if (a.Family != b.Family) return order(a.Family, b.Family);
      return CompareIgnoringCase(a.Protocol, b.Protocol);
    case TServerColumn::Address:
    case TServerColumn::Count:
      break;
  }
  return 0;
}

}  // namespace

std::string QuakeServerText(std::string_view text) {
  return QuakeTextToUtf8(text);
}

std::string_view ServerStateText(TServerState state) {
  switch (state) {
    case TServerState::Answered:
      return "";
    case TServerState::Waiting:
      return "waiting";
    case TServerState::TimedOut:
      return "timed out";
    case TServerState::Refused:
      return "refused";
    case TServerState::BadReply:
      return "bad reply";
    case TServerState::Throttled:
      return "slow down";
    case TServerState::NoIpv6Route:
      return "no IPv6 route";
  }
  return "";
}

std::string_view ServerStateCountName(TServerState state) {
  return state == TServerState::Answered ? "answered" : ServerStateText(state);
}

std::string ServerModFolder(const TServerInfo& server) {
  if (CompareIgnoringCase(server.Game, "id1") == 0) return {};
  if (server.Family == TServerFamily::QuakeWorld && CompareIgnoringCase(server.Game, "qw") == 0)
    return {};
  return server.Game;
}

std::string ServerCellText(const TServerInfo& server, TServerColumn column) {
  switch (column) {
    case TServerColumn::Name:
      return QuakeServerText(server.Name);
    case TServerColumn::Address:
      return server.Address.ToString();
    case TServerColumn::Map:
      return QuakeServerText(server.Map);
    case TServerColumn::Players:
      if (server.State != TServerState::Answered && server.MaxPlayers <= 0) return {};
      return server.MaxPlayers > 0
                 ? std::to_string(server.Players) + "/" + std::to_string(server.MaxPlayers)
                 : std::to_string(server.Players);
    case TServerColumn::Ping:
      if (!server.Error.empty()) return server.Error;
      if (server.State != TServerState::Answered) return std::string(ServerStateText(server.State));
      return server.PingMs >= 0 ? std::to_string(server.PingMs) : std::string();
    case TServerColumn::Game:
      return QuakeServerText(server.Game);
    case TServerColumn::Family: {
      std::string family(ServerFamilyName(server.Family));
      if (!server.Protocol.empty()) family += " (" + QuakeServerText(server.Protocol) + ")";
      return family;
    }
    case TServerColumn::Count:
      break;
  }
  return {};
}

bool ServerLess(const TServerInfo& a, const TServerInfo& b, TServerColumn column) {
  if (const int order = CompareColumn(a, b, column); order != 0) return order < 0;
  return AddressKey(a.Address) < AddressKey(b.Address);
}

std::string ServerStatusText(const TServerCounts& counts) {
  const auto count = [&](TServerState state) {
    return counts.ByState[static_cast<std::size_t>(state)];
  };
  int total = 0;
  for (const int n : counts.ByState)
    total += n;
  const int bad = count(TServerState::BadReply);
  std::string text = counts.Refreshing ? "Refreshing... " : "";
  text += std::to_string(total) + (total == 1 ? " server: " : " servers: ");
  text += std::to_string(count(TServerState::Answered)) + " answered, ";
  text += std::to_string(count(TServerState::TimedOut)) + " timed out, ";
  text += std::to_string(count(TServerState::Refused)) + " refused, ";
  text += std::to_string(bad) + (bad == 1 ? " bad reply, " : " bad replies, ");
  text += std::to_string(count(TServerState::Throttled)) + " asked to slow down";
  if (const int unroutable = count(TServerState::NoIpv6Route); unroutable > 0)
    text += ", " + std::to_string(unroutable) + " without an IPv6 route";
  if (const int waiting = count(TServerState::Waiting); waiting > 0)
    text += ", " + std::to_string(waiting) + " waiting";
  return text + "; " + std::to_string(counts.Shown) + " shown";
}

bool QuakeTextContains(std::string_view quakeText, std::string_view needle) {
  if (needle.size() > quakeText.size()) return false;
  for (std::size_t start = 0; start + needle.size() <= quakeText.size(); ++start) {
    std::size_t i = 0;
    while (i < needle.size() &&
           FoldAscii(QuakePlainChar(quakeText[start + i])) == FoldAscii(needle[i]))
      ++i;
    if (i == needle.size()) return true;
  }
  return false;
}

bool ContainsIgnoringCase(std::string_view haystack, std::string_view needle) {
  if (needle.empty()) return true;
  if (needle.size() > haystack.size()) return false;
  for (std::size_t start = 0; start + needle.size() <= haystack.size(); ++start)
    if (CompareIgnoringCase(haystack.substr(start, needle.size()), needle) == 0) return true;
  return false;
}

}  // namespace fx
