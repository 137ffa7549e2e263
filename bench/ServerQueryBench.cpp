// The server source against 1000 scripted servers on loopback (NetQuake, QuakeWorld and
// getstatus servers in turn, the getstatus ones with DarkPlaces' flood limiter or FTE's
// block), each on its own 127.1.x.y address or all on 127.1.0.1 with a port each, against a
// floor measured in the same run at the same packet rate: a minimal loop that sends the same
// requests from one socket and waits for the 1000 replies. Prints figures, asserts nothing.
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
constexpr int kRate = 100000;      // packets a second, raised: the floor is the loopback's
constexpr int kDefaultRate = 500;  // what a user waits for
constexpr int kSilentOnOneAddress = 40;

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

// One socket: all requests out in batches of 32 (at most `rate` a second), draining replies
// in between, then until every server has answered once.
double Floor(const TFakeNetwork& farm, const std::vector<fx::test::TFakeServer>& fakes, int rate) {
  fx::TUdpOptions options;
  options.Local.Bytes = {127, 0, 0, 1};
  fx::TUdpSocket socket(options);
  std::vector<fx::TUdpPacket> requests;
  for (int i = 0; i < kServers; ++i) {
    const fx::TServerAddress a = farm.Address(i);
    requests.push_back({{a.Bytes, false, a.Port}, Request(fakes[i].Family, i), {}});
  }
  std::set<std::pair<std::array<std::uint8_t, 16>, std::uint16_t>> answered;
  std::vector<fx::TUdpPacket> replies;
  std::vector<fx::TUdpError> failed;
  const auto drain = [&] {
    replies.clear();
    while (socket.Receive(replies, 32) > 0) {
    }
    for (const fx::TUdpPacket& reply : replies)
      answered.insert({reply.Peer.Bytes, reply.Peer.Port});
  };
  const auto start = Clock::now();
  for (std::size_t at = 0; at < requests.size(); at += 32) {
    const auto due = start + duration_cast<Clock::duration>(duration<double>(double(at) / rate));
    while (Clock::now() < due) {
      pollfd ready{socket.Handle(), POLLIN, 0};
      ::poll(&ready, 1, 1);
      drain();
    }
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

void Row(const char* name, const std::vector<double>& v) {
  std::printf("  %-40s %8.2f %8.2f %8.2f\n", name, Median(v), *std::min_element(v.begin(), v.end()),
              *std::max_element(v.begin(), v.end()));
}

// What the program measured against how long the fake took from the request's arrival to
// its reply (the loopback's own transit is a few microseconds).
void PingFigures(const TFakeNetwork& farm, const TRun& run) {
  std::vector<double> errors;
  for (int i = 0; i < kServers; ++i) {
    const auto answers = farm.Answers(i);
    const auto found = run.Listed.find(farm.Address(i));
    if (answers.size() != 1 || found == run.Listed.end()) continue;
    const double truth = duration<double, std::micro>(answers[0].Sent - answers[0].Arrived).count();
    errors.push_back(std::abs(found->second.second.PingMicros - truth) / 1000.0);
  }
  std::sort(errors.begin(), errors.end());
  if (errors.empty()) return;
  std::printf(
      "  ping error against the fake's answer time (ms): median %.3f, 99th %.3f, max "
      "%.3f; within 1 ms: %zu of %zu\n",
      errors[errors.size() / 2], errors[errors.size() * 99 / 100], errors.back(),
      static_cast<std::size_t>(
          std::count_if(errors.begin(), errors.end(), [](double e) { return e <= 1.0; })),
      errors.size());
}

void CleanFigures(int runs, bool oneAddress) {
  const auto fakes = fx::test::LoopbackFarm(kServers, 0, oneAddress);
  TFakeNetwork farm(fakes);
  std::printf("1000 servers %s, no loss, %d runs (median, min, max):\n",
              oneAddress ? "on one address" : "on an address each", runs);
  TRun last;
  for (const int rate : {kRate, kDefaultRate}) {
    std::vector<double> floors, listed, finished, ratios;
    for (int i = 0; i < (rate == kRate ? runs : std::max(1, runs / 5)); ++i) {
      farm.Reset();
      floors.push_back(Floor(farm, fakes, rate));
      farm.Reset();  // each refresh is a new program: the fakes forget their limits too
      last = Refresh(farm, fakes, rate, seconds(20));
      listed.push_back(last.AllListed);
      finished.push_back(last.Finished);
      ratios.push_back(last.AllListed / floors.back());
    }
    std::printf(" at %d packets a second:\n", rate);
    Row("floor: one socket at that rate, ms", floors);
    Row("all 1000 listed, ms", listed);
    Row("refresh finished, ms", finished);
    Row("listed / floor", ratios);
    std::printf("  listed in the last run: %zu of %d\n", last.Listed.size(), kServers);
    if (rate == kRate) PingFigures(farm, last);
  }
}

// With requests lost: the servers that answer one query a second (DarkPlaces' flood
// limiter) within their own time, and the others, among them FTE's getstatus servers, which
// are asked once a second too until their first answer shows they are FTE.
void LossFigures(double loss, milliseconds within, milliseconds guardedWithin, int runs) {
  const auto fakes = fx::test::LoopbackFarm(kServers, loss);
  int guarded = 0, fte = 0;
  for (const auto& fake : fakes) {
    guarded += fake.FloodGuard ? 1 : 0;
    fte += fake.DdosGuard ? 1 : 0;
  }
  const int plain = kServers - guarded - fte;
  std::printf(
      "1000 servers, %.0f %% of requests lost: NetQuake and QuakeWorld (%d) and FTE getstatus "
      "(%d) within %lld ms, the %d answering one query a second within %lld ms (%d runs):\n",
      loss * 100, plain, fte, static_cast<long long>(within.count()), guarded,
      static_cast<long long>(guardedWithin.count()), runs);
  for (int r = 0; r < runs; ++r) {
    TFakeNetwork farm(fakes, static_cast<unsigned>(r + 1));
    const TRun run = Refresh(farm, fakes, kRate, guardedWithin + seconds(5));
    int plainIn = 0, fteIn = 0, once = 0;
    for (int i = 0; i < kServers; ++i) {
      const auto found = run.Listed.find(farm.Address(i));
      if (found == run.Listed.end()) continue;
      const double at = found->second.first;
      if (fakes[i].FloodGuard)
        once += at <= guardedWithin.count() ? 1 : 0;
      else
        (fakes[i].DdosGuard ? fteIn : plainIn) += at <= within.count() ? 1 : 0;
    }
    std::printf(
        "  run %d: NetQuake and QuakeWorld %d/%d (%.1f %%), FTE %d/%d (%.1f %%), once a second "
        "%d/%d (%.1f %%); all %.1f %%; refresh finished after %.0f ms\n",
        r + 1, plainIn, plain, plainIn * 100.0 / plain, fteIn, fte, fteIn * 100.0 / fte, once,
        guarded, once * 100.0 / guarded, (plainIn + fteIn + once) * 100.0 / kServers, run.Finished);
  }
}

// A hosting provider's address: 40 of the 1000 silent, or 20 % of the requests lost.
void OneAddressFigures(int runs) {
  for (const bool silent : {true, false}) {
    auto fakes = fx::test::LoopbackFarm(kServers, silent ? 0 : 0.2, true);
    if (silent)
      for (int i = 0; i < kSilentOnOneAddress; ++i)
        fakes[static_cast<std::size_t>(i * (kServers / kSilentOnOneAddress))].Loss = 1;
    const int answering = silent ? kServers - kSilentOnOneAddress : kServers;
    std::printf("1000 servers on one address, %s: listed within 3 s of the %d answering:\n",
                silent ? "40 silent" : "20 % of requests lost", answering);
    for (int r = 0; r < runs; ++r) {
      TFakeNetwork farm(fakes, static_cast<unsigned>(r + 1));
      const TRun run = Refresh(farm, fakes, kRate, seconds(8));
      const auto within =
          std::count_if(run.Listed.begin(), run.Listed.end(),
                        [](const auto& entry) { return entry.second.first <= 3000; });
      std::printf("  run %d: %lld (%.1f %%); refresh finished after %.0f ms\n", r + 1,
                  static_cast<long long>(within), within * 100.0 / answering, run.Finished);
    }
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
  CleanFigures(runs, false);
  CleanFigures(runs, true);
  LossFigures(0.2, milliseconds(1500), milliseconds(2500), 3);
  LossFigures(0.4, milliseconds(3000), milliseconds(3000), 3);
  OneAddressFigures(3);
  if (quakestat) QuakestatFigures();
  return 0;
}
