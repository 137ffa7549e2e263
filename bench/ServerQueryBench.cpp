// The server source against 1000 scripted servers on loopback (NetQuake, QuakeWorld and
// getstatus servers in turn, each on its own 127.1.x.y address, the getstatus ones guarding
// themselves as DarkPlaces does), against a floor measured in the same run: a minimal loop
// that sends the same requests from one socket and waits for the 1000 replies. Prints
// figures, asserts nothing.
//
//   fx_bench_serverquery [runs] [--quakestat]
//
// --quakestat also times Debian's quakestat on 1000 NetQuake fakes, with its defaults
// (about a minute and a half) and tuned.

#include <poll.h>
#include <sys/socket.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "servers/ServerQueryRunner.h"
#include "tests/servers/FakeServers.h"

namespace {

using namespace std::chrono;
using Clock = steady_clock;
using fx::test::TFakeNetwork;

constexpr int kServers = 1000;
constexpr int kRate = 100000;  // packets a second: the default 500 would take 2 s for 1000

double Ms(Clock::duration d) {
  return duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

std::string Request(fx::TServerFamily family, int index) {
  switch (family) {
    case fx::TServerFamily::NetQuake:
      return std::string("\x80\x00\x00\x0c\x02QUAKE\x00\x03", 12);
    case fx::TServerFamily::QuakeWorld:
      return "\xff\xff\xff\xffstatus 23\n";
    case fx::TServerFamily::DarkPlaces:
      return "\xff\xff\xff\xffgetstatus floor" + std::to_string(index);
  }
  return {};
}

// One socket: all requests out in batches of 32, draining replies in between, then until
// every server has answered once.
double Floor(const TFakeNetwork& farm, const std::vector<fx::test::TFakeServer>& fakes) {
  fx::TUdpOptions options;
  options.Local.Bytes = {127, 0, 0, 1};
  fx::TUdpSocket socket(options);
  std::vector<fx::TUdpPacket> requests;
  for (int i = 0; i < kServers; ++i) {
    const fx::TServerAddress a = farm.Address(i);
    requests.push_back({{a.Bytes, false, a.Port}, Request(fakes[i].Family, i), {}});
  }
  std::set<std::uint16_t> ports;
  std::set<std::array<std::uint8_t, 16>> answered;
  std::vector<fx::TUdpPacket> replies;
  std::vector<fx::TUdpError> failed;
  const auto drain = [&] {
    replies.clear();
    while (socket.Receive(replies, 32) > 0) {
    }
    for (const fx::TUdpPacket& reply : replies)
      answered.insert(reply.Peer.Bytes);
  };
  const auto start = Clock::now();
  for (std::size_t at = 0; at < requests.size(); at += 32) {
    socket.Send(std::span(requests).subspan(at, std::min<std::size_t>(32, requests.size() - at)),
                failed);
    drain();
  }
  while (answered.size() < static_cast<std::size_t>(kServers)) {
    pollfd ready{socket.Handle(), POLLIN, 0};
    if (::poll(&ready, 1, 1000) <= 0) break;
    drain();
  }
  return Ms(Clock::now() - start);
}

struct TRun {
  double AllListed = 0;  // ms until the last server was listed as answered
  double Finished = 0;   // ms until the source said it was done
  std::map<fx::TServerAddress, std::pair<double, fx::TServerInfo>> Listed;  // first answer
};

TRun Refresh(const TFakeNetwork& farm, const std::vector<fx::test::TFakeServer>& fakes, int rate,
             milliseconds limit) {
  fx::TServerQueryRunnerOptions options;
  options.Bind = fx::TServerAddress::V4(127, 0, 0, 1, 0);
  options.LanTargets = {};
  fx::TServerQueryRunner runner(options);
  fx::TRefreshRequest request;
  request.Lan = false;
  request.Limits.PacketsPerSecond = rate;
  for (int i = 0; i < kServers; ++i)
    request.Servers.push_back({farm.Address(i), fakes[i].Family});
  TRun run;
  QEventLoop loop;
  const auto start = Clock::now();
  runner.OnServers = [&](std::vector<fx::TServerInfo> batch) {
    const double at = Ms(Clock::now() - start);
    for (fx::TServerInfo& info : batch)
      if (info.State == fx::TServerState::Answered && !run.Listed.count(info.Address)) {
        run.AllListed = std::max(run.AllListed, at);
        run.Listed.emplace(info.Address, std::make_pair(at, std::move(info)));
      }
  };
  runner.OnFinished = [&] {
    run.Finished = Ms(Clock::now() - start);
    loop.quit();
  };
  QTimer::singleShot(limit, &loop, &QEventLoop::quit);
  runner.Refresh(request);
  loop.exec();
  return run;
}

void CleanFigures(int runs) {
  const auto fakes = fx::test::LoopbackFarm(kServers, 0);
  TFakeNetwork farm(fakes);
  std::vector<double> floors, listed, finished, ratios;
  TRun last;
  for (int i = 0; i < runs; ++i) {
    farm.Reset();
    floors.push_back(Floor(farm, fakes));
    farm.Reset();
    last = Refresh(farm, fakes, kRate, seconds(10));
    listed.push_back(last.AllListed);
    finished.push_back(last.Finished);
    ratios.push_back(last.AllListed / floors.back());
  }
  std::printf("1000 servers, no loss, %d runs (median, min, max):\n", runs);
  const auto row = [](const char* name, const std::vector<double>& v) {
    std::printf("  %-34s %8.2f %8.2f %8.2f\n", name, Median(v),
                *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()));
  };
  row("floor: one socket, ms", floors);
  row("all 1000 listed, ms", listed);
  row("refresh finished, ms", finished);
  row("listed / floor", ratios);
  std::printf("  listed in the last run: %zu of %d\n", last.Listed.size(), kServers);

  // Ping: what the program measured against how long the fake took from the request's
  // arrival to its reply (the loopback's own transit is a few microseconds).
  std::vector<double> errors;
  for (int i = 0; i < kServers; ++i) {
    const auto answers = farm.Answers(i);
    const auto found = last.Listed.find(farm.Address(i));
    if (answers.size() != 1 || found == last.Listed.end()) continue;
    const double truth = duration<double, std::micro>(answers[0].Sent - answers[0].Arrived).count();
    errors.push_back(std::abs(found->second.second.PingMicros - truth) / 1000.0);
  }
  std::sort(errors.begin(), errors.end());
  if (!errors.empty())
    std::printf(
        "  ping error against the fake's answer time (ms): median %.3f, 99th %.3f, max "
        "%.3f; within 1 ms: %zu of %zu\n",
        errors[errors.size() / 2], errors[errors.size() * 99 / 100], errors.back(),
        static_cast<std::size_t>(
            std::count_if(errors.begin(), errors.end(), [](double e) { return e <= 1.0; })),
        errors.size());

  farm.Reset();
  const TRun polite = Refresh(farm, fakes, 500, seconds(10));
  std::printf("  with the default rate of 500 packets a second: all listed in %.0f ms\n",
              polite.AllListed);
}

void LossFigures(double loss, milliseconds within, int runs) {
  const auto fakes = fx::test::LoopbackFarm(kServers, loss);
  std::printf("1000 servers, %.0f %% of requests lost, listed within %lld ms (%d runs):\n",
              loss * 100, static_cast<long long>(within.count()), runs);
  for (int r = 0; r < runs; ++r) {
    TFakeNetwork farm(fakes, static_cast<unsigned>(r + 1));
    const TRun run = Refresh(farm, fakes, kRate, within + seconds(5));
    std::map<fx::TServerFamily, int> byFamily;
    int total = 0;
    for (const auto& [address, entry] : run.Listed)
      if (entry.first <= within.count()) {
        ++total;
        ++byFamily[entry.second.Family];
      }
    std::printf(
        "  run %d: %d of %d (%.1f %%): NetQuake %d/334, QuakeWorld %d/333, getstatus "
        "%d/333; refresh finished after %.0f ms\n",
        r + 1, total, kServers, total * 100.0 / kServers, byFamily[fx::TServerFamily::NetQuake],
        byFamily[fx::TServerFamily::QuakeWorld], byFamily[fx::TServerFamily::DarkPlaces],
        run.Finished);
  }
}

void QuakestatFigures() {
  if (std::system("command -v quakestat >/dev/null 2>&1") != 0) {
    std::printf("quakestat: not installed\n");
    return;
  }
  auto fakes = fx::test::LoopbackFarm(kServers, 0);
  for (auto& fake : fakes)
    fake.Family = fx::TServerFamily::NetQuake;
  TFakeNetwork farm(fakes);
  const std::string list = "/tmp/fx-bench-quakestat-" + std::to_string(::getpid());
  {
    std::ofstream out(list);
    for (int i = 0; i < kServers; ++i)
      out << "QS " << farm.Address(i).ToString() << "\n";
  }
  for (const char* options : {"-maxsim 1000 -sendinterval 0", ""}) {
    const auto start = Clock::now();
    const std::string command = "quakestat -nh -raw ';' " + std::string(options) + " -f " + list;
    FILE* pipe = ::popen(command.c_str(), "r");
    int up = 0;
    char line[4096];
    while (pipe && std::fgets(line, sizeof line, pipe))
      if (std::strstr(line, "TIMEOUT") == nullptr && std::strstr(line, "DOWN") == nullptr &&
          std::strncmp(line, "QS;", 3) == 0)
        ++up;
    if (pipe) ::pclose(pipe);
    std::printf("quakestat %s on 1000 NetQuake fakes: %d listed in %.0f ms\n",
                *options ? options : "(defaults)", up, Ms(Clock::now() - start));
  }
  std::remove(list.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 && argv[1][0] != '-' ? std::max(1, std::atoi(argv[1])) : 10;
  bool quakestat = false;
  for (int i = 1; i < argc; ++i)
    quakestat = quakestat || std::string(argv[i]) == "--quakestat";
  CleanFigures(runs);
  LossFigures(0.2, milliseconds(1500), 3);
  LossFigures(0.4, milliseconds(3000), 3);
  if (quakestat) QuakestatFigures();
  return 0;
}
