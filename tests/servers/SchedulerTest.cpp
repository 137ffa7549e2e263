// The query scheduler on a manual clock and a scripted network (tests/servers/ScriptedNet.h).

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "tests/servers/ScriptedNet.h"

namespace fx {
namespace {

using namespace std::chrono;
using namespace std::chrono_literals;
using namespace test;

TEST(QueryScheduler, AsksEachFamilyInItsOwnProtocolAndTimesTheReplies) {
  std::vector<TFakeServer> fakes{Fake(1, TServerFamily::NetQuake),
                                 Fake(2, TServerFamily::QuakeWorld, 27500),
                                 Fake(3, TServerFamily::DarkPlaces)};
  fakes[0].Players = {Player("Ann", 3), Player("Bob", 1)};
  fakes[0].MaxPlayers = 4;
  fakes[1].Players = {Player("Cid", 9), Player("Eve", 0, true)};
  fakes[2].Players = {Player("Dan", 4)};
  TScriptedNet net(fakes);
  net.Departure = 3ms;  // the round trip counts from the departure, not from the Send call
  net.Scheduler.Start(Asking(fakes), {}, net.Clock.Now());
  net.Run();
  ASSERT_EQ(net.Listed.size(), 3u);
  for (const TFakeServer& fake : fakes) {
    const TServerInfo& info = net.Listed[fake.Address];
    EXPECT_EQ(info.State, TServerState::Answered) << fake.Name;
    EXPECT_EQ(info.Name, fake.Name);
    EXPECT_EQ(info.PingMicros, 20000) << fake.Name;
  }
  // NetQuake players are asked one by one, up to the count the server reported.
  const std::vector<milliseconds> toNetQuake = net.SentTo(fakes[0].Address);
  EXPECT_EQ(toNetQuake, (std::vector<milliseconds>{0ms, 23ms, 46ms}));
  ASSERT_EQ(net.Listed[fakes[0].Address].PlayerList.size(), 2u);
  EXPECT_EQ(net.Listed[fakes[0].Address].PlayerList[1].Name, "Bob");
  EXPECT_EQ(net.Listed[fakes[1].Address].Players, 1);
  EXPECT_TRUE(net.Listed[fakes[1].Address].PlayerList[1].Spectator);
  EXPECT_EQ(net.Listed[fakes[2].Address].PlayerList[0].Name, "Dan");
  EXPECT_EQ(net.Scheduler.Counts().Answered, 3);
  EXPECT_EQ(net.Now(), 69ms);
}

TEST(QueryScheduler, RetriesOnScheduleAndEndsEveryWayAServerCanFail) {
  std::vector<TFakeServer> fakes{Fake(1, TServerFamily::NetQuake), Fake(2, TServerFamily::NetQuake),
                                 Fake(3, TServerFamily::QuakeWorld),
                                 Fake(4, TServerFamily::NetQuake)};
  fakes[2].Garbage = true;
  TRefreshRequest request = Asking(fakes);
  request.Servers.push_back({TServerAddress::V4(127, 0, 0, 9, 26000), TServerFamily::NetQuake});
  TScriptedNet net(fakes);
  int lostToFirst = 0;
  net.Lose = [&](const TScriptedNet::TSent& sent) {
    if (sent.Packet.Address == fakes[1].Address) return true;
    return sent.Packet.Address == fakes[0].Address && lostToFirst++ < 2;
  };
  net.Scheduler.Start(request, {}, net.Clock.Now());
  net.Run();
  // Answered on the third attempt; which attempt the reply belongs to is unknown, so one
  // more query (a guard gap later, as a guarded server needs) gives the true round trip.
  EXPECT_EQ(net.SentTo(fakes[0].Address), (std::vector<milliseconds>{0ms, 250ms, 500ms, 1550ms}));
  EXPECT_EQ(net.Listed[fakes[0].Address].PingMicros, 20000);
  EXPECT_EQ(net.SentTo(fakes[1].Address),
            (std::vector<milliseconds>{0ms, 250ms, 500ms, 800ms, 1200ms, 1800ms, 2500ms}));
  EXPECT_EQ(net.Listed[fakes[1].Address].State, TServerState::TimedOut);
  EXPECT_EQ(net.Listed[fakes[2].Address].State, TServerState::BadReply);
  EXPECT_EQ(net.Listed[TServerAddress::V4(127, 0, 0, 9, 26000)].State, TServerState::Refused);
  const TStateCounts counts = net.Scheduler.Counts();
  EXPECT_EQ(counts.Answered, 2);
  EXPECT_EQ(counts.TimedOut + counts.BadReply + counts.Refused, 3);
  EXPECT_EQ(net.Now(), 3300ms);  // the silent server's give-up, not a moment later
}

TEST(QueryScheduler, KeepsTheGuardedAndWindowRulesAcrossRefreshes) {
  TFakeServer silentDp = Fake(1, TServerFamily::DarkPlaces);
  TFakeServer silentQw = Fake(2, TServerFamily::QuakeWorld, 27500);
  TScriptedNet net({silentDp, silentQw});
  net.Lose = [](const TScriptedNet::TSent&) { return true; };
  for (int refresh = 0; refresh < 5; ++refresh) {
    net.Scheduler.Start(Asking({silentDp, silentQw}), {}, net.Clock.Now());
    net.Run(net.Now() + 60s);
  }
  // With a margin for the server's clock: one query in 1.05 s to a guarded server (its
  // limit is 1 s), and at most 14 status queries in any 32 s (FTE's window is 30 s).
  for (const TServerAddress& address : {silentDp.Address, silentQw.Address}) {
    const std::vector<milliseconds> sent = net.SentTo(address);
    for (std::size_t i = 14; i < sent.size(); ++i)
      EXPECT_GE(sent[i] - sent[i - 14], 32s);
  }
  const std::vector<milliseconds> toDp = net.SentTo(silentDp.Address);
  for (std::size_t i = 1; i < toDp.size(); ++i)
    EXPECT_GE(toDp[i] - toDp[i - 1], 1050ms);
  EXPECT_EQ(net.Listed[silentQw.Address].State, TServerState::Throttled);
  EXPECT_EQ(net.SentTo(silentQw.Address).size(), 14u);
}

TEST(QueryScheduler, HoldsThePacketRateAndThePerHostLimit) {
  std::vector<TFakeServer> fakes;
  for (int i = 0; i < 100; ++i)
    fakes.push_back(Fake(static_cast<std::uint8_t>(1 + i / 10), TServerFamily::QuakeWorld,
                         static_cast<std::uint16_t>(27500 + i % 10)));
  TRefreshRequest request = Asking(fakes);
  request.Limits = {500, 3};
  TScriptedNet net(fakes);
  net.Scheduler.Start(request, {}, net.Clock.Now());
  net.Run();
  EXPECT_EQ(net.Scheduler.Counts().Answered, 100);
  // A burst of 25, then 500 a second; at most 3 queries in flight to one host.
  for (std::size_t i = 0; i < net.Log.size(); ++i)
    EXPECT_LE(static_cast<double>(i + 1), 25 + 0.5 * net.Log[i].At.count() + 1e-9);
  std::map<std::uint8_t, std::vector<milliseconds>> byHost;
  for (const auto& sent : net.Log)
    byHost[sent.Packet.Address.Bytes[3]].push_back(sent.At);
  for (const auto& [host, times] : byHost)
    for (std::size_t i = 3; i < times.size(); ++i)
      EXPECT_GE(times[i] - times[i - 3], net.Rtt);
}

TEST(QueryScheduler, ListsWhatMastersSendWhileADeadOneCostsOnlyItsTimeOut) {
  std::vector<TFakeServer> fakes;
  TFakeServer dpMaster = Fake(200, TServerFamily::DarkPlaces, 27950);
  dpMaster.Role = TFakeRole::DpMaster;
  TFakeServer qwMaster = Fake(201, TServerFamily::QuakeWorld, 27000);
  qwMaster.Role = TFakeRole::QuakeWorldMaster;
  for (int i = 0; i < 450; ++i) {
    const bool dp = i < 300;
    fakes.push_back(Fake(static_cast<std::uint8_t>(1 + i / 4),
                         dp ? TServerFamily::DarkPlaces : TServerFamily::QuakeWorld,
                         static_cast<std::uint16_t>(26000 + i % 4)));
    (dp ? dpMaster : qwMaster).Listed.push_back(fakes.back().Address);
  }
  fakes.push_back(dpMaster);
  fakes.push_back(qwMaster);
  TRefreshRequest request;
  request.Lan = false;
  request.Limits.PacketsPerSecond = 100000;
  for (const TFakeServer& master : {dpMaster, qwMaster})
    request.Masters.push_back(
        {"127.0.0." + std::to_string(master.Address.Bytes[3]), master.Address.Port,
         master.Role == TFakeRole::DpMaster ? TMasterKind::DpMaster : TMasterKind::QuakeWorld});
  request.Masters.push_back({"127.0.0.250", 27950, TMasterKind::DpMaster});  // silent
  request.Masters.push_back({"master.invalid", 27950, TMasterKind::DpMaster});
  TScriptedNet net(fakes);
  net.Lose = [](const TScriptedNet::TSent& sent) { return sent.Packet.Address.Bytes[3] == 250; };
  net.Scheduler.Start(request, {}, net.Clock.Now());
  const std::vector<TNameToResolve> names = net.Scheduler.TakeNamesToResolve();
  ASSERT_EQ(names.size(), 1u);
  net.Scheduler.Resolved(names[0].Master, {}, "", net.Clock.Now());
  net.Run();
  EXPECT_EQ(net.Scheduler.Counts().Answered, 450);
  ASSERT_EQ(net.Masters.size(), 4u);
  std::map<std::string, TMasterResult> byHost;
  for (const TMasterResult& result : net.Masters)
    byHost[result.Master.Host] = result;
  EXPECT_EQ(byHost["127.0.0.200"].Servers, 300);  // several packets, the end mark in the last
  EXPECT_EQ(byHost["127.0.0.200"].List.size(), 300u);
  EXPECT_EQ(byHost["master.invalid"].Error, "no such host");
  EXPECT_EQ(byHost["127.0.0.250"].Error, "timed out");
  EXPECT_EQ(net.Now(), 2500ms);  // tries at 0, 0.5 and 1 s, then 1.5 s of waiting
}

TEST(QueryScheduler, LanRepliesFromAnyAddressAndDetailsOfOneServer) {
  TFakeServer lan = Fake(7, TServerFamily::NetQuake);
  lan.Players = {Player("Ann", 3)};
  lan.Rules = {{"fraglimit", "10"}, {"teamplay", "1"}};
  TScriptedNet net({lan});
  TRefreshRequest request;
  request.NetQuakePlayers = false;
  net.Scheduler.Start(request, {{lan.Address, TServerFamily::NetQuake}}, net.Clock.Now());
  net.Run();
  EXPECT_EQ(net.Listed[lan.Address].State, TServerState::Answered);
  EXPECT_TRUE(net.Listed[lan.Address].PlayerList.empty());
  net.Scheduler.QueryDetails({lan.Address, TServerFamily::NetQuake}, {}, net.Clock.Now());
  net.Run(net.Now() + 10s);
  const TServerInfo& details = net.Listed[lan.Address];
  ASSERT_EQ(details.PlayerList.size(), 1u);
  ASSERT_EQ(details.Rules.size(), 2u);
  EXPECT_EQ(details.Rules[1], (std::pair<std::string, std::string>{"teamplay", "1"}));
}

}  // namespace
}  // namespace fx
