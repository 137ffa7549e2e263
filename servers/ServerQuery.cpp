#include "servers/ServerQuery.h"

#include <algorithm>
#include <variant>

#include "servers/DarkPlacesCodec.h"
#include "servers/InfoString.h"
#include "servers/NetQuakeCodec.h"
#include "servers/QuakeWorldCodec.h"

namespace fx {

namespace {

using namespace std::chrono;

constexpr std::size_t kMaxRules = 256;
constexpr std::size_t kPingSamples = 3;
constexpr int kMaxNetQuakePlayers = 255;  // the index is one byte

// Takes what a status reply says, keeping what the query knows itself.
void ApplyStatus(TServerInfo& info, TServerInfo&& status) {
  status.Address = info.Address;
  status.Family = info.Family;
  status.PingMs = info.PingMs;
  status.PingMicros = info.PingMicros;
  info = std::move(status);
}

}  // namespace

TServerQuery::TServerQuery(const TKnownServer& server, bool details, bool players,
                           TServerTraits& traits)
    : Details(details), WantPlayers(players), Traits(&traits) {
  Info.Address = server.Address;
  Info.Family = server.Family;
  // Which engine answers getstatus is unknown before it does: each is taken for DarkPlaces
  // until it shows it is FTE, which has no flood limiter of that kind.
  if (server.Family == TServerFamily::DarkPlaces && !traits.Fte) traits.Guarded = true;
}

std::size_t TServerQuery::AttemptsAllowed(std::size_t schedule) const {
  return Step == TQueryStep::Players ? 1 : schedule;
}

bool TServerQuery::Challenged() const {
  return Info.Family == TServerFamily::DarkPlaces || Step == TQueryStep::StatusPlayers;
}

std::string TServerQuery::Request(std::string_view challenge) const {
  switch (Step) {
    case TQueryStep::Players:
      return NetQuakePlayerRequest(FPlayer);
    case TQueryStep::Rules:
      return NetQuakeRuleRequest(FRuleAfter);
    case TQueryStep::StatusPlayers:
      return DarkPlacesStatusRequest(challenge);
    case TQueryStep::Ping:
      if (Info.Family == TServerFamily::QuakeWorld) return QuakeWorldPingRequest();
      [[fallthrough]];
    default:
      switch (Info.Family) {
        case TServerFamily::NetQuake:
          return NetQuakeInfoRequest();
        case TServerFamily::QuakeWorld:
          return QuakeWorldStatusRequest();
        case TServerFamily::DarkPlaces:
          return DarkPlacesStatusRequest(challenge);
      }
  }
  return {};
}

TQueryKind TServerQuery::Kind() const {
  switch (Step) {
    case TQueryStep::Players:
      return TQueryKind::Guarded;
    case TQueryStep::StatusPlayers:
      return TQueryKind::Status;
    case TQueryStep::Rules:
      return TQueryKind::Free;
    case TQueryStep::Ping:
      return Info.Family == TServerFamily::QuakeWorld ? TQueryKind::Free : TQueryKind::Status;
    default:
      return TQueryKind::Status;
  }
}

void TServerQuery::BeforeRetry() {
  if (Answered && Info.Family == TServerFamily::NetQuake && Kind() != TQueryKind::Free)
    Traits->Guarded = true;
}

TServerQuery::TResult TServerQuery::Reply(std::string_view datagram, TTimePoint at) {
  if (Finished || Attempts.empty()) return TResult::Ignored;
  if (Kind() == TQueryKind::Status && IsBlockNotice(datagram)) {
    Traits->Fte = Traits->Blocked = true;
    return TResult::Throttled;
  }
  const TResult unknown = Step == TQueryStep::Info && !Answered ? TResult::Bad : TResult::Ignored;
  switch (Info.Family) {
    case TServerFamily::NetQuake: {
      if (Step == TQueryStep::StatusPlayers) return ApplyStatusPlayers(datagram, at);
      auto reply = ParseNetQuakeReply(datagram);
      if (!reply) return unknown;
      return ApplyNetQuake(std::move(*reply), at) ? TResult::Done : TResult::Ignored;
    }
    case TServerFamily::QuakeWorld: {
      if (Step == TQueryStep::Ping) {
        if (!IsQuakeWorldPingReply(datagram)) return TResult::Ignored;
        Sample(at, nullptr);
        return TResult::Done;
      }
      auto status = ParseQuakeWorldStatus(datagram);
      if (!status) return unknown;
      if (Step != TQueryStep::Info) return TResult::Ignored;
      // FTE names itself in *version (version_string(), fteqw engine/common/common.c).
      if (InfoValue(status->Rules, "*version").value_or("").starts_with("FTE ")) Traits->Fte = true;
      ApplyStatus(Info, std::move(*status));
      break;
    }
    case TServerFamily::DarkPlaces:
      return ApplyGetstatus(datagram, at, unknown);
  }
  Sample(at, nullptr);
  Answered = true;
  Info.State = TServerState::Answered;
  Changed = true;
  return TResult::Done;
}

// The attempt a challenge echoes. DarkPlaces and QuakeSpasm-Spiked echo it; FTE's
// SV_GeneratePublicServerinfo (fteqw engine/server/sv_main.c) leaves "challenge" out, so a
// reply without one is taken (it came from the address and port asked) but not paired.
// One that echoes another challenge than this server's is forged.
const TServerQuery::TAttempt* TServerQuery::Paired(const std::string& challenge,
                                                   bool& wrong) const {
  wrong = false;
  if (challenge.empty()) return nullptr;
  for (const TAttempt& attempt : Attempts)
    if (attempt.Challenge == challenge) return &attempt;
  wrong =
      !challenge.starts_with(Traits->Challenge) || challenge.size() != Traits->Challenge.size() + 1;
  return nullptr;
}

TServerQuery::TResult TServerQuery::ApplyGetstatus(std::string_view datagram, TTimePoint at,
                                                   TResult unknown) {
  auto reply = ParseDarkPlacesReply(datagram);
  if (!reply) return unknown;
  bool wrong = false;
  const TAttempt* paired = Paired(reply->Challenge, wrong);
  if (wrong) return TResult::Bad;
  // Our own challenge, but of an attempt of another exchange: a late reply.
  if (!paired && !reply->Challenge.empty()) return TResult::Ignored;
  if (Step != TQueryStep::Info) return TResult::Ignored;
  if (reply->Challenge.empty()) {
    // FTE limits status replies to 20 a second for all queriers together (SVC_ThrottleInfo,
    // fteqw engine/server/sv_main.c) and counts them in its window, but drops none within a
    // second of the last: it is not guarded.
    Traits->Fte = true;
    Traits->Guarded = false;
  }
  ApplyStatus(Info, std::move(reply->Info));
  Sample(at, paired);
  Answered = true;
  Info.State = TServerState::Answered;
  Changed = true;
  return TResult::Done;
}

// A NetQuake server's players from one getstatus: DarkPlaces answers it on the same port in
// NetQuake mode (netconn.c, NetConn_ServerParsePacket); quakespasm does not.
TServerQuery::TResult TServerQuery::ApplyStatusPlayers(std::string_view datagram, TTimePoint at) {
  auto reply = ParseDarkPlacesReply(datagram);
  if (!reply || !reply->Status) return TResult::Ignored;
  bool wrong = false;
  const TAttempt* paired = Paired(reply->Challenge, wrong);
  if (wrong) return TResult::Bad;
  if (!paired && !reply->Challenge.empty()) return TResult::Ignored;
  Traits->AnswersStatus = true;
  Traits->Guarded = true;
  Info.PlayerList = std::move(reply->Info.PlayerList);
  if (Info.PlayerList.size() > static_cast<std::size_t>(FPlayerCount))
    Info.PlayerList.resize(static_cast<std::size_t>(FPlayerCount));
  Sample(at, paired);
  return TResult::Done;
}

bool TServerQuery::ApplyNetQuake(TNetQuakeReply reply, TTimePoint at) {
  if (auto* info = std::get_if<TNetQuakeInfo>(&reply)) {
    if (Step != TQueryStep::Info && Step != TQueryStep::Ping) return false;
    Info.Name = std::move(info->Name);
    Info.Map = std::move(info->Map);
    Info.Players = info->Players;
    Info.MaxPlayers = info->MaxPlayers;
    Info.Protocol = std::to_string(info->Protocol);
    Answered = true;
    Info.State = TServerState::Answered;
    Changed = Changed || Step == TQueryStep::Info;
  } else if (auto* player = std::get_if<TNetQuakePlayer>(&reply)) {
    if (Step != TQueryStep::Players || player->Index != FPlayer) return false;
    Info.PlayerList.push_back(std::move(player->Player));
  } else {
    auto& rule = std::get<TNetQuakeRule>(reply);
    if (Step != TQueryStep::Rules || (!rule.End && rule.Name == FRuleAfter)) return false;
    const bool seen = std::any_of(Info.Rules.begin(), Info.Rules.end(),
                                  [&](const auto& known) { return known.first == rule.Name; });
    if (rule.End || seen || Info.Rules.size() >= kMaxRules || rule.Name.size() > kMaxRuleName) {
      FRulesEnded = true;
    } else {
      FRuleAfter = rule.Name;
      Info.Rules.emplace_back(std::move(rule.Name), std::move(rule.Value));
    }
  }
  Sample(at, nullptr);
  return true;
}

void TServerQuery::Sample(TTimePoint at, const TAttempt* paired) {
  Traits->Answered = true;
  if (!paired && Attempts.size() == 1) paired = &Attempts.front();
  if (paired) {
    if (FSamples.size() < kPingSamples)
      FSamples.push_back(static_cast<int>(duration_cast<microseconds>(at - paired->At).count()));
    std::vector<int> sorted = FSamples;
    std::sort(sorted.begin(), sorted.end());
    Info.PingMicros = sorted[sorted.size() / 2];
  } else if (FSamples.empty()) {
    // Which attempt this answers is unknown: the last one gives a lower bound, until a
    // reply that can be paired comes.
    Info.PingMicros =
        static_cast<int>(duration_cast<microseconds>(at - Attempts.back().At).count());
  }
  Info.PingMicros = std::max(0, Info.PingMicros);
  Info.PingMs = (Info.PingMicros + 500) / 1000;
}

void TServerQuery::BeginExchange(TQueryStep step) {
  Step = step;
  Attempts.clear();
}

void TServerQuery::Next(TTimePoint now) {
  const TTimePoint last = Attempts.empty() ? now : Attempts.back().At;
  switch (Step) {
    case TQueryStep::Info:
      // No engine answers an index past its active clients, and the count may include
      // connections still connecting (quakespasm's net_activeconnections), so the count is
      // only an upper bound, capped at the server's maximum.
      FPlayerCount = std::min({Info.Players, Info.MaxPlayers, kMaxNetQuakePlayers});
      if (Info.Family == TServerFamily::NetQuake && (Details || WantPlayers) && FPlayerCount > 0) {
        Info.PlayerList.clear();
        FPlayer = 0;
        // A server known to answer getstatus gives all its players in one reply, a second
        // after the info query its flood limiter counted.
        BeginExchange(Traits->AnswersStatus.value_or(false) ? TQueryStep::StatusPlayers
                                                            : TQueryStep::Players);
        return;
      }
      AfterPlayers(last);
      return;
    case TQueryStep::Players:
      if (++FPlayer < FPlayerCount) {
        BeginExchange(TQueryStep::Players);
        return;
      }
      AfterPlayers(last);
      return;
    case TQueryStep::StatusPlayers:
      AfterPlayers(last);
      return;
    case TQueryStep::Rules:
      if (!FRulesEnded) {
        BeginExchange(TQueryStep::Rules);
        return;
      }
      AfterRules(last);
      return;
    default:
      Finish(TServerState::Answered);
      return;
  }
}

void TServerQuery::AfterPlayers(TTimePoint last) {
  if (Info.Family != TServerFamily::NetQuake || !Details) {
    AfterRules(last);
    return;
  }
  Info.Rules.clear();
  FRuleAfter.clear();
  FRulesEnded = false;
  BeginExchange(TQueryStep::Rules);
}

void TServerQuery::AfterRules(TTimePoint last) {
  if (!FSamples.empty() || Info.Family == TServerFamily::DarkPlaces) {
    Finish(TServerState::Answered);
    return;
  }
  BeginExchange(TQueryStep::Ping);
  // A DarkPlaces server in NetQuake mode would drop a second info query within a second.
  if (Info.Family == TServerFamily::NetQuake) NotBefore = last + TQueryPacer::kGuardGap;
}

void TServerQuery::GiveUp(TTimePoint now) {
  switch (Step) {
    case TQueryStep::Info:
      Finish(TServerState::TimedOut);
      return;
    case TQueryStep::Rules:
      FRulesEnded = true;
      Next(now);
      return;
    case TQueryStep::Players:
      // The first index missing ends the list. A server not yet known to answer getstatus
      // may be DarkPlaces, whose flood limiter dropped the index: a getstatus a guard gap
      // later tells, and gives the players.
      if (!Traits->AnswersStatus) {
        Traits->Guarded = true;
        BeginExchange(TQueryStep::StatusPlayers);
        return;
      }
      AfterPlayers(now);
      return;
    case TQueryStep::StatusPlayers:
      // quakespasm answers no getstatus: it has no flood limiter either.
      if (!Traits->AnswersStatus) Traits->Guarded = false;
      Traits->AnswersStatus = Traits->AnswersStatus.value_or(false);
      AfterPlayers(now);
      return;
    default:
      Finish(TServerState::Answered);
      return;
  }
}

void TServerQuery::Finish(TServerState state) {
  Info.State = state;
  Step = TQueryStep::Done;
  Finished = true;
  Changed = true;
}

void TServerQuery::Restart(bool details) {
  Details = Details || details;
  Finished = false;
  FPlayer = 0;
  FRuleAfter.clear();
  FRulesEnded = false;
  FSamples.clear();
  NotBefore = {};
  BeginExchange(TQueryStep::Info);
}

}  // namespace fx
