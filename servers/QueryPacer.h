#pragma once

// The browser's manners. Three rules, each checked before a packet leaves:
// - all packets share a rate (a token bucket of TQueryLimits::PacketsPerSecond, with a burst
//   of a twentieth of a second);
// - each host (IP address) has at most TQueryLimits::PerHostConcurrency queries in flight;
// - each server address gets at most 14 status queries in any 30 seconds (FTE blocks an
//   address for a day after 15), and a server that answers one query a second (DarkPlaces'
//   flood guard) gets at most one such query a second.
// The history outlives a refresh, so pressing Refresh again cannot break the rules.

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
  static constexpr std::chrono::seconds kGuardGap{1};
  static constexpr int kWindowQueries = 14;
  static constexpr std::chrono::seconds kWindow{30};

  void SetLimits(const TQueryLimits& limits, TTimePoint now);
  const TQueryLimits& Limits() const { return FLimits; }

  // The shared rate: takes one packet's allowance, or says when the next one is there.
  bool TakePacket(TTimePoint now);
  TTimePoint NextPacket(TTimePoint now) const;

  // When a packet of `kind` may go to `address` (at `now` or later); `guarded` for a server
  // that answers one query a second. An address once noted as guarded stays so, whichever
  // protocol asks it next.
  TTimePoint Earliest(const TServerAddress& address, TQueryKind kind, bool guarded,
                      TTimePoint now) const;
  void Note(const TServerAddress& address, TQueryKind kind, bool guarded, TTimePoint now);
  // Counts packets that bypass the bucket's wait (the few master requests) against it.
  void Spend(int packets, TTimePoint now);

  bool HostFree(const TServerAddress& address) const;
  void HoldHost(const TServerAddress& address);
  void ReleaseHost(const TServerAddress& address);
  void ReleaseAllHosts() { FHosts.clear(); }

  // Drops the history that no rule looks at any more.
  void Forget(TTimePoint now);

 private:
  struct THistory {
    std::deque<TTimePoint> Status;  // the last status queries, oldest first
    TTimePoint LastGuarded{};
    bool AnyGuarded = false;
    bool Guarded = false;
  };
  void Refill(TTimePoint now) const;

  TQueryLimits FLimits;
  mutable double FTokens = 0;
  mutable TTimePoint FRefilled{};
  std::unordered_map<TServerAddress, THistory, TServerAddressHash> FHistory;
  std::unordered_map<TServerAddress, int, TServerAddressHash> FHosts;
};

}  // namespace fx
