#include "servers/QueryPacer.h"

#include <algorithm>

namespace fx {

namespace {

using namespace std::chrono;

// A twentieth of a second of packets may leave at once.
double Burst(int rate) {
  return std::max(8.0, rate / 20.0);
}

}  // namespace

void TQueryPacer::SetLimits(const TQueryLimits& limits, TTimePoint now) {
  FLimits = limits;
  FLimits.PerHostConcurrency = std::max(1, FLimits.PerHostConcurrency);
  FTokens = FLimits.PacketsPerSecond > 0 ? Burst(FLimits.PacketsPerSecond) : 0;
  FRefilled = now;
}

void TQueryPacer::Refill(TTimePoint now) const {
  if (FLimits.PacketsPerSecond <= 0 || now <= FRefilled) return;
  const double elapsed = duration<double>(now - FRefilled).count();
  FTokens = std::min(Burst(FLimits.PacketsPerSecond), FTokens + elapsed * FLimits.PacketsPerSecond);
  FRefilled = now;
}

bool TQueryPacer::TakePacket(TTimePoint now) {
  if (FLimits.PacketsPerSecond <= 0) return true;
  Refill(now);
  if (FTokens < 1.0) return false;
  FTokens -= 1.0;
  return true;
}

TQueryPacer::TTimePoint TQueryPacer::NextPacket(TTimePoint now) const {
  if (FLimits.PacketsPerSecond <= 0) return now;
  Refill(now);
  if (FTokens >= 1.0) return now;
  const double wait = (1.0 - FTokens) / FLimits.PacketsPerSecond;
  return now + ceil<steady_clock::duration>(duration<double>(wait));
}

TQueryPacer::TTimePoint TQueryPacer::Earliest(const TServerAddress& address, TQueryKind kind,
                                              bool guarded, TTimePoint now) const {
  const auto found = FHistory.find(address);
  if (kind == TQueryKind::Free || found == FHistory.end()) return now;
  const THistory& history = found->second;
  TTimePoint earliest = now;
  if ((guarded || history.Guarded) && history.AnyGuarded)
    earliest = std::max(earliest, history.LastGuarded + kGuardGap);
  if (kind == TQueryKind::Status && history.Status.size() >= kWindowQueries) {
    const TTimePoint oldest = history.Status[history.Status.size() - kWindowQueries];
    earliest = std::max(earliest, oldest + kWindow);
  }
  return earliest;
}

void TQueryPacer::Note(const TServerAddress& address, TQueryKind kind, bool guarded,
                       TTimePoint now) {
  if (kind == TQueryKind::Free) return;
  THistory& history = FHistory[address];
  history.Guarded = history.Guarded || guarded;
  // Every status or player query counts for the one-a-second rule, so a server found to
  // answer once a second only later still gets its full second after the last query.
  history.LastGuarded = now;
  history.AnyGuarded = true;
  if (kind != TQueryKind::Status) return;
  history.Status.push_back(now);
  while (history.Status.size() > kWindowQueries)
    history.Status.pop_front();
}

void TQueryPacer::Spend(int packets, TTimePoint now) {
  if (FLimits.PacketsPerSecond <= 0) return;
  Refill(now);
  FTokens -= packets;
}

bool TQueryPacer::HostFree(const TServerAddress& address) const {
  const auto found = FHosts.find(HostOf(address));
  return found == FHosts.end() || found->second < FLimits.PerHostConcurrency;
}

void TQueryPacer::HoldHost(const TServerAddress& address) {
  ++FHosts[HostOf(address)];
}

void TQueryPacer::ReleaseHost(const TServerAddress& address) {
  const auto found = FHosts.find(HostOf(address));
  if (found == FHosts.end()) return;
  if (--found->second <= 0) FHosts.erase(found);
}

void TQueryPacer::Forget(TTimePoint now) {
  std::erase_if(FHistory, [now](const auto& entry) {
    const THistory& history = entry.second;
    const bool statusOld = history.Status.empty() || history.Status.back() + kWindow <= now;
    return statusOld && (!history.AnyGuarded || history.LastGuarded + kGuardGap <= now);
  });
}

}  // namespace fx
