// The scheduler against the engines' own limits and replies (the fakes keep them as the
// engines' sources do, see tests/servers/FakeServers.cpp), against many servers on one
// address, and against masters and networks that misbehave.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "tests/servers/ScriptedNet.h"

namespace fx {
namespace {

using namespace std::chrono;
using namespace std::chrono_literals;
using namespace test;

bool IsPlayerRequest(const std::string& bytes) {
  return bytes.size() == 6 && static_cast<unsigned char>(bytes[0]) == 0x80 && bytes[4] == 0x03;
}
bool IsStatusRequest(const std::string& bytes) {
  return bytes.starts_with("\xff\xff\xff\xffgetstatus") ||
         bytes.starts_with("\xff\xff\xff\xffstatus") ||
         (bytes.size() > 4 && static_cast<unsigned char>(bytes[0]) == 0x80 && bytes[4] == 0x02);
}

std::vector<int> PlayerIndices(const TScriptedNet& net, const TServerAddress& to) {
  std::vector<int> indices;
  for (const auto& sent : net.Log)
    if (sent.Packet.Address == to && IsPlayerRequest(sent.Packet.Bytes))
      indices.push_back(static_cast<unsigned char>(sent.Packet.Bytes[5]));
  return indices;
}

// The challenge a getstatus request carries.
std::string ChallengeOf(const std::string& request) {
  const std::size_t blank = request.find(' ');
  return blank == std::string::npos ? "" : request.substr(blank + 1);
}

struct TGetstatusCase {
  const char* Name;
  TFakeDialect Dialect;
  bool Lan = false;
  bool WrongChallenge = false;
  TServerState Want = TServerState::Answered;
};

TEST(QuerySchedulerEngines, EveryGetstatusDialectListsAndAWrongChallengeIsABadReply) {
  const std::vector<TGetstatusCase> cases{
      {"DarkPlaces", TFakeDialect::DarkPlaces},
      {"Spiked", TFakeDialect::Spiked},
      {"FteEchoesNoChallenge", TFakeDialect::Fte},
      {"FteOnTheLan", TFakeDialect::Fte, true},
      {"WrongChallenge", TFakeDialect::DarkPlaces, false, true, TServerState::BadReply},
  };
  for (const TGetstatusCase& row : cases) {
    SCOPED_TRACE(row.Name);
    TFakeServer fake = Fake(3, TServerFamily::DarkPlaces);
    fake.Dialect = row.Dialect;
    fake.Players = {Player("Ann", 5)};
    TScriptedNet net({fake});
    if (row.WrongChallenge)
      net.Tamper = [](const TScriptedNet::TSent&, std::string& reply) {
        const std::size_t at = reply.find("\\challenge\\");
        if (at != std::string::npos) reply[at + 11] ^= 1;
      };
    TRefreshRequest request = row.Lan ? TRefreshRequest{} : Asking({fake});
    std::vector<TLanTarget> lan;
    if (row.Lan) lan = {{fake.Address, TServerFamily::DarkPlaces}};
    net.Scheduler.Start(request, lan, net.Clock.Now());
    net.Run(10s);
    ASSERT_EQ(net.Listed.count(fake.Address), 1u);
    const TServerInfo& info = net.Listed[fake.Address];
    EXPECT_EQ(info.State, row.Want);
    if (row.Want != TServerState::Answered) continue;
    EXPECT_EQ(info.Name, fake.Name);
    ASSERT_EQ(info.PlayerList.size(), 1u);
    EXPECT_EQ(info.PlayerList[0].Name, "Ann");
  }
  // Challenges are random, one per server: two refreshes of two programs share none, and
  // none is a small counter.
  std::set<std::string> challenges;
  for (int program = 0; program < 2; ++program) {
    TFakeServer fake = Fake(3, TServerFamily::DarkPlaces);
    TFakeServer other = Fake(4, TServerFamily::DarkPlaces);
    TScriptedNet net({fake, other});
    net.Scheduler.Start(Asking({fake, other}), {}, net.Clock.Now());
    net.Run(10s);
    for (const auto& sent : net.Log) {
      const std::string challenge = ChallengeOf(sent.Packet.Bytes);
      EXPECT_GE(challenge.size(), 16u);
      challenges.insert(challenge);
    }
  }
  EXPECT_EQ(challenges.size(), 4u);
}

// FTE has no flood limiter of DarkPlaces' kind: once its reply shows it is FTE (no
// challenge echoed), a lost request is sent again on the ordinary schedule.
TEST(QuerySchedulerEngines, FteIsRetriedOnTheOrdinaryScheduleOnceKnown) {
  TFakeServer fte = Fake(3, TServerFamily::DarkPlaces);
  fte.Dialect = TFakeDialect::Fte;
  fte.DdosGuard = true;
  TScriptedNet net({fte});
  net.Scheduler.Start(Asking({fte}), {}, net.Clock.Now());
  net.Run(10s);
  net.Clock.Advance(40s);
  const milliseconds start = net.Now();
  const std::size_t before = net.Log.size();
  net.Lose = [&](const TScriptedNet::TSent&) { return net.Log.size() == before + 1; };
  net.Scheduler.Start(Asking({fte}), {}, net.Clock.Now());
  net.Run(start + 10s);
  std::vector<milliseconds> second;
  for (std::size_t i = before; i < net.Log.size(); ++i)
    second.push_back(net.Log[i].At - start);
  EXPECT_EQ(second, (std::vector<milliseconds>{0ms, 250ms}));
  EXPECT_EQ(net.Listed[fte.Address].State, TServerState::Answered);
}

struct TPlayerCase {
  const char* Name;
  int Playing, Connecting, Maximum;
  std::vector<int> WantIndices;
};

TEST(QuerySchedulerEngines, NetQuakePlayersAreAskedOnceEachUpToTheFirstMissing) {
  const std::vector<TPlayerCase> cases{
      {"AllConnecting", 0, 255, 255, {0}},
      {"OneConnecting", 2, 1, 8, {0, 1, 2}},
      {"CountAboveItsMaximum", 6, 0, 4, {0, 1, 2, 3}},
  };
  for (const TPlayerCase& row : cases) {
    SCOPED_TRACE(row.Name);
    TFakeServer fake = Fake(1, TServerFamily::NetQuake);
    for (int i = 0; i < row.Playing; ++i)
      fake.Players.push_back(Player("P", i));
    fake.Connecting = row.Connecting;
    fake.MaxPlayers = row.Maximum;
    TScriptedNet net({fake});
    net.Scheduler.Start(Asking({fake}), {}, net.Clock.Now());
    net.Run(60s);
    EXPECT_EQ(PlayerIndices(net, fake.Address), row.WantIndices);
    EXPECT_EQ(net.Listed[fake.Address].PlayerList.size(),
              std::min<std::size_t>(row.Playing, row.Maximum));
    EXPECT_LE(net.SentTo(fake.Address).size(), row.WantIndices.size() + 6);
    EXPECT_LE(net.Now(), 6s);
    EXPECT_FALSE(net.Scheduler.Running());
  }
}

// DarkPlaces in NetQuake mode drops a query within a second of the last one it answered;
// after the first contact no request of a refresh is dropped, however long ago it was,
// while a quakespasm server (no limiter) still has its players asked back to back.
TEST(QuerySchedulerEngines, DarkPlacesDropsNothingAfterTheFirstContact) {
  TFakeServer dp = Fake(1, TServerFamily::NetQuake);
  dp.FloodGuard = true;
  dp.AnswersStatus = true;
  TFakeServer qs = Fake(2, TServerFamily::NetQuake);
  for (TFakeServer* fake : {&dp, &qs})
    fake->Players = {Player("Ann", 1), Player("Bob", 2), Player("Cid", 3)};
  TScriptedNet net({dp, qs});
  int droppedAtFirst = 0;
  for (int refresh = 0; refresh < 3; ++refresh) {
    SCOPED_TRACE(refresh);
    net.Listed.clear();
    const milliseconds start = net.Now();
    const std::size_t before = net.Log.size();
    net.Scheduler.Start(Asking({dp, qs}), {}, net.Clock.Now());
    net.Run(start + 20s);
    if (refresh == 0) droppedAtFirst = net.Gate.Dropped(dp.Address);
    EXPECT_EQ(net.Gate.Dropped(dp.Address), droppedAtFirst);
    EXPECT_EQ(net.Listed[dp.Address].PlayerList.size(), 3u);
    EXPECT_EQ(net.Listed[qs.Address].PlayerList.size(), 3u);
    std::vector<milliseconds> toQs;
    for (std::size_t i = before; i < net.Log.size(); ++i)
      if (net.Log[i].Packet.Address == qs.Address) toQs.push_back(net.Log[i].At - start);
    EXPECT_EQ(toQs, (std::vector<milliseconds>{0ms, 20ms, 40ms, 60ms}));
    if (refresh > 0) {
      EXPECT_LE(net.Now() - start, 1200ms);
    }
    net.Clock.Advance(40s);  // past every window of the politeness rules
  }
}

// One FTE process on two ports counts the status queries of both against one window; when
// it blocks anyway, its notice means "slow down".
TEST(QuerySchedulerEngines, FteWindowIsPerHostAndItsBlockNoticeIsThrottled) {
  TFakeServer a = Fake(5, TServerFamily::QuakeWorld, 27500);
  TFakeServer b = Fake(5, TServerFamily::QuakeWorld, 27501);
  for (TFakeServer* fake : {&a, &b}) {
    fake->DdosGuard = true;
    fake->Process = 5;
  }
  TScriptedNet net({a, b});
  for (int refresh = 0; refresh < 12; ++refresh) {
    const milliseconds start = net.Now();
    net.Scheduler.Start(Asking({a, b}), {}, net.Clock.Now());
    net.Run(start + 10s);
    net.Clock.Advance(start + 2500ms - net.Now());
  }
  EXPECT_EQ(net.Gate.Dropped(a.Address), 0);
  std::vector<milliseconds> toHost;
  for (const auto& sent : net.Log)
    if (IsStatusRequest(sent.Packet.Bytes)) toHost.push_back(sent.At);
  for (std::size_t i = 14; i < toHost.size(); ++i)
    EXPECT_GE(toHost[i] - toHost[i - 14], 32s);

  TFakeServer blocked = Fake(6, TServerFamily::QuakeWorld, 27500);
  TScriptedNet notice({blocked});
  notice.Tamper = [](const TScriptedNet::TSent&, std::string& reply) {
    reply = "\xff\xff\xff\xffnProbable ddos amplification attack\n";
  };
  notice.Scheduler.Start(Asking({blocked}), {}, notice.Clock.Now());
  notice.Run(10s);
  EXPECT_EQ(notice.Listed[blocked.Address].State, TServerState::Throttled);
  EXPECT_EQ(notice.Log.size(), 1u);
}

TEST(QuerySchedulerEngines, RuleNamesEchoedBackAreBounded) {
  TFakeServer fake = Fake(1, TServerFamily::NetQuake);
  fake.Rules = {{"fraglimit", "10"}, {std::string(1000, 'r'), "2"}, {"teamplay", "1"}};
  TScriptedNet net({fake});
  net.Scheduler.QueryDetails({fake.Address, fake.Family}, {}, net.Clock.Now());
  net.Run(20s);
  for (const auto& sent : net.Log)
    EXPECT_LE(sent.Packet.Bytes.size(), 300u);
  EXPECT_LE(net.Log.size(), 8u);
  ASSERT_FALSE(net.Listed[fake.Address].Rules.empty());
  EXPECT_EQ(net.Listed[fake.Address].Rules[0].first, "fraglimit");
  EXPECT_FALSE(net.Scheduler.Running());
}

struct TOneAddressCase {
  const char* Name;
  int Silent;
  double Loss;
};

// A hosting provider's address with a thousand servers, each on its own port: a silent or
// lossy server never holds back the others.
TEST(QuerySchedulerEngines, SilentOrLossyServersNeverHoldBackTheOthersOnTheirAddress) {
  for (const TOneAddressCase& row :
       {TOneAddressCase{"FortySilent", 40, 0}, TOneAddressCase{"TwentyPercentLost", 0, 0.2}}) {
    SCOPED_TRACE(row.Name);
    std::vector<TFakeServer> fakes;
    std::set<TServerAddress> silent;
    for (int i = 0; i < 1000; ++i) {
      TFakeServer& fake = fakes.emplace_back(
          Fake(1, static_cast<TServerFamily>(i % 3), static_cast<std::uint16_t>(20000 + i)));
      fake.FloodGuard = fake.Family == TServerFamily::DarkPlaces;
      if (i % 25 == 0 && static_cast<int>(silent.size()) < row.Silent) silent.insert(fake.Address);
    }
    TScriptedNet net(fakes);
    net.Rtt = 1ms;
    std::mt19937 random(7);
    net.Lose = [&](const TScriptedNet::TSent& sent) {
      return silent.count(sent.Packet.Address) > 0 ||
             std::uniform_real_distribution<>(0, 1)(random) < row.Loss;
    };
    TRefreshRequest request = Asking(fakes);
    request.Limits.PacketsPerSecond = 100000;
    net.Scheduler.Start(request, {}, net.Clock.Now());
    net.Run(10s);
    const auto within = std::count_if(net.AnsweredAt.begin(), net.AnsweredAt.end(),
                                      [](const auto& entry) { return entry.second <= 3s; });
    EXPECT_GE(within, (1000 - row.Silent) * 95 / 100);
  }
}

TEST(QuerySchedulerMasters, EveryAddressOfAMasterFinishesAndALostGameRequestIsSentAgain) {
  TFakeServer master = Fake(200, TServerFamily::DarkPlaces, 27950);
  master.Role = TFakeRole::DpMaster;
  std::vector<TFakeServer> fakes{master};
  for (int i = 0; i < 10; ++i) {
    fakes.push_back(Fake(static_cast<std::uint8_t>(10 + i), TServerFamily::DarkPlaces));
    fakes[0].Listed.push_back(fakes.back().Address);
  }
  const TServerAddress silent = TServerAddress::V4(127, 0, 0, 201, 27950);
  struct TRow {
    const char* Name;
    std::vector<TServerAddress> Addresses;
    bool LoseFirstList;
    milliseconds WantDone;
  };
  for (const TRow& row : {TRow{"OneAddressSilent", {fakes[0].Address, silent}, false, 2500ms},
                          TRow{"FirstListRequestLost", {fakes[0].Address}, true, 0ms}}) {
    SCOPED_TRACE(row.Name);
    TScriptedNet net(fakes);
    bool lost = false;
    net.Lose = [&](const TScriptedNet::TSent& sent) {
      if (sent.Packet.Address == silent) return true;
      if (!row.LoseFirstList || lost) return false;
      lost = sent.Packet.Bytes.find(" DarkPlaces-Quake ") != std::string::npos;
      return lost;
    };
    TRefreshRequest request;
    request.Lan = false;
    request.Masters = {{"master.test", 27950, TMasterKind::DpMaster}};
    net.Scheduler.Start(request, {}, net.Clock.Now());
    const auto names = net.Scheduler.TakeNamesToResolve();
    ASSERT_EQ(names.size(), 1u);
    net.Scheduler.Resolved(names[0].Master, row.Addresses, "", net.Clock.Now());
    milliseconds doneAt{-1};
    for (milliseconds step = 0ms; step < 5s && doneAt < 0ms; step += 10ms) {
      net.Run(step);
      if (!net.Masters.empty()) doneAt = net.Now();
    }
    ASSERT_EQ(net.Masters.size(), 1u);
    EXPECT_TRUE(net.Masters[0].Answered);
    EXPECT_EQ(net.Masters[0].Servers, 10);
    if (row.WantDone > 0ms) {
      EXPECT_GE(doneAt, row.WantDone);
    }
  }
}

// A master that keeps sending is done a fixed time after its first datagram; an ICMP error
// that comes after a server answered does not undo the answer.
TEST(QuerySchedulerMasters, AnEndlessMasterEndsAndALateIcmpErrorChangesNothing) {
  TFakeServer silentMaster = Fake(200, TServerFamily::DarkPlaces, 27950);
  silentMaster.Role = TFakeRole::DpMaster;
  const TServerAddress master = silentMaster.Address;
  TFakeServer server = Fake(1, TServerFamily::NetQuake);
  server.Players = {Player("Ann", 1)};
  TScriptedNet net({server, silentMaster});
  net.Lose = [&](const TScriptedNet::TSent& sent) { return sent.Packet.Address == master; };
  TRefreshRequest request = Asking({server});
  request.Masters = {{"127.0.0.200", 27950, TMasterKind::DpMaster}};
  net.Scheduler.Start(request, {}, net.Clock.Now());
  std::function<void(int)> more = [&](int n) {
    std::string packet = "\xff\xff\xff\xffgetserversResponse\\";
    packet += std::string("\x7f\x02", 2) + static_cast<char>(n >> 8) + static_cast<char>(n & 255);
    packet += std::string("\x6d\x60", 2);
    if (n < 600)
      net.Inject({net.At(100ms * (n + 1)), master, packet, false, [&, n] { more(n + 1); }});
  };
  more(0);
  // The ICMP error for the info query's first attempt comes after the reply to it.
  net.Inject({net.At(25ms), server.Address, "", true});
  net.Run(70s);
  ASSERT_EQ(net.Masters.size(), 1u);
  EXPECT_LE(net.Masters[0].Servers, 60);
  EXPECT_EQ(net.Listed[server.Address].State, TServerState::Answered);
  EXPECT_EQ(net.Listed[server.Address].PlayerList.size(), 1u);
}

// A datagram that cannot leave is named by its cause; for a master with another address it is
// no failure of the master's own.
TEST(QuerySchedulerMasters, SendErrorsAreNamedByTheirCause) {
  TFakeServer server = Fake(1, TServerFamily::QuakeWorld, 27500);
  TFakeServer answered = Fake(2, TServerFamily::QuakeWorld, 27500);
  TScriptedNet net({server, answered});
  const TServerAddress first = TServerAddress::V4(127, 0, 0, 200, 27950);
  const TServerAddress second = TServerAddress::V4(127, 0, 0, 201, 27950);
  net.Lose = [&](const TScriptedNet::TSent& sent) {
    return sent.Packet.Address == server.Address || sent.Packet.Address == second;
  };
  TRefreshRequest request = Asking({server, answered});
  request.Masters = {{"master.test", 27950, TMasterKind::DpMaster}};
  net.Scheduler.Start(request, {}, net.Clock.Now());
  net.Scheduler.Resolved(0, {first, second}, "", net.Clock.Now());
  // Errors as the socket reports them, after the datagrams were handed to it; the last one
  // after the server answered.
  const TServerAddress nobody = TServerAddress::V4(127, 0, 0, 99, 1);
  net.Inject({net.At(1ms), nobody, "", false, [&] {
                net.Scheduler.Unreachable(first, "no route", net.At(1ms));
                net.Scheduler.Unreachable(server.Address, "not permitted", net.At(1ms));
              }});
  net.Inject({net.At(30ms), nobody, "", false,
              [&] { net.Scheduler.Unreachable(answered.Address, "too long", net.At(30ms)); }});
  net.Run(10s);
  EXPECT_EQ(net.Listed[server.Address].State, TServerState::TimedOut);
  EXPECT_EQ(net.Listed[server.Address].Error, "not permitted");
  EXPECT_EQ(net.Listed[answered.Address].State, TServerState::Answered);
  EXPECT_EQ(net.Listed[answered.Address].Error, "");
  ASSERT_EQ(net.Masters.size(), 1u);
  EXPECT_EQ(net.Masters[0].Error, "timed out");
}

}  // namespace
}  // namespace fx
