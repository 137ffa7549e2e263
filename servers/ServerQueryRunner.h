#pragma once

// The program's server source: the query scheduler over one UDP socket, driven by the event
// loop. A QSocketNotifier reads what arrives (and the ICMP errors), a single-shot timer wakes
// the scheduler when it has something to send, master names are looked up by QHostInfo off
// the GUI thread, and changed servers reach OnServers in batches. The socket is opened by
// the first Refresh or QueryDetails: nothing is sent before.

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "platform/UdpSocket.h"
#include "servers/QueryScheduler.h"
#include "servers/ServerSource.h"

class QHostInfo;
class QSocketNotifier;

namespace fx {

struct TServerQueryRunnerOptions {
  std::vector<TLanTarget> LanTargets = DefaultLanTargets();
  // The socket's own address; nothing: any address, IPv6 and IPv4 where the system has both.
  std::optional<TServerAddress> Bind;
  TQueryTuning Tuning;
  std::size_t BatchSize = 256;               // servers per OnServers call at most
  std::chrono::milliseconds BatchDelay{25};  // how long a server waits for its batch at most
  // Looks a master's name up and calls `done` with the answer; returns an id for
  // `AbortLookUp`. Unset: Qt's lookup threads (QHostInfo). A lookup that has not answered
  // when the master's own time-out ends (its last try and the wait after it) fails with
  // "name lookup timed out".
  std::function<int(const QString& name, QObject* context,
                    std::function<void(const QHostInfo&)> done)>
      LookUp;
  std::function<void(int id)> AbortLookUp;
};

class TServerQueryRunner final : public QObject, public TServerSource {
  Q_OBJECT

 public:
  explicit TServerQueryRunner(TServerQueryRunnerOptions options = {}, QObject* parent = nullptr);
  ~TServerQueryRunner() override;

  void Refresh(const TRefreshRequest& request) override;
  void QueryDetails(const TKnownServer& server, const TQueryLimits& limits) override;
  void Stop() override;

  bool Running() const { return FRunning; }
  TStateCounts Counts() const { return FScheduler.Counts(); }

 private:
  bool OpenSocket();
  void Begin();
  void Pump();
  void Read();
  void TakeReports();
  void SendDue();
  void LookUpNames();
  void NameFound(std::size_t master, std::uint16_t port, const QHostInfo& info);
  void Deliver(bool now);
  void Arm();
  void AbortLookups();

  TServerQueryRunnerOptions FOptions;
  TQueryScheduler FScheduler;
  std::unique_ptr<TUdpSocket> FSocket;
  std::unique_ptr<QSocketNotifier> FNotifier;
  QTimer FWake;
  QTimer FFlush;
  std::deque<std::pair<std::uint32_t, TServerAddress>> FSentIds;  // the last datagrams sent
  std::vector<TServerInfo> FPending;
  std::chrono::steady_clock::time_point FPendingSince{};
  std::vector<int> FLookups;
  std::set<std::size_t> FNamesPending;  // masters whose name lookup has not answered
  int FSession = 0;
  bool FRunning = false;
  bool FInPump = false;
};

}  // namespace fx
