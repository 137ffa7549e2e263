// How long the main window takes to come up, and the memory the process holds then, next to
// a bare QApplication + QMainWindow process, measured in the same run: each side is a fresh
// process of this program (started with --child=bare or --child=form), from its start until
// its window is shown and painted. The program's side loads the settings and builds the main
// window as the program does; the splash screen's minimum time is not part of it. Pairs are
// run in turn and the ratios of each pair printed with their spread. Run on the offscreen
// platform or under Xvfb; the settings live in a temporary folder.
#include <QApplication>
#include <QMainWindow>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "launcher/FXLaunchForm.h"
#include "settings/FXSettings.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;
constexpr int kPairs = 7;

long long NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(TClock::now().time_since_epoch())
      .count();
}

// Resident memory of this process in KiB, from the kernel's own account.
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// The child: shows its window, lets the first paint through, reports the time and memory.
int RunChild(const std::string& kind, int argc, char** argv) {
  QApplication app(argc, argv);
  const long long appReady = NowNs();
  std::unique_ptr<fx::TProgramSettings> settings;
  std::unique_ptr<QMainWindow> window;
  long long loaded = appReady;
  if (kind == "form") {
    settings = std::make_unique<fx::TProgramSettings>();
    loaded = NowNs();
    window = std::make_unique<fx::TFXLaunchForm>();
  } else {
    window = std::make_unique<QMainWindow>();
  }
  const long long built = NowNs();
  window->show();
  QApplication::processEvents();
  // Where the time went: application, settings, window built, shown and painted.
  std::printf("%lld %ld %lld %lld %lld %lld\n", NowNs(), ResidentKiB(), appReady, loaded, built,
              NowNs());
  std::fflush(stdout);
  return 0;
}

struct TChildResult {
  double Ms = 0;
  long KiB = 0;
  double AppMs = 0, SettingsMs = 0, BuildMs = 0, ShowMs = 0;
};

TChildResult Spawn(const std::string& kind) {
  int out[2];
  if (::pipe(out) != 0) std::exit(1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::string self = fs::read_symlink("/proc/self/exe").string();
  std::string arg = "--child=" + kind;
  char* args[] = {self.data(), arg.data(), nullptr};
  const long long start = NowNs();
  pid_t pid = 0;
  if (posix_spawn(&pid, self.c_str(), &actions, nullptr, args, environ) != 0) std::exit(1);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  std::string text;
  char buffer[256];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<std::size_t>(n));
  ::close(out[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  long long shown = 0, app = 0, loaded = 0, built = 0, painted = 0;
  long kib = 0;
  if (std::sscanf(text.c_str(), "%lld %ld %lld %lld %lld %lld", &shown, &kib, &app, &loaded, &built,
                  &painted) != 6)
    std::exit(1);
  const auto ms = [](long long from, long long to) { return static_cast<double>(to - from) / 1e6; };
  return {ms(start, shown),  kib, ms(start, app), ms(app, loaded), ms(loaded, built),
          ms(built, painted)};
}

void PrintSpread(const char* what, std::vector<double> values) {
  std::sort(values.begin(), values.end());
  std::printf("%-34s min %.2f  median %.2f  max %.2f\n", what, values.front(),
              values[values.size() / 2], values.back());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strncmp(argv[1], "--child=", 8) == 0)
    return RunChild(argv[1] + 8, argc, argv);

  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const fs::path folder = fs::temp_directory_path() / ("fx-startup-" + std::to_string(getpid()));
  fs::create_directories(folder / "quake" / "id1");
  std::ofstream(folder / "quake" / "id1" / "pak1.pak").put('\0');
  ::setenv("FRAXINEL_CONFIG_DIR", folder.string().c_str(), 1);
  {
    // A configured game folder, as after the first-run setup.
    fx::TProgramSettings settings;
    settings.Machine.SetQPath((folder / "quake").string());
    settings.Machine.SetVersion(1);
    settings.Save();
  }
  Spawn("form");  // the first start fills the caches; it is not counted
  std::vector<double> timeRatios;
  std::vector<double> memoryRatios;
  for (int pair = 0; pair < kPairs; ++pair) {
    const TChildResult bare = Spawn("bare");
    const TChildResult form = Spawn("form");
    std::printf(
        "pair %d: bare %.1f ms %ld KiB, main window %.1f ms %ld KiB (process and QApplication "
        "%.1f / %.1f, settings %.1f, window built %.1f / %.1f, shown %.1f / %.1f)\n",
        pair + 1, bare.Ms, bare.KiB, form.Ms, form.KiB, bare.AppMs, form.AppMs, form.SettingsMs,
        bare.BuildMs, form.BuildMs, bare.ShowMs, form.ShowMs);
    timeRatios.push_back(form.Ms / bare.Ms);
    memoryRatios.push_back(static_cast<double>(form.KiB) / static_cast<double>(bare.KiB));
  }
  PrintSpread("start to shown, main / bare:", timeRatios);
  PrintSpread("resident memory, main / bare:", memoryRatios);
  fs::remove_all(folder);
  return 0;
}
