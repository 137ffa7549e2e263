#include "servers/QueryScheduler.h"

#include <algorithm>
#include <cstdio>

#include "servers/DarkPlacesCodec.h"
#include "servers/MasterCodec.h"
#include "servers/NetQuakeCodec.h"
#include "servers/QuakeWorldCodec.h"

namespace fx {

namespace {

std::optional<TServerAddress> NumericAddress(const std::string& host, std::uint16_t port) {
  if (auto address = TServerAddress::Parse(host, port)) return address;
  return TServerAddress::Parse("[" + host + "]", port);
}

TServerFamily FamilyOf(TMasterKind kind) {
  return kind == TMasterKind::DpMaster ? TServerFamily::DarkPlaces : TServerFamily::QuakeWorld;
}

std::vector<std::string> MasterRequests(const TMasterServer& master, const TServerAddress& to) {
  if (master.Kind == TMasterKind::QuakeWorld) return {QuakeWorldMasterRequest()};
  std::vector<std::string> requests;
  for (const std::string_view game : kDpMasterGames)
    requests.push_back(DpMasterRequest(game, to.IsV6));
  return requests;
}

}  // namespace

std::vector<TLanTarget> DefaultLanTargets() {
  return {{TServerAddress::V4(255, 255, 255, 255, 26000), TServerFamily::NetQuake},
          {TServerAddress::V4(255, 255, 255, 255, 26000), TServerFamily::DarkPlaces},
          {TServerAddress::V4(255, 255, 255, 255, 27500), TServerFamily::QuakeWorld}};
}

TQueryScheduler::TQueryScheduler(TQueryTuning tuning) : FTuning(std::move(tuning)) {}

void TQueryScheduler::Start(const TRefreshRequest& request, const std::vector<TLanTarget>& lan,
                            TTimePoint now) {
  Stop();
  FNetQuakePlayers = request.NetQuakePlayers;
  FPacer.SetLimits(request.Limits, now);
  FPacer.Forget(now);
  FGuard = TMasterListGuard(request.MasterLimits, request.LocalNetworks);
  for (const TMasterServer& master : request.Masters)
    if (master.Enabled) AddMaster(master, now);
  for (const TKnownServer& server : request.Servers)
    AddServer(server, false, now);
  if (request.Lan) FLan = lan;
  FLanChallenge = NewChallenge();
}

void TQueryScheduler::QueryDetails(const TKnownServer& server, const TQueryLimits& limits,
                                   TTimePoint now) {
  if (!Running()) {
    TRefreshRequest alone;
    alone.Lan = false;
    alone.Limits = limits;
    alone.NetQuakePlayers = false;
    Start(alone, {}, now);
  }
  const std::uint32_t id = AddServer(server, true, now);
  TServerQuery& query = FServers[id];
  if (!query.Finished) {
    (query.Step == TQueryStep::Info ? query.Details : query.DetailsLater) = true;
    return;
  }
  query.Restart(true);
  ++FActive;
  Queue(id, now);
}

void TQueryScheduler::Stop() {
  FServers.clear();
  FInBatch.clear();
  FBatch.clear();
  FByAddress.clear();
  FTimeline.clear();
  FParked.clear();
  FActive = 0;
  FMasters.clear();
  FMasterByAddress.clear();
  FNames.clear();
  FMasterResults.clear();
  FGuard = TMasterListGuard();
  FLan.clear();
  FLanSent = FLanOpen = false;
  FPacer.ReleaseAllHosts();
}

std::uint32_t TQueryScheduler::AddServer(const TKnownServer& server, bool details, TTimePoint now) {
  if (const auto found = FByAddress.find(server.Address); found != FByAddress.end())
    return found->second;
  const auto id = static_cast<std::uint32_t>(FServers.size());
  FServers.emplace_back(server, details, FNetQuakePlayers);
  FInBatch.push_back(false);
  FByAddress.emplace(server.Address, id);
  ++FActive;
  Queue(id, now);
  return id;
}

void TQueryScheduler::AddMaster(const TMasterServer& master, TTimePoint now) {
  TMasterQuery& query = FMasters.emplace_back();
  query.Master = master;
  if (const auto address = NumericAddress(master.Host, master.Port)) {
    Resolved(FMasters.size() - 1, {*address}, "", now);
  } else {
    FNames.push_back({FMasters.size() - 1, master.Host, master.Port});
  }
}

std::vector<TNameToResolve> TQueryScheduler::TakeNamesToResolve() {
  return std::exchange(FNames, {});
}

void TQueryScheduler::Resolved(std::size_t index, const std::vector<TServerAddress>& addresses,
                               const std::string& error, TTimePoint now) {
  if (index >= FMasters.size() || FMasters[index].Done || FMasters[index].Resolved) return;
  TMasterQuery& master = FMasters[index];
  if (addresses.empty()) {
    FinishMaster(master, error.empty() ? "no such host" : error);
    return;
  }
  master.Resolved = true;
  master.Due = now;
  for (const TServerAddress& address : addresses) {
    if (std::find(master.Addresses.begin(), master.Addresses.end(), address) !=
        master.Addresses.end())
      continue;
    master.Addresses.push_back(address);
    FMasterByAddress.emplace(address, index);
  }
}

void TQueryScheduler::Queue(std::uint32_t id, TTimePoint at) {
  TServerQuery& query = FServers[id];
  if (query.Queued) FTimeline.erase({query.Due, id});
  query.Due = at;
  query.Queued = true;
  FTimeline.emplace(at, id);
}

std::string TQueryScheduler::NewChallenge() {
  char text[16];
  std::snprintf(text, sizeof text, "fx%08x", static_cast<unsigned>(++FChallenges));
  return text;
}

std::vector<TDatagram> TQueryScheduler::Send(TTimePoint now, std::size_t most) {
  std::vector<TDatagram> out;
  SendMasters(now, out);
  SendLan(now, out);
  while (out.size() < most && !FTimeline.empty()) {
    const auto [due, id] = *FTimeline.begin();
    if (due > now) break;
    FTimeline.erase(FTimeline.begin());
    FServers[id].Queued = false;
    if (FServers[id].Finished) continue;
    if (!Attempt(id, now, out)) break;
  }
  return out;
}

// One attempt of the server's exchange in progress, or the end of an exchange whose attempts
// all went unanswered. False when the packet rate allows nothing more now.
bool TQueryScheduler::Attempt(std::uint32_t id, TTimePoint now, std::vector<TDatagram>& out) {
  TServerQuery& query = FServers[id];
  const TServerAddress& address = query.Info.Address;
  const bool retry = !query.Attempts.empty();
  if (retry && Exhausted(query)) {
    Release(query, now);
    query.GiveUp(now);
    EndExchange(id, now);
    return true;
  }
  if (retry) query.BeforeRetry();
  if (!query.Holding) {
    if (!FPacer.HostFree(address)) {
      FParked[HostOf(address)].push_back(id);
      query.Parked = true;
      return true;
    }
    FPacer.HoldHost(address);
    query.Holding = true;
  }
  TTimePoint earliest = FPacer.Earliest(address, query.Kind(), query.Guarded, now);
  if (!retry) earliest = std::max(earliest, query.NotBefore);
  if (earliest > now) {
    if (query.Kind() == TQueryKind::Status && earliest - now > FTuning.ThrottlePatience) {
      Release(query, now);
      query.Finish(query.Answered ? TServerState::Answered : TServerState::Throttled);
      EndExchange(id, now);
      return true;
    }
    Queue(id, earliest);
    return true;
  }
  if (!FPacer.TakePacket(now)) {
    Queue(id, now);
    return false;
  }
  std::string challenge =
      query.Info.Family == TServerFamily::DarkPlaces ? NewChallenge() : std::string();
  out.push_back({address, query.Request(challenge)});
  query.Attempts.push_back({now, std::move(challenge)});
  FPacer.Note(address, query.Kind(), query.Guarded, now);
  Queue(id, NextAttempt(query));
  return true;
}

bool TQueryScheduler::Exhausted(const TServerQuery& query) const {
  const auto& offsets = query.Guarded ? FTuning.GuardedRetries : FTuning.Retries;
  return query.Attempts.size() >= offsets.size();
}

// The gaps between attempts follow the schedule from the last attempt, so a politeness wait
// shifts the rest instead of bunching it up.
TQueryScheduler::TTimePoint TQueryScheduler::NextAttempt(const TServerQuery& query) const {
  const auto& offsets = query.Guarded ? FTuning.GuardedRetries : FTuning.Retries;
  const std::size_t sent = query.Attempts.size();
  const TTimePoint last = query.Attempts.back().At;
  if (sent < offsets.size()) return last + (offsets[sent] - offsets[sent - 1]);
  return last + FTuning.GiveUpAfter;
}

// After an exchange ended (answered, given up, refused): the next one is queued at once, or
// the finished server leaves the count of those waited for.
void TQueryScheduler::EndExchange(std::uint32_t id, TTimePoint now) {
  TServerQuery& query = FServers[id];
  if (query.Finished && query.DetailsLater) {
    Note(id);
    query.DetailsLater = false;
    query.Restart(true);
    Queue(id, now);
    return;
  }
  if (query.Finished) {
    if (query.Queued) FTimeline.erase({query.Due, id});
    query.Queued = false;
    --FActive;
  } else {
    Queue(id, now);
  }
  Note(id);
}

// Frees the query's slot of its host and lets the first one waiting for it go.
void TQueryScheduler::Release(TServerQuery& query, TTimePoint now) {
  if (!query.Holding) return;
  query.Holding = false;
  FPacer.ReleaseHost(query.Info.Address);
  const auto parked = FParked.find(HostOf(query.Info.Address));
  if (parked == FParked.end()) return;
  const std::uint32_t next = parked->second.front();
  parked->second.pop_front();
  if (parked->second.empty()) FParked.erase(parked);
  FServers[next].Parked = false;
  Queue(next, now);
}

void TQueryScheduler::Note(std::uint32_t id) {
  if (!FServers[id].Changed || FInBatch[id]) return;
  FInBatch[id] = true;
  FBatch.push_back(id);
}

void TQueryScheduler::Receive(const TServerAddress& from, std::string_view datagram,
                              TTimePoint at) {
  if (const auto found = FByAddress.find(from); found != FByAddress.end()) {
    const std::uint32_t id = found->second;
    TServerQuery& query = FServers[id];
    const TServerQuery::TResult result = query.Reply(datagram, at);
    if (result == TServerQuery::TResult::Ignored) return;
    Release(query, at);
    if (result == TServerQuery::TResult::Bad)
      query.Finish(TServerState::BadReply);
    else
      query.Next(at);
    EndExchange(id, at);
    return;
  }
  if (const auto master = FMasterByAddress.find(from); master != FMasterByAddress.end()) {
    MasterReply(FMasters[master->second], from, datagram, at);
    return;
  }
  if (FLanOpen) LanReply(from, datagram, at);
}

void TQueryScheduler::Refused(const TServerAddress& to, TTimePoint at) {
  if (const auto found = FByAddress.find(to); found != FByAddress.end()) {
    TServerQuery& query = FServers[found->second];
    if (query.Finished) return;
    Release(query, at);
    query.Finish(TServerState::Refused);
    EndExchange(found->second, at);
    return;
  }
  if (const auto master = FMasterByAddress.find(to); master != FMasterByAddress.end()) {
    TMasterQuery& query = FMasters[master->second];
    if (!query.Done && !query.Heard && ++query.Refusals >= static_cast<int>(query.Addresses.size()))
      FinishMaster(query, "refused");
  }
}

void TQueryScheduler::Unroutable(const TServerAddress& to, TTimePoint at) {
  if (const auto found = FByAddress.find(to); found != FByAddress.end()) {
    TServerQuery& query = FServers[found->second];
    if (query.Finished) return;
    Release(query, at);
    query.Finish(TServerState::NoIpv6Route);
    EndExchange(found->second, at);
    return;
  }
  if (const auto master = FMasterByAddress.find(to); master != FMasterByAddress.end()) {
    TMasterQuery& query = FMasters[master->second];
    if (!query.Done && !query.Heard && ++query.Refusals >= static_cast<int>(query.Addresses.size()))
      FinishMaster(query, "no IPv6 route");
  }
}

void TQueryScheduler::Departed(const TServerAddress& to, TTimePoint at) {
  const auto found = FByAddress.find(to);
  if (found == FByAddress.end()) return;
  TServerQuery& query = FServers[found->second];
  if (query.Finished || query.Attempts.empty()) return;
  // A stamp far from the attempt in flight belongs to another and is left alone.
  TTimePoint& sent = query.Attempts.back().At;
  if (at - sent < std::chrono::milliseconds(100) && sent - at < std::chrono::milliseconds(100))
    sent = at;
}

void TQueryScheduler::SendMasters(TTimePoint now, std::vector<TDatagram>& out) {
  for (TMasterQuery& master : FMasters) {
    if (master.Done || !master.Resolved) continue;
    if (master.Heard) {
      if (now >= master.LastHeard + FTuning.MasterQuiet) FinishMaster(master, "");
      continue;
    }
    if (now < master.Due) continue;
    if (master.Attempts >= FTuning.MasterRetries.size()) {
      FinishMaster(master, "timed out");
      continue;
    }
    if (master.Attempts == 0) master.FirstSend = now;
    int sent = 0;
    for (const TServerAddress& address : master.Addresses)
      for (std::string& request : MasterRequests(master.Master, address)) {
        out.push_back({address, std::move(request)});
        ++sent;
      }
    // A handful of packets: they go at once and the servers' queries make up for them.
    FPacer.Spend(sent, now);
    ++master.Attempts;
    master.Due = master.Attempts < FTuning.MasterRetries.size()
                     ? master.FirstSend + FTuning.MasterRetries[master.Attempts]
                     : now + FTuning.MasterGiveUpAfter;
  }
}

void TQueryScheduler::MasterReply(TMasterQuery& master, const TServerAddress& from,
                                  std::string_view datagram, TTimePoint at) {
  if (master.Done) return;
  const auto reply = master.Master.Kind == TMasterKind::DpMaster
                         ? ParseDpMasterReply(datagram)
                         : ParseQuakeWorldMasterReply(datagram);
  if (!reply) return;
  master.Heard = true;
  master.LastHeard = at;
  const TServerFamily family = FamilyOf(master.Master.Kind);
  const auto index = static_cast<std::size_t>(&master - FMasters.data());
  for (const TServerAddress& address : reply->Servers) {
    // Only an IPv6 master is asked with getserversExt (MasterRequests).
    if (FGuard.Admit(index, from, address, from.IsV6) != TAdmission::Admitted) continue;
    master.List.push_back({address, family});
    AddServer({address, family}, false, at);
  }
  const int expected = static_cast<int>(master.Addresses.size() * std::size(kDpMasterGames));
  if (reply->Last && ++master.Eots >= expected) FinishMaster(master, "");
}

void TQueryScheduler::FinishMaster(TMasterQuery& master, std::string error) {
  master.Done = true;
  TMasterResult result;
  result.Master = master.Master;
  result.Answered = master.Heard;
  result.Servers = static_cast<int>(master.List.size());
  result.Error = master.Heard ? std::string() : std::move(error);
  result.List = std::move(master.List);
  result.Ignored = FGuard.Ignored(static_cast<std::size_t>(&master - FMasters.data()));
  FMasterResults.push_back(std::move(result));
}

void TQueryScheduler::SendLan(TTimePoint now, std::vector<TDatagram>& out) {
  if (FLanOpen && now >= FLanUntil) FLanOpen = false;
  if (FLanSent || FLan.empty()) return;
  for (const TLanTarget& target : FLan) {
    switch (target.Family) {
      case TServerFamily::NetQuake:
        out.push_back({target.Address, NetQuakeInfoRequest()});
        break;
      case TServerFamily::QuakeWorld:
        out.push_back({target.Address, QuakeWorldStatusRequest()});
        break;
      case TServerFamily::DarkPlaces:
        out.push_back({target.Address, DarkPlacesStatusRequest(FLanChallenge)});
        break;
    }
  }
  FPacer.Spend(static_cast<int>(FLan.size()), now);
  FLanSent = FLanOpen = true;
  FLanSentAt = now;
  FLanUntil = now + FTuning.LanWindow;
}

// A server that answered a LAN query: listed under the family its reply belongs to, and then
// asked on like any other.
void TQueryScheduler::LanReply(const TServerAddress& from, std::string_view datagram,
                               TTimePoint at) {
  TServerFamily family;
  if (const auto nq = ParseNetQuakeReply(datagram);
      nq && std::holds_alternative<TNetQuakeInfo>(*nq)) {
    family = TServerFamily::NetQuake;
  } else if (ParseQuakeWorldStatus(datagram)) {
    family = TServerFamily::QuakeWorld;
  } else if (const auto dp = ParseDarkPlacesReply(datagram); dp && dp->Challenge == FLanChallenge) {
    family = TServerFamily::DarkPlaces;
  } else {
    return;
  }
  const std::uint32_t id = AddServer({from, family}, false, at);
  TServerQuery& query = FServers[id];
  if (query.Queued) FTimeline.erase({query.Due, id});
  query.Queued = false;
  query.Attempts = {{FLanSentAt, family == TServerFamily::DarkPlaces ? FLanChallenge : ""}};
  if (query.Reply(datagram, at) != TServerQuery::TResult::Done) {
    query.Attempts.clear();
    Queue(id, at);
    return;
  }
  query.Next(at);
  EndExchange(id, at);
}

std::optional<TQueryScheduler::TTimePoint> TQueryScheduler::NextWake(TTimePoint now) const {
  std::optional<TTimePoint> wake;
  const auto consider = [&wake](TTimePoint at) {
    if (!wake || at < *wake) wake = at;
  };
  if (!FTimeline.empty()) {
    const TTimePoint due = FTimeline.begin()->first;
    consider(due > now ? due : std::max(due, FPacer.NextPacket(now)));
  }
  for (const TMasterQuery& master : FMasters)
    if (!master.Done && master.Resolved)
      consider(master.Heard ? master.LastHeard + FTuning.MasterQuiet : master.Due);
  if (!FLan.empty() && !FLanSent) consider(now);
  if (FLanOpen) consider(FLanUntil);
  return wake;
}

std::vector<TServerInfo> TQueryScheduler::TakeChanged() {
  std::vector<TServerInfo> changed;
  changed.reserve(FBatch.size());
  for (const std::uint32_t id : FBatch) {
    FInBatch[id] = false;
    FServers[id].Changed = false;
    changed.push_back(FServers[id].Info);
  }
  FBatch.clear();
  return changed;
}

std::vector<TMasterResult> TQueryScheduler::TakeMasterResults() {
  return std::exchange(FMasterResults, {});
}

bool TQueryScheduler::Running() const {
  if (FActive > 0 || FLanOpen || (!FLan.empty() && !FLanSent)) return true;
  return std::any_of(FMasters.begin(), FMasters.end(),
                     [](const TMasterQuery& master) { return !master.Done; });
}

TStateCounts TQueryScheduler::Counts() const {
  TStateCounts counts;
  for (const TServerQuery& query : FServers) {
    switch (query.Info.State) {
      case TServerState::Waiting:
        ++counts.Waiting;
        break;
      case TServerState::Answered:
        ++counts.Answered;
        break;
      case TServerState::TimedOut:
        ++counts.TimedOut;
        break;
      case TServerState::Refused:
        ++counts.Refused;
        break;
      case TServerState::BadReply:
        ++counts.BadReply;
        break;
      case TServerState::Throttled:
        ++counts.Throttled;
        break;
      case TServerState::NoIpv6Route:
        ++counts.NoRoute;
        break;
    }
  }
  return counts;
}

}  // namespace fx
