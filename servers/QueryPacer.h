#pragma once

// The browser's manners. Three rules, each checked before a packet leaves:
// - all packets share a rate (a token bucket of TQueryLimits::PacketsPerSecond, with a burst
//   of a twentieth of a second);
// - each host (IP address) has at most TQueryLimits::PerHostConcurrency queries in flight;
// - each window key gets at most 14 status queries in any 32 seconds, and a server that
//   answers one query a second (DarkPlaces' flood limiter) gets at most one such query in
//   1.05 seconds. The window key is the server's address, or its host for an FTE server:
//   FTE counts per querier and server process, and one process may listen on several ports.
// The margins (32 s for the engines' 30, 1.05 s for their 1) leave room for the server's
// clock, which reads the time once a frame. The history outlives a refresh, so pressing
// Refresh again cannot break the rules.

#include <chrono>
#include <cstdint>
#include <deque>
#include <unordered_map>

#include "servers/ServerAddressHash.h"
#include "servers/ServerSource.h"

namespace fx {

// What a packet counts as for the per-address rules.
enum class TQueryKind : std::uint8_t {
  Status,   // server info, status, getstatus: counted in the 30-second window; guarded
  Guarded,  // player queries: guarded by the one-a-second rule only
  Free,     // rule queries and pings: no per-address rule
};

class TQueryPacer {
 public:
  using TTimePoint = std::chrono::steady_clock::time_point;
  static constexpr std::chrono::milliseconds kGuardGap{1050};
  static constexpr int kWindowQueries = 14;
  static constexpr std::chrono::seconds kWindow{32};

  void SetLimits(const TQueryLimits& limits, TTimePoint now);
  const TQueryLimits& Limits() const { return FLimits; }

  // The shared rate: takes one packet's allowance, or says when the next one is there.
  bool TakePacket(TTimePoint now);
  TTimePoint NextPacket(TTimePoint now) const;

  // When a packet of `kind` may go to `address` (at `now` or later); `guarded` for a server
  // that answers one query a second; `window` is the key its status queries are counted
  // under (the address, or its host).
  TTimePoint Earliest(const TServerAddress& address, const TServerAddress& window, TQueryKind kind,
                      bool guarded, TTimePoint now) const;
  void Note(const TServerAddress& address, const TServerAddress& window, TQueryKind kind,
            TTimePoint now);
  // The server's status queries so far count under its host from now on too.
  void ShareWindow(const TServerAddress& address);
  // Counts packets that bypass the bucket's wait (the few master requests) against it.
  void Spend(int packets, TTimePoint now);

  bool HostFree(const TServerAddress& address) const;
  void HoldHost(const TServerAddress& address);
  void ReleaseHost(const TServerAddress& address);
  void ReleaseAllHosts() { FHosts.clear(); }

  // Drops the history that no rule looks at any more.
  void Forget(TTimePoint now);

 private:
  void Refill(TTimePoint now) const;

  TQueryLimits FLimits;
  mutable double FTokens = 0;
  mutable TTimePoint FRefilled{};
  // The last status or player query to each address, for the one-a-second rule.
  std::unordered_map<TServerAddress, TTimePoint, TServerAddressHash> FLastGuarded;
  // The last status queries under each window key, oldest first.
  std::unordered_map<TServerAddress, std::deque<TTimePoint>, TServerAddressHash> FWindows;
  std::unordered_map<TServerAddress, int, TServerAddressHash> FHosts;
};

}  // namespace fx
