#pragma once

// One server's queries in a refresh, as a sequence of exchanges (a request and its retries
// until a reply): the info or status query, a second ping sample when the first reply could
// not be paired with its request, then for NetQuake servers one exchange per player (or one
// getstatus for all of them, from a DarkPlaces server in NetQuake mode) and per rule. The
// scheduler decides when each attempt may leave; this class decides what it holds and what
// a reply means.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "servers/NetQuakeCodec.h"
#include "servers/QueryPacer.h"
#include "servers/ServerInfo.h"
#include "servers/ServerSource.h"

namespace fx {

enum class TQueryStep : std::uint8_t { Info, Ping, Players, StatusPlayers, Rules, Done };

// What the refreshes found out about a server, kept by the scheduler for the whole session,
// so a later refresh asks it the way it answers from its first request on.
struct TServerTraits {
  bool Guarded = false;               // drops a query within a second of the last one
  std::optional<bool> AnswersStatus;  // a NetQuake server that answers getstatus too
  bool Fte = false;                   // counts status queries per querier and process
  bool Blocked = false;               // FTE blocked us: it answers no status query for a day
  bool Answered = false;              // it answered once
  std::string Challenge;              // random, this server's own: a reply must echo it
};

class TServerQuery {
 public:
  using TTimePoint = std::chrono::steady_clock::time_point;
  struct TAttempt {
    TTimePoint At;
    std::string Challenge;
  };
  enum class TResult : std::uint8_t {
    Ignored,    // late, stale or not for the exchange in progress
    Bad,        // the server answered, but nothing this family sends
    Done,       // the exchange in progress is complete
    Throttled,  // the server blocks us
  };

  // `traits` outlives the query (the scheduler keeps them for the session).
  TServerQuery(const TKnownServer& server, bool details, bool players, TServerTraits& traits);

  // The datagram of the next attempt; `challenge` is used by getstatus.
  std::string Request(std::string_view challenge) const;
  TQueryKind Kind() const;
  bool Guarded() const { return Traits->Guarded; }
  // The attempts the exchange in progress gets: one for a player (an engine answers an
  // index at its first asking or never), the schedule's otherwise.
  std::size_t AttemptsAllowed(std::size_t schedule) const;
  // Sends a getstatus (whose reply carries a challenge).
  bool Challenged() const;
  // Called before a retry: a NetQuake server that answered and then lets a query go
  // unanswered may be a DarkPlaces server guarding itself, so it is asked once a second.
  void BeforeRetry();
  TResult Reply(std::string_view datagram, TTimePoint at);
  // After a completed exchange: moves to the next one, or finishes.
  void Next(TTimePoint now);
  // The exchange in progress got no reply.
  void GiveUp(TTimePoint now);
  void Finish(TServerState state);
  // Asks everything again (the details of one server).
  void Restart(bool details);

  TServerInfo Info;
  bool Details = false;
  bool DetailsLater = false;  // asked for details past its info query: asked again when done
  bool WantPlayers = false;
  TServerTraits* Traits;
  bool Answered = false;
  bool Finished = false;
  bool Holding = false;  // holds one of its host's slots
  bool Parked = false;   // waits for a slot of its host
  bool Queued = false;   // has an entry in the scheduler's timeline, at Due
  bool Changed = false;  // has news for the next batch
  TTimePoint Due{};
  TTimePoint SlotUntil{};  // its host's slot is freed then when no reply came
  TTimePoint NotBefore{};  // the exchange's first attempt waits until then
  TQueryStep Step = TQueryStep::Info;
  std::vector<TAttempt> Attempts;  // of the exchange in progress

 private:
  bool ApplyNetQuake(TNetQuakeReply reply, TTimePoint at);
  TResult ApplyStatusPlayers(std::string_view datagram, TTimePoint at);
  TResult ApplyGetstatus(std::string_view datagram, TTimePoint at, TResult unknown);
  const TAttempt* Paired(const std::string& challenge, bool& wrong) const;
  void Sample(TTimePoint at, const TAttempt* paired);
  void AfterPlayers(TTimePoint last);
  void AfterRules(TTimePoint last);
  void BeginExchange(TQueryStep step);

  int FPlayer = 0;
  int FPlayerCount = 0;
  std::string FRuleAfter;
  bool FRulesEnded = false;
  std::vector<int> FSamples;  // exact round trips in microseconds
};

}  // namespace fx
