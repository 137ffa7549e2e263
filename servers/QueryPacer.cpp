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

TQueryPacer::TTimePoint TQueryPacer::Earliest(const TServerAddress& address,
                                              const TServerAddress& window, TQueryKind kind,
                                              bool guarded, TTimePoint now) const {
  if (kind == TQueryKind::Free) return now;
  TTimePoint earliest = now;
  if (const auto last = FLastGuarded.find(address); guarded && last != FLastGuarded.end())
    earliest = std::max(earliest, last->second + kGuardGap);
  if (const auto sent = FWindows.find(window); kind == TQueryKind::Status &&
                                               sent != FWindows.end() &&
                                               sent->second.size() >= kWindowQueries) {
    const TTimePoint oldest = sent->second[sent->second.size() - kWindowQueries];
    earliest = std::max(earliest, oldest + kWindow);
  }
  return earliest;
}

void TQueryPacer::Note(const TServerAddress& address, const TServerAddress& window, TQueryKind kind,
                       TTimePoint now) {
  if (kind == TQueryKind::Free) return;
  // Every status or player query counts for the one-a-second rule, so a server found to
  // answer once a second only later still gets its full gap after the last query.
  FLastGuarded[address] = now;
  if (kind != TQueryKind::Status) return;
  std::deque<TTimePoint>& sent = FWindows[window];
  sent.push_back(now);
  while (sent.size() > kWindowQueries)
    sent.pop_front();
}

void TQueryPacer::ShareWindow(const TServerAddress& address) {
  const auto own = FWindows.find(address);
  if (own == FWindows.end()) return;
  std::deque<TTimePoint>& host = FWindows[HostOf(address)];
  host.insert(host.end(), own->second.begin(), own->second.end());
  std::sort(host.begin(), host.end());
  while (host.size() > kWindowQueries)
    host.pop_front();
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
  std::erase_if(FLastGuarded, [now](const auto& entry) { return entry.second + kGuardGap <= now; });
  std::erase_if(FWindows, [now](const auto& entry) {
    return entry.second.empty() || entry.second.back() + kWindow <= now;
  });
}

}  // namespace fx
