// From the loopback catalogue to the engine: a package that needs another is installed with
// it (dependency first) from archives the loopback server serves, both then count as
// installed by their catalogue hashes; then, in the main window, Ctrl+M, a search and Enter
// in the content browser start the package's start map with its mod in the engine kit's
// quakespasm through the launch pipeline (its gamecode prints "progs: map=...").

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "content/CatalogueBuilder.h"
#include "content/CatalogueLoader.h"
#include "content/ContentBrowserDlg.h"
#include "content/ContentInstall.h"
#include "content/Dependencies.h"
#include "exes/FXExes.h"
#include "fixtures/EnvOverride.h"
#include "fixtures/FindControl.h"
#include "fixtures/HttpTestServer.h"
#include "fixtures/ModalDialog.h"
#include "fixtures/QuakeEngine.h"
#include "fixtures/ScriptedDialogs.h"
#include "fixtures/WindowSettings.h"
#include "fixtures/ZipBuilder.h"
#include "installer/Hashers.h"
#include "installer/Installer.h"
#include "installer/PackageStore.h"
#include "installer/QtDownloader.h"
#include "launcher/FXLaunchForm.h"
#include "platform/Registry.h"
#include "settings/FXSettings.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx {
namespace {

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ContentEngine, APackageWithADependencyInstallsBothAndItsStartMapStarts) {
  if (const std::string missing = test::EngineMissing(); !missing.empty()) {
    // CI sets this where the engine folder exists, so the test cannot quietly vanish.
    if (std::getenv("FX_REQUIRE_ENGINE") != nullptr) FAIL() << missing;
    GTEST_SKIP() << missing;
  }
  test::TRegistrySandbox sandbox;
  TProgramSettings settings;
  const std::filesystem::path dir = sandbox.Temp();
  // The installer's records and the played list go below the test's folder.
  const test::TEnvOverride data("XDG_DATA_HOME", (dir / "data").string());
  const std::filesystem::path game = dir / "game";
  test::MakeEngineGameFolder(game, {}, true);  // Play starts a single-player game
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
  TPackageStore store(TPackageStore::DefaultFolder());       // where the window's browser looks
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

  // The window: its game folder, an entry that runs the engine, and the loopback catalogue.
  test::UseWindowSettings(game);
  const std::filesystem::path program = dir / "engine.sh", report = dir / "engine.out";
  test::WriteEngineProgram(program, report, std::chrono::seconds(20));
  TQuakeExe exe("Quakespasm");
  exe.ExeType = TExeType::OpenGLQuake;
  exe.ExeName = program.string();
  TRegistry registry;
  SaveExeList(registry, {exe});
  test::TScriptedDialogs dialogs;
  TLaunchFormOptions options;
  options.Dialogs = &dialogs;
  options.PictureLibrary = dir / "no-pictures.rcc";
  options.ContentSources = {
      {{"api", server.Url("/api?rows=200"), TCatalogueFormat::JsonPages, true}}};
  options.ContentCacheFolder = dir / "window-catalogues";
  options.ContentDownloader = [&] { return std::make_unique<TQtDownloader>(dir / "downloads"); };
  TFXLaunchForm form(nullptr, options);
  form.show();
  QApplication::setActiveWindow(&form);

  std::vector<std::string> startMaps;
  test::WhenModal<TContentBrowserDlg>([&](TContentBrowserDlg& browser) {
    for (int i = 0; i < 200 && browser.Proxy().rowCount() < 2; ++i)
      QTest::qWait(50);
    ASSERT_EQ(browser.Proxy().rowCount(), 2);
    auto& search = test::Control<QLineEdit>(browser, "SearchEdit");
    QTest::keyClicks(&search, "mymap");
    ASSERT_EQ(browser.Proxy().rowCount(), 1);
    const auto& combo = test::Control<QComboBox>(browser, "StartMapCombo");
    for (int i = 0; i < combo.count(); ++i)
      startMaps.push_back(combo.itemText(i).toStdString());
    QTest::keyClick(&search, Qt::Key_Return);  // Play
  });
  QTest::keyClick(&form, Qt::Key_M, Qt::ControlModifier);
  ASSERT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front().Text;
  EXPECT_EQ(startMaps, std::vector<std::string>{"mystart"});  // the cube map has no title

  const auto run = test::WaitForEngineReport(report, std::chrono::seconds(35));
  ASSERT_TRUE(run.has_value()) << "the engine did not report";
  EXPECT_EQ(run->Progs.count("map") ? run->Progs.at("map") : "", "mystart") << run->Output;
  EXPECT_EQ(run->LinesWith(" -game basemod +exec Frax.cfg").size(), 1u) << run->Output;
}

}  // namespace
}  // namespace fx
