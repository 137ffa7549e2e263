#include "servers/ServerQueryRunner.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QSocketNotifier>

#include <algorithm>

namespace fx {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kPacketsPerCall = 32;
constexpr int kReadRounds = 64;         // at most 2048 datagrams, then the event loop gets a turn
constexpr std::size_t kSentIds = 4096;  // datagrams whose departure stamp may still come

TUdpEndpoint ToEndpoint(const TServerAddress& address) {
  return {address.Bytes, address.IsV6, address.Port};
}

TServerAddress ToAddress(const TUdpEndpoint& endpoint) {
  TServerAddress address;
  address.Bytes = endpoint.Bytes;
  address.IsV6 = endpoint.IsV6;
  address.Port = endpoint.Port;
  return address;
}

std::optional<TServerAddress> FromHostAddress(const QHostAddress& host, std::uint16_t port) {
  TServerAddress address;
  address.Port = port;
  bool v4 = false;
  const quint32 ip4 = host.toIPv4Address(&v4);
  if (v4) {
    for (int i = 0; i < 4; ++i)
      address.Bytes[i] = static_cast<std::uint8_t>(ip4 >> (24 - 8 * i));
    return address;
  }
  if (host.protocol() != QAbstractSocket::IPv6Protocol) return std::nullopt;
  const Q_IPV6ADDR ip6 = host.toIPv6Address();
  std::copy_n(ip6.c, 16, address.Bytes.begin());
  address.IsV6 = true;
  return address;
}

}  // namespace

TServerQueryRunner::TServerQueryRunner(TServerQueryRunnerOptions options, QObject* parent)
    : QObject(parent), FOptions(std::move(options)), FScheduler(FOptions.Tuning) {
  FWake.setSingleShot(true);
  FWake.setTimerType(Qt::PreciseTimer);
  FFlush.setSingleShot(true);
  connect(&FWake, &QTimer::timeout, this, [this] { Pump(); });
  connect(&FFlush, &QTimer::timeout, this, [this] { Pump(); });
}

TServerQueryRunner::~TServerQueryRunner() {
  AbortLookups();
}

void TServerQueryRunner::Refresh(const TRefreshRequest& request) {
  Stop();
  if (!OpenSocket()) return;
  TRefreshRequest asked = request;
  if (asked.LocalNetworks.empty()) asked.LocalNetworks = ThisMachinesNetworks();
  FScheduler.Start(asked, FOptions.LanTargets, Clock::now());
  Begin();
}

void TServerQueryRunner::QueryDetails(const TKnownServer& server, const TQueryLimits& limits) {
  if (!OpenSocket()) return;
  FScheduler.QueryDetails(server, limits, Clock::now());
  Begin();
}

void TServerQueryRunner::Stop() {
  ++FSession;
  AbortLookups();
  FScheduler.Stop();
  FPending.clear();
  FWake.stop();
  FFlush.stop();
  FRunning = false;
}

// The work starts from the event loop, so a callback that starts a refresh never runs the
// scheduler inside the one that called it.
void TServerQueryRunner::Begin() {
  FRunning = true;
  FWake.start(0);
}

bool TServerQueryRunner::OpenSocket() {
  if (FSocket) return true;
  TUdpOptions options;
  options.Broadcast = !FOptions.LanTargets.empty();
  options.SendStamps = true;
  if (FOptions.Bind) {
    options.Local = ToEndpoint(*FOptions.Bind);
  } else {
    options.Local.IsV6 = true;
    options.DualStack = true;
  }
  try {
    try {
      FSocket = std::make_unique<TUdpSocket>(options);
    } catch (const EUdpError&) {
      if (FOptions.Bind) throw;
      options.Local = {};  // no IPv6 here: IPv4 alone
      options.DualStack = false;
      FSocket = std::make_unique<TUdpSocket>(options);
    }
  } catch (const EUdpError& error) {
    if (OnError) OnError(error.what());
    return false;
  }
  FNotifier = std::make_unique<QSocketNotifier>(FSocket->Handle(), QSocketNotifier::Read);
  connect(FNotifier.get(), &QSocketNotifier::activated, this, [this] { Pump(); });
  return true;
}

void TServerQueryRunner::Pump() {
  if (!FSocket || FInPump) return;
  FInPump = true;
  const int session = FSession;
  Read();
  SendDue();
  LookUpNames();
  const std::vector<TMasterResult> masters = FScheduler.TakeMasterResults();
  const bool finished = FRunning && !FScheduler.Running();
  FInPump = false;
  Deliver(finished);
  for (const TMasterResult& master : masters) {
    if (session != FSession) return;
    if (OnMaster) OnMaster(master);
  }
  if (session != FSession) return;
  if (finished) {
    FRunning = false;
    FWake.stop();
    if (OnFinished) OnFinished();
    return;
  }
  Arm();
}

// Departure stamps first: a reply can only come after its request's stamp was queued.
void TServerQueryRunner::TakeReports() {
  std::vector<TUdpStamp> stamps;
  const std::vector<TUdpError> errors = FSocket->TakeErrors(&stamps);
  for (const TUdpStamp& stamp : stamps) {
    if (FSentIds.empty()) break;
    const std::uint32_t offset = stamp.Id - FSentIds.front().first;
    if (offset < FSentIds.size()) FScheduler.Departed(FSentIds[offset].second, stamp.At);
  }
  const auto now = Clock::now();
  for (const TUdpError& error : errors)
    FScheduler.Unreachable(ToAddress(error.Peer), NetworkErrorText(error.Code), now);
}

void TServerQueryRunner::Read() {
  TakeReports();
  std::vector<TUdpPacket> packets;
  for (int round = 0; round < kReadRounds; ++round) {
    packets.clear();
    if (FSocket->Receive(packets, kPacketsPerCall) == 0) break;
    for (const TUdpPacket& packet : packets)
      FScheduler.Receive(ToAddress(packet.Peer), packet.Bytes, packet.At);
  }
}

// Sends in small batches and reads between them, so replies to the first batch are taken in
// while the rest go out and the socket's receive buffer never overflows.
void TServerQueryRunner::SendDue() {
  std::vector<TUdpPacket> packets;
  std::vector<TUdpError> failed;
  for (;;) {
    std::vector<TDatagram> due = FScheduler.Send(Clock::now(), kPacketsPerCall);
    if (due.empty()) break;
    packets.clear();
    const bool v6 = FSocket->Local().IsV6;
    for (TDatagram& datagram : due) {
      // An IPv4 socket cannot carry it, and must not send it elsewhere.
      if (datagram.Address.IsV6 && !v6)
        FScheduler.Unroutable(datagram.Address, Clock::now());
      else
        packets.push_back({ToEndpoint(datagram.Address), std::move(datagram.Bytes), {}});
    }
    if (packets.empty()) continue;
    failed.clear();
    // What the kernel does not take now counts as lost; the retries make up for it.
    std::uint32_t id = FSocket->NextId();
    const std::size_t sent = FSocket->Send(packets, failed);
    // Each datagram left by now at the latest; its own departure stamp, read with the
    // replies, says when exactly (the kernel drops stamps when the receive buffer is full).
    const auto now = Clock::now();
    for (std::size_t i = 0; i < sent; ++i) {
      const TServerAddress to = ToAddress(packets[i].Peer);
      FScheduler.Departed(to, now);
      const bool refused = std::any_of(failed.begin(), failed.end(), [&](const TUdpError& e) {
        return e.Peer == packets[i].Peer;
      });
      if (!refused) FSentIds.emplace_back(id++, to);
    }
    while (FSentIds.size() > kSentIds)
      FSentIds.pop_front();
    // A datagram that could not leave is named by its cause, never "refused": nothing
    // reached the server to refuse it.
    for (const TUdpError& error : failed) {
      const std::string cause = NetworkErrorText(error.Code);
      FScheduler.Unreachable(ToAddress(error.Peer), cause == "refused" ? "no route" : cause, now);
    }
    Read();
  }
}

void TServerQueryRunner::LookUpNames() {
  const auto& tuning = FOptions.Tuning;
  const auto patience = tuning.MasterRetries.empty()
                            ? tuning.MasterGiveUpAfter
                            : tuning.MasterRetries.back() + tuning.MasterGiveUpAfter;
  for (const TNameToResolve& name : FScheduler.TakeNamesToResolve()) {
    const int session = FSession;
    const std::size_t master = name.Master;
    const std::uint16_t port = name.Port;
    auto done = [this, session, master, port](const QHostInfo& info) {
      if (session == FSession && FNamesPending.erase(master) > 0) NameFound(master, port, info);
    };
    const QString host = QString::fromStdString(name.Host);
    const int id = FOptions.LookUp ? FOptions.LookUp(host, this, done)
                                   : QHostInfo::lookupHost(host, this, done);
    FLookups.push_back(id);
    FNamesPending.insert(master);
    // Qt's lookups have no time-out of their own: a dead resolver would hold the refresh.
    QTimer::singleShot(patience, this, [this, session, master, id] {
      if (session != FSession || FNamesPending.erase(master) == 0) return;
      FOptions.AbortLookUp ? FOptions.AbortLookUp(id) : QHostInfo::abortHostLookup(id);
      FScheduler.Resolved(master, {}, "name lookup timed out", Clock::now());
      if (!FInPump) Pump();
    });
  }
}

void TServerQueryRunner::NameFound(std::size_t master, std::uint16_t port, const QHostInfo& info) {
  std::vector<TServerAddress> addresses;
  bool v4 = false, v6 = false;
  const bool socketV6 = FSocket && FSocket->Local().IsV6;
  for (const QHostAddress& host : info.addresses()) {
    const auto address = FromHostAddress(host, port);
    if (!address || (address->IsV6 ? (v6 || !socketV6) : v4)) continue;
    (address->IsV6 ? v6 : v4) = true;
    addresses.push_back(*address);
  }
  const std::string error = info.error() == QHostInfo::HostNotFound ? "no such host"
                            : !info.addresses().isEmpty()           ? "no IPv6 route"
                                                          : info.errorString().toStdString();
  FScheduler.Resolved(master, addresses, error, Clock::now());
  if (!FInPump) Pump();
}

void TServerQueryRunner::Deliver(bool now) {
  const auto at = Clock::now();
  std::vector<TServerInfo> changed = FScheduler.TakeChanged();
  if (!changed.empty()) {
    if (FPending.empty()) FPendingSince = at;
    FPending.insert(FPending.end(), std::make_move_iterator(changed.begin()),
                    std::make_move_iterator(changed.end()));
  }
  if (FPending.empty()) return;
  const auto waited = at - FPendingSince;
  if (now || FPending.size() >= FOptions.BatchSize || waited >= FOptions.BatchDelay) {
    FFlush.stop();
    std::vector<TServerInfo> batch = std::move(FPending);
    FPending.clear();
    if (OnServers) OnServers(std::move(batch));
  } else if (!FFlush.isActive()) {
    FFlush.start(std::chrono::ceil<std::chrono::milliseconds>(FOptions.BatchDelay - waited));
  }
}

void TServerQueryRunner::Arm() {
  const auto now = Clock::now();
  const auto wake = FScheduler.NextWake(now);
  if (!wake) {
    FWake.stop();
    return;
  }
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*wake - now);
  FWake.start(std::max(std::chrono::milliseconds(0), wait));
}

void TServerQueryRunner::AbortLookups() {
  for (const int lookup : FLookups)
    FOptions.AbortLookUp ? FOptions.AbortLookUp(lookup) : QHostInfo::abortHostLookup(lookup);
  FLookups.clear();
  FNamesPending.clear();
}

}  // namespace fx
