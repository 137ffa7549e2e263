// How "Find Servers" takes 5,000 servers: a made-up source hands them to the dialog in
// batches (and once all in one batch), and the run prints the time to the last row, the
// longest the window's event loop went without running, and the process's memory. Then
// the one-off costs on the full table: a sort by name, a filter keystroke, showing the
// servers that did not answer. Figures only; nothing is asserted.
//
// With --trial <folder> it opens the main window instead, with a few hundred made-up
// servers behind "Find Servers...", drives it as a user would (sort, filter, players,
// rules, sources, a refused and an accepted join) and saves a screenshot of each step
// into the folder, together with the arguments and the script the stand-in engine got.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <time.h>
#include <unistd.h>

#include "bench/FixedAnswerDialogs.h"
#include "exes/FXExes.h"
#include "launcher/FXLaunchForm.h"
#include "launcher/LaunchInput.h"
#include "platform/Registry.h"
#include "servers/ServerBrowserDlg.h"
#include "servers/ServerTableModel.h"
#include "settings/FXSettings.h"

namespace {

namespace fs = std::filesystem;
using fx::TServerFamily;
using fx::TServerInfo;
using fx::TServerState;

constexpr int kServers = 5000;

std::vector<TServerInfo> MadeUpServers(int count) {
  std::mt19937 random(27);
  const auto pick = [&](const auto& items) { return items[random() % items.size()]; };
  const std::vector<std::string> maps = {"dm1",  "dm2",   "dm3",      "dm4",    "dm6",
                                         "e1m1", "start", "aerowalk", "ztndm3", "ad_tears",
                                         "e2m2", "ctf1",  "2fort5"};
  const std::vector<std::string> games = {"", "", "", "id1", "ad", "ctf", "fortress", "qw"};
  const std::vector<std::string> words = {"Frag",
                                          "Pit",
                                          "Slipgate",
                                          "Rune",
                                          "Shambler",
                                          "Quad",
                                          "Duel",
                                          "Coop",
                                          "Ranger",
                                          "Vore",
                                          "\xC6\xE9\xE5\xEE\xE4",
                                          "[NQ]",
                                          "Arena",
                                          "Keep"};
  std::vector<TServerInfo> servers(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    TServerInfo& s = servers[static_cast<std::size_t>(i)];
    s.Address = fx::TServerAddress::V4(10, static_cast<std::uint8_t>(i >> 16),
                                       static_cast<std::uint8_t>(i >> 8),
                                       static_cast<std::uint8_t>(i), 26000);
    s.Family = static_cast<TServerFamily>(i % 3);
    s.Protocol = s.Family == TServerFamily::NetQuake ? "3"
                 : s.Family == TServerFamily::QuakeWorld
                     ? "28"
                     : pick(std::vector<std::string>{"DP7", "FTE-Quake", "3"});
    s.Name = pick(words) + " " + pick(words) + " #" + std::to_string(i);
    s.Map = pick(maps);
    s.Game = pick(games);
    s.MaxPlayers = pick(std::vector<int>{8, 12, 16, 24, 32});
    s.Players = static_cast<int>(random() % static_cast<unsigned>(s.MaxPlayers / 2 + 1));
    s.PingMs = 5 + static_cast<int>(random() % 300);
    s.Password = random() % 20 == 0;
    for (int p = 0; p < s.Players; ++p) {
      fx::TServerPlayer player;
      player.Name = pick(words) + std::to_string(p);
      player.Frags = static_cast<int>(random() % 40);
      player.Ping = 10 + static_cast<int>(random() % 200);
      player.Seconds = static_cast<int>(random() % 3600);
      player.Spectator = s.Family == TServerFamily::QuakeWorld && p == 0;
      s.PlayerList.push_back(std::move(player));
    }
    for (const char* rule : {"timelimit", "fraglimit", "teamplay", "deathmatch", "sv_maxspeed",
                             "sv_gravity", "samelevel", "noexit", "pausable", "*version"})
      s.Rules.emplace_back(rule, std::to_string(random() % 100));
    const unsigned fate = random() % 100;
    s.State = fate < 92   ? TServerState::Answered
              : fate < 96 ? TServerState::TimedOut
              : fate < 98 ? TServerState::Refused
              : fate < 99 ? TServerState::BadReply
                          : TServerState::Throttled;
  }
  return servers;
}

// Hands made-up servers to the dialog, `batch` at a time every `intervalMs`, as the
// network source would. The batches are made before the refresh, so the figures hold the
// dialog's work, not the making of servers; asked for details, it reports the server
// again when it kept a copy.
class TMadeUpSource final : public fx::TServerSource {
 public:
  TMadeUpSource(std::size_t batch, int intervalMs) : FBatch(batch) {
    FTimer.setInterval(intervalMs);
    QObject::connect(&FTimer, &QTimer::timeout, [this] { SendBatch(); });
  }
  void Prepare(std::vector<TServerInfo> servers, bool keepForDetails) {
    FBatches.clear();
    for (std::size_t first = 0; first < servers.size(); first += FBatch) {
      const auto end = std::min(servers.size(), first + FBatch);
      FBatches.emplace_back(
          std::make_move_iterator(servers.begin() + static_cast<std::ptrdiff_t>(first)),
          std::make_move_iterator(servers.begin() + static_cast<std::ptrdiff_t>(end)));
    }
    if (keepForDetails)
      for (const auto& batch : FBatches)
        FKept.insert(FKept.end(), batch.begin(), batch.end());
    FNext = 0;
  }
  void Refresh(const fx::TRefreshRequest& request) override {
    if (FBatches.empty() && !FKept.empty()) Prepare(FKept, false);
    // Every third master is silent, the others each gave a share of the servers.
    for (std::size_t i = 0; i < request.Masters.size() && OnMaster; ++i) {
      const bool answered = request.Masters[i].Enabled && i % 3 != 2;
      OnMaster({request.Masters[i],
                answered,
                answered ? 40 + static_cast<int>(i) : 0,
                answered ? "" : "timed out",
                {}});
    }
    FTimer.start();
  }
  void QueryDetails(const fx::TKnownServer& server, const fx::TQueryLimits& /*limits*/) override {
    for (const TServerInfo& known : FKept)
      if (known.Address == server.Address && OnServers) OnServers({known});
  }
  void Stop() override { FTimer.stop(); }

 private:
  void SendBatch() {
    if (FNext < FBatches.size() && OnServers) OnServers(std::move(FBatches[FNext]));
    if (++FNext >= FBatches.size()) {
      FTimer.stop();
      FBatches.clear();
      if (OnFinished) OnFinished();
    }
  }

  std::size_t FBatch;
  std::vector<std::vector<TServerInfo>> FBatches;
  std::vector<TServerInfo> FKept;
  std::size_t FNext = 0;
  QTimer FTimer;
};

// Resident memory in KiB: "VmRSS" now, "VmHWM" at its peak.
long MemoryKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0)
      return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
  return -1;
}

double Ms(const QElapsedTimer& clock) {
  return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A zero timer runs on every pass of the event loop: the longest gap between two runs is
// the longest the window could not have answered the user. On a machine shared with other
// work that gap also holds the time the process was not scheduled, so the processor time
// the GUI thread spent in the pass is taken too: that is what the program itself costs.
class TStallProbe {
 public:
  TStallProbe() {
    QObject::connect(&FTicker, &QTimer::timeout, [this] {
      const double cpu = ThreadCpuMs();
      FLongestWall = std::max(FLongestWall, Ms(FSince));
      FLongestCpu = std::max(FLongestCpu, cpu - FCpuAtTick);
      if (cpu - FCpuAtTick > 16) ++FCpuOver16;
      FSince.restart();
      FCpuAtTick = cpu;
    });
  }
  void Start() {
    FLongestWall = FLongestCpu = 0;
    FCpuOver16 = 0;
    FSince.start();
    FCpuAtTick = ThreadCpuMs();
    FTicker.start(0);
  }
  void Stop() { FTicker.stop(); }
  double LongestWall() const { return FLongestWall; }
  double LongestCpu() const { return FLongestCpu; }
  int CpuOver16() const { return FCpuOver16; }

 private:
  QTimer FTicker;
  QElapsedTimer FSince;
  double FCpuAtTick = 0;
  double FLongestWall = 0;
  double FLongestCpu = 0;
  int FCpuOver16 = 0;
};

void MeasureStream(std::size_t batch, int intervalMs) {
  fx::bench::TFixedAnswerDialogs dialogs(fx::TMsgResult::Ok);
  TMadeUpSource source(batch, intervalMs);
  fx::TServerBrowserOptions options;
  options.Dialogs = &dialogs;
  options.RefreshOnOpen = false;
  fx::TServerBrowserDlg dialog(source, options);
  dialog.resize(960, 640);
  dialog.show();
  QTest::qWait(100);  // shown and painted: the servers' cost is what follows
  const long shownKiB = MemoryKiB("VmRSS:");
  source.Prepare(MadeUpServers(kServers), false);
  TStallProbe probe;
  QElapsedTimer clock;
  probe.Start();
  clock.start();
  dialog.Refresh();
  while (dialog.Refreshing() || dialog.HasPendingRows())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  const double lastRow = Ms(clock);
  QTest::qWait(50);
  probe.Stop();
  auto& table = *dialog.findChild<QTableView*>("tvServers");
  const long filledKiB = MemoryKiB("VmRSS:");
  std::printf(
      "  rows %d (%d shown), last row %.1f ms\n"
      "  longest pass of the event loop: %.1f ms wall, %.1f ms processor (%d passes over "
      "16 ms of processor)\n"
      "  memory %.1f MB with the empty dialog, %.1f MB with the servers in it (+%.1f MB), peak "
      "%.1f MB\n",
      dialog.Table().rowCount(), table.model()->rowCount(), lastRow, probe.LongestWall(),
      probe.LongestCpu(), probe.CpuOver16(), shownKiB / 1024.0, filledKiB / 1024.0,
      (filledKiB - shownKiB) / 1024.0, MemoryKiB("VmHWM:") / 1024.0);

  const auto once = [&](const char* step, const std::function<void()>& action) {
    QElapsedTimer timer;
    timer.start();
    const double cpu = ThreadCpuMs();
    action();
    QCoreApplication::processEvents();
    std::printf("  %-26s %5.1f ms wall, %5.1f ms processor\n", step, Ms(timer),
                ThreadCpuMs() - cpu);
  };
  once("sort by name", [&] { table.sortByColumn(0, Qt::AscendingOrder); });
  once("filter keystroke", [&] { dialog.findChild<QLineEdit*>("edFilterText")->setText("f"); });
  once("show the silent ones", [&] { dialog.findChild<QCheckBox*>("cbShowSilent")->click(); });
  dialog.reject();
}

// --- The trial: the main window driven through the browser, with screenshots. ---

void Shot(QWidget& widget, const fs::path& folder, const char* name) {
  QCoreApplication::processEvents();
  widget.grab().save(QString::fromStdString((folder / name).string()));
  std::printf("screenshot %s\n", name);
}

void WaitUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 500 && !done(); ++i)
    QTest::qWait(10);
}

QModelIndex RowWhere(QTableView& table, const std::function<bool(const TServerInfo&)>& wanted,
                     fx::TServerTableModel& model) {
  auto& proxy = static_cast<QSortFilterProxyModel&>(*table.model());
  for (int row = 0; row < proxy.rowCount(); ++row) {
    const QModelIndex index = proxy.index(row, 0);
    if (wanted(model.Server(proxy.mapToSource(index).row()))) return index;
  }
  return {};
}

void DriveBrowser(fx::TServerBrowserDlg& dialog, const fs::path& out) {
  auto& table = *dialog.findChild<QTableView*>("tvServers");
  WaitUntil([&] { return !dialog.Refreshing() && !dialog.HasPendingRows(); });
  Shot(dialog, out, "02-browser-by-ping.png");
  QTest::mouseClick(table.horizontalHeader()->viewport(), Qt::LeftButton, {},
                    QPoint(table.horizontalHeader()->sectionViewportPosition(3) + 10, 5));
  QTest::mouseClick(table.horizontalHeader()->viewport(), Qt::LeftButton, {},
                    QPoint(table.horizontalHeader()->sectionViewportPosition(3) + 10, 5));
  Shot(dialog, out, "03-sorted-by-players.png");
  QTest::keyClicks(dialog.findChild<QLineEdit*>("edFilterGame"), "ad");
  QTest::mouseClick(dialog.findChild<QCheckBox*>("cbNotEmpty"), Qt::LeftButton);
  Shot(dialog, out, "04-filter-mod-ad-not-empty.png");
  table.setFocus();
  table.setCurrentIndex(table.model()->index(0, 0));
  QTest::qWait(500);
  Shot(dialog, out, "05-players.png");
  dialog.findChild<QTabWidget*>("DetailsPages")->setCurrentIndex(1);
  Shot(dialog, out, "06-rules.png");
  QTest::keyClicks(dialog.findChild<QLineEdit*>("edPlayerSearch"), "ranger");
  Shot(dialog, out, "07-player-search.png");
  dialog.findChild<QLineEdit*>("edPlayerSearch")->clear();
  dialog.findChild<QTabWidget*>("PageControl")->setCurrentIndex(1);
  Shot(dialog, out, "08-sources.png");
  dialog.findChild<QTabWidget*>("PageControl")->setCurrentIndex(0);
  dialog.findChild<QLineEdit*>("edFilterGame")->clear();
  dialog.findChild<QCheckBox*>("cbNotEmpty")->setChecked(false);
  // A favourite (bold) stays whatever the filter; the silent servers show on demand.
  QTest::mouseClick(dialog.findChild<QPushButton*>("btnFavourite"), Qt::LeftButton);
  QTest::mouseClick(dialog.findChild<QCheckBox*>("cbShowSilent"), Qt::LeftButton);
  QTest::mouseClick(table.horizontalHeader()->viewport(), Qt::LeftButton, {},
                    QPoint(table.horizontalHeader()->sectionViewportPosition(4) + 10, 5));
  QTest::keyClicks(dialog.findChild<QLineEdit*>("edFilterText"), "keep");
  Shot(dialog, out, "09-favourite-and-silent.png");
  dialog.findChild<QLineEdit*>("edFilterText")->clear();
  // A QuakeWorld server is refused to the NetQuake engine: the message, then Escape.
  table.setFocus();
  table.setCurrentIndex(RowWhere(
      table,
      [](const TServerInfo& s) {
        return s.Family == TServerFamily::QuakeWorld && s.State == TServerState::Answered;
      },
      dialog.Table()));
  QTimer::singleShot(300, [out] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      Shot(*box, out, "10-refused.png");
      box->reject();
    }
  });
  QTest::keyClick(&table, Qt::Key_Return);
  // Then a NetQuake server running "ad": Enter joins.
  table.setFocus();
  table.setCurrentIndex(RowWhere(
      table,
      [](const TServerInfo& s) {
        return s.Family == TServerFamily::NetQuake && s.Game == "ad" &&
               s.State == TServerState::Answered;
      },
      dialog.Table()));
  QTest::qWait(300);
  Shot(dialog, out, "11-chosen-to-join.png");
  QTest::keyClick(&table, Qt::Key_Return);
}

int RunTrial(const fs::path& out) {
  fs::create_directories(out);
  const fs::path root = fs::absolute(out) / "trial";
  fs::remove_all(root);
  const fs::path game = root / "quake";
  fs::create_directories(game / "id1");
  fs::create_directories(game / "ad");
  std::ofstream(game / "id1" / "pak0.pak").put('\0');
  std::ofstream(game / "id1" / "pak1.pak").put('\0');
  const fs::path engine = game / "quakespasm";
  std::ofstream(engine) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '"
                        << (out / "engine-args.txt").string() << "'\ncp id1/Frax.cfg '"
                        << (out / "engine-script.cfg").string() << "'\n";
  fs::permissions(engine, fs::perms::owner_all);
  ::setenv("FRAXINEL_CONFIG_DIR", (root / "config").c_str(), 1);

  fx::TProgramSettings settings;
  settings.Machine.SetQPath(game.string());
  settings.Machine.SetCloseOnExec(false);
  {
    fx::TRegistry registry;
    fx::TQuakeExe exe("QuakeSpasm");
    exe.ExeName = "quakespasm";
    exe.ExeType = fx::TExeType::OpenGLQuake;
    fx::SaveExeList(registry, {exe});
  }
  fx::TLaunchFormOptions options;
  options.ServerSource = [] {
    auto source = std::make_unique<TMadeUpSource>(30, 40);
    source->Prepare(MadeUpServers(300), true);
    return source;
  };
  fx::TFXLaunchForm form(nullptr, options);
  form.show();
  emit form.findChild<QComboBox*>("cbQuakeMode")->activated(fx::kPlayClient);
  form.findChild<QComboBox*>("cbQuakeMode")->setCurrentIndex(fx::kPlayClient);
  QTest::qWait(300);
  Shot(form, out, "01-main-window-client.png");
  QTimer::singleShot(200, [&] {
    if (auto* dialog = qobject_cast<fx::TServerBrowserDlg*>(QApplication::activeModalWidget()))
      DriveBrowser(*dialog, out);
  });
  QTest::mouseClick(form.findChild<QPushButton*>("FindServersBtn"), Qt::LeftButton);
  QTest::qWait(1000);
  Shot(form, out, "12-main-window-after-join.png");
  std::printf("server box: %s\n",
              form.findChild<QComboBox*>("ConnectComboBox")->currentText().toUtf8().constData());
  return 0;
}

struct TScenario {
  const char* What;
  std::size_t Batch;
  int IntervalMs;
};
constexpr TScenario kScenarios[] = {{"50 servers every 5 ms", 50, 5},
                                    {"500 servers every 50 ms", 500, 50},
                                    {"all 5,000 in one batch", kServers, 1}};

}  // namespace

// Each scenario runs in a fresh process of this program ("--run <n>"), so that memory and
// the first window's one-off costs of one do not show in another.
int main(int argc, char** argv) {
  if (argc == 1) {
    std::printf("%d made-up servers (92 %% answered)\n", kServers);
    for (std::size_t i = 0; i < std::size(kScenarios); ++i) {
      const std::string child = std::string(argv[0]) + " --run " + std::to_string(i);
      if (std::system(child.c_str()) != 0) return 1;
    }
    std::ifstream load("/proc/loadavg");
    std::string line;
    std::getline(load, line);
    std::printf("load average at the end: %s\n", line.c_str());
    return 0;
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  if (argc == 3 && std::string(argv[1]) == "--trial") return RunTrial(argv[2]);
  if (argc != 3 || std::string(argv[1]) != "--run") return 2;
  const TScenario& scenario = kScenarios[std::stoul(argv[2]) % std::size(kScenarios)];
  const fs::path config =
      fs::temp_directory_path() / ("fx-serverbench-" + std::to_string(getpid()));
  ::setenv("FRAXINEL_CONFIG_DIR", config.c_str(), 1);
  std::printf("%s (platform %s, %.1f MB before any window)\n", scenario.What,
              QGuiApplication::platformName().toUtf8().constData(), MemoryKiB("VmRSS:") / 1024.0);
  MeasureStream(scenario.Batch, scenario.IntervalMs);
  fs::remove_all(config);
  return 0;
}
