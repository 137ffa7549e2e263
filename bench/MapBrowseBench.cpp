// How long the map browser takes to show the maps of a 5,000-map folder and of a 5,000-map
// PACK archive (entity lumps of 20 to 150 KB, the title first): the time to the first rows, to the
// last (sorted) row, and the longest the window's event loop went without running while the list
// filled. For comparison, the blocking read of the same rows without a window. Figures only;
// nothing is asserted.
#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/FixedAnswerDialogs.h"
#include "bench/MapCorpus.h"
#include "gamedata/MapBrowse.h"
#include "gamedata/MapBrowseDlg.h"
#include "ui/UserDialogs.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMapCount = fx::bench::kCorpusMaps;
constexpr int kRuns = 5;

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
  const fx::bench::TTempFolder root("fx-bench-mapbrowse");
  fx::bench::WriteMapFolder(root.Path() / "maps", kMapCount, "map", 20240601);
  fx::bench::WriteMapPack(root.Path() / "maps.pak", kMapCount, "pak", 20240602);
  std::printf("%d maps, folder and archive in %s (file data in the page cache)\n", kMapCount,
              root.Path().c_str());
  Report("folder", (root.Path() / "maps").string());
  Report("archive", (root.Path() / "maps.pak").string());
  return 0;
}
