#pragma once

// A server source that answers from the test: it records what the browser asked and hands
// the servers the test gives it to the browser's callbacks, as the network source would.

#include <string>
#include <utility>
#include <vector>

#include "servers/ServerInfo.h"
#include "servers/ServerSource.h"

namespace fx::test {

class TScriptedServerSource final : public TServerSource {
 public:
  std::vector<TRefreshRequest> Refreshes;
  std::vector<TKnownServer> DetailQueries;
  int Stops = 0;

  void Refresh(const TRefreshRequest& request) override { Refreshes.push_back(request); }
  void QueryDetails(const TKnownServer& server, const TQueryLimits& /*limits*/) override {
    DetailQueries.push_back(server);
  }
  void Stop() override { ++Stops; }

  void Send(std::vector<TServerInfo> servers) {
    if (OnServers) OnServers(std::move(servers));
  }
  void Finish() {
    if (OnFinished) OnFinished();
  }
};

// A server that answered, at 127.0.0.1:<port>.
inline TServerInfo AnsweredServer(std::uint16_t port, std::string name,
                                  TServerFamily family = TServerFamily::NetQuake) {
  TServerInfo server;
  server.Address = TServerAddress::V4(127, 0, 0, 1, port);
  server.Family = family;
  server.State = TServerState::Answered;
  server.Name = std::move(name);
  server.Map = "e1m1";
  server.MaxPlayers = 8;
  server.PingMs = 20;
  return server;
}

}  // namespace fx::test
