// From the loopback catalogue to the engine: a package that needs another is installed with
// it (dependency first) from archives the loopback server serves, both then count as
// installed by their catalogue hashes, and the play plan's start map and mod start in the
// engine kit's quakespasm (its gamecode prints "progs: map=...").

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QEventLoop>
#include <QTimer>

#include <fstream>
#include <sstream>

#include "content/CatalogueBuilder.h"
#include "content/CatalogueLoader.h"
#include "content/ContentInstall.h"
#include "content/Dependencies.h"
#include "content/PlayPlan.h"
#include "fixtures/HttpTestServer.h"
#include "fixtures/QuakeEngine.h"
#include "fixtures/TempDir.h"
#include "fixtures/ZipBuilder.h"
#include "installer/Hashers.h"
#include "installer/Installer.h"
#include "installer/PackageStore.h"
#include "installer/QtDownloader.h"

extern char** environ;

namespace fx {
namespace {

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the engine kit's runner to its end with `args`, its output into `log`.
int RunEngine(const std::vector<std::string>& args, const std::filesystem::path& log) {
  std::vector<std::string> all = {(test::EngineFolder() / "run-engine.sh").string()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&files, 1, 2);
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  if (spawned != 0) return -1;
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ContentEngine, APackageWithADependencyInstallsBothAndItsStartMapStarts) {
  if (const std::string missing = test::EngineMissing(); !missing.empty()) GTEST_SKIP() << missing;
  test::TTempDir dir;
  const std::filesystem::path game = dir / "game";
  test::MakeEngineGameFolder(game, {}, false);
  const std::string bsp =
      ReadAll(std::filesystem::path(FX_SHARED_FIXTURES) / "bsp/ericw-tools/q1_cube.bsp");
  ASSERT_FALSE(bsp.empty());
  // The base: a mod folder with a map of its own. The package: a map made for that mod.
  const std::string baseReadme = "The base mod, made up for this test.\n";
  const auto entry = [](std::string name, std::string data) {
    return test::TZipTestEntry(std::move(name), std::move(data));
  };
  const std::string baseZip = test::BuildZip(
      {entry("basemod/maps/baseroom.bsp", bsp), entry("basemod/readme.txt", baseReadme)});
  const std::string mapZip = test::BuildZip({entry("maps/mystart.bsp", bsp)});
  test::THttpTestServer server;
  server.Route("/files/basemod.zip", {.Body = baseZip});
  server.Route("/files/mymap.zip", {.Body = mapZip});
  const std::string page = test::JsonArray(
      {test::ArchiveRecord("mymap", mapZip, {{"maps/mystart.bsp", bsp}},
                           {"dependency=basemod", "startmap=mystart", "commandline=-game basemod"},
                           "{base}/basemod/", server.Url("/files/mymap.zip")),
       test::ArchiveRecord("basemod", baseZip,
                           {{"basemod/maps/baseroom.bsp", bsp}, {"basemod/readme.txt", baseReadme}},
                           {"type=mod"}, "{base}/", server.Url("/files/basemod.zip"))});
  server.Route("/api?rows=200&start=0", {.Body = page});

  TQtDownloader downloader(dir / "downloads");
  TCatalogueLoader loader(downloader, dir / "catalogues",
                          [] { return std::int64_t{1'800'000'000}; });
  std::optional<std::vector<TCatalogueLoad>> loads;
  QEventLoop loop;
  loader.Load({{"api", server.Url("/api?rows=200"), TCatalogueFormat::JsonPages, true}}, false,
              [&](std::vector<TCatalogueLoad> l) {
                loads = std::move(l);
                loop.quit();
              });
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);
  if (!loads) loop.exec();
  ASSERT_TRUE(loads && loads->at(0).Loaded) << (loads ? loads->at(0).Status : "no answer");
  const std::vector<TContentPackage>& packages = loads->at(0).Catalogue.Packages;
  ASSERT_EQ(packages.size(), 2u);

  const auto files = OpenInstallFiles(game);
  const auto installed = [&](std::size_t i) {
    return CheckInstalled(packages[i], *files) == TInstallState::Installed;
  };
  const TInstallOrder order = PlanInstall(packages, 0, installed);
  ASSERT_TRUE(order.Ok()) << order.Problems.at(0);
  ASSERT_EQ(order.Order, (std::vector<std::size_t>{1, 0}));  // the dependency first
  TPackageStore store(dir / "packages");
  for (const std::size_t i : order.Order) {
    const TContentPackage& p = packages[i];
    TDownloadRequest download;
    download.Urls = p.Urls;
    download.Target = dir / "downloads" / (p.Id + ".zip");
    download.Size = p.Bytes;
    download.Hash = {THashKind::Sha256, p.Sha256};
    const TDownloadResult fetched = DownloadAndWait(downloader, download, {});
    ASSERT_EQ(fetched.Outcome, TDownloadOutcome::Done) << fetched.ErrorText();
    TInstallRequest request;
    request.Archive = fetched.File.string();
    request.GameFolder = game.string();
    request.Target = InstallTargetOf(p);
    request.Name = p.Id;
    request.SourceUrl = fetched.Url;
    const TInstallPlan plan = fx::PlanInstall(request, store, *files);
    ASSERT_TRUE(plan.Installable()) << RefusalLine(plan.Refusals.at(0));
    TNoProgress progress;
    const TInstallOutcome outcome = InstallPackage(plan, request, store, *files, progress);
    ASSERT_EQ(outcome.Phase, TInstallPhase::Done) << p.Id;
  }
  EXPECT_EQ(CheckInstalled(packages[0], *files), TInstallState::Installed);
  EXPECT_EQ(CheckInstalled(packages[1], *files), TInstallState::Installed);

  const TPlayPlan plan =
      BuildPlayPlan(packages[0], {}, {{"QuakeSpasm", TEngineFamily::QuakeSpasm}}, 0);
  ASSERT_EQ(plan.Patch, "basemod");
  ASSERT_EQ(plan.StartMaps.at(0), "mystart");
  const std::filesystem::path log = dir / "engine.log";
  RunEngine({"-t", "20", game.string(), "-dedicated", "1", "-game", plan.Patch, "+map",
             plan.StartMaps[0]},
            log);
  const test::TEngineRun run = test::ParseEngineReport(ReadAll(log));
  EXPECT_EQ(run.Progs.count("map") ? run.Progs.at("map") : "", "mystart") << run.Output;
}

}  // namespace
}  // namespace fx
