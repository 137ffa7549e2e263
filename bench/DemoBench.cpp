// The demo browser over 1,000 generated demos (about 770 MB, protocol 666, frames of 100 to
// 1,100 bytes as a listen game writes them): the first listing with the program's cache
// empty, against the floor of read() of the same files into one buffer; the listing again
// with the cache warm; and in the dialog the time to the first rows on screen and the
// longest the event loop went without running. The files stay in the page cache (each run
// reads them all first). Figures only; nothing is asserted. The demos lie in a temporary
// folder, deleted at the end.
#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QSortFilterProxyModel>
#include <QTimer>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/FixedAnswerDialogs.h"
#include "bench/MapCorpus.h"
#include "demos/DemoBrowseDlg.h"
#include "demos/DemoCache.h"
#include "demos/DemoScan.h"
#include "demos/DemoTableModel.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDemos = 1000;
constexpr std::size_t kDemoBytes = 770 * 1000;
constexpr int kRuns = 7;

void PutLong(std::string& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

void PutFloat(std::string& bytes, float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  PutLong(bytes, bits);
}

// quakespasm's layout (Quake/cl_demo.c CL_WriteDemoMessage): length, three angles, message.
void PutBlock(std::string& demo, const std::string& message) {
  PutLong(demo, static_cast<std::uint32_t>(message.size()));
  for (int i = 0; i < 3; ++i)
    PutFloat(demo, 0);
  demo += message;
}

std::string MakeDemo(int index) {
  std::string demo = "-1\n";
  std::string info = "\x0b";
  PutLong(info, 666);
  info += '\x04';  // maxclients
  info += '\x01';  // deathmatch
  info += "Bench level " + std::to_string(index) + '\0';
  info += "maps/bench" + std::to_string(index) + ".bsp" + '\0' + "progs/player.mdl" + '\0' + '\0';
  info += std::string("weapons/ric1.wav") + '\0' + '\0';
  PutBlock(demo, info);
  std::string spawn = "\x07";
  PutFloat(spawn, 1);
  spawn += std::string("\x0d\x00", 2) + "alpha" + '\0' + std::string("\x0d\x01", 2) + "beta" + '\0';
  PutBlock(demo, spawn);
  for (int frame = 0; demo.size() < kDemoBytes; ++frame) {
    std::string datagram = "\x07";
    PutFloat(datagram, 1 + 0.05f * static_cast<float>(frame));
    datagram += '\x0f';
    datagram.append(static_cast<std::size_t>(100 + (frame * 37 + index) % 1000), '\x81');
    PutBlock(demo, datagram);
  }
  return demo;
}

double Ms(std::chrono::steady_clock::duration elapsed) {
  return std::chrono::duration<double, std::milli>(elapsed).count();
}

// CPU time so far in milliseconds: CLOCK_PROCESS_CPUTIME_ID or CLOCK_THREAD_CPUTIME_ID.
double CpuMs(clockid_t clock) {
  timespec now{};
  ::clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double ProcessCpuMs() {
  return CpuMs(CLOCK_PROCESS_CPUTIME_ID);
}

// Wall-clock and CPU time of the work: on a machine shared with other jobs the CPU time
// (user and system, this process) is what the work itself costs.
struct TTimes {
  double Wall = 0;
  double Cpu = 0;
};

template <typename F>
TTimes Time(F&& work) {
  const double cpu = ProcessCpuMs();
  const auto start = std::chrono::steady_clock::now();
  work();
  return {Ms(std::chrono::steady_clock::now() - start), ProcessCpuMs() - cpu};
}

// The floor: each file read whole with read() into one buffer.
std::size_t ReadAll(const std::vector<fs::path>& files, std::vector<char>& buffer) {
  std::size_t total = 0;
  for (const fs::path& file : files) {
    const int handle = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    for (ssize_t got; (got = ::read(handle, buffer.data(), buffer.size())) > 0;)
      total += static_cast<std::size_t>(got);
    ::close(handle);
  }
  return total;
}

double Median(std::vector<double> values) {
  std::ranges::sort(values);
  return values[values.size() / 2];
}

double ThreadCpuMs() {
  return CpuMs(CLOCK_THREAD_CPUTIME_ID);
}

struct TDialogTimes {
  double FirstRowsMs = 0;
  double LastRowMs = 0;
  double LongestStallMs = 0;
  double StallEndMs = 0;  // when the longest stall ended, from the start
  // The most CPU time the window's thread spent between two passes: the work of one pass,
  // which the machine's load does not lengthen.
  double LongestPassCpuMs = 0;
  int Rows = 0;
};

TDialogTimes MeasureDialog(fx::TDemoBrowseSetup setup) {
  fx::bench::TFixedAnswerDialogs dialogs(fx::TMsgResult::Ok);
  fx::TDemoBrowseDlg dialog(std::move(setup), dialogs);
  dialog.show();
  QApplication::processEvents();  // the first paint of a new window is not the scan's
  TDialogTimes times;
  QElapsedTimer clock;
  bool sawRows = false;
  QObject::connect(&dialog.Proxy(), &QAbstractItemModel::rowsInserted, [&] {
    if (!sawRows) times.FirstRowsMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    sawRows = true;
  });
  // A zero timer runs on every pass of the event loop: the longest gap between two runs is
  // the longest the window could not have answered the user.
  QElapsedTimer sinceTick;
  QTimer ticker;
  double lastCpu = ThreadCpuMs();
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const double cpu = ThreadCpuMs();
    times.LongestPassCpuMs = std::max(times.LongestPassCpuMs, cpu - lastCpu);
    lastCpu = cpu;
    const double stall = static_cast<double>(sinceTick.nsecsElapsed()) / 1e6;
    if (stall > times.LongestStallMs) {
      times.LongestStallMs = stall;
      times.StallEndMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    }
    sinceTick.restart();
  });
  clock.start();
  sinceTick.start();
  ticker.start(0);
  dialog.Start();
  dialog.WaitForScan();
  times.LastRowMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  ticker.stop();
  times.Rows = dialog.Table().rowCount();
  return times;
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  const fx::bench::TTempFolder root("fx-bench-demos");
  const fs::path game = root.Path() / "quake";
  fs::create_directories(game / "id1");
  std::vector<fs::path> files;
  std::size_t bytes = 0;
  for (int i = 0; i < kDemos; ++i) {
    const std::string demo = MakeDemo(i);
    files.push_back(game / "id1" / ("demo" + std::to_string(i) + ".dem"));
    std::ofstream(files.back(), std::ios::binary)
        .write(demo.data(), static_cast<std::streamsize>(demo.size()));
    bytes += demo.size();
  }
  std::printf("%d demos, %.1f MB in %s\n", kDemos, static_cast<double>(bytes) / 1e6,
              root.Path().c_str());

  const auto search = [&](const std::string& dir) { return std::vector<fs::path>{game / dir}; };
  const std::vector<fx::TDemoGameDir> dirs = fx::DemoGameDirs(game, {}, {}, search);
  const fs::path cacheFile = root.Path() / "cache/fraxinel/demos.cache";
  std::vector<char> buffer(1 << 20);
  std::vector<double> ratios, cpuRatios, warms, floors, firsts;
  ReadAll(files, buffer);  // into the page cache
  for (int run = 0; run < kRuns; ++run) {
    const TTimes floor = Time([&] { ReadAll(files, buffer); });
    double seconds = 0;
    fx::TDemoCache cache;
    const TTimes first = Time([&] {
      for (fx::TDemoRow& row : fx::ListDemos(dirs, game, root.Path())) {
        row.Info = fx::ReadDemoAt(row.Place);
        cache.Put(row.Place, row.Info);
        seconds += row.Info.Seconds;
      }
      cache.Save(cacheFile);
    });
    std::size_t hits = 0;
    const TTimes warm = Time([&] {
      fx::TDemoCache again;
      again.Load(cacheFile);
      for (fx::TDemoRow& row : fx::ListDemos(dirs, game, root.Path()))
        if (auto info = again.Find(row.Place)) {
          row.Info = std::move(*info);
          ++hits;
        }
      again.Save(cacheFile);
    });
    std::printf(
        "run %d: floor %.1f ms (CPU %.1f), first listing %.1f ms (CPU %.1f; %.2f x the floor, "
        "CPU %.2f x; %.0f s of demo), cache warm %.1f ms (%zu of %d from the cache)\n",
        run + 1, floor.Wall, floor.Cpu, first.Wall, first.Cpu, first.Wall / floor.Wall,
        first.Cpu / floor.Cpu, seconds, warm.Wall, hits, kDemos);
    floors.push_back(floor.Wall);
    firsts.push_back(first.Wall);
    ratios.push_back(first.Wall / floor.Wall);
    cpuRatios.push_back(first.Cpu / floor.Cpu);
    warms.push_back(warm.Wall);
  }
  std::printf(
      "median: floor %.1f ms, first listing %.1f ms, ratio %.2f (best %.2f), CPU ratio %.2f "
      "(best %.2f), cache warm %.1f ms\n",
      Median(floors), Median(firsts), Median(ratios), *std::ranges::min_element(ratios),
      Median(cpuRatios), *std::ranges::min_element(cpuRatios), Median(warms));

  for (const bool warmCache : {false, true}) {
    for (int run = 0; run < 3; ++run) {
      if (!warmCache) fs::remove(cacheFile);
      const TDialogTimes times = MeasureDialog({.GameFolder = game,
                                                .Home = root.Path(),
                                                .Dirs = dirs,
                                                .CacheFile = cacheFile,
                                                .StartFolder = ""});
      std::printf(
          "dialog, cache %s, run %d: %d rows, first rows %.1f ms, last row %.1f ms, longest "
          "event-loop stall %.1f ms (ending at %.1f ms), most CPU of one pass %.1f ms\n",
          warmCache ? "warm" : "cold", run + 1, times.Rows, times.FirstRowsMs, times.LastRowMs,
          times.LongestStallMs, times.StallEndMs, times.LongestPassCpuMs);
    }
  }
  return 0;
}
