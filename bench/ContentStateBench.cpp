// The content browser's installed-state check of 2,000 catalogue packages (ten files each)
// over a generated game folder, warm in the page cache: 300 packages installed (3,000 files
// of 16 KiB), 100 whose files are there with another size (never hashed), the rest absent.
// The check runs on its worker as the dialog runs it, against the floor of hashing the
// installed files' bytes in one loop: the least any check by content must read.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "bench/FloorCompare.h"
#include "content/InstalledStateCheck.h"
#include "installer/Hashers.h"

namespace {

constexpr int kPackages = 2000, kInstalled = 300, kOtherSize = 100, kFiles = 10;
constexpr std::size_t kFileBytes = 16 * 1024;

struct TCorpus {
  std::filesystem::path Game;
  std::vector<fx::TContentPackage> Packages;
  std::vector<std::filesystem::path> InstalledFiles;

  TCorpus() {
    Game = std::filesystem::temp_directory_path() / ("fx_state_bench_" + std::to_string(getpid()));
    for (int i = 0; i < kPackages; ++i) {
      fx::TContentPackage p{.Id = "pkg" + std::to_string(i),
                            .Extract = "{base}/pkg" + std::to_string(i) + "/"};
      for (int f = 0; f < kFiles; ++f) {
        std::string data(kFileBytes, static_cast<char>('a' + f));
        data.replace(0, p.Id.size(), p.Id);
        const std::string name = "maps/m" + std::to_string(f) + ".bsp";
        p.Files.push_back({name, data.size(), fx::Sha256Hex(data), {}});
        if (i >= kInstalled + kOtherSize) continue;
        const auto file = Game / ("pkg" + std::to_string(i)) / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << (i < kInstalled ? data : data + "x");
        if (i < kInstalled) InstalledFiles.push_back(file);
      }
      Packages.push_back(std::move(p));
    }
  }
  ~TCorpus() { std::filesystem::remove_all(Game); }
};

TCorpus* gCorpus = nullptr;

void BM_InstalledStateOverHashingTheFiles(benchmark::State& state) {
  std::size_t installed = 0;
  fx::bench::CompareWithFloor(
      state,
      [] {
        for (const auto& file : gCorpus->InstalledFiles)
          benchmark::DoNotOptimize(fx::FileHashHex(file, fx::THashKind::Sha256));
      },
      [&] {
        fx::TInstalledStateCheck check(gCorpus->Packages, gCorpus->Game, {});
        installed = 0;
        for (bool last = false; !last;) {
          last = check.Finished();
          for (const auto& [index, s] : check.Take())
            installed += s == fx::TInstallState::Installed ? 1 : 0;
          if (!last) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
      },
      "check_ms");
  state.counters["packages"] = kPackages;
  state.counters["installed"] = static_cast<double>(installed);
}

BENCHMARK(BM_InstalledStateOverHashingTheFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return fx::bench::RunOverCorpus(argc, argv, gCorpus);
}
