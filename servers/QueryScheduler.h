#pragma once

// The query scheduler: a state machine with time and datagrams in, datagrams out. It owns no
// socket and reads no clock: the caller hands it the time with every call, sends what Send
// returns, feeds back what arrives (and the ICMP refusals), and calls Send again at NextWake.
// Tests drive it with a manual clock and a scripted network; the program with a UDP socket.
//
// A refresh asks the masters (in parallel, so a dead one costs only its time-out), the known
// servers and the LAN. Each server is asked in its own protocol with retries on a schedule
// tuned for lossy links; the pacer keeps every rule of politeness.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "servers/MasterListGuard.h"
#include "servers/QueryPacer.h"
#include "servers/ServerAddressHash.h"
#include "servers/ServerQuery.h"
#include "servers/ServerSource.h"

namespace fx {

struct TDatagram {
  TServerAddress Address;
  std::string Bytes;
};

// Where a LAN query goes: a broadcast address in the program, loopback in tests.
struct TLanTarget {
  TServerAddress Address;
  TServerFamily Family = TServerFamily::NetQuake;
};
// 255.255.255.255 on 26000 (NetQuake and DarkPlaces) and 27500 (QuakeWorld).
std::vector<TLanTarget> DefaultLanTargets();

struct TQueryTuning {
  using ms = std::chrono::milliseconds;
  // When the attempts of one exchange leave, from its first; then the give-up wait.
  std::vector<ms> Retries{ms(0), ms(250), ms(500), ms(800), ms(1200), ms(1800), ms(2500)};
  std::vector<ms> GuardedRetries{ms(0), ms(1050), ms(2100), ms(3150)};
  ms GiveUpAfter{800};
  // An unanswered attempt frees its host's slot after this many of the host's round trips
  // (at least SlotHoldLeast, at most the first retry's gap; the gap before a round trip is
  // known), so a silent server never holds back the others on its address.
  int SlotHoldRoundTrips = 4;
  ms SlotHoldLeast{20};
  std::vector<ms> MasterRetries{ms(0), ms(500), ms(1000)};
  ms MasterGiveUpAfter{1500};
  ms MasterQuiet{750};    // a master without an end mark is done this long after its last packet
  ms MasterWindow{3000};  // and any master this long after its first, whatever keeps coming
  ms LanWindow{1500};
  ms ThrottlePatience{2000};  // a politeness wait longer than this ends the query
  // The challenges' random source; unset: the system's (std::random_device).
  std::function<std::uint64_t()> Random;
};

struct TStateCounts {
  int Waiting = 0, Answered = 0, TimedOut = 0, Refused = 0, BadReply = 0, Throttled = 0,
      NoRoute = 0;
};

struct TNameToResolve {
  std::size_t Master = 0;
  std::string Host;
  std::uint16_t Port = 0;
};

class TQueryScheduler {
 public:
  using TTimePoint = std::chrono::steady_clock::time_point;

  explicit TQueryScheduler(TQueryTuning tuning = {});

  // Begins a refresh; one in progress is dropped, the politeness history is kept.
  void Start(const TRefreshRequest& request, const std::vector<TLanTarget>& lan, TTimePoint now);
  // Asks one server for everything, within the running refresh or alone.
  void QueryDetails(const TKnownServer& server, const TQueryLimits& limits, TTimePoint now);
  void Stop();

  // Masters given by name, for the caller to look up (each handed out once).
  std::vector<TNameToResolve> TakeNamesToResolve();
  // `addresses` empty: the lookup failed with `error`.
  void Resolved(std::size_t master, const std::vector<TServerAddress>& addresses,
                const std::string& error, TTimePoint now);

  void Receive(const TServerAddress& from, std::string_view datagram, TTimePoint at);
  // ICMP said nothing listens at `to`. A server that answered listens: it stays answered.
  void Refused(const TServerAddress& to, TTimePoint at);
  // A datagram to `to` could not leave, or the network said it cannot arrive, for `cause`
  // ("no route", "not permitted", "too long"); an answered server stays answered.
  void Unreachable(const TServerAddress& to, const std::string& cause, TTimePoint at);
  // `to` is an IPv6 address and the socket carries IPv4 only: nothing was sent.
  void Unroutable(const TServerAddress& to, TTimePoint at);
  // When the last datagram to `to` left, which replaces the time Send was called with, so a
  // round trip leaves out how long the caller took to send it: the time the send call
  // returned, then the system's own departure stamp when it comes.
  void Departed(const TServerAddress& to, TTimePoint at);
  // What may leave now, at most `most` datagrams.
  std::vector<TDatagram> Send(TTimePoint now,
                              std::size_t most = std::numeric_limits<std::size_t>::max());
  // When Send has something to do again; nothing when all is done or waits for the caller.
  std::optional<TTimePoint> NextWake(TTimePoint now) const;

  std::vector<TServerInfo> TakeChanged();
  std::vector<TMasterResult> TakeMasterResults();
  // Something is still being waited for.
  bool Running() const;
  TStateCounts Counts() const;

 private:
  // One address of a master. A dpmaster is asked for one game's list at a time, since its
  // reply does not say which game it lists: each list's end mark asks for the next.
  struct TMasterLink {
    TServerAddress Address;
    std::size_t Game = 0;      // the list asked for now (dpmaster: of kDpMasterGames)
    std::size_t Attempts = 0;  // of the request for that list
    bool Done = false, Heard = false;
    std::string Error;  // why it ended unheard
    TTimePoint FirstSend{}, Due{}, FirstHeard{}, LastHeard{};
  };
  struct TMasterQuery {
    TMasterServer Master;
    std::vector<TMasterLink> Links;
    bool Resolved = false, Done = false;
    std::vector<TKnownServer> List;
  };

  std::uint32_t AddServer(const TKnownServer& server, bool details, TTimePoint now);
  void AddMaster(const TMasterServer& master, TTimePoint now);
  void Queue(std::uint32_t id, TTimePoint at);
  bool Attempt(std::uint32_t id, TTimePoint now, std::vector<TDatagram>& out);
  TTimePoint NextAttempt(const TServerQuery& query) const;
  bool Exhausted(const TServerQuery& query) const;
  void EndExchange(std::uint32_t id, TTimePoint now);
  void Release(std::uint32_t id, TTimePoint now);
  void ReleaseOverdue(TTimePoint now);
  std::chrono::nanoseconds SlotHold(const TServerAddress& address) const;
  void Learn(TServerQuery& query, bool wasFte);
  void Note(std::uint32_t id);
  void SendMasters(TTimePoint now, std::vector<TDatagram>& out);
  void SendLink(TMasterQuery& master, TMasterLink& link, TTimePoint now,
                std::vector<TDatagram>& out);
  void MasterReply(TMasterQuery& master, TMasterLink& link, std::string_view datagram,
                   TTimePoint at);
  void ListServers(TMasterQuery& master, const TServerAddress& from,
                   const std::vector<TServerAddress>& servers, TTimePoint at);
  void EndLink(TMasterQuery& master, TMasterLink& link, std::string error);
  void FinishMaster(TMasterQuery& master, std::string error);
  void SendLan(TTimePoint now, std::vector<TDatagram>& out);
  void LanReply(const TServerAddress& from, std::string_view datagram, TTimePoint at);
  std::string NewChallenge();

  TQueryTuning FTuning;
  TQueryPacer FPacer;
  std::random_device FRandomDevice;
  bool FNetQuakePlayers = true;

  // What was found out about each server, for the whole session.
  std::unordered_map<TServerAddress, TServerTraits, TServerAddressHash> FTraits;
  // Each host's last measured round trip.
  std::unordered_map<TServerAddress, std::chrono::nanoseconds, TServerAddressHash> FHostRtt;

  std::vector<TServerQuery> FServers;
  std::vector<bool> FInBatch;
  std::vector<std::uint32_t> FBatch;
  std::unordered_map<TServerAddress, std::uint32_t, TServerAddressHash> FByAddress;
  std::set<std::pair<TTimePoint, std::uint32_t>> FTimeline;
  std::set<std::pair<TTimePoint, std::uint32_t>> FSlotExpiry;
  std::unordered_map<TServerAddress, std::deque<std::uint32_t>, TServerAddressHash> FParked;
  std::size_t FActive = 0;

  std::vector<TMasterQuery> FMasters;
  // Master and link of each master address.
  std::unordered_map<TServerAddress, std::pair<std::size_t, std::size_t>, TServerAddressHash>
      FMasterByAddress;
  std::vector<TNameToResolve> FNames;
  std::vector<TMasterResult> FMasterResults;
  TMasterListGuard FGuard;

  std::vector<TLanTarget> FLan;
  bool FLanSent = false, FLanOpen = false;
  TTimePoint FLanSentAt{}, FLanUntil{};
  std::string FLanChallenge;
};

}  // namespace fx
