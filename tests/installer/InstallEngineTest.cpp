// Packages installed into a game folder, then started in a real engine (quakespasm from the
// shared engine kit): a map that the gamecode reports as started was installed where the
// engine looks, in the case it looks for (its file names are case-sensitive).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/FileBuilder.h"
#include "fixtures/QuakeEngine.h"
#include "fixtures/TempDir.h"
#include "installer/Installer.h"
#include "platform/InstallFiles.h"

namespace fx {
namespace {

namespace fs = std::filesystem;

struct TEngineRow {
  const char* What;
  std::string Archive;  // made in the test: "d64.zip" by 7z, "loose.bsp" copied
  std::string Into;
  std::string MapName;
  std::vector<std::string> EngineArgs;
};

bool Shell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

TEST(InstallEngine, TheInstalledMapStartsInTheEngine) {
  if (const std::string missing = test::EngineMissing(); !missing.empty()) {
    if (std::getenv("FX_REQUIRE_ENGINE") != nullptr) FAIL() << missing;
    GTEST_SKIP() << missing;
  }
  const fs::path cube = test::SharedFixture("bsp/ericw-tools/q1_cube.bsp");
  const TEngineRow rows[] = {
      {"a Deflate64 zip with mixed-case folders into id1", "d64.zip", "", "pkgmap", {}},
      {"a loose .bsp into a mod folder", "Loose.bsp", "mymod", "Loose", {"-game", "mymod"}},
  };
  for (const TEngineRow& row : rows) {
    test::TTempDir dir;
    const fs::path game = dir / "game";
    test::MakeEngineGameFolder(game, {}, false);
    fs::create_directories(game / "mymod");
    std::string archive = (dir / row.Archive).string();
    if (row.Archive == "d64.zip") {
      // "Maps/" in the archive: the engine finds only "maps/".
      fs::create_directories(dir / "src" / "Wrapper" / "Maps");
      fs::copy_file(cube, dir / "src" / "Wrapper" / "Maps" / (row.MapName + ".bsp"));
      ASSERT_TRUE(Shell("cd '" + (dir / "src").string() + "' && 7z a -tzip -mm=Deflate64 '" +
                        archive + "' Wrapper >/dev/null"));
    } else {
      fs::copy_file(cube, archive);
    }
    TPackageStore store(dir / "data");
    TInstallRequest request;
    request.Archive = archive;
    request.GameFolder = game.string();
    request.Into = row.Into;
    const auto files = OpenInstallFiles(game);
    const TInstallPlan plan = PlanInstall(request, store, *files);
    ASSERT_TRUE(plan.Installable()) << row.What << ": " << RefusalLine(plan.Refusals.front());
    TNoProgress none;
    ASSERT_EQ(InstallPackage(plan, request, store, *files, none).Phase, TInstallPhase::Done)
        << row.What;

    std::string command = "'" + (test::EngineFolder() / "run-engine.sh").string() + "' -t 20 '" +
                          game.string() + "' -dedicated 4";
    for (const std::string& a : row.EngineArgs)
      command += " " + a;
    command += " +map " + row.MapName + " > '" + (dir / "out.txt").string() + "' 2>&1";
    std::system(command.c_str());
    std::string output = test::ReadFileBytes(dir / "out.txt");
    // The runner picks a free port, which another program on the machine may take first.
    if (output.find("UDP_Listen: Unable to open accept socket") != std::string::npos) {
      std::system(command.c_str());
      output = test::ReadFileBytes(dir / "out.txt");
    }
    const test::TEngineRun run = test::ParseEngineReport(output);
    EXPECT_EQ(run.Progs.count("map") ? run.Progs.at("map") : "", row.MapName) << row.What << "\n"
                                                                              << output;

    const auto manifest = store.Find(plan.Name);
    ASSERT_TRUE(manifest);
    EXPECT_TRUE(UninstallPackage(plan.Name, store, *files).Ok());
    EXPECT_TRUE(fs::is_empty(game / "mymod")) << row.What;
  }
}

}  // namespace
}  // namespace fx
