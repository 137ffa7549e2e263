// The guard between a master's list and the servers asked: address classes one by one, and
// hostile masters against the scheduler on a manual clock (nothing leaves this process).

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "servers/MasterListGuard.h"
#include "servers/QueryScheduler.h"

namespace fx {
namespace {

using namespace std::chrono_literals;

// Parse refuses port 0, which a hostile master may list all the same.
TServerAddress Address(std::string text) {
  const bool portZero = text.ends_with(":0");
  if (portZero) text.back() = '1';
  TServerAddress address = TServerAddress::Parse(text, 26000).value();
  if (portZero) address.Port = 0;
  return address;
}

const TServerAddress kPublicMaster = Address("81.7.7.7:27950");
const TServerAddress kLoopbackMaster = Address("127.0.0.1:27950");
const TServerAddress kV6Master = Address("[2a01:4f8::7]:27950");
const std::vector<TLocalNetwork> kLocal = {{Address("81.2.0.9"), 16}};

TEST(MasterListGuard, AdmitsOnlyGameServersTheMasterMayName) {
  struct TCase {
    const char* Entry;
    TServerAddress From;
    bool Extended;
    bool Admitted;
  };
  const std::vector<TCase> cases = {
      {"81.3.4.5:26000", kPublicMaster, false, true},
      {"0.0.0.0:26000", kPublicMaster, false, false},
      {"0.1.2.3:26000", kPublicMaster, false, false},
      {"255.255.255.255:26000", kPublicMaster, false, false},
      {"81.2.255.255:26000", kPublicMaster, false, false},  // this machine's network's broadcast
      {"81.3.255.255:26000", kPublicMaster, false, true},   // someone else's: an address
      {"224.0.0.1:26000", kPublicMaster, false, false},
      {"239.255.255.250:26000", kPublicMaster, false, false},
      {"169.254.169.254:26000", kPublicMaster, false, false},
      {"240.0.0.1:26000", kPublicMaster, false, false},
      {"198.18.0.1:26000", kPublicMaster, false, false},
      {"192.0.2.1:26000", kPublicMaster, false, false},
      {"198.51.100.1:26000", kPublicMaster, false, false},
      {"203.0.113.1:26000", kPublicMaster, false, false},
      {"81.3.4.5:0", kPublicMaster, false, false},
      {"81.3.4.5:80", kPublicMaster, false, false},
      {"81.3.4.5:1023", kPublicMaster, false, false},
      {"81.3.4.5:1024", kPublicMaster, false, true},
      {"127.0.0.1:26000", kPublicMaster, false, false},
      {"10.0.0.1:26000", kPublicMaster, false, false},
      {"172.16.0.1:26000", kPublicMaster, false, false},
      {"192.168.1.20:26000", kPublicMaster, false, false},
      {"100.64.0.1:26000", kPublicMaster, false, false},
      // A master on loopback may list this machine and its networks, one on a private
      // network that network only.
      {"127.0.0.2:26000", kLoopbackMaster, false, true},
      {"192.168.1.20:26000", kLoopbackMaster, false, true},
      {"127.0.0.1:631", kLoopbackMaster, false, false},
      {"192.168.1.20:26000", Address("192.168.1.2:27950"), false, true},
      {"10.0.0.1:26000", Address("192.168.1.2:27950"), false, false},
      {"127.0.0.1:26000", Address("192.168.1.2:27950"), false, false},
      // IPv6 entries answer getserversExt only.
      {"[2a00:1450::1]:26000", kV6Master, true, true},
      {"[2a00:1450::1]:26000", kPublicMaster, false, false},
      {"[::]:26000", kV6Master, true, false},
      {"[::1]:26000", kV6Master, true, false},
      {"[fe80::1]:26000", kV6Master, true, false},
      {"[ff02::1]:26000", kV6Master, true, false},
      {"[fc00::1]:26000", kV6Master, true, false},
      {"[fd12::1]:26000", kV6Master, true, false},
      {"[2001:db8::1]:26000", kV6Master, true, false},
      {"[3fff::1]:26000", kV6Master, true, false},
      {"[4000::1]:26000", kV6Master, true, false},
      {"[::ffff:127.0.0.1]:26000", kV6Master, true, false},
      {"[::ffff:81.3.4.5]:26000", kV6Master, true, true},
      {"[64:ff9b::a00:1]:26000", kV6Master, true, false},
      {"[2002:7f00:1::1]:26000", kV6Master, true, false},
      {"[2002:5103:405::1]:26000", kV6Master, true, true},
  };
  for (const TCase& c : cases) {
    TMasterListGuard guard({}, kLocal);
    const TAdmission admission = guard.Admit(0, c.From, Address(c.Entry), c.Extended);
    EXPECT_EQ(admission, c.Admitted ? TAdmission::Admitted : TAdmission::Ignored)
        << c.Entry << " from " << c.From.ToString();
    EXPECT_EQ(guard.Ignored(0), c.Admitted ? 0 : 1) << c.Entry;
  }
}

TEST(MasterListGuard, BoundsServersPerMasterInAllAndPerAddress) {
  TMasterListGuard guard({.PerMaster = 3, .Total = 5, .PortsPerAddress = 2});
  const auto admit = [&](std::size_t master, const char* entry) {
    return guard.Admit(master, kPublicMaster, Address(entry), false);
  };
  using enum TAdmission;
  EXPECT_EQ(admit(0, "81.0.0.1:27500"), Admitted);
  EXPECT_EQ(admit(0, "81.0.0.1:27500"), Duplicate);
  EXPECT_EQ(admit(0, "81.0.0.1:27501"), Admitted);
  EXPECT_EQ(admit(0, "81.0.0.1:27502"), Ignored);  // a third port on that address
  EXPECT_EQ(admit(0, "81.0.0.2:27500"), Admitted);
  EXPECT_EQ(admit(0, "81.0.0.3:27500"), Ignored);   // the master's three are taken
  EXPECT_EQ(admit(1, "81.0.0.1:27500"), Admitted);  // listed by both: counts once
  EXPECT_EQ(admit(1, "81.0.0.4:27500"), Admitted);
  EXPECT_EQ(admit(1, "81.0.0.5:27500"), Admitted);
  EXPECT_EQ(admit(2, "81.0.0.6:27500"), Ignored);  // five in all
  EXPECT_EQ(guard.AdmittedCount(), 5u);
  EXPECT_EQ(guard.Ignored(0), 2);
  EXPECT_EQ(guard.Ignored(1), 0);
  EXPECT_EQ(guard.Ignored(2), 1);
  EXPECT_EQ(IgnoredAddressesText(12, "dpmaster.example"),
            "12 addresses from dpmaster.example ignored");
  EXPECT_EQ(IgnoredAddressesText(1, "m"), "1 address from m ignored");
  EXPECT_EQ(IgnoredAddressesText(0, "m"), "");
}

// A dpmaster reply, written byte by byte as dpmaster's own (each entry a separator, the
// address and the big-endian port).
std::string DpReply(const std::vector<TServerAddress>& entries, bool last) {
  bool extended = false;
  std::string body;
  for (const TServerAddress& entry : entries) {
    extended |= entry.IsV6;
    body += entry.IsV6 ? '/' : '\\';
    body.append(reinterpret_cast<const char*>(entry.Bytes.data()), entry.IsV6 ? 16 : 4);
    body += static_cast<char>(entry.Port >> 8);
    body += static_cast<char>(entry.Port & 0xff);
  }
  if (last) body += std::string("\\EOT\0\0\0", 7);
  return std::string("\xff\xff\xff\xff", 4) +
         (extended ? "getserversExtResponse" : "getserversResponse") + body;
}

std::vector<TServerAddress> Spread(std::uint32_t first, std::uint32_t count, std::uint16_t port) {
  std::vector<TServerAddress> list;
  for (std::uint32_t i = first; i < first + count; ++i)
    list.push_back(TServerAddress::V4(81, static_cast<std::uint8_t>(i >> 16),
                                      static_cast<std::uint8_t>(i >> 8),
                                      static_cast<std::uint8_t>(i), port));
  return list;
}

// A refresh against masters that answer with what `feed` hands them; the servers never do.
struct THostileRun {
  TManualClock Clock;
  const TQueryScheduler::TTimePoint Start = Clock.Now();
  TQueryScheduler Scheduler;
  std::set<TServerAddress> Asked;  // every server address a datagram went to
  std::vector<TMasterResult> Results;
  std::size_t MostServers = 0;  // the scheduler's servers at their most

  // `feed(master, now)`: the datagrams `master` sends at `now` (called every 100 ms).
  void Run(
      const std::vector<TServerAddress>& masters,
      const std::function<std::vector<std::string>(std::size_t, std::chrono::milliseconds)>& feed,
      std::chrono::milliseconds limit) {
    TRefreshRequest request;
    request.Lan = false;
    request.Limits.PacketsPerSecond = 0;
    request.LocalNetworks = kLocal;
    for (const TServerAddress& master : masters)
      request.Masters.push_back({master.ToString().substr(0, master.ToString().rfind(':')),
                                 master.Port, TMasterKind::DpMaster});
    Scheduler.Start(request, {}, Clock.Now());
    auto nextFeed = Clock.Now();
    while (Clock.Now() - Start <= limit) {
      for (const TDatagram& out : Scheduler.Send(Clock.Now()))
        if (std::find(masters.begin(), masters.end(), out.Address) == masters.end())
          Asked.insert(out.Address);
      if (Clock.Now() >= nextFeed) {
        const auto at = std::chrono::duration_cast<std::chrono::milliseconds>(Clock.Now() - Start);
        for (std::size_t m = 0; m < masters.size(); ++m)
          for (const std::string& datagram : feed(m, at))
            Scheduler.Receive(masters[m], datagram, Clock.Now());
        nextFeed += 100ms;
        // Servers are only added by what the masters send.
        const TStateCounts counts = Scheduler.Counts();
        MostServers = std::max<std::size_t>(MostServers, counts.Waiting + counts.TimedOut);
      }
      for (TMasterResult& result : Scheduler.TakeMasterResults())
        Results.push_back(std::move(result));
      Scheduler.TakeChanged();
      if (!Scheduler.Running()) return;
      auto wake = Scheduler.NextWake(Clock.Now()).value_or(nextFeed);
      wake = std::min(wake, nextFeed);
      if (wake > Clock.Now()) Clock.Advance(wake - Clock.Now());
    }
  }
  std::chrono::milliseconds Took() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock.Now() - Start);
  }
};

TEST(MasterListGuard, HostileMastersGetNothingQueriedAndCannotHoldTheRefresh) {
  const std::vector<TServerAddress> classes = {
      Address("0.0.0.0:26000"),       Address("255.255.255.255:26000"),
      Address("81.2.255.255:26000"),  Address("224.0.0.1:26000"),
      Address("127.0.0.1:631"),       Address("10.0.0.1:53"),
      Address("169.254.169.254:80"),  Address("240.0.0.1:26000"),
      Address("192.0.2.1:26000"),     Address("192.168.1.255:26000"),
      Address("100.64.0.1:26000"),    Address("81.3.4.5:1023"),
      Address("[::1]:26000"),         Address("[fe80::1]:26000"),
      Address("[ff02::1]:26000"),     Address("[fd00::1]:26000"),
      Address("[2001:db8::1]:26000"), Address("[::ffff:127.0.0.1]:26000"),
  };
  struct TCase {
    const char* What;
    std::vector<TServerAddress> Masters;
    std::function<std::vector<std::string>(std::size_t, std::chrono::milliseconds)> Feed;
    std::size_t Asked;               // distinct servers asked
    std::size_t MostServers;         // servers the scheduler holds at most
    int Ignored;                     // what the first master's result counts
    std::chrono::milliseconds Ends;  // the refresh is over by then (0: not checked)
  };
  const auto once = [](std::vector<std::vector<TServerAddress>> lists) {
    return [lists](std::size_t master, std::chrono::milliseconds at) {
      std::vector<std::string> datagrams;
      if (at != std::chrono::milliseconds(0) || master >= lists.size()) return datagrams;
      const auto& list = lists[master];
      for (std::size_t i = 0; i < list.size(); i += 150)
        datagrams.push_back(
            DpReply({list.begin() + static_cast<std::ptrdiff_t>(i),
                     list.begin() + static_cast<std::ptrdiff_t>(std::min(list.size(), i + 150))},
                    i + 150 >= list.size()));
      return datagrams;
    };
  };
  // Master m lists `counts[m]` public addresses from `firsts[m]` on, 150 to a datagram (a dpmaster
  // packet holds at most 1,400 bytes), made as they are sent.
  const auto spread = [](std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges) {
    return [ranges](std::size_t master, std::chrono::milliseconds at) {
      std::vector<std::string> datagrams;
      if (at != std::chrono::milliseconds(0) || master >= ranges.size()) return datagrams;
      const auto [first, count] = ranges[master];
      for (std::uint32_t i = 0; i < count; i += 150)
        datagrams.push_back(DpReply(
            Spread(first + i, std::min<std::uint32_t>(150, count - i), 26000), i + 150 >= count));
      return datagrams;
    };
  };
  std::vector<TServerAddress> v6Classes, v4Classes;
  for (const TServerAddress& entry : classes)
    (entry.IsV6 ? v6Classes : v4Classes).push_back(entry);
  std::vector<TServerAddress> ports;
  for (std::uint16_t port = 27000; port < 29000; ++port)
    ports.push_back(TServerAddress::V4(81, 1, 1, 1, port));
  std::uint32_t endless = 0;
  const std::vector<TCase> cases = {
      // An IPv4 master's getservers answered with IPv6 entries too.
      {"every address class",
       {kPublicMaster},
       once({classes}),
       0,
       0,
       static_cast<int>(classes.size()),
       2500ms},
      {"every IPv6 class from an IPv6 master",
       {kV6Master},
       once({v6Classes}),
       0,
       0,
       static_cast<int>(v6Classes.size()),
       2500ms},
      {"a million entries", {kPublicMaster}, spread({{0, 1000000}}), 10000, 10000, 990000, 5000ms},
      {"three masters of 15,000",
       {kPublicMaster, Address("81.7.7.8:27950"), Address("81.7.7.9:27950")},
       spread({{0, 15000}, {100000, 15000}, {200000, 15000}}),
       20000,
       20000,
       5000,
       5000ms},
      // 64 silent guarded servers, four at a time, each given up after 3.8 s.
      {"2,000 ports on one address", {kPublicMaster}, once({ports}), 64, 64, 1936, 62000ms},
      // Its reply window closes 3 s after its first datagram: 30 datagrams of 150 are taken,
      // and the refresh ends once their silent servers have timed out.
      {"an endless master",
       {kPublicMaster},
       [&endless](std::size_t, std::chrono::milliseconds) {
         endless += 150;
         return std::vector<std::string>{DpReply(Spread(endless, 150, 26000), false)};
       },
       4500,
       4500,
       0,
       10000ms},
  };
  for (const TCase& c : cases) {
    THostileRun run;
    run.Run(c.Masters, c.Feed, c.Ends > 0ms ? c.Ends : 20000ms);
    EXPECT_EQ(run.Asked.size(), c.Asked) << c.What;
    EXPECT_LE(run.MostServers, c.MostServers) << c.What;
    for (const TServerAddress& entry : classes)
      EXPECT_FALSE(run.Asked.contains(entry)) << c.What << ": " << entry.ToString();
    if (c.Ends > 0ms) {
      EXPECT_FALSE(run.Scheduler.Running()) << c.What << " after " << run.Took().count() << " ms";
      ASSERT_FALSE(run.Results.empty()) << c.What;
      EXPECT_EQ(run.Results.front().Ignored, c.Ignored) << c.What;
    }
  }
}

}  // namespace
}  // namespace fx
