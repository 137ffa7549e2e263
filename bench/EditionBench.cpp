// The edition test the settings run at start-up on the game folder, over a folder laid out as
// the 2021 release ships it: one id1/pak0.pak whose directory holds gfx/pop.lmp among 2,000
// entries (as the last one, so the whole directory is read), no PAK1.PAK and no loose
// gfx/pop.lmp. The floor is the test as it was before it looked into archives: the two
// case-blind file lookups, which find nothing here. Every iteration runs both, in turn;
// the counters give both times and their ratio.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "bench/MapCorpus.h"
#include "platform/GamePaths.h"
#include "platform/PackLayout.h"
#include "settings/FXSettings.h"

namespace {

namespace fs = std::filesystem;
namespace pak = fx::layout::pak;
using TClock = std::chrono::steady_clock;

constexpr int kEntries = 2000;

void PutLE32(std::string& bytes, std::size_t at, std::int32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// An archive whose entries are one byte each; only the directory matters here.
void WriteRereleasePak(const fs::path& file) {
  std::string bytes(static_cast<std::size_t>(pak::kHeaderSize) + kEntries, 'x');
  const auto dirOffset = static_cast<std::int32_t>(bytes.size());
  bytes.replace(0, 4, "PACK");
  PutLE32(bytes, pak::kDirOffsetAt, dirOffset);
  PutLE32(bytes, pak::kDirLengthAt, kEntries * static_cast<std::int32_t>(pak::kRecordSize));
  for (int i = 0; i < kEntries; ++i) {
    std::string record(static_cast<std::size_t>(pak::kRecordSize), '\0');
    const std::string name =
        i + 1 == kEntries ? "gfx/pop.lmp" : "progs/model" + std::to_string(i) + ".mdl";
    record.replace(0, name.size(), name);
    PutLE32(record, pak::kFilePosAt, static_cast<std::int32_t>(pak::kHeaderSize) + i);
    PutLE32(record, pak::kFileLenAt, 1);
    bytes += record;
  }
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool LooseFileTest(const std::string& game) {
  std::error_code error;
  return fs::is_regular_file(fx::ResolveGamePath(game, "ID1\\PAK1.PAK"), error) ||
         fs::is_regular_file(fx::ResolveGamePath(game, "ID1\\GFX\\POP.LMP"), error);
}

void BM_EditionTestOverLooseFileTest(benchmark::State& state) {
  const fx::bench::TTempFolder root("fx-bench-edition");
  const std::string game = root.Path().string();
  WriteRereleasePak(root.Path() / "id1" / "pak0.pak");
  fs::create_directories(root.Path() / "id1" / "maps");
  if (!fx::IsRegisteredGameFolder(game)) state.SkipWithError("the archive was not recognised");

  TClock::duration floorTime{};
  TClock::duration testTime{};
  for (auto _ : state) {
    auto start = TClock::now();
    benchmark::DoNotOptimize(LooseFileTest(game));
    floorTime += TClock::now() - start;
    start = TClock::now();
    benchmark::DoNotOptimize(fx::IsRegisteredGameFolder(game));
    testTime += TClock::now() - start;
  }
  const double iterations = static_cast<double>(state.iterations());
  const auto us = [&](TClock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count() / iterations;
  };
  state.counters["loose_us"] = us(floorTime);
  state.counters["edition_us"] = us(testTime);
  state.counters["ratio"] = us(testTime) / us(floorTime);
}
BENCHMARK(BM_EditionTestOverLooseFileTest)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
