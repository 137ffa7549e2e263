// Map titles read from 5,000 map files in a folder and from one PACK archive
// holding the same 5,000 maps, against a floor that only reads each map's
// header and the first 4 KiB of its entity lump.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "gamedata/BSPUtil.h"
#include "gamedata/PackUtil.h"
#include "gamedata/Stream.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMapCount = 5000;
constexpr std::int64_t kFloorBytes = 4096;

std::string LE32(std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  return {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
          static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 24) & 0xFF)};
}

std::int32_t FromLE32(const unsigned char* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | (p[1] << 8) | (p[2] << 16) |
                                   (static_cast<std::uint32_t>(p[3]) << 24));
}

// A worldspawn of a few hundred bytes and 20-200 KB of other entities, as
// a compiled map has them.
std::string EntityLump(int index, std::mt19937& random) {
  std::string text = "{\n\"sounds\" \"" + std::to_string(index % 11) +
                     "\"\n\"classname\" \"worldspawn\"\n\"wad\" \"gfx/base.wad\"\n"
                     "\"message\" \"Benchmark map number " +
                     std::to_string(index) +
                     "\"\n\"worldtype\" \"2\"\n\"_sunlight\" \"200\"\n"
                     "\"_sunlight_mangle\" \"0 -90 0\"\n\"_bounce\" \"1\"\n"
                     "\"_tb_def\" \"builtin:Quake.fgd\"\n\"mapversion\" \"220\"\n}\n";
  const std::size_t target = std::uniform_int_distribution<std::size_t>(20000, 200000)(random);
  std::uniform_int_distribution<int> coord(-4096, 4096);
  while (text.size() < target) {
    text += "{\n\"classname\" \"light\"\n\"origin\" \"" + std::to_string(coord(random)) + " " +
            std::to_string(coord(random)) + " " + std::to_string(coord(random)) +
            "\"\n\"light\" \"300\"\n\"_color\" \"1 0.9 0.8\"\n}\n";
  }
  text += '\0';
  return text;
}

std::string MapFile(const std::string& lump) {
  constexpr std::int32_t kHeaderSize = 124;
  const auto length = static_cast<std::int32_t>(lump.size());
  std::string bytes = LE32(29) + LE32(kHeaderSize) + LE32(length);
  for (int i = 1; i < 15; ++i)
    bytes += LE32(kHeaderSize + length) + LE32(0);
  return bytes + lump;
}

struct TCorpus {
  fs::path Folder;
  std::vector<fs::path> Maps;
  fs::path Pak;

  TCorpus() {
    Folder = fs::temp_directory_path() / ("fx-bench-maps-" + std::to_string(::getpid()));
    fs::create_directories(Folder / "maps");
    Pak = Folder / "pak0.pak";
    std::ofstream pak(Pak, std::ios::binary);
    pak << std::string(12, '\0');
    std::string directory;
    std::int64_t position = 12;
    std::mt19937 random(20240601);
    for (int i = 0; i < kMapCount; ++i) {
      const std::string name = "map" + std::to_string(i) + ".bsp";
      const std::string bytes = MapFile(EntityLump(i, random));
      Maps.push_back(Folder / "maps" / name);
      std::ofstream(Maps.back(), std::ios::binary) << bytes;
      pak << bytes;
      std::string record = "maps/" + name;
      record.resize(56, '\0');
      directory += record + LE32(static_cast<std::int32_t>(position)) +
                   LE32(static_cast<std::int32_t>(bytes.size()));
      position += static_cast<std::int64_t>(bytes.size());
    }
    pak << directory;
    pak.seekp(0);
    pak << "PACK" << LE32(static_cast<std::int32_t>(position))
        << LE32(static_cast<std::int32_t>(directory.size()));
  }
  ~TCorpus() {
    std::error_code ignored;
    fs::remove_all(Folder, ignored);
  }
};

TCorpus* gCorpus = nullptr;

void Report(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kMapCount);
  state.counters["maps/s"] = benchmark::Counter(static_cast<double>(state.iterations() * kMapCount),
                                                benchmark::Counter::kIsRate);
}

void BM_TitlesFromFolder(benchmark::State& state) {
  for (auto _ : state) {
    for (const fs::path& map : gCorpus->Maps) {
      benchmark::DoNotOptimize(fx::ReadMapTitleFromFile(map));
    }
  }
  Report(state);
}

void BM_TitlesFromPack(benchmark::State& state) {
  for (auto _ : state) {
    fx::TPackFile pak(gCorpus->Pak, "maps*.bsp");
    for (const fx::TLibEntry& entry : pak.Entries()) {
      benchmark::DoNotOptimize(fx::ReadMapTitle(*entry.Open()));
    }
  }
  Report(state);
}

// The header and the first 4 KiB of the entity lump, nothing else.
void ReadFloor(fx::TStream& map, std::int64_t start, std::array<char, kFloorBytes>& buffer) {
  std::array<unsigned char, 124> header{};
  map.Seek(start, fx::TSeekOrigin::Beginning);
  map.ReadBuffer(header.data(), 124);
  map.Seek(start + FromLE32(header.data() + 4), fx::TSeekOrigin::Beginning);
  benchmark::DoNotOptimize(map.Read(buffer.data(), kFloorBytes));
}

void BM_FloorFromFolder(benchmark::State& state) {
  std::array<char, kFloorBytes> buffer{};
  for (auto _ : state) {
    for (const fs::path& map : gCorpus->Maps) {
      fx::TFileStream file(map, fx::TFileStream::TMode::OpenRead);
      ReadFloor(file, 0, buffer);
    }
  }
  Report(state);
}

void BM_FloorFromPack(benchmark::State& state) {
  std::array<char, kFloorBytes> buffer{};
  for (auto _ : state) {
    fx::TPackFile pak(gCorpus->Pak, "maps*.bsp");
    for (const fx::TLibEntry& entry : pak.Entries())
      ReadFloor(pak.Stream(), entry.FilePos(), buffer);
  }
  Report(state);
}

BENCHMARK(BM_FloorFromFolder)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TitlesFromFolder)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FloorFromPack)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TitlesFromPack)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TCorpus corpus;
  gCorpus = &corpus;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  gCorpus = nullptr;
  return 0;
}
