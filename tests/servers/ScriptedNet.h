#pragma once

// The query scheduler on a manual clock and a scripted network: the fakes' answers arrive a
// fixed time after each request (through the fakes' own limits), requests can be lost or
// refused, replies tampered with, datagrams injected, and every packet sent is logged with
// its time, so retries, politeness and time-outs are checked to the millisecond.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <queue>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "servers/QueryScheduler.h"
#include "tests/servers/FakeServers.h"

namespace fx::test {

using namespace std::chrono;
using namespace std::chrono_literals;

class TScriptedNet {
 public:
  struct TSent {
    milliseconds At;
    TDatagram Packet;
  };

  explicit TScriptedNet(std::vector<TFakeServer> servers, TQueryTuning tuning = {})
      : Scheduler(std::move(tuning)) {
    for (TFakeServer& server : servers)
      Servers.emplace(server.Address, std::move(server));
  }
  milliseconds Now() const { return duration_cast<milliseconds>(Clock.Now() - Start); }
  TQueryScheduler::TTimePoint At(milliseconds offset) const { return Start + offset; }

  // Runs until nothing more is waited for, or `limit`.
  void Run(milliseconds limit = 60s) {
    for (;;) {
      for (TDatagram& packet : Scheduler.Send(Clock.Now()))
        Deliver(std::move(packet));
      Collect();
      std::optional<TQueryScheduler::TTimePoint> next = Scheduler.NextWake(Clock.Now());
      if (!Events.empty() && (!next || Events.top().When < *next)) next = Events.top().When;
      if (!next || *next > At(limit)) return;
      if (*next > Clock.Now()) Clock.Advance(*next - Clock.Now());
      while (!Events.empty() && Events.top().When <= Clock.Now()) {
        const TEvent event = Events.top();
        Events.pop();
        if (event.Refused)
          Scheduler.Refused(event.From, event.When);
        else
          Scheduler.Receive(event.From, event.Bytes, event.When);
        if (event.Then) event.Then();
      }
      Collect();
      if (!Scheduler.Running() && Events.empty()) return;
    }
  }
  void Collect() {
    for (TServerInfo& info : Scheduler.TakeChanged()) {
      if (info.State == TServerState::Answered) AnsweredAt.emplace(info.Address, Now());
      Listed[info.Address] = std::move(info);
    }
    for (TMasterResult& result : Scheduler.TakeMasterResults())
      Masters.push_back(result);
  }
  std::vector<milliseconds> SentTo(const TServerAddress& address) const {
    std::vector<milliseconds> times;
    for (const TSent& sent : Log)
      if (sent.Packet.Address == address) times.push_back(sent.At);
    return times;
  }

  TManualClock Clock;
  const TQueryScheduler::TTimePoint Start = Clock.Now();
  TQueryScheduler Scheduler;
  std::map<TServerAddress, TFakeServer> Servers;
  milliseconds Rtt{20};
  milliseconds Departure{0};  // how long after the Send call a datagram leaves
  std::function<bool(const TSent&)> Lose = [](const TSent&) { return false; };
  // Changes what a server sends back (a forged or spoofed reply).
  std::function<void(const TSent&, std::string&)> Tamper = [](const TSent&, std::string&) {};
  TFakeGate Gate;
  std::vector<TSent> Log;
  std::map<TServerAddress, TServerInfo> Listed;
  std::map<TServerAddress, milliseconds> AnsweredAt;  // first listed as answered
  std::vector<TMasterResult> Masters;

  struct TEvent {
    TQueryScheduler::TTimePoint When;
    TServerAddress From;
    std::string Bytes;
    bool Refused = false;
    std::function<void()> Then = {};  // runs after the event was delivered
    bool operator<(const TEvent& other) const { return When > other.When; }
  };
  // A datagram or an ICMP error that arrives unasked.
  void Inject(TEvent event) { Events.push(std::move(event)); }

 private:
  void Deliver(TDatagram packet) {
    Log.push_back({Now(), packet});
    if (Lose(Log.back())) return;
    const TQueryScheduler::TTimePoint left = Clock.Now() + Departure;
    if (Departure > 0ms) Scheduler.Departed(packet.Address, left);
    const auto server = Servers.find(packet.Address);
    if (server == Servers.end()) {
      Events.push({left + Rtt / 2, packet.Address, "", true});
      return;
    }
    for (std::string& reply : Gate.Answer(server->second, packet.Bytes, left + Rtt / 2)) {
      Tamper(Log.back(), reply);
      if (!reply.empty()) Events.push({left + Rtt, packet.Address, std::move(reply)});
    }
  }
  std::priority_queue<TEvent> Events;
};

inline TFakeServer Fake(std::uint8_t host, TServerFamily family, std::uint16_t port = 26000) {
  TFakeServer fake;
  fake.Address = TServerAddress::V4(127, 0, 0, host, port);
  fake.Family = family;
  fake.Name = "Fake " + std::to_string(host);
  return fake;
}

inline TServerPlayer Player(const char* name, int frags, bool spectator = false) {
  TServerPlayer player;
  player.Name = name;
  player.Frags = frags;
  player.Ping = 30;
  player.Seconds = 120;
  player.Spectator = spectator;
  return player;
}

inline TRefreshRequest Asking(const std::vector<TFakeServer>& servers) {
  TRefreshRequest request;
  request.Lan = false;
  for (const TFakeServer& server : servers)
    request.Servers.push_back({server.Address, server.Family});
  return request;
}

}  // namespace fx::test
