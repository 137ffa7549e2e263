// How long the map browser takes to show the maps of a 5,000-map folder and of a 5,000-map
// PACK archive: the time to the first rows, to the last (sorted) row, and the longest the
// window's event loop went without running while the list filled. For comparison, the
// blocking read of the same rows without a window. Figures only; nothing is asserted.
#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/FixedAnswerDialogs.h"
#include "gamedata/MapBrowse.h"
#include "gamedata/MapBrowseDlg.h"
#include "ui/UserDialogs.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMapCount = 5000;
constexpr int kRuns = 3;

std::string LE32(std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  return {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
          static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 24) & 0xFF)};
}

// A map file: the header with the entity lump first, a worldspawn with a title, and
// 4-24 KB of other entities behind it.
std::string MapFile(int index, std::mt19937& random) {
  std::string entities = "{\n\"classname\" \"worldspawn\"\n\"message\" \"Benchmark map " +
                         std::to_string(index) + "\"\n\"wad\" \"gfx/base.wad\"\n}\n";
  const std::size_t target = std::uniform_int_distribution<std::size_t>(4000, 24000)(random);
  std::uniform_int_distribution<int> coord(-4096, 4096);
  while (entities.size() < target) {
    entities += "{\n\"classname\" \"light\"\n\"origin\" \"" + std::to_string(coord(random)) + " " +
                std::to_string(coord(random)) + " " + std::to_string(coord(random)) +
                "\"\n\"light\" \"300\"\n}\n";
  }
  entities += '\0';
  constexpr std::int32_t kHeaderSize = 4 + 15 * 8;
  const auto length = static_cast<std::int32_t>(entities.size());
  std::string map = LE32(29) + LE32(kHeaderSize) + LE32(length);
  for (int lump = 1; lump < 15; ++lump)
    map += LE32(kHeaderSize + length) + LE32(0);
  return map + entities;
}

void WriteFile(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Names in an order unlike the sorted one, as an archive's directory often is.
std::string MapName(int i) {
  return "m" + std::to_string((static_cast<long long>(i) * 7919) % kMapCount);
}

void BuildSources(const fs::path& root) {
  std::mt19937 random(12345);
  fs::create_directories(root / "maps");
  std::string data;
  std::string directory;
  for (int i = 0; i < kMapCount; ++i) {
    const std::string map = MapFile(i, random);
    WriteFile(root / "maps" / (MapName(i) + ".bsp"), map);
    std::string record = "maps/" + MapName(i) + ".bsp";
    record.resize(56, '\0');
    directory += record + LE32(static_cast<std::int32_t>(12 + data.size())) +
                 LE32(static_cast<std::int32_t>(map.size()));
    data += map;
  }
  WriteFile(root / "maps.pak", "PACK" + LE32(static_cast<std::int32_t>(12 + data.size())) +
                                   LE32(static_cast<std::int32_t>(directory.size())) + data +
                                   directory);
}

struct TFillTimes {
  double FirstRowsMs = 0;
  double LastRowMs = 0;
  double LongestStallMs = 0;
  int Rows = 0;
};

TFillTimes MeasureDialogFill(const std::string& source) {
  fx::bench::TFixedAnswerDialogs dialogs(fx::TMsgResult::Ok);
  fx::TMapBrowseDlg dialog("", dialogs);
  dialog.show();
  auto* list = dialog.findChild<QTreeWidget*>("lvMap");
  TFillTimes times;
  QElapsedTimer clock;
  bool sawRows = false;
  QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, [&] {
    if (!sawRows) times.FirstRowsMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    sawRows = true;
  });
  // A zero timer runs on every pass of the event loop: the longest gap between two runs is
  // the longest the window could not have answered the user.
  QElapsedTimer sinceTick;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    times.LongestStallMs =
        std::max(times.LongestStallMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
    sinceTick.restart();
  });
  clock.start();
  sinceTick.start();
  ticker.start(0);
  dialog.Fill(source);
  dialog.WaitForFill();
  times.LastRowMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  ticker.stop();
  times.Rows = list->topLevelItemCount();
  return times;
}

double MeasureBlockingRead(const std::string& source) {
  const auto start = std::chrono::steady_clock::now();
  const std::vector<fx::TMapRow> rows = fx::ReadMapRows(source);
  const auto end = std::chrono::steady_clock::now();
  if (rows.size() != static_cast<std::size_t>(kMapCount)) std::fprintf(stderr, "rows missing\n");
  return std::chrono::duration<double, std::milli>(end - start).count();
}

void Report(const char* what, const std::string& source) {
  for (int run = 0; run < kRuns; ++run) {
    const TFillTimes times = MeasureDialogFill(source);
    std::printf(
        "%-8s dialog run %d: %d rows, first rows %.1f ms, last row %.1f ms, longest event-loop "
        "stall %.1f ms\n",
        what, run + 1, times.Rows, times.FirstRowsMs, times.LastRowMs, times.LongestStallMs);
  }
  for (int run = 0; run < kRuns; ++run)
    std::printf("%-8s blocking read run %d: %.1f ms\n", what, run + 1, MeasureBlockingRead(source));
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  const fs::path root =
      fs::temp_directory_path() / ("fx-mapbrowse-bench-" + std::to_string(::getpid()));
  BuildSources(root);
  std::printf("%d maps, folder and archive in %s (file data in the page cache)\n", kMapCount,
              root.c_str());
  Report("folder", (root / "maps").string());
  Report("archive", (root / "maps.pak").string());
  std::error_code error;
  fs::remove_all(root, error);
  return 0;
}
