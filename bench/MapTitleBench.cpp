// Map titles read from 5,000 map files in a folder and from one PACK archive holding 5,000
// maps (entity lumps of 20 to 150 KB, the title at the start), against the floor: each
// map's 124-byte header and the first 4 KiB of its entity lump, read and nothing else.
//
// Every iteration reads the floor and the titles of all maps, in turn, from the same files;
// the counters give both times and their ratio. Run with --benchmark_repetitions to see the
// spread of the ratio.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/FloorCompare.h"
#include "bench/MapCorpus.h"
#include "gamedata/BSPUtil.h"
#include "gamedata/PackUtil.h"

namespace {

namespace fs = std::filesystem;

struct TCorpus {
  fx::bench::TTempFolder Root{"fx-bench-maptitle"};
  std::vector<fs::path> Maps;
  fs::path Pak = Root.Path() / "pak0.pak";

  TCorpus() {
    fx::bench::WriteMapFolder(Root.Path() / "maps", fx::bench::kCorpusMaps, "map", 20240601);
    fx::bench::WriteMapPack(Pak, fx::bench::kCorpusMaps, "pak", 20240602);
    for (int i = 0; i < fx::bench::kCorpusMaps; ++i)
      Maps.push_back(Root.Path() / "maps" / ("map" + std::to_string(i) + ".bsp"));
  }
};

TCorpus* gCorpus = nullptr;

void CompareWithFloor(benchmark::State& state, const std::function<void()>& floor,
                      const std::function<void()>& task) {
  fx::bench::CompareWithFloor(state, floor, task, "titles_ms");
}

void BM_FolderTitlesOverFloor(benchmark::State& state) {
  std::array<char, fx::bench::kFloorLumpBytes> buffer{};
  CompareWithFloor(
      state,
      [&] {
        for (const fs::path& map : gCorpus->Maps)
          fx::bench::ReadFloorOfFile(map, buffer.data());
        benchmark::DoNotOptimize(buffer);
      },
      [] {
        for (const fs::path& map : gCorpus->Maps)
          benchmark::DoNotOptimize(fx::ReadMapTitleFromFile(map));
      });
}

void BM_PackTitlesOverFloor(benchmark::State& state) {
  std::array<char, fx::bench::kFloorLumpBytes> buffer{};
  CompareWithFloor(
      state,
      [&] {
        // The directory is read on both sides: opening the archive is part of the floor.
        const fx::TPackFile pak(gCorpus->Pak, "maps*.bsp");
        const int handle = ::open(gCorpus->Pak.c_str(), O_RDONLY | O_CLOEXEC);
        for (const fx::TLibEntry& entry : pak.Entries())
          fx::bench::ReadHeaderAndLumpStart(handle, entry.FilePos(), buffer.data());
        ::close(handle);
        benchmark::DoNotOptimize(buffer);
      },
      [] {
        fx::TPackFile pak(gCorpus->Pak, "maps*.bsp");
        for (const fx::TLibEntry& entry : pak.Entries())
          benchmark::DoNotOptimize(fx::ReadMapTitle(*pak.OpenEntry(entry)));
      });
}

BENCHMARK(BM_FolderTitlesOverFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PackTitlesOverFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return fx::bench::RunOverCorpus(argc, argv, gCorpus);
}
