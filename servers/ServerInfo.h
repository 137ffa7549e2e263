#pragma once

// What the server browser knows of one game server, as plain data: the codecs fill it from
// replies, the scheduler keeps it, the dialog shows it.

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fx {

// The protocol a server is asked in. Several engines answer more than one; a server is
// listed once, under the family it was first found by.
enum class TServerFamily : std::uint8_t {
  NetQuake,    // control protocol: 0x02 "QUAKE" 3, replies 0x83/0x84/0x85
  QuakeWorld,  // connectionless "status"
  DarkPlaces,  // connectionless "getstatus"/"getinfo" (DarkPlaces, FTE, QuakeSpasm-Spiked)
};

std::string_view ServerFamilyName(TServerFamily family);  // "NetQuake", "QuakeWorld", "DarkPlaces"

// An IPv4 or IPv6 address with its port, in network order bytes.
struct TServerAddress {
  std::array<std::uint8_t, 16> Bytes{};  // IPv4 in the first four bytes
  bool IsV6 = false;
  std::uint16_t Port = 0;

  static TServerAddress V4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d,
                           std::uint16_t port);
  // "1.2.3.4:26000", "[::1]:26000"; a missing port is `defaultPort`. Names are not looked
  // up here: nullopt for anything that is not a numeric address.
  static std::optional<TServerAddress> Parse(std::string_view text, std::uint16_t defaultPort);
  std::string ToString() const;

  friend auto operator<=>(const TServerAddress&, const TServerAddress&) = default;
  friend bool operator==(const TServerAddress&, const TServerAddress&) = default;
};

struct TServerPlayer {
  std::string Name;  // bytes as the server sent them (Quake's 8-bit characters)
  int Frags = 0;
  int Ping = -1;            // milliseconds; -1 unknown
  int Seconds = -1;         // time connected; -1 unknown
  int Top = 0, Bottom = 0;  // shirt and pants colours
  std::string Team;
  bool Spectator = false;
  bool Bot = false;
};

// How the last query of a server ended.
enum class TServerState : std::uint8_t {
  Waiting,  // asked, no answer yet
  Answered,
  TimedOut,
  Refused,      // ICMP port unreachable
  BadReply,     // a reply that did not parse
  Throttled,    // the server asked us to slow down, or our politeness rules hold it back
  NoIpv6Route,  // an IPv6 server, and this machine can only send IPv4
};
inline constexpr std::size_t kServerStates = 7;

struct TServerInfo {
  TServerAddress Address;
  TServerFamily Family = TServerFamily::NetQuake;
  TServerState State = TServerState::Waiting;
  std::string Name;  // host name, bytes as sent
  std::string Map;
  std::string Game;      // mod folder ("" for id1), as the server names it
  std::string Protocol;  // the protocol as the server names it ("3", "28", "DP7", "FTE-Quake")
  int Players = 0;
  int MaxPlayers = 0;
  int Bots = 0;
  int PingMs = -1;      // round trip of the info query; -1 unknown
  int PingMicros = -1;  // the same in microseconds, as measured
  // Why no query could reach it ("no route", "not permitted", "too long"); its state is then
  // TimedOut, since it never answered.
  std::string Error;
  bool Password = false;
  std::vector<std::pair<std::string, std::string>> Rules;  // in the order sent
  std::vector<TServerPlayer> PlayerList;
};

}  // namespace fx
