// Play from the content browser through the main window: the package's switches reach the
// engine through the command-line field, once and in the catalogue's order, the next
// package's play leaves none of the last one's, and the picked start map is the one run.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "content/CatalogueBuilder.h"
#include "content/ContentBrowserDlg.h"
#include "content/ShowLoaded.h"
#include "exes/FXExes.h"
#include "fixtures/BspBuilder.h"
#include "fixtures/EnvOverride.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/FindControl.h"
#include "fixtures/ScriptedDialogs.h"
#include "fixtures/StandInEngine.h"
#include "fixtures/TempDir.h"
#include "fixtures/WindowSettings.h"
#include "installer/PackageStore.h"
#include "installer/QtDownloader.h"
#include "launcher/FXLaunchForm.h"
#include "platform/CommandLine.h"
#include "platform/Registry.h"
#include "settings/FXSettings.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::Control;

class ContentPlay : public ::testing::Test {
 protected:
  ContentPlay() {
    for (const char* folder : {"id1/maps", "base", "addon", "other"})
      fs::create_directories(Game / folder);
    test::UseWindowSettings(Game);
    FXUserSettings().SetShowCmdLine(true);
    test::WriteStandInEngine(Game / "quake.sh", Report);
    TQuakeExe exe("Stand-in");
    exe.ExeName = "quake.sh";
    exe.ExeType = TExeType::WinQuake;
    TRegistry registry;
    SaveExeList(registry, {exe});
    TLaunchFormOptions options;
    options.Dialogs = &Dialogs;
    options.PictureLibrary = Sandbox.Temp() / "no-pictures.rcc";
    Form = std::make_unique<TFXLaunchForm>(nullptr, options);
  }

  // Plays `package` as the dialog hands it back, and what the engine was started with.
  std::optional<test::TEngineReport> Play(const TContentPackage& package,
                                          const std::string& startMap = {}) {
    fs::remove(Report);
    Form->PlayContent({package, BuildPlayPlan(package, {}, {}, 0), startMap});
    EXPECT_EQ(Dialogs.Messages.size(), 0u) << Dialogs.Messages.front().Text;
    return test::WaitForReport(Report);
  }

  test::TRegistrySandbox Sandbox;
  TProgramSettings Settings;
  fs::path Game = Sandbox.Temp() / "quake";
  fs::path Report = Sandbox.Temp() / "report";
  // What a play records goes to the sandbox, not the player's data folder.
  test::TEnvOverride Data{"XDG_DATA_HOME", (Sandbox.Temp() / "data").string()};
  test::TScriptedDialogs Dialogs;
  std::unique_ptr<TFXLaunchForm> Form;
};

TEST_F(ContentPlay, TheSwitchesReachTheEngineOnceInOrderAndTheNextPlayDropsThem) {
  QLineEdit& field = Control<QLineEdit>(*Form, "CmdLineEdit");
  field.setText("-nosound");
  const TContentPackage several{.Id = "several",
                                .CommandLine = "-quoth -game base -game addon",
                                .StartMaps = {"first", "second"}};
  const auto engine = Play(several, "second");
  ASSERT_TRUE(engine.has_value()) << "the stand-in engine did not start";
  EXPECT_EQ(engine->Args, (std::vector<std::string>{"-game", "base", "-nosound", "-quoth", "-game",
                                                    "addon", "+exec", "Frax.cfg"}));
  EXPECT_NE(engine->Script.find("\r\nmap second\r\n"), std::string::npos) << engine->Script;
  // The line under the launch button showed what was started.
  EXPECT_EQ(Control<QLineEdit>(*Form, "edCommandLine").text().toStdString(),
            ShellCommandText(engine->Program, engine->Args));

  // The player adds a switch of their own; the next package keeps it and none of the last's.
  field.setText(field.text() + " -heapsize 65536");
  const auto next = Play({.Id = "one", .CommandLine = "-game other", .StartMaps = {"otherstart"}});
  ASSERT_TRUE(next.has_value()) << "the stand-in engine did not start";
  EXPECT_EQ(next->Args, (std::vector<std::string>{"-game", "other", "-nosound", "-heapsize",
                                                  "65536", "+exec", "Frax.cfg"}));
  EXPECT_NE(next->Script.find("\r\nmap otherstart\r\n"), std::string::npos) << next->Script;
  EXPECT_EQ(field.text().toStdString(), "-nosound -heapsize 65536");
}

// The dialog's start-map row: an installed package's maps with the titles of their files, the
// catalogue's first preselected, Alt+M to the box, and the pick handed back by Play.
TEST(ContentStartMaps, TheInstalledMapsAreListedWithTitlesAndPlayTakesThePick) {
  test::TTempDir dir;
  const fs::path game = dir / "game";
  TPackageManifest jam;
  jam.Name = "jam";
  jam.GameFolder = game.string();
  for (const auto& [path, title] :
       {std::pair<std::string, std::string>{"jam/maps/jam1.bsp", "First Room"},
        {"jam/maps/jam2.bsp", "Second Hall"}}) {
    const std::string map =
        test::TBspBuilder(test::Entity({{"classname", "worldspawn"}, {"message", title}})).Build();
    test::WriteFileBytes(game / path, map);
    jam.Files.push_back({path, map.size(), ""});
  }
  TPackageStore(dir / "packages").Save(jam);
  std::vector<test::TXmlRecord> records(2);
  records[0].Id = "jam";
  records[0].CommandLine = "-game jam";
  records[0].StartMaps = {"Jam2"};  // spelled otherwise than on disk
  records[1].Id = "plain";
  records[1].StartMaps = {"p1", "p2"};
  records[1].Md5 = test::HexOf(1, 32);
  std::ofstream(dir / "db.xml") << test::XmlDatabase(records);
  TQtDownloader downloader(dir / "downloads");  // unused: the catalogue is a local file
  TContentBrowserOptions options;
  options.Downloader = &downloader;
  options.CacheFolder = dir / "cache";
  options.PackageFolder = dir / "packages";
  options.GameFolder = game;
  options.Sources = {{"local", (dir / "db.xml").string(), TCatalogueFormat::XmlDatabase, true}};
  TContentBrowserDlg dialog(options);
  test::ShowLoaded(dialog);
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  auto& search = Control<QLineEdit>(dialog, "SearchEdit");
  auto& combo = Control<QComboBox>(dialog, "StartMapCombo");
  const auto items = [&] {
    std::vector<std::string> texts;
    for (int i = 0; i < combo.count(); ++i)
      texts.push_back(combo.itemText(i).toStdString());
    return texts;
  };

  QTest::keyClicks(&search, "plain");
  ASSERT_EQ(dialog.Proxy().rowCount(), 1);
  EXPECT_EQ(items(), (std::vector<std::string>{"p1", "p2"}));  // not installed: no titles
  QTest::keyClicks(&search, "x");
  ASSERT_EQ(dialog.Proxy().rowCount(), 0);
  EXPECT_EQ(items(), std::vector<std::string>{});  // no package, no start maps
  search.clear();
  QTest::keyClicks(&search, "jam");
  ASSERT_EQ(dialog.Proxy().rowCount(), 1);
  EXPECT_EQ(items(), (std::vector<std::string>{"jam2 - Second Hall", "jam1 - First Room"}));
  EXPECT_EQ(combo.currentIndex(), 0);
  EXPECT_TRUE(Control<QTextBrowser>(dialog, "DetailsText").toPlainText().contains("Jam2, jam1"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_M, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), &combo);
  QTest::keyClick(&combo, Qt::Key_Down);
  Control<QPushButton>(dialog, "PlayBtn").click();
  ASSERT_TRUE(dialog.Chosen());
  EXPECT_EQ(dialog.Chosen()->StartMap, "jam1");
  EXPECT_EQ(dialog.Chosen()->Plan.Patch, "jam");
}

}  // namespace
}  // namespace fx
