// A launch with the in-game commands on over a game folder of 5,000 maps (a maps folder
// and a PACK archive of the patch), timed from the start of the launch until the shell has
// started the game program (an absolute /bin/true stands in for the engine).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/FixedAnswerDialogs.h"
#include "exes/FXExes.h"
#include "launcher/LaunchPipeline.h"
#include "settings/FXSettings.h"
#include "tests/plugins/RecordingStarter.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMapCount = 5000;

std::string LE32(std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  return {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
          static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 24) & 0xFF)};
}

// Header (version 29, entities first, the other lumps empty behind them) and an entity lump
// of about 8 KB with the worldspawn first, as compiled maps have it.
std::string MapFile(int index) {
  std::string lump = "{\n\"classname\" \"worldspawn\"\n\"message\" \"Benchmark map number " +
                     std::to_string(index) + "\"\n}\n";
  while (lump.size() < 8000)
    lump += "{\n\"classname\" \"light\"\n\"origin\" \"128 -64 32\"\n\"light\" \"300\"\n}\n";
  lump += '\0';
  constexpr std::int32_t kHeaderSize = 124;
  const auto end = static_cast<std::int32_t>(kHeaderSize + lump.size());
  std::string file = LE32(29) + LE32(kHeaderSize) + LE32(static_cast<std::int32_t>(lump.size()));
  for (int i = 1; i < 15; ++i)
    file += LE32(end) + LE32(0);
  return file + lump;
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// id1/maps with half the maps, the patch's PACK archive with the other half.
void MakeGameFolder(const fs::path& game) {
  fs::create_directories(game / "id1" / "maps");
  std::string data;
  std::string directory;
  std::int32_t offset = 12;
  for (int i = 0; i < kMapCount; ++i) {
    const std::string map = MapFile(i);
    if (i % 2 == 0) {
      WriteBytes(game / "id1" / "maps" / ("map" + std::to_string(i) + ".bsp"), map);
      continue;
    }
    std::string name = "maps/pak" + std::to_string(i) + ".bsp";
    name.resize(56, '\0');
    directory += name + LE32(offset) + LE32(static_cast<std::int32_t>(map.size()));
    data += map;
    offset += static_cast<std::int32_t>(map.size());
  }
  WriteBytes(
      game / "mod" / "pak0.pak",
      "PACK" + LE32(offset) + LE32(static_cast<std::int32_t>(directory.size())) + data + directory);
}

class TNoLinesPlugin final : public fx::TQuakePlugin {
 public:
  using fx::TQuakePlugin::TQuakePlugin;
  void GetFeatures(fx::TPluginFeatures& features) override { features = {}; }
};

void BM_LaunchWithInGameCommands(benchmark::State& state) {
  const fs::path game =
      fs::temp_directory_path() / ("fx-launch-bench-" + std::to_string(::getpid()));
  MakeGameFolder(game);
  fx::TFXSettings machine;
  machine.SetQPath(game.string());
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

  for (auto _ : state) {
    const fx::TLaunchResult result =
        fx::TLaunchPipeline(input,
                            {machine, user, *plugin, {}, exe, dialogs, {2026, 12, 8}, {}, {}, {}})
            .Launch();
    if (!result.Started) state.SkipWithError("the stand-in engine did not start");
  }
  fs::remove_all(game);
}
BENCHMARK(BM_LaunchWithInGameCommands)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
