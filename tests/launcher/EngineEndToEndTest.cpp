// A stored configuration, loaded by the main window as the program starts and launched with
// its button, into a real Quake engine: what the engine reports is what the player gets.
// One row per launch; the engine ends itself once the map has started.

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QToolButton>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "exes/FXExes.h"
#include "fixtures/Fifo.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/FindControl.h"
#include "fixtures/QuakeEngine.h"
#include "fixtures/ScriptedDialogs.h"
#include "launcher/Configurations.h"
#include "launcher/FXLaunchForm.h"
#include "launcher/LaunchConfig.h"
#include "platform/Registry.h"
#include "plugins/GameTypes.h"
#include "settings/FXSettings.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kEngineLimit = 20s;                // the runner ends the engine after this
constexpr auto kReportWait = kEngineLimit + 15s;  // and the report is there soon after
constexpr const char* kExeCaption = "Quakespasm";
constexpr int kMaxPlayers = 6;

// One launch: what the configuration stores, and what the engine must report.
struct TEngineCase {
  const char* Name;  // the test's and the configuration's name
  TGameType GameType;
  std::vector<std::pair<std::string, std::int32_t>> Options = {};  // the game type's values
  int PlayMode = kPlayDedicated;                                   // cbQuakeMode
  std::string Map = {};                                            // the map box's text
  std::string Patch = "(None)";
  int PlayModeRule = 1;  // MultiPlayModeComboBox
  int Teamplay = 0;      // TeamplayComboBox
  // Expected: the map the gamecode saw start, its "deathmatch", and variables by name.
  std::string StartedMap = {};
  std::string Deathmatch = {};
  std::vector<std::pair<std::string, std::string>> Variables = {};
  // The mod's folder on disk when it is spelled otherwise than the patch; the map then lies
  // there only, so it starts only when the engine loads that folder.
  std::string ModFolder = {};
  // The game folder cannot be written by the player, and the engine's build reads:
  enum class TBuild {
    UserFolder,  // its per-user folder: Debian's quakespasm itself, its output taken by a wrapper
    BaseFolderOnly,  // what it cannot be told to read more: a script in front of the engine
  };
  bool ReadOnlyGame = false;
  TBuild Build = TBuild::UserFolder;
  // The mod lies in the engine's per-user folder only, with the map.
  bool ModInUserFolder = false;
  // A FIFO at this path below the game folder, where the launch writes a script: the
  // launch refuses at once with a message holding `Refused`, and nothing is started.
  std::string Fifo = {};
  std::string Refused = {};
};

// Failures name the row, not its bytes.
void PrintTo(const TEngineCase& row, std::ostream* out) {
  *out << row.Name;
}

const std::vector<TEngineCase>& EngineCases() {
  static const std::vector<TEngineCase> cases{
      {.Name = "StandardDedicatedDeathmatch",
       .GameType = TGameType::Standard,
       .PlayMode = kPlayDedicated,
       .Map = "E1M1: The Slipgate Complex",
       .PlayModeRule = 2,
       .Teamplay = 1,
       .StartedMap = "e1m1",
       .Deathmatch = "2",
       .Variables = {{"teamplay", "1"}, {"deathmatch", "2"}}},
      {.Name = "ThreewaveCTFListenServer",
       .GameType = TGameType::ThreewaveCTF,
       .Options = {{"CtfTeamplay", 2024}},
       .PlayMode = kPlayListen,
       .Map = "CTF1: McKinley Base",
       .Patch = "CTF",
       .PlayModeRule = 2,
       .StartedMap = "ctf1",
       .Deathmatch = "3",
       .Variables = {{"teamplay", "2024"}, {"deathmatch", "3"}}},
      // No stored rules: the bot game's default, with total freedom.
      {.Name = "CTFBotsDedicatedDefaultRules",
       .GameType = TGameType::CTFBots,
       .PlayMode = kPlayDedicated,
       .Map = "CTF2M8: Capturephobolis",
       .Patch = "CTF",
       .PlayModeRule = 0,
       .StartedMap = "ctf2m8",
       .Deathmatch = "1",
       .Variables = {{"teamplay", "4072"}, {"deathmatch", "1"}}},
      // The general rules as stored; the team rules plus the teamplay bit of "Teamplay".
      {.Name = "TeamFortressDedicated",
       .GameType = TGameType::TeamFortress,
       .Options = {{"TFTemp1", 1536}, {"TFTeam", 12}},
       .PlayMode = kPlayDedicated,
       .Map = "E1M2: Castle of the Damned",
       .Patch = "TEAMF",
       .PlayModeRule = 1,
       .Teamplay = 1,
       .StartedMap = "e1m2",
       .Deathmatch = "1",
       .Variables = {{"temp1", "1536"}, {"teamplay", "13"}, {"deathmatch", "1"}}},
      {.Name = "HeadHuntersListen",
       .GameType = TGameType::HeadHunters,
       .Options = {{"HHDeathmatch", 7169}},
       .PlayMode = kPlayListen,
       .Map = "HH1B: Shadows Of Sin",
       .Patch = "HH",
       .PlayModeRule = 1,
       .StartedMap = "hh1b",
       .Deathmatch = "2",
       .Variables = {{"temp1", "7169"}, {"deathmatch", "2"}, {"teamplay", "0"}}},
      // The map box as the map browser fills it; the file on disk has capitals.
      {.Name = "MapFileWithCapitals",
       .GameType = TGameType::Standard,
       .PlayMode = kPlayDedicated,
       .Map = "DM_ARENA",
       .StartedMap = "DM_Arena",
       .Deathmatch = "1",
       .Variables = {{"deathmatch", "1"}}},
      {.Name = "ModInALowerCaseFolderChosenAsCTF",
       .GameType = TGameType::ThreewaveCTF,
       .Options = {{"CtfTeamplay", 2024}},
       .PlayMode = kPlayDedicated,
       .Map = "CTF1: McKinley Base",
       .Patch = "CTF",
       .PlayModeRule = 0,
       .StartedMap = "ctf1",
       .Deathmatch = "1",
       .Variables = {{"teamplay", "2024"}},
       .ModFolder = "ctf"},
      // A system-wide data package: the scripts go to the engine's per-user folder.
      {.Name = "ReadOnlyGameFolder",
       .GameType = TGameType::Standard,
       .PlayMode = kPlayDedicated,
       .Map = "E1M1: The Slipgate Complex",
       .StartedMap = "e1m1",
       .Deathmatch = "1",
       .Variables = {{"deathmatch", "1"}},
       .ReadOnlyGame = true},
      // A build that reads its base folder only: the scripts go to a base folder of the
      // program's own beside links to the game, handed to it with -basedir.
      {.Name = "ReadOnlyGameFolderWithoutUserFolder",
       .GameType = TGameType::Standard,
       .PlayMode = kPlayDedicated,
       .Map = "E1M1: The Slipgate Complex",
       .StartedMap = "e1m1",
       .Deathmatch = "1",
       .Variables = {{"deathmatch", "1"}},
       .ReadOnlyGame = true,
       .Build = TEngineCase::TBuild::BaseFolderOnly},
      // A mod installed where a player of a system-wide game folder puts it.
      {.Name = "ReadOnlyGameFolderModInUserFolder",
       .GameType = TGameType::ThreewaveCTF,
       .Options = {{"CtfTeamplay", 2024}},
       .PlayMode = kPlayDedicated,
       .Map = "CTF1: McKinley Base",
       .Patch = "CTF",
       .PlayModeRule = 0,
       .StartedMap = "ctf1",
       .Deathmatch = "1",
       .Variables = {{"teamplay", "2024"}},
       .ModFolder = "ctf",
       .ReadOnlyGame = true,
       .ModInUserFolder = true},
      // One script line carries both commands.
      {.Name = "VarimixDedicated",
       .GameType = TGameType::Varimix,
       .Options = {{"VarimixCfg", 2114}},
       .PlayMode = kPlayDedicated,
       .Map = "DM3: The Abandoned Base",
       .Patch = "VARIMIX",
       .PlayModeRule = 2,
       .StartedMap = "dm3",
       .Deathmatch = "3",
       .Variables = {{"temp1", "2114"}, {"deathmatch", "3"}}},
      // The engine itself would wait on it in its "exec", so the launch must not start it.
      {.Name = "FifoScriptInId1",
       .GameType = TGameType::Standard,
       .PlayMode = kPlayDedicated,
       .Map = "E1M1: The Slipgate Complex",
       .StartedMap = "e1m1",
       .Fifo = "id1/fx_maps.cfg",
       .Refused = "fx_maps.cfg\": it is not a regular file"},
  };
  return cases;
}

class EngineEndToEnd : public ::testing::TestWithParam<TEngineCase> {
 protected:
  void SetUp() override {
    if (const std::string missing = test::EngineMissing(); !missing.empty()) {
      // CI sets this where the engine folder exists, so the test cannot quietly vanish.
      if (std::getenv("FX_REQUIRE_ENGINE") != nullptr) FAIL() << missing;
      GTEST_SKIP() << missing;
    }
  }

  void PrepareGame(const TEngineCase& row) {
    test::MakeEngineGameFolder(
        Game, {{row.StartedMap, test::SharedFixture("bsp/ericw-tools/q1_cube.bsp")}},
        row.PlayMode != kPlayDedicated);
    const fs::path modRoot = row.ModInUserFolder ? Home() / ".quakespasm" : Game;
    if (row.Patch != "(None)" && !row.ModInUserFolder) fs::create_directories(Game / GameDir(row));
    if (!row.ModFolder.empty()) {
      const std::string map = row.StartedMap + ".bsp";
      fs::create_directories(modRoot / row.ModFolder / "maps");
      fs::rename(Game / "id1" / "maps" / map, modRoot / row.ModFolder / "maps" / map);
    }
    TQuakeExe exe(kExeCaption);
    exe.ExeType = TExeType::OpenGLQuake;
    if (!row.ReadOnlyGame) {
      test::WriteEngineProgram(Program, Report, kEngineLimit);
      exe.ExeName = Program.string();
    } else if (row.Build == TEngineCase::TBuild::UserFolder) {
      // The launch reads the engine's own file; the wrapper in front only takes its output.
      test::WriteEngineWrapper(Program, Report, kEngineLimit);
      exe.ExeName = "/usr/games/quakespasm";
      exe.RunThrough = Program.string();
    } else {
      // Known by its program's name, a script whose build cannot be told.
      Program = Sandbox.Temp() / "bin" / "quakespasm";
      fs::create_directories(Program.parent_path());
      test::WriteDirectEngineProgram(Program, Report, kEngineLimit);
      exe.ExeName = Program.string();
    }
    TRegistry registry;
    SaveExeList(registry, {exe});
  }

  fs::path Home() const { return Sandbox.Temp() / "home"; }
  // The base folder of the program's own, below the home's XDG data folder.
  fs::path OwnBase() const { return Home() / ".local" / "share" / "fraxinel" / "engine-base"; }

  // The configuration as the window saves one: its values, then the game type's own.
  static void StoreConfiguration(const TEngineCase& row) {
    TLaunchConfig config;
    config.Gametype = std::string(GameTypeName(row.GameType));
    config.Skill = 1;
    config.Playmode = row.PlayModeRule;
    config.Teamplay = row.Teamplay;
    config.NewExe = kExeCaption;
    config.Map = row.Map;
    config.Patch = row.Patch;
    // Bare variable names make the engine print their values once the script set them.
    for (const auto& [name, value] : row.Variables)
      config.AddParms.push_back(name);
    config.QuakeMode = row.PlayMode;
    config.MaxPlayers = kMaxPlayers;
    config.Hostname = "Engine Test";
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(std::string(kConfigsKey) + "\\" + row.Name, true));
    WriteLaunchConfig(registry, config);
    for (const auto& [name, value] : row.Options)
      registry.WriteInteger(name, value);
    registry.CloseKey();
  }

  std::unique_ptr<TFXLaunchForm> OpenWindow(const TEngineCase& row) {
    FXSettings().SetQPath(Game.string());
    FXSettings().SetPatchPath(Game.string());
    FXSettings().SetCloseOnExec(false);
    FXUserSettings().SetLastConfig(row.Name);
    FXUserSettings().SetAnimateMainWindowIcon(false);
    FXUserSettings().SetInGameCmds(true);
    FXUserSettings().SetAddParms({});
    TLaunchFormOptions options;
    options.Dialogs = &Dialogs;
    options.PictureLibrary = Sandbox.Temp() / "no-pictures.rcc";
    return std::make_unique<TFXLaunchForm>(nullptr, options);
  }

  static std::string GameDir(const TEngineCase& row) {
    return row.ModFolder.empty() ? row.Patch : row.ModFolder;
  }

  // The player's own home, which the engine takes from $HOME when the account has no entry
  // in the password database; the game folder without write permission.
  void MakeReadOnly() {
    if (::geteuid() == 0)
      GTEST_SKIP() << "root writes read-only folders; .ci/run runs this as a user";
    if (::getpwuid(::getuid()) != nullptr)
      GTEST_SKIP() << "the engine would use this account's real home; .ci/run runs this as a "
                      "user without a password entry";
    const char* home = std::getenv("HOME");
    OldHome = home != nullptr ? std::optional<std::string>(home) : std::nullopt;
    const char* data = std::getenv("XDG_DATA_HOME");
    OldData = data != nullptr ? std::optional<std::string>(data) : std::nullopt;
    ::setenv("HOME", Home().c_str(), 1);
    ::unsetenv("XDG_DATA_HOME");
    // As a system-wide package installs it: readable for all, writable for nobody but root.
    // The folders below first, while their parents can still be entered.
    constexpr auto kReadOnly = fs::perms::owner_read | fs::perms::owner_exec |
                               fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec;
    for (const fs::path& folder : {Game / "id1" / "maps", Game / "id1", Game})
      fs::permissions(folder, kReadOnly, fs::perm_options::replace);
  }

  void TearDown() override {
    std::error_code ignored;
    for (const fs::path& folder : {Game, Game / "id1", Game / "id1" / "maps"})
      fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
    if (OldHome) ::setenv("HOME", OldHome->c_str(), 1);
    if (OldData) ::setenv("XDG_DATA_HOME", OldData->c_str(), 1);
  }

  std::optional<std::string> OldHome;
  std::optional<std::string> OldData;
  test::TRegistrySandbox Sandbox;
  TProgramSettings Settings;
  fs::path Game = Sandbox.Temp() / "quake";
  fs::path Program = Sandbox.Temp() / "engine.sh";
  fs::path Report = Sandbox.Temp() / "engine.out";
  test::TScriptedDialogs Dialogs;
};

TEST_P(EngineEndToEnd, TheEngineRunsTheStoredRules) {
  const TEngineCase& row = GetParam();
  PrepareGame(row);
  if (row.ReadOnlyGame) MakeReadOnly();
  if (IsSkipped()) return;
  StoreConfiguration(row);
  auto form = OpenWindow(row);
  ASSERT_EQ(form->Configurations().LastChosen(), row.Name);

  if (!row.Fifo.empty()) {
    const test::TFifo fifo(Game / row.Fifo);
    Dialogs.MessageAnswers = {TMsgResult::Ok};
    const auto took =
        test::TimeOf([&] { test::Control<QToolButton>(*form, "StartQuakeBtn").click(); });
    EXPECT_LT(took, 2s) << "the launch waited on the FIFO";  // it releases itself after 3 s
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_NE(Dialogs.Messages[0].Text.find(row.Refused), std::string::npos)
        << Dialogs.Messages[0].Text;
    EXPECT_FALSE(test::WaitForEngineReport(Report, 1s).has_value()) << "the engine started";
    EXPECT_TRUE(fifo.StillThere());
    return;
  }
  test::Control<QToolButton>(*form, "StartQuakeBtn").click();
  ASSERT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front().Text;
  const auto run = test::WaitForEngineReport(Report, kReportWait);

  ASSERT_TRUE(run.has_value()) << "the engine did not report within " << kReportWait.count()
                               << " s";
  // A windowed game now and then hangs in its shutdown under Xvfb, after it ran the script
  // and started the map; the time limit ends it then, which says nothing about the launch.
  const bool hungOnQuit =
      row.PlayMode != kPlayDedicated && run->ExitCode == 124 && !run->Progs.empty();
  EXPECT_TRUE(run->ExitCode == 0 || hungOnQuit) << "exit " << run->ExitCode << "\n" << run->Output;
  // The engine received the launch's command line, split as the shell port splits it.
  const bool ownBase = row.Build == TEngineCase::TBuild::BaseFolderOnly;
  const std::string switches =
      (ownBase ? "-basedir " + OwnBase().string() + " " : std::string()) +
      std::string(row.PlayMode == kPlayDedicated ? "-dedicated " : "-listen ") +
      std::to_string(kMaxPlayers) + (row.Patch == "(None)" ? "" : " -game " + GameDir(row)) +
      " +exec Frax.cfg ";
  EXPECT_EQ(run->LinesWith("Command line: /usr/games/quakespasm " + switches).size(), 1u)
      << switches << "\n"
      << run->Output;
  EXPECT_EQ(run->Progs.count("map") ? run->Progs.at("map") : "", row.StartedMap) << run->Output;
  EXPECT_EQ(run->Progs.count("deathmatch") ? run->Progs.at("deathmatch") : "", row.Deathmatch);
  for (const auto& [name, value] : row.Variables)
    EXPECT_EQ(run->Variable(name).value_or("(not printed)"), value) << name;
  // Every line of the script is a command this engine knows.
  EXPECT_EQ(run->LinesWith("Unknown command"), std::vector<std::string>{}) << run->Output;
  if (row.ReadOnlyGame) {
    // Where the engine found the script, and nowhere else.
    EXPECT_EQ(fs::exists(Home() / ".quakespasm" / "id1" / "Frax.cfg"), !ownBase);
    EXPECT_EQ(fs::exists(OwnBase() / "id1" / "Frax.cfg"), ownBase);
    EXPECT_FALSE(fs::exists(Game / "id1" / "Frax.cfg"));
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, EngineEndToEnd, ::testing::ValuesIn(EngineCases()),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace fx
