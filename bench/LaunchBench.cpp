// A launch with the in-game commands on over a game folder of 5,000 + 5,000 maps (id1/maps
// and the patch's PACK archive, entity lumps of 20 to 150 KB), timed from the start of the
// launch until the shell has started the game program (an absolute /bin/true stands in for
// the engine), against the floor of the same maps: each map's header and the first 4 KiB
// of its entity lump, read and nothing else. Every iteration runs both, in turn; the
// counters give both times and their ratio.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/FixedAnswerDialogs.h"
#include "bench/MapCorpus.h"
#include "exes/FXExes.h"
#include "gamedata/PackUtil.h"
#include "launcher/LaunchPipeline.h"
#include "launcher/MapListing.h"
#include "settings/FXSettings.h"
#include "tests/plugins/RecordingStarter.h"

namespace {

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

struct TGameFolder {
  fx::bench::TTempFolder Root{"fx-bench-launch"};
  std::vector<fs::path> FolderMaps;
  fs::path Pak = Root.Path() / "mod" / "pak0.pak";

  TGameFolder() {
    const fs::path maps = Root.Path() / "id1" / "maps";
    fx::bench::WriteMapFolder(maps, fx::bench::kCorpusMaps, "map", 20240601);
    fx::bench::WriteMapPack(Pak, fx::bench::kCorpusMaps, "pak", 20240602);
    for (int i = 0; i < fx::bench::kCorpusMaps; ++i)
      FolderMaps.push_back(maps / ("map" + std::to_string(i) + ".bsp"));
  }

  void ReadFloor(char* buffer) const {
    for (const fs::path& map : FolderMaps)
      fx::bench::ReadFloorOfFile(map, buffer);
    const fx::TPackFile pak(Pak, "maps*.bsp");
    const int handle = ::open(Pak.c_str(), O_RDONLY | O_CLOEXEC);
    for (const fx::TLibEntry& entry : pak.Entries())
      fx::bench::ReadHeaderAndLumpStart(handle, entry.FilePos(), buffer);
    ::close(handle);
  }
};

class TNoLinesPlugin final : public fx::TQuakePlugin {
 public:
  using fx::TQuakePlugin::TQuakePlugin;
  void GetFeatures(fx::TPluginFeatures& features) override { features = {}; }
};

void BM_LaunchWithInGameCommandsOverFloor(benchmark::State& state) {
  const TGameFolder game;
  fx::TFXSettings machine;
  machine.SetQPath(game.Root.Path().string());
  fx::TFXUserSettings user;
  user.SetInGameCmds(true);
  fx::bench::TFixedAnswerDialogs dialogs(fx::TMsgResult::Yes);
  auto starter = fx::MakeIntf<fx::test::TRecordingStarter>();
  auto plugin = fx::MakeIntf<TNoLinesPlugin>(*starter);
  fx::TQuakeExe exe("Engine");
  exe.ExeName = "/bin/true";
  fx::TLaunchInput input;
  input.PlayMode = fx::kPlayListen;
  input.MapText = "map0";
  input.Patch = "mod";
  std::array<char, fx::bench::kFloorLumpBytes> buffer{};
  const fx::TLaunchContext context{.Machine = machine,
                                   .User = user,
                                   .Plugin = *plugin,
                                   .Features = {},
                                   .Exe = exe,
                                   .Dialogs = dialogs,
                                   .Today = {2026, 12, 8},
                                   .Format = {},
                                   .CloseMainWindow = {},
                                   .OutputFolder = {},
                                   .Homes = fx::CurrentUserHomes()};

  TClock::duration floorTime{};
  TClock::duration listingTime{};
  TClock::duration launchTime{};
  for (auto _ : state) {
    auto start = TClock::now();
    game.ReadFloor(buffer.data());
    floorTime += TClock::now() - start;
    // The map listing alone, as the launch builds it: the launch's share that reads maps.
    start = TClock::now();
    benchmark::DoNotOptimize(fx::BuildMapListing(game.Root.Path(), "mod", false, "8.12.2026"));
    listingTime += TClock::now() - start;
    start = TClock::now();
    const fx::TLaunchResult result = fx::TLaunchPipeline(input, context).Launch();
    launchTime += TClock::now() - start;
    if (!result.Started) state.SkipWithError("the stand-in engine did not start");
  }
  const double iterations = static_cast<double>(state.iterations());
  const auto ms = [&](TClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count() / iterations;
  };
  state.counters["floor_ms"] = ms(floorTime);
  state.counters["listing_ms"] = ms(listingTime);
  state.counters["launch_ms"] = ms(launchTime);
  state.counters["ratio"] = ms(launchTime) / ms(floorTime);
}
BENCHMARK(BM_LaunchWithInGameCommandsOverFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
