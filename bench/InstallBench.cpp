// The package installer against floors measured in the same run (prints figures, asserts
// nothing):
//   1. a 50 MB Deflate zip of 1,000 files planned and installed (hashing included) against
//      `unzip -q` of the same archive to a scratch folder on the same disk;
//   2. Deflate64 inflate of 50 MB (made by 7z) against zlib's inflate of the same data
//      compressed as Deflate;
//   3. planning a 3,000-entry archive (real packages reach 3,368 files).
//
//   fx_bench_install [runs]        (the best of `runs`, default 3)

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "installer/Inflate64.h"
#include "installer/Installer.h"
#include "platform/InstallFiles.h"
#include "tests/fixtures/ZipBuilder.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Best(int runs, const std::function<void()>& prepare, const std::function<void()>& work) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    prepare();
    const auto start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

void Write(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Report(const char* what, double ours, const char* floorName, double floor, double goal) {
  std::printf("%-44s %9.1f ms   %-22s %9.1f ms   ratio %.2f (goal <= %.1f)\n", what, ours,
              floorName, floor, ours / floor, goal);
}

// The raw data of the first entry of a zip (its local header read as APPNOTE 4.3.7 says).
std::string FirstEntryData(const std::string& zip) {
  auto le = [&](std::size_t at, int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i)
      v |= static_cast<std::uint64_t>(static_cast<unsigned char>(zip[at + i])) << (8 * i);
    return v;
  };
  const std::size_t data = 30 + le(26, 2) + le(28, 2);
  return zip.substr(data, le(18, 4));
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const fs::path scratch =
      fs::temp_directory_path() / ("fx_bench_install." + std::to_string(::getpid()));
  fs::create_directories(scratch);

  // 1. Install against unzip.
  std::vector<fx::test::TZipTestEntry> entries;
  for (int i = 0; i < 1000; ++i)
    entries.emplace_back("bench/maps/m" + std::to_string(i) + ".bsp",
                         fx::test::SampleBytes(50000, i));
  entries.emplace_back("bench/progs.dat", "progs");
  const fs::path zip = scratch / "bench.zip";
  Write(zip, fx::test::BuildZip(entries));
  const fs::path game = scratch / "game", unzipped = scratch / "unzipped";
  fx::TPackageStore store(scratch / "data");
  const double ours = Best(
      runs,
      [&] { fs::remove_all(game), fs::remove_all(scratch / "data"), fs::create_directories(game); },
      [&] {
        fx::TInstallRequest request;
        request.Archive = zip.string();
        request.GameFolder = game.string();
        const auto files = fx::OpenInstallFiles(game);
        const fx::TInstallPlan plan = fx::PlanInstall(request, store, *files);
        fx::TNoProgress none;
        if (fx::InstallPackage(plan, request, store, *files, none).Phase != fx::TInstallPhase::Done)
          std::fprintf(stderr, "the install failed\n");
      });
  const double unzip = Best(
      runs, [&] { fs::remove_all(unzipped), fs::create_directories(unzipped); },
      [&] {
        const std::string command =
            "unzip -q '" + zip.string() + "' -d '" + unzipped.string() + "'";
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "unzip failed\n");
      });
  Report("plan + install, 1,000 files, 50 MB (Deflate)", ours, "unzip -q", unzip, 1.3);
  // The install flushes its files to the disk before and after its commit (syncfs); unzip
  // does not. The same unzip followed by one flush is the like-for-like floor.
  const double unzipSynced = Best(
      runs, [&] { fs::remove_all(unzipped), fs::create_directories(unzipped); },
      [&] {
        const std::string command = "unzip -q '" + zip.string() + "' -d '" + unzipped.string() +
                                    "' && sync -f '" + unzipped.string() + "'";
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "unzip failed\n");
      });
  Report("plan + install, 1,000 files, 50 MB (Deflate)", ours, "unzip -q; sync -f", unzipSynced,
         1.3);

  // 2. Deflate64 against zlib.
  const std::string data = fx::test::SampleBytes(50'000'000, 77);
  Write(scratch / "big.dat", data);
  const std::string command =
      "cd '" + scratch.string() + "' && 7z a -tzip -mm=Deflate64 d64.zip big.dat >/dev/null";
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "7z failed\n");
  const std::string d64 = FirstEntryData(Read(scratch / "d64.zip"));
  const std::string deflated = fx::test::RawDeflate(data);
  std::uint64_t produced = 0;
  const double inflate64 = Best(
      runs, [&] { produced = 0; },
      [&] {
        fx::TInflater inflater(true, data.size(),
                               [&](std::string_view piece) { produced += piece.size(); });
        for (std::size_t at = 0; at < d64.size(); at += 1 << 16)
          inflater.Feed(std::string_view(d64).substr(at, 1 << 16));
      });
  if (produced != data.size())
    std::fprintf(stderr, "Deflate64 gave %llu bytes\n", static_cast<unsigned long long>(produced));
  std::string out(1 << 16, '\0');
  const double zlib = Best(
      runs, [] {},
      [&] {
        z_stream z{};
        inflateInit2(&z, -15);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
        z.avail_in = static_cast<uInt>(deflated.size());
        int rc = Z_OK;
        while (rc == Z_OK) {
          z.next_out = reinterpret_cast<Bytef*>(out.data());
          z.avail_out = static_cast<uInt>(out.size());
          rc = inflate(&z, Z_NO_FLUSH);
        }
        inflateEnd(&z);
      });
  Report("Deflate64 inflate, 50 MB", inflate64, "zlib inflate (Deflate)", zlib, 2.5);

  // 3. Planning 3,000 entries.
  entries.clear();
  for (int i = 0; i < 3000; ++i)
    entries.emplace_back("pack/maps/Map" + std::to_string(i) + ".bsp", "x", 0);
  entries.emplace_back("pack/progs.dat", "x", 0);
  const fs::path many = scratch / "many.zip";
  Write(many, fx::test::BuildZip(entries));
  fs::remove_all(game);
  fs::create_directories(game);
  const double plan = Best(
      runs, [] {},
      [&] {
        fx::TInstallRequest request;
        request.Archive = many.string();
        request.GameFolder = game.string();
        const auto files = fx::OpenInstallFiles(game);
        if (fx::PlanInstall(request, store, *files).Files.size() != 3001)
          std::fprintf(stderr, "bad plan\n");
      });
  std::printf("%-44s %9.1f ms   (goal <= 20 ms)\n", "plan, 3,000 entries", plan);
  fs::remove_all(scratch);
  return 0;
}
