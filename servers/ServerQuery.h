#pragma once

// One server's queries in a refresh, as a sequence of exchanges (a request and its retries
// until a reply): the info or status query, a second ping sample when the first reply could
// not be paired with its request, then for NetQuake servers one exchange per player and per
// rule. The scheduler decides when each attempt may leave; this class decides what it holds
// and what a reply means.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "servers/NetQuakeCodec.h"
#include "servers/QueryPacer.h"
#include "servers/ServerInfo.h"
#include "servers/ServerSource.h"

namespace fx {

enum class TQueryStep : std::uint8_t { Info, Ping, Players, Rules, Done };

class TServerQuery {
 public:
  using TTimePoint = std::chrono::steady_clock::time_point;
  struct TAttempt {
    TTimePoint At;
    std::string Challenge;
  };
  enum class TResult : std::uint8_t {
    Ignored,  // late, stale or not for the exchange in progress
    Bad,      // the server answered, but nothing this family sends
    Done,     // the exchange in progress is complete
  };

  TServerQuery(const TKnownServer& server, bool details, bool players);

  // The datagram of the next attempt; `challenge` is used by getstatus.
  std::string Request(std::string_view challenge) const;
  TQueryKind Kind() const;
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
  bool Guarded = false;  // answers one query a second
  bool Answered = false;
  bool Finished = false;
  bool Holding = false;  // holds one of its host's slots
  bool Parked = false;   // waits for a slot of its host
  bool Queued = false;   // has an entry in the scheduler's timeline, at Due
  bool Changed = false;  // has news for the next batch
  TTimePoint Due{};
  TTimePoint NotBefore{};  // the exchange's first attempt waits until then
  TQueryStep Step = TQueryStep::Info;
  std::vector<TAttempt> Attempts;  // of the exchange in progress

 private:
  bool ApplyNetQuake(TNetQuakeReply reply, TTimePoint at);
  void Sample(TTimePoint at, const TAttempt* paired);
  void AfterPlayers(TTimePoint last);
  void AfterRules(TTimePoint last);
  void BeginExchange(TQueryStep step);

  int FPlayer = 0;
  std::string FRuleAfter;
  bool FRulesEnded = false;
  std::vector<int> FSamples;  // exact round trips in microseconds
};

}  // namespace fx
