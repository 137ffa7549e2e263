#include "servers/ServerQuery.h"

#include <algorithm>
#include <variant>

#include "servers/DarkPlacesCodec.h"
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

TServerQuery::TServerQuery(const TKnownServer& server, bool details, bool players)
    : Details(details), WantPlayers(players) {
  Info.Address = server.Address;
  Info.Family = server.Family;
  Guarded = server.Family == TServerFamily::DarkPlaces;
}

std::string TServerQuery::Request(std::string_view challenge) const {
  switch (Step) {
    case TQueryStep::Players:
      return NetQuakePlayerRequest(FPlayer);
    case TQueryStep::Rules:
      return NetQuakeRuleRequest(FRuleAfter);
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
    Guarded = true;
}

TServerQuery::TResult TServerQuery::Reply(std::string_view datagram, TTimePoint at) {
  if (Finished || Attempts.empty()) return TResult::Ignored;
  const TResult unknown = Step == TQueryStep::Info && !Answered ? TResult::Bad : TResult::Ignored;
  switch (Info.Family) {
    case TServerFamily::NetQuake: {
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
      ApplyStatus(Info, std::move(*status));
      break;
    }
    case TServerFamily::DarkPlaces: {
      auto reply = ParseDarkPlacesReply(datagram);
      if (!reply) return unknown;
      // A fresh challenge per attempt: a reply that echoes none of them is stale or forged.
      const auto paired = std::find_if(Attempts.begin(), Attempts.end(), [&](const TAttempt& a) {
        return a.Challenge == reply->Challenge;
      });
      if (paired == Attempts.end() || Step != TQueryStep::Info) return TResult::Ignored;
      ApplyStatus(Info, std::move(reply->Info));
      Sample(at, &*paired);
      Answered = true;
      Info.State = TServerState::Answered;
      Changed = true;
      return TResult::Done;
    }
  }
  Sample(at, nullptr);
  Answered = true;
  Info.State = TServerState::Answered;
  Changed = true;
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
    if (rule.End || seen || Info.Rules.size() >= kMaxRules) {
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
      if (Info.Family == TServerFamily::NetQuake && (Details || WantPlayers) && Info.Players > 0) {
        Info.PlayerList.clear();
        FPlayer = 0;
        BeginExchange(TQueryStep::Players);
        return;
      }
      AfterPlayers(last);
      return;
    case TQueryStep::Players:
      if (++FPlayer < std::min(Info.Players, kMaxNetQuakePlayers)) {
        BeginExchange(TQueryStep::Players);
        return;
      }
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
  if (Info.Family == TServerFamily::NetQuake) NotBefore = last + seconds(1);
}

void TServerQuery::GiveUp(TTimePoint now) {
  switch (Step) {
    case TQueryStep::Info:
      Finish(TServerState::TimedOut);
      return;
    case TQueryStep::Rules:
      FRulesEnded = true;
      [[fallthrough]];
    case TQueryStep::Players:
      Next(now);
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
