#pragma once

// What the server browser asks of the network, as an interface: the dialog starts a
// refresh or asks one server for its players and rules, and gets the servers back in
// batches. The program's implementation drives the query scheduler over a UDP socket;
// tests hand in their own.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "servers/MasterListGuard.h"
#include "servers/ServerInfo.h"

namespace fx {

enum class TMasterKind : std::uint8_t {
  DpMaster,    // "getservers" / "getserversExt" (DarkPlaces, FTE, QuakeSpasm-Spiked)
  QuakeWorld,  // "c\n", replies "d"
};

struct TMasterServer {
  std::string Host;  // a name or a numeric address
  std::uint16_t Port = 0;
  TMasterKind Kind = TMasterKind::DpMaster;
  bool Enabled = true;
  bool BuiltIn = false;  // one of the program's own list; the user's can be removed
  friend bool operator==(const TMasterServer&, const TMasterServer&) = default;
};

// The limits that keep the browser polite; both are settings of the user.
struct TQueryLimits {
  int PacketsPerSecond = 500;  // all packets the browser sends
  int PerHostConcurrency = 4;  // queries in flight to one IP address
};

struct TKnownServer {
  TServerAddress Address;
  TServerFamily Family = TServerFamily::NetQuake;
};

struct TRefreshRequest {
  std::vector<TMasterServer> Masters;  // those not enabled are skipped
  std::vector<TKnownServer> Servers;   // favourites, history and the last list: always asked
  bool Lan = true;                     // broadcast on 26000 and 27500
  TQueryLimits Limits;
  // Ask NetQuake servers for their players too, one query each (the other families send
  // them with their status anyway).
  bool NetQuakePlayers = true;
  // What the masters' lists may hold; the local networks name their directed broadcasts.
  TMasterListLimits MasterLimits;
  std::vector<TLocalNetwork> LocalNetworks;
};

// What a master answered in the last refresh.
struct TMasterResult {
  TMasterServer Master;
  bool Answered = false;
  int Servers = 0;
  std::string Error;               // why not ("no such host", "timed out"), empty when it answered
  std::vector<TKnownServer> List;  // what it listed, in its order
  int Ignored = 0;                 // listed addresses the guard did not let through
};

// The servers a refresh asks by themselves: `known` (the favourites and the history), and of
// the servers `listed` before, those a master still switched on listed last time and, when
// the LAN is searched, those no master listed (the LAN's). A server only a switched-off
// master listed is not asked. Each address once, `known` first.
std::vector<TKnownServer> ServersToRefresh(std::vector<TKnownServer> known,
                                           std::span<const TServerInfo> listed,
                                           std::span<const TMasterResult> lastResults,
                                           std::span<const TMasterServer> masters, bool lan);

// The masters the program knows: the dpmasters and QuakeWorld masters current engines point
// at, each enabled and marked BuiltIn.
std::vector<TMasterServer> BuiltInMasters();

class TServerSource {
 public:
  virtual ~TServerSource() = default;
  // Starts a refresh; a running one is stopped first. Results arrive through the callbacks,
  // on the caller's thread.
  virtual void Refresh(const TRefreshRequest& request) = 0;
  // Asks one server again for everything: info, players and rules.
  virtual void QueryDetails(const TKnownServer& server, const TQueryLimits& limits) = 0;
  virtual void Stop() = 0;

  std::function<void(std::vector<TServerInfo>)> OnServers;  // new or changed servers
  std::function<void(const TMasterResult&)> OnMaster;
  std::function<void()> OnFinished;  // nothing more is waited for
  // The network cannot be used at all (no socket); the refresh ends at once.
  std::function<void(const std::string&)> OnError;
};

}  // namespace fx
