#pragma once

// Scripted game servers and masters on loopback addresses, answering from one thread: the
// three server families, a dpmaster and a QuakeWorld master. Their replies are written here
// byte by byte, not with the program's codecs, so a test compares two independent readings.
// Each can lose a share of the requests it gets, and keep the limits of its engine
// (TFakeGate): DarkPlaces' flood limiter and FTE's block of a querier that asks too often.
// They record when each request arrived.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/UdpSocket.h"
#include "servers/ServerInfo.h"

namespace fx::test {

enum class TFakeRole : std::uint8_t { Server, DpMaster, QuakeWorldMaster };
enum class TFakeDialect : std::uint8_t { DarkPlaces, Spiked, Fte };  // getstatus player lines

struct TFakeServer {
  TServerAddress Address;  // port 0: a free one
  TFakeRole Role = TFakeRole::Server;
  TServerFamily Family = TServerFamily::NetQuake;
  TFakeDialect Dialect = TFakeDialect::DarkPlaces;
  std::string Name = "Fake", Map = "e1m1", Game;
  int MaxPlayers = 8;
  std::vector<TServerPlayer> Players;
  std::vector<std::pair<std::string, std::string>> Rules;
  std::vector<TServerAddress> Listed;  // masters: the servers they list
  double Loss = 0;                     // share of requests dropped
  // DarkPlaces' NetConn_PreventFlood: one info, player or getstatus query a second.
  bool FloodGuard = false;
  // FTE's SV_DetectAmplificationDDOS: status queries counted per querier and server process.
  bool DdosGuard = false;
  int Process = 0;             // fakes with the same number are one FTE process on several ports
  int Connecting = 0;          // NetQuake: counted in the player count, answered by no index
  bool AnswersStatus = false;  // NetQuake: answers getstatus as DarkPlaces does in that mode
  bool Garbage = false;        // answers with bytes no protocol knows
};

// The engines' own limits on queries from one querier (the fakes have one: the program).
class TFakeGate {
 public:
  using TTimePoint = std::chrono::steady_clock::time_point;
  // What `server` sends back to `request` arriving `at`; nothing when a limit drops it.
  std::vector<std::string> Answer(const TFakeServer& server, const std::string& request,
                                  TTimePoint at);
  // Requests a limit dropped, by server.
  int Dropped(const TServerAddress& server) const;
  void Reset();

 private:
  struct TDdos {
    TTimePoint Timeout{};
    int Count = 0;
    bool Known = false;
  };
  bool Flooded(const TFakeServer& server, const std::string& request, TTimePoint at);
  std::optional<std::string> Ddos(const TFakeServer& server, const std::string& request,
                                  TTimePoint at);
  std::map<TServerAddress, TTimePoint> FLastAccepted;
  std::map<int, TDdos> FDdos;
  std::map<TServerAddress, int> FDropped;
};

class TFakeNetwork {
 public:
  using TTimePoint = std::chrono::steady_clock::time_point;
  struct TAnswer {
    TTimePoint Arrived, Sent;  // the request's arrival and the reply's departure (kernel stamps)
  };

  explicit TFakeNetwork(std::vector<TFakeServer> servers, unsigned seed = 1);
  ~TFakeNetwork();

  std::size_t Size() const { return FServers.size(); }
  TServerAddress Address(std::size_t index) const;
  // When each request arrived, whether answered or not.
  std::vector<TTimePoint> Requests(std::size_t index) const;
  std::vector<TAnswer> Answers(std::size_t index) const;
  // Forgets the flood guards and the records, as after a long pause.
  void Reset();

 private:
  struct TSlot {
    TFakeServer Server;
    std::unique_ptr<TUdpSocket> Socket;
    std::vector<TTimePoint> Requests;
    std::vector<TAnswer> Answers;
  };
  void Run();
  void Serve(TSlot& slot, const TUdpPacket& request);

  std::vector<TSlot> FServers;
  TFakeGate FGate;
  mutable std::mutex FLock;
  std::mt19937 FRandom;
  int FEpoll = -1, FWakeUp = -1;
  std::atomic<bool> FStop{false};
  std::thread FThread;
};

// What a fake answers to `request` (several datagrams from a master, none when it is silent).
std::vector<std::string> FakeReplies(const TFakeServer& server, const std::string& request);

// `count` servers on 127.1.x.y of the three families in turn (getstatus ones in the three
// dialects, with DarkPlaces' flood limiter or FTE's block), each losing `loss` of its requests.
// `oneAddress`: all on 127.1.0.1, each on its own port, as a hosting provider runs them.
std::vector<TFakeServer> LoopbackFarm(int count, double loss, bool oneAddress = false);

}  // namespace fx::test
