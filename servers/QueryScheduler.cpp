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

constexpr std::size_t kMaxTraits = 65536;

// The cause of a server or master address that the socket cannot reach at all.
constexpr const char* kNoIpv6Route = "no IPv6 route";

TServerFamily FamilyOf(TMasterKind kind) {
  return kind == TMasterKind::DpMaster ? TServerFamily::DarkPlaces : TServerFamily::QuakeWorld;
}

// dpmaster builds each reply in a packet of MAX_PACKET_SIZE_OUT, 1400 bytes (dpmaster
// src/messages.c, HandleGetServers): a longer datagram is no list of it.
constexpr std::size_t kMaxDpMasterReply = 1400;

std::size_t GamesOf(const TMasterServer& master) {
  return master.Kind == TMasterKind::DpMaster ? std::size(kDpMasterGames) : 1;
}

std::string MasterRequest(const TMasterServer& master, std::size_t game, const TServerAddress& to) {
  if (master.Kind == TMasterKind::QuakeWorld) return QuakeWorldMasterRequest();
  return DpMasterRequest(kDpMasterGames[game], to.IsV6);
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
  // What is kept of servers that never answered is dropped when a hostile list made it large.
  if (FTraits.size() > kMaxTraits)
    std::erase_if(FTraits, [](const auto& entry) { return !entry.second.Answered; });
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
  FSlotExpiry.clear();
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
  TServerTraits& traits = FTraits[server.Address];
  if (traits.Challenge.empty()) traits.Challenge = NewChallenge();
  FServers.emplace_back(server, details, FNetQuakePlayers, traits);
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
  for (const TServerAddress& address : addresses) {
    if (FMasterByAddress.contains(address)) continue;
    FMasterByAddress.emplace(address, std::make_pair(index, master.Links.size()));
    TMasterLink& link = master.Links.emplace_back();
    link.Address = address;
    link.Due = now;
  }
  if (master.Links.empty()) FinishMaster(master, "asked already");
}

void TQueryScheduler::Queue(std::uint32_t id, TTimePoint at) {
  TServerQuery& query = FServers[id];
  if (query.Queued) FTimeline.erase({query.Due, id});
  query.Due = at;
  query.Queued = true;
  FTimeline.emplace(at, id);
}

// 64 random bits in hex: an off-path sender cannot guess it, so a reply that echoes another
// is forged.
std::string TQueryScheduler::NewChallenge() {
  const std::uint64_t word =
      FTuning.Random ? FTuning.Random()
                     : (std::uint64_t{FRandomDevice()} << 32) ^ std::uint64_t{FRandomDevice()};
  char text[24];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(word));
  return text;
}

std::vector<TDatagram> TQueryScheduler::Send(TTimePoint now, std::size_t most) {
  std::vector<TDatagram> out;
  ReleaseOverdue(now);
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
    Release(id, now);
    query.GiveUp(now);
    EndExchange(id, now);
    return true;
  }
  if (query.Traits->Blocked && query.Kind() == TQueryKind::Status) {
    Release(id, now);
    query.Finish(query.Answered ? TServerState::Answered : TServerState::Throttled);
    EndExchange(id, now);
    return true;
  }
  if (retry) query.BeforeRetry();
  const TServerAddress window = query.Traits->Fte ? HostOf(address) : address;
  TTimePoint earliest = FPacer.Earliest(address, window, query.Kind(), query.Guarded(), now);
  if (!retry) earliest = std::max(earliest, query.NotBefore);
  if (earliest > now) {
    if (query.Kind() == TQueryKind::Status && earliest - now > FTuning.ThrottlePatience) {
      Release(id, now);
      query.Finish(query.Answered ? TServerState::Answered : TServerState::Throttled);
      EndExchange(id, now);
      return true;
    }
    // A politeness wait holds no slot of the host.
    Release(id, now);
    Queue(id, earliest);
    return true;
  }
  if (!query.Holding) {
    if (!FPacer.HostFree(address)) {
      // A retry goes first: it finishes a server the others are not held back by.
      auto& parked = FParked[HostOf(address)];
      retry ? parked.push_front(id) : parked.push_back(id);
      query.Parked = true;
      return true;
    }
    FPacer.HoldHost(address);
    query.Holding = true;
  }
  if (!FPacer.TakePacket(now)) {
    Queue(id, now);
    return false;
  }
  std::string challenge =
      query.Challenged() ? query.Traits->Challenge + static_cast<char>('0' + query.Attempts.size())
                         : std::string();
  out.push_back({address, query.Request(challenge)});
  query.Attempts.push_back({now, std::move(challenge)});
  FPacer.Note(address, window, query.Kind(), now);
  Queue(id, NextAttempt(query));
  if (query.SlotUntil != TTimePoint{}) FSlotExpiry.erase({query.SlotUntil, id});
  query.SlotUntil = now + SlotHold(address);
  FSlotExpiry.emplace(query.SlotUntil, id);
  return true;
}

// How long an unanswered attempt keeps its host's slot.
std::chrono::nanoseconds TQueryScheduler::SlotHold(const TServerAddress& address) const {
  const std::chrono::nanoseconds most =
      FTuning.Retries.size() > 1 ? FTuning.Retries[1] - FTuning.Retries[0] : FTuning.GiveUpAfter;
  const auto rtt = FHostRtt.find(HostOf(address));
  if (rtt == FHostRtt.end()) return most;
  return std::clamp<std::chrono::nanoseconds>(rtt->second * FTuning.SlotHoldRoundTrips,
                                              FTuning.SlotHoldLeast, most);
}

void TQueryScheduler::ReleaseOverdue(TTimePoint now) {
  while (!FSlotExpiry.empty() && FSlotExpiry.begin()->first <= now) {
    const std::uint32_t id = FSlotExpiry.begin()->second;
    FSlotExpiry.erase(FSlotExpiry.begin());
    FServers[id].SlotUntil = {};
    Release(id, now);
  }
}

bool TQueryScheduler::Exhausted(const TServerQuery& query) const {
  const auto& offsets = query.Guarded() ? FTuning.GuardedRetries : FTuning.Retries;
  return query.Attempts.size() >= query.AttemptsAllowed(offsets.size());
}

// The gaps between attempts follow the schedule from the last attempt, so a politeness wait
// shifts the rest instead of bunching it up.
TQueryScheduler::TTimePoint TQueryScheduler::NextAttempt(const TServerQuery& query) const {
  const auto& offsets = query.Guarded() ? FTuning.GuardedRetries : FTuning.Retries;
  const std::size_t sent = query.Attempts.size();
  const TTimePoint last = query.Attempts.back().At;
  if (sent < query.AttemptsAllowed(offsets.size()))
    return last + (offsets[sent] - offsets[sent - 1]);
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
void TQueryScheduler::Release(std::uint32_t id, TTimePoint now) {
  TServerQuery& query = FServers[id];
  if (query.SlotUntil != TTimePoint{}) FSlotExpiry.erase({query.SlotUntil, id});
  query.SlotUntil = {};
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

// After a reply: what it taught about the server and its host.
void TQueryScheduler::Learn(TServerQuery& query, bool wasFte) {
  if (query.Traits->Fte && !wasFte) FPacer.ShareWindow(query.Info.Address);
  if (query.Info.PingMicros >= 0)
    FHostRtt[HostOf(query.Info.Address)] = std::chrono::microseconds(query.Info.PingMicros);
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
    const bool wasFte = query.Traits->Fte;
    const TServerQuery::TResult result = query.Reply(datagram, at);
    if (result == TServerQuery::TResult::Ignored) return;
    Release(id, at);
    Learn(query, wasFte);
    if (result == TServerQuery::TResult::Bad)
      query.Finish(TServerState::BadReply);
    else if (result == TServerQuery::TResult::Throttled)
      query.Finish(query.Answered ? TServerState::Answered : TServerState::Throttled);
    else
      query.Next(at);
    EndExchange(id, at);
    return;
  }
  if (const auto link = FMasterByAddress.find(from); link != FMasterByAddress.end()) {
    TMasterQuery& master = FMasters[link->second.first];
    MasterReply(master, master.Links[link->second.second], datagram, at);
    return;
  }
  if (FLanOpen) LanReply(from, datagram, at);
}

void TQueryScheduler::Refused(const TServerAddress& to, TTimePoint at) {
  Unreachable(to, "refused", at);
}

void TQueryScheduler::Unreachable(const TServerAddress& to, const std::string& cause,
                                  TTimePoint at) {
  if (const auto found = FByAddress.find(to); found != FByAddress.end()) {
    TServerQuery& query = FServers[found->second];
    // An error that comes after an answer belongs to an earlier datagram, or to a route
    // that changed: the server did answer.
    if (query.Finished || query.Answered) return;
    Release(found->second, at);
    // A missing IPv6 route has a state of its own; other causes are a timed-out server with
    // the cause beside it.
    if (cause == kNoIpv6Route) {
      query.Finish(TServerState::NoIpv6Route);
    } else {
      if (cause != "refused") query.Info.Error = cause;
      query.Finish(cause == "refused" ? TServerState::Refused : TServerState::TimedOut);
    }
    EndExchange(found->second, at);
    return;
  }
  if (const auto link = FMasterByAddress.find(to); link != FMasterByAddress.end()) {
    TMasterQuery& master = FMasters[link->second.first];
    TMasterLink& address = master.Links[link->second.second];
    if (!master.Done && !address.Done && !address.Heard) EndLink(master, address, cause);
  }
}

void TQueryScheduler::Unroutable(const TServerAddress& to, TTimePoint at) {
  Unreachable(to, kNoIpv6Route, at);
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
  for (TMasterQuery& master : FMasters)
    for (TMasterLink& link : master.Links)
      if (!master.Done && master.Resolved && !link.Done) SendLink(master, link, now, out);
}

// One master address: the request for its current list on the retry schedule, the end of
// its window, and for a QuakeWorld master (no end mark) the quiet after its last packet.
void TQueryScheduler::SendLink(TMasterQuery& master, TMasterLink& link, TTimePoint now,
                               std::vector<TDatagram>& out) {
  if (link.Heard && now >= link.FirstHeard + FTuning.MasterWindow) {
    EndLink(master, link, "");
    return;
  }
  if (master.Master.Kind == TMasterKind::QuakeWorld && link.Heard) {
    if (now >= link.LastHeard + FTuning.MasterQuiet) EndLink(master, link, "");
    return;
  }
  if (now < link.Due) return;
  if (link.Attempts >= FTuning.MasterRetries.size()) {
    // This list did not come; the next one is asked for all the same.
    if (++link.Game < GamesOf(master.Master) && link.Heard) {
      link.Attempts = 0;
    } else {
      EndLink(master, link, "timed out");
      return;
    }
  }
  if (link.Attempts == 0) link.FirstSend = now;
  out.push_back({link.Address, MasterRequest(master.Master, link.Game, link.Address)});
  // A single packet: it goes at once and the servers' queries make up for it.
  FPacer.Spend(1, now);
  ++link.Attempts;
  link.Due = link.Attempts < FTuning.MasterRetries.size()
                 ? link.FirstSend + FTuning.MasterRetries[link.Attempts]
                 : now + FTuning.MasterGiveUpAfter;
}

void TQueryScheduler::MasterReply(TMasterQuery& master, TMasterLink& link,
                                  std::string_view datagram, TTimePoint at) {
  if (master.Done || link.Done) return;
  const bool dp = master.Master.Kind == TMasterKind::DpMaster;
  if (dp && datagram.size() > kMaxDpMasterReply) return;
  const auto reply = dp ? ParseDpMasterReply(datagram) : ParseQuakeWorldMasterReply(datagram);
  if (!reply) return;
  if (!link.Heard) link.FirstHeard = at;
  link.Heard = true;
  link.LastHeard = at;
  ListServers(master, link.Address, reply->Servers, at);
  if (!reply->Last) return;
  // This list is complete: the next game's, or this address is done.
  if (++link.Game >= GamesOf(master.Master)) {
    EndLink(master, link, "");
    return;
  }
  link.Attempts = 0;
  link.Due = at;
}

// The servers a master listed join the refresh.
void TQueryScheduler::ListServers(TMasterQuery& master, const TServerAddress& from,
                                  const std::vector<TServerAddress>& servers, TTimePoint at) {
  const TServerFamily family = FamilyOf(master.Master.Kind);
  const auto index = static_cast<std::size_t>(&master - FMasters.data());
  for (const TServerAddress& address : servers) {
    // Only an IPv6 master is asked with getserversExt (MasterRequest).
    if (FGuard.Admit(index, from, address, from.IsV6) != TAdmission::Admitted) continue;
    master.List.push_back({address, family});
    AddServer({address, family}, false, at);
  }
}

// A master is done when each of its addresses is. It failed only when none answered:
// "refused" when every address refused, "timed out" when any stayed silent, else the first
// address's cause (a datagram that could not leave says nothing of the master).
void TQueryScheduler::EndLink(TMasterQuery& master, TMasterLink& link, std::string error) {
  link.Done = true;
  link.Error = link.Heard ? std::string() : std::move(error);
  if (std::any_of(master.Links.begin(), master.Links.end(),
                  [](const TMasterLink& other) { return !other.Done; }))
    return;
  std::string why = "refused";
  for (const TMasterLink& other : master.Links)
    if (other.Error == "timed out" || (why == "refused" && other.Error != "refused"))
      why = other.Error;
  FinishMaster(master, why);
}

void TQueryScheduler::FinishMaster(TMasterQuery& master, std::string error) {
  master.Done = true;
  const bool heard = std::any_of(master.Links.begin(), master.Links.end(),
                                 [](const TMasterLink& link) { return link.Heard; });
  TMasterResult result;
  result.Master = master.Master;
  result.Answered = heard;
  result.Servers = static_cast<int>(master.List.size());
  result.Error = heard ? std::string() : std::move(error);
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
  } else if (const auto dp = ParseDarkPlacesReply(datagram);
             dp && (dp->Challenge == FLanChallenge || dp->Challenge.empty())) {
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
  if (!FSlotExpiry.empty()) consider(FSlotExpiry.begin()->first);
  for (const TMasterQuery& master : FMasters)
    for (const TMasterLink& link : master.Links) {
      if (master.Done || link.Done) continue;
      if (link.Heard) consider(link.FirstHeard + FTuning.MasterWindow);
      if (link.Heard && master.Master.Kind == TMasterKind::QuakeWorld)
        consider(link.LastHeard + FTuning.MasterQuiet);
      else
        consider(link.Due);
    }
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
