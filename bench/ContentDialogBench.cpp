// The "Maps and Mods" window over the generated catalogues at the real sizes (the XML
// database of 2,000 packages, a JSON page of the same 2,000 with file trees, about 21 MB),
// both read from a fresh cache as the program keeps it:
//  - first rows: from show() until the table has painted rows, and the longest the event
//    loop went without running meanwhile; the floor is the blocking read of the same cache
//    files into one catalogue on this thread, without a window;
//  - a keystroke in the search box: the longest and the median time one key takes to be
//    handled with the refilter, the table's repaint and the details pane, over typing a
//    search and erasing it; the floor is the model's filter alone for the same texts;
//  - peak memory (VmHWM) of a process of its own with the window loaded, against one that
//    only shows an empty dialog.
// Figures only; nothing is asserted.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "content/CatalogueBuilder.h"
#include "content/CatalogueMerge.h"
#include "content/ContentBrowserDlg.h"
#include "content/ContentSearch.h"

namespace {

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

constexpr int kPackages = 2000;
constexpr int kFilesPerPackage = 60;
constexpr int kRuns = 5;
constexpr std::int64_t kNow = 1'800'000'000;

double Ms(TClock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// A download port that must not be used: the cache is fresh.
class TNoNetwork : public fx::TDownloader {
 public:
  TId Start(fx::TDownloadRequest, fx::TDownloadCallbacks) override {
    std::fprintf(stderr, "error: the window went on the network\n");
    std::exit(1);
  }
  void Cancel(TId) override {}
};

std::vector<fx::TCatalogueSource> Sources() {
  return {
      {"xml", "https://catalogue.invalid/db.xml", fx::TCatalogueFormat::XmlDatabase, true},
      {"api", "https://catalogue.invalid/api/?rows=200", fx::TCatalogueFormat::JsonPages, true}};
}

// The cache as the loader writes it: NAME.data and NAME.meta, fetched an hour ago.
void WriteCache(const fs::path& folder) {
  fs::create_directories(folder);
  const auto write = [&](const std::string& name, const std::string& data) {
    std::ofstream(folder / (name + ".data"), std::ios::binary) << data;
    std::ofstream(folder / (name + ".meta"))
        << "fetched=" << kNow - 3600 << "\netag=\nlast-modified=\npages=1\n";
  };
  write("xml", fx::test::GeneratedXml(kPackages));
  write("api", fx::test::GeneratedJsonPage(kPackages, kFilesPerPackage));
}

fx::TContentBrowserOptions Options(fx::TDownloader& network, const fs::path& cache) {
  fx::TContentBrowserOptions options;
  options.Downloader = &network;
  options.CacheFolder = cache;
  options.Sources = Sources();
  options.Now = [] { return kNow; };
  options.Engines = {{"QuakeSpasm", fx::TEngineFamily::QuakeSpasm}};
  return options;
}

// Counts the table's paints while it shows rows.
class TPaintWatch : public QObject {
 public:
  TPaintWatch(QWidget& viewport, fx::TContentBrowserDlg& dialog)
      : FViewport(viewport), FDialog(dialog) {
    viewport.installEventFilter(this);
  }
  int Paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &FViewport && event->type() == QEvent::Paint && FDialog.Proxy().rowCount() > 0)
      ++Paints;
    return false;
  }

 private:
  QWidget& FViewport;
  fx::TContentBrowserDlg& FDialog;
};

struct TOpenTimes {
  double FirstRowsMs = 0;
  double LongestStallMs = 0;
};

// Turns the event loop until `done` (at most `limit`), as the program's would: asleep while
// nothing happens, so a worker thread has the processor. A 2 ms timer measures the longest
// gap between two turns: the longest the window could not have answered the user. `since`:
// when the loop last ran, if before this call (a show() that loads holds it as long).
template <typename TDone>
double SpinUntil(TDone done, std::chrono::milliseconds limit = std::chrono::seconds(30),
                 std::optional<TClock::time_point> since = {}) {
  double longest = 0;
  auto last = since.value_or(TClock::now());
  QTimer ticker;
  ticker.setTimerType(Qt::PreciseTimer);
  ticker.setInterval(2);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const auto now = TClock::now();
    longest = std::max(longest, Ms(now - last));
    last = now;
  });
  ticker.start();
  const auto end = TClock::now() + limit;
  while (!done() && TClock::now() < end)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return std::max(longest, Ms(TClock::now() - last));
}

TOpenTimes OpenOnce(const fs::path& cache, TNoNetwork& network) {
  fx::TContentBrowserDlg dialog(Options(network, cache));
  dialog.resize(1100, 750);
  auto* table = dialog.findChild<QTableView*>("PackageTable");
  TPaintWatch watch(*table->viewport(), dialog);
  const auto start = TClock::now();
  dialog.show();
  TOpenTimes times;
  times.LongestStallMs =
      SpinUntil([&] { return watch.Paints > 0; }, std::chrono::seconds(30), start);
  times.FirstRowsMs = Ms(TClock::now() - start);
  if (watch.Paints == 0) std::fprintf(stderr, "error: no rows painted within 30 s\n");
  return times;
}

double ReadCacheOnce(const fs::path& cache) {
  const auto start = TClock::now();
  std::vector<fx::TCatalogue> catalogues;
  for (const fx::TCatalogueSource& source : Sources())
    catalogues.push_back(fx::ReadLocalCatalogue(source.Format, cache / (source.Name + ".data")));
  const fx::TCatalogue merged = fx::MergeCatalogues(std::move(catalogues));
  const double ms = Ms(TClock::now() - start);
  if (merged.Packages.size() != static_cast<std::size_t>(kPackages))
    std::fprintf(stderr, "error: %zu packages merged\n", merged.Packages.size());
  return ms;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void MeasureOpening(const fs::path& cache) {
  TNoNetwork network;
  std::vector<double> first, stall, floor;
  for (int run = 0; run < kRuns; ++run) {
    floor.push_back(ReadCacheOnce(cache));
    const TOpenTimes times = OpenOnce(cache, network);
    first.push_back(times.FirstRowsMs);
    stall.push_back(times.LongestStallMs);
  }
  const auto [firstMin, firstMax] = std::minmax_element(first.begin(), first.end());
  std::printf(
      "first rows from the cache: median %.1f ms (%.1f..%.1f) over %d runs, goal <= 300 ms; "
      "longest stall of the event loop meanwhile: median %.1f ms; floor (blocking read of the "
      "cache files): median %.1f ms, ratio %.2f\n",
      Median(first), *firstMin, *firstMax, kRuns, Median(stall), Median(floor),
      Median(first) / Median(floor));
}

// The model's filter alone over the same packages for `text`, in ms.
double FilterFloor(fx::TContentBrowserDlg& dialog, const std::string& text) {
  const auto& model = static_cast<const fx::TContentTableModel&>(*dialog.Proxy().sourceModel());
  const auto start = TClock::now();
  const auto matching =
      fx::FilterPackages(model.Packages(), model.SearchTexts(), model.States(), {.Text = text});
  const double ms = Ms(TClock::now() - start);
  if (matching.size() > model.Packages().size()) std::fprintf(stderr, "error: filter\n");
  return ms;
}

void MeasureKeystrokes(const fs::path& cache) {
  TNoNetwork network;
  fx::TContentBrowserDlg dialog(Options(network, cache));
  dialog.resize(1100, 750);
  auto* table = dialog.findChild<QTableView*>("PackageTable");
  auto* search = dialog.findChild<QLineEdit*>("SearchEdit");
  TPaintWatch watch(*table->viewport(), dialog);
  dialog.show();
  SpinUntil([&] { return watch.Paints > 0; });
  QCoreApplication::processEvents();
  // Type a search that narrows step by step, then erase it again letter by letter.
  const std::string typed = "199 generated";
  std::vector<double> keys, floors;
  std::string text;
  int unpainted = 0;
  const auto press = [&](Qt::Key key, char c) {
    const int paintsBefore = watch.Paints;
    const auto start = TClock::now();
    QTest::keyClick(search, key, Qt::NoModifier);
    // Until the window is idle again: what the key asked for (the refilter, the table's and
    // the details pane's repaint) is done when two turns of the loop in a row find nothing.
    auto done = TClock::now();
    for (int idle = 0; idle < 2;) {
      const auto turn = TClock::now();
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      if (TClock::now() - turn < std::chrono::microseconds(200)) {
        ++idle;
      } else {
        idle = 0;
        done = TClock::now();
      }
    }
    keys.push_back(Ms(done - start));
    if (watch.Paints == paintsBefore && dialog.Proxy().rowCount() > 0) ++unpainted;
    if (c)
      text += c;
    else
      text.pop_back();
    floors.push_back(FilterFloor(dialog, text));
  };
  for (const char c : typed)
    press(c == ' ' ? Qt::Key_Space : static_cast<Qt::Key>(QChar(c).toUpper().unicode()), c);
  for (std::size_t i = 0; i < typed.size(); ++i)
    press(Qt::Key_Backspace, 0);
  if (unpainted) std::fprintf(stderr, "note: %d keys repainted no rows\n", unpainted);
  if (search->text() != QString())
    std::fprintf(stderr, "error: the search box holds '%s'\n", qPrintable(search->text()));
  std::printf(
      "a keystroke in the search box over %d packages: longest %.2f ms, median %.2f ms over %zu "
      "keys, goal <= 16 ms; floor (the model's filter alone): longest %.3f ms, median %.3f ms\n",
      kPackages, *std::max_element(keys.begin(), keys.end()), Median(keys), keys.size(),
      *std::max_element(floors.begin(), floors.end()), Median(floors));
}

// A line of /proc/self/status in KiB ("VmHWM:" the peak, "VmRSS:" now).
long StatusKib(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + field.size());
  return -1;
}

// In a process of its own: an empty dialog shown, and with `loaded` the window over the
// cache, loaded and painted, with one search typed.
int MemoryChild(const fs::path& cache, bool loaded) {
  QDialog empty;
  empty.show();
  QCoreApplication::processEvents();
  TNoNetwork network;
  std::unique_ptr<fx::TContentBrowserDlg> dialog;
  if (loaded) {
    dialog = std::make_unique<fx::TContentBrowserDlg>(Options(network, cache));
    dialog->resize(1100, 750);
    TPaintWatch watch(*dialog->findChild<QTableView*>("PackageTable")->viewport(), *dialog);
    dialog->show();
    SpinUntil([&] { return watch.Paints > 0; });
    QTest::keyClicks(dialog->findChild<QLineEdit*>("SearchEdit"), "generated");
    QCoreApplication::processEvents();
  }
  std::printf("%ld %ld\n", StatusKib("VmHWM:"), StatusKib("VmRSS:"));
  return 0;
}

struct TMemory {
  double PeakMb = -1, NowMb = -1;
};

TMemory ChildMemory(const fs::path& cache, bool loaded) {
  const std::string command = "'" + fs::read_symlink("/proc/self/exe").string() +
                              "' --memory-child " + (loaded ? "loaded" : "empty") + " '" +
                              cache.string() + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  long peak = -1, now = -1;
  if (!pipe || std::fscanf(pipe.get(), "%ld %ld", &peak, &now) != 2) return {};
  return {static_cast<double>(peak) / 1024.0, static_cast<double>(now) / 1024.0};
}

void MeasureMemory(const fs::path& cache) {
  std::vector<double> emptyPeak, loadedPeak, emptyNow, loadedNow;
  for (int run = 0; run < 3; ++run) {
    const TMemory empty = ChildMemory(cache, false), loaded = ChildMemory(cache, true);
    emptyPeak.push_back(empty.PeakMb);
    emptyNow.push_back(empty.NowMb);
    loadedPeak.push_back(loaded.PeakMb);
    loadedNow.push_back(loaded.NowMb);
  }
  std::printf(
      "peak memory (VmHWM): with %d packages loaded %.1f MB, an empty dialog %.1f MB: %.1f MB "
      "above, goal <= 64 MB; resident after the load (VmRSS) %.1f MB above (medians of 3 "
      "processes each)\n",
      kPackages, Median(loadedPeak), Median(emptyPeak), Median(loadedPeak) - Median(emptyPeak),
      Median(loadedNow) - Median(emptyNow));
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  if (argc == 4 && std::string(argv[1]) == "--memory-child")
    return MemoryChild(argv[3], std::string(argv[2]) == "loaded");
  const fs::path cache =
      fs::temp_directory_path() / ("fx_bench_contentdlg." + std::to_string(::getpid()));
  WriteCache(cache);
  MeasureOpening(cache);
  MeasureKeystrokes(cache);
  MeasureMemory(cache);
  std::error_code error;
  fs::remove_all(cache, error);
  return 0;
}
