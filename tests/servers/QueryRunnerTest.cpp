// The program's server source against scripted servers on loopback: nothing leaves before it
// is asked, every family is found through its own way (a known address, a master, the LAN),
// an ICMP refusal is told from silence, and what it lists equals quakestat's reading of the
// same servers.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "tests/servers/FakeServers.h"
#include "tests/servers/QueryRunnerRig.h"

namespace fx {
namespace {

using test::TFakeDialect;
using test::TFakeRole;
using test::TFakeServer;

TFakeServer Fake(TServerFamily family, const char* name, TFakeRole role = TFakeRole::Server) {
  TFakeServer fake;
  fake.Address = TServerAddress::V4(127, 0, 0, 1, 0);
  fake.Family = family;
  fake.Role = role;
  fake.Name = name;
  return fake;
}

TServerPlayer Player(const char* name, int frags, int top, int bottom, bool spectator = false) {
  TServerPlayer player;
  player.Name = name;
  player.Frags = frags;
  player.Ping = 40;
  player.Seconds = 180;
  player.Top = top;
  player.Bottom = bottom;
  player.Team = "red";
  player.Spectator = spectator;
  return player;
}

TEST(ServerQueryRunner, ListsEveryFamilyEachItsOwnWayAndSendsNothingUnasked) {
  // The masters list servers started first, so the fakes are made in two steps.
  test::TFakeNetwork servers(
      {Fake(TServerFamily::NetQuake, "Lan NQ"), Fake(TServerFamily::QuakeWorld, "Known QW"),
       Fake(TServerFamily::DarkPlaces, "Listed DP"), Fake(TServerFamily::QuakeWorld, "Listed QW")});
  TFakeServer dpMaster = Fake(TServerFamily::DarkPlaces, "dpmaster", TFakeRole::DpMaster);
  dpMaster.Listed = {servers.Address(2)};
  TFakeServer qwMaster = Fake(TServerFamily::QuakeWorld, "qwmaster", TFakeRole::QuakeWorldMaster);
  qwMaster.Listed = {servers.Address(3)};
  test::TFakeNetwork masters({dpMaster, qwMaster});
  TServerAddress closed;
  {
    test::TFakeNetwork gone({Fake(TServerFamily::NetQuake, "gone")});
    closed = gone.Address(0);
  }
  test::TRunnerRig rig(
      test::LoopbackRunnerOptions({{servers.Address(0), TServerFamily::NetQuake}}));
  QCoreApplication::processEvents();
  for (std::size_t i = 0; i < servers.Size(); ++i)
    EXPECT_TRUE(servers.Requests(i).empty());

  TRefreshRequest request;
  request.Servers = {{servers.Address(1), TServerFamily::QuakeWorld},
                     {closed, TServerFamily::NetQuake}};
  request.Masters = {{"127.0.0.1", masters.Address(0).Port, TMasterKind::DpMaster},
                     {"127.0.0.1", masters.Address(1).Port, TMasterKind::QuakeWorld}};
  rig.Runner.Refresh(request);
  ASSERT_TRUE(rig.Wait());
  for (std::size_t i = 0; i < servers.Size(); ++i) {
    const TServerInfo& info = rig.Listed[servers.Address(i)];
    EXPECT_EQ(info.State, TServerState::Answered) << i;
    EXPECT_GE(info.PingMicros, 0);
  }
  EXPECT_EQ(rig.Listed[servers.Address(0)].Name, "Lan NQ");
  EXPECT_EQ(rig.Listed[servers.Address(2)].Family, TServerFamily::DarkPlaces);
  EXPECT_EQ(rig.Listed[servers.Address(3)].Family, TServerFamily::QuakeWorld);
  EXPECT_EQ(rig.Listed[closed].State, TServerState::Refused);
  ASSERT_EQ(rig.Masters.size(), 2u);
  for (const TMasterResult& master : rig.Masters)
    EXPECT_EQ(master.Servers, 1) << master.Error;
  EXPECT_EQ(rig.Runner.Counts().Answered, 4);
  EXPECT_EQ(rig.Runner.Counts().Refused, 1);
}

TEST(ServerQueryRunner, AsksOneServerForItsPlayersAndRules) {
  TFakeServer fake = Fake(TServerFamily::NetQuake, "Details");
  fake.Players = {Player("Ann", 5, 4, 11), Player("Bob", 2, 13, 0)};
  fake.Rules = {{"fraglimit", "10"}, {"teamplay", "1"}};
  test::TFakeNetwork servers({fake});
  test::TRunnerRig rig;
  rig.Runner.QueryDetails({servers.Address(0), TServerFamily::NetQuake}, {});
  ASSERT_TRUE(rig.Wait());
  const TServerInfo& info = rig.Listed[servers.Address(0)];
  ASSERT_EQ(info.PlayerList.size(), 2u);
  EXPECT_EQ(info.PlayerList[1].Name, "Bob");
  EXPECT_EQ(info.PlayerList[1].Top, 13);
  EXPECT_EQ(info.Rules, fake.Rules);
}

// What quakestat prints for one server: the server line, the rules, the players.
struct TOracle {
  std::vector<std::string> Server;
  std::map<std::string, std::string> Rules;
  std::vector<std::vector<std::string>> Players;
};

TOracle ReadOracle(const std::string& arguments) {
  const auto lines = test::Quakestat(arguments);
  TOracle oracle;
  if (lines.size() < 2) return oracle;
  oracle.Server = lines[0];
  for (const std::string& rule : lines[1]) {
    const std::size_t equals = rule.find('=');
    if (equals != std::string::npos) oracle.Rules[rule.substr(0, equals)] = rule.substr(equals + 1);
  }
  for (std::size_t i = 2; i < lines.size() && lines[i].size() > 1; ++i)
    oracle.Players.push_back(lines[i]);
  return oracle;
}

TEST(ServerQueryRunner, ListsWhatQuakestatReadsFromTheSameServers) {
  if (!test::HaveQuakestat()) {
    if (std::getenv("FX_REQUIRE_ENGINE")) FAIL() << "quakestat is not installed";
    GTEST_SKIP() << "quakestat is not installed";
  }
  TFakeServer nq = Fake(TServerFamily::NetQuake, "Oracle NQ");
  nq.Map = "e2m1";
  nq.Players = {Player("Ann", 5, 4, 11), Player("Bob", -1, 13, 0)};
  nq.Rules = {{"fraglimit", "10"}, {"teamplay", "1"}, {"sv_gravity", "800"}};
  TFakeServer qw = Fake(TServerFamily::QuakeWorld, "Oracle QW");
  qw.Map = "dm4";
  qw.MaxPlayers = 12;
  qw.Game = "qw";
  qw.Players = {Player("Ann", 7, 4, 11), Player("Eve", 0, 0, 0, true), Player("Cy", 3, 1, 2)};
  qw.Rules = {{"timelimit", "20"}, {"fraglimit", "30"}};
  test::TFakeNetwork servers({nq, qw});
  test::TRunnerRig rig;
  rig.Runner.QueryDetails({servers.Address(0), TServerFamily::NetQuake}, {});
  ASSERT_TRUE(rig.Wait());
  rig.Runner.QueryDetails({servers.Address(1), TServerFamily::QuakeWorld}, {});
  ASSERT_TRUE(rig.Wait());

  // QS: type, address, name, its own address, protocol, map, maximum, players, ...
  const TOracle nqOracle = ReadOracle("-R -P -qs " + servers.Address(0).ToString());
  const TServerInfo& nqInfo = rig.Listed[servers.Address(0)];
  ASSERT_GE(nqOracle.Server.size(), 8u);
  EXPECT_EQ(nqInfo.Name, nqOracle.Server[2]);
  EXPECT_EQ(nqInfo.Map, nqOracle.Server[5]);
  EXPECT_EQ(std::to_string(nqInfo.MaxPlayers), nqOracle.Server[6]);
  EXPECT_EQ(std::to_string(nqInfo.Players), nqOracle.Server[7]);
  EXPECT_EQ(nqInfo.Rules.size(), nqOracle.Rules.size());
  for (const auto& [name, value] : nqInfo.Rules)
    EXPECT_EQ(nqOracle.Rules.at(name), value);
  // Players: number, name, address, frags, seconds, shirt, pants.
  ASSERT_EQ(nqOracle.Players.size(), nqInfo.PlayerList.size());
  for (std::size_t i = 0; i < nqOracle.Players.size(); ++i) {
    const TServerPlayer& p = nqInfo.PlayerList[i];
    EXPECT_EQ(p.Name, nqOracle.Players[i][1]);
    EXPECT_EQ(std::to_string(p.Frags), nqOracle.Players[i][3]);
    EXPECT_EQ(std::to_string(p.Seconds), nqOracle.Players[i][4]);
    EXPECT_EQ(std::to_string(p.Top), nqOracle.Players[i][5]);
    EXPECT_EQ(std::to_string(p.Bottom), nqOracle.Players[i][6]);
  }

  // QWS: type, address, name, map, maximum, players (spectators not counted), ...
  const TOracle qwOracle = ReadOracle("-R -P -qws " + servers.Address(1).ToString());
  const TServerInfo& qwInfo = rig.Listed[servers.Address(1)];
  ASSERT_GE(qwOracle.Server.size(), 6u);
  EXPECT_EQ(qwInfo.Name, qwOracle.Server[2]);
  EXPECT_EQ(qwInfo.Map, qwOracle.Server[3]);
  EXPECT_EQ(std::to_string(qwInfo.MaxPlayers), qwOracle.Server[4]);
  EXPECT_EQ(std::to_string(qwInfo.Players), qwOracle.Server[5]);
  for (const auto& [name, value] : qwOracle.Rules) {
    const auto mine = std::find_if(qwInfo.Rules.begin(), qwInfo.Rules.end(),
                                   [&](const auto& rule) { return rule.first == name; });
    ASSERT_NE(mine, qwInfo.Rules.end()) << name;
    EXPECT_EQ(mine->second, value);
  }
  // Players: userid, name, frags, seconds, top, bottom, ping, skin, team.
  ASSERT_EQ(qwOracle.Players.size(), qwInfo.PlayerList.size());
  for (std::size_t i = 0; i < qwOracle.Players.size(); ++i) {
    const TServerPlayer& p = qwInfo.PlayerList[i];
    EXPECT_EQ(p.Name, qwOracle.Players[i][1]);
    EXPECT_EQ(p.Spectator ? "-9999" : std::to_string(p.Frags), qwOracle.Players[i][2]);
    EXPECT_EQ(std::to_string(p.Seconds), qwOracle.Players[i][3]);
    EXPECT_EQ(std::to_string(p.Ping), qwOracle.Players[i][6]);
    EXPECT_EQ(p.Team, qwOracle.Players[i][8]);
  }
}

}  // namespace
}  // namespace fx
