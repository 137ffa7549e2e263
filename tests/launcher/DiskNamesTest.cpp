// Names the engine gets as they lie on disk, and where the scripts go when the game folder
// cannot be written.

#include "launcher/DiskNames.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/PakBuilder.h"
#include "launcher/ScriptPlace.h"
#include "tests/launcher/LaunchRig.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

// Permission bits do not hold for root: those cases run as an ordinary user only.
bool PermissionsHold() {
  return ::geteuid() != 0;
}

class DiskNamesTest : public ::testing::Test {
 protected:
  test::TTempDir Temp;
  fs::path Game = Temp / "quake";
  fs::path User = Temp / "user";
};

TEST_F(DiskNamesTest, MapAndDemoNamesAreSpelledAsTheSearchPathHoldsThem) {
  WriteFileBytes(Game / "id1" / "maps" / "DM_Arena.bsp", "x");
  WriteFileBytes(Game / "id1" / "pak0.pak",
                 test::TPakBuilder().Add("maps/e1m1.bsp", "x").Add("Demo1.dem", "d").Build());
  WriteFileBytes(Game / "ctf" / "PAK0.PAK", test::TPakBuilder().Add("maps/CTF1.bsp", "x").Build());
  WriteFileBytes(Game / "ctf" / "maps" / "ctf1.bsp", "x");
  WriteFileBytes(User / "id1" / "MyDemo.dem", "d");
  WriteFileBytes(Game / "id1" / "MYDEMO.dem", "d");
  const auto folders = EngineSearchFolders(Game, User, EngineGameDirs("ctf", ""));
  struct TCase {
    TScriptNames Window;
    TScriptNames Disk;
  };
  for (const TCase& c : {
           TCase{{"dm_arena", "", ""}, {"DM_Arena", "", ""}},  // a loose map
           TCase{{"E1M1", "", ""}, {"e1m1", "", ""}},          // an archive's entry
           TCase{{"ctf1", "", ""}, {"ctf1", "", ""}},          // exact beats the archive
           TCase{{"CTF1", "", ""}, {"CTF1", "", ""}},          // exact in the archive
           TCase{{"e2m9", "mydemo", "DEMO1"}, {"e2m9", "MyDemo", "Demo1"}},  // user folder first
       }) {
    const TScriptNames disk = DiskScriptNames(c.Window, folders);
    EXPECT_EQ(disk.Map, c.Disk.Map) << c.Window.Map;
    EXPECT_EQ(disk.DemoRecord, c.Disk.DemoRecord) << c.Window.DemoRecord;
    EXPECT_EQ(disk.DemoPlay, c.Disk.DemoPlay) << c.Window.DemoPlay;
  }
  // More -game in the player's parameters: the last searched first, then the mod's, the
  // mission pack and id1.
  EXPECT_EQ(EngineGameDirs("base", "-quoth -game addon +map x -game extra -game Base"),
            (std::vector<std::string>{"extra", "addon", "base", "quoth", "id1"}));
  WriteFileBytes(Game / "addon" / "maps" / "AddStart.bsp", "x");
  EXPECT_EQ(DiskScriptNames({"addstart", "", ""},
                            EngineSearchFolders(Game, User, EngineGameDirs("ctf", "-game addon")))
                .Map,
            "AddStart");
}

TEST_F(DiskNamesTest, GameTakesTheModFolderNameOnlyWhenItLiesInTheGameFolder) {
  fs::create_directories(Game / "ctf");
  fs::create_directories(Game / "fortress");
  fs::create_directories(Game / "patches" / "HH");
  struct TCase {
    const char* Patch;
    const char* GameDir;
    bool Direct;
  };
  for (const TCase& c : {TCase{"CTF", "ctf", true}, TCase{"TEAMF", "fortress", true},
                         TCase{"VARIMIX", "VARIMIX", true}, TCase{"ctf\\", "ctf", true},
                         TCase{"patches\\HH", "HH", false}, TCase{"..\\ctf", "ctf", false},
                         TCase{"/elsewhere/ctf", "ctf", false}}) {
    EXPECT_EQ(GameDirName(Game, c.Patch), c.GameDir) << c.Patch;
    EXPECT_EQ(ModLiesInGameFolder(Game, c.Patch), c.Direct) << c.Patch;
  }
  // A patch folder setting that is a link to the game folder names its mods all the same.
  fs::create_directory_symlink(Game, Temp / "link");
  EXPECT_TRUE(ModLiesInGameFolder(Game, (Temp / "link" / "ctf").string()));
  EXPECT_TRUE(ModLiesInGameFolder(Temp / "link", (Game / "ctf").string()));
  EXPECT_FALSE(ModLiesInGameFolder(Temp / "link", (Game / "patches" / "HH").string()));
}

TEST_F(DiskNamesTest, ScriptsGoToTheUserFolderOnlyWhenTheGameFolderCannotBeWritten) {
  WriteFileBytes(Game / "id1" / "frax.cfg", "old");
  const auto dirs = EngineGameDirs("", "");
  TScriptPlace place = PlanScriptPlace(Game, "Frax.cfg", User, dirs);
  EXPECT_EQ(place.Folder, Game / "id1");
  EXPECT_EQ(place.MainScript, "frax.cfg") << "the file id1 holds, as it is spelled";
  EXPECT_FALSE(place.InUserFolder);
  if (!PermissionsHold()) GTEST_SKIP() << "root writes read-only folders";
  fs::permissions(Game / "id1", fs::perms::owner_write, fs::perm_options::remove);
  place = PlanScriptPlace(Game, "Frax.cfg", User, dirs);
  EXPECT_EQ(place.Folder, User / "id1");
  EXPECT_EQ(place.MainScript, "Frax.cfg");
  EXPECT_TRUE(place.InUserFolder);
  WritePlacedScript(place, "Frax.cfg", {"map e1m1"});
  EXPECT_EQ(ReadFileBytes(User / "id1" / "Frax.cfg"), "map e1m1\r\n");
  try {
    PlanScriptPlace(Game, "Frax.cfg", "", dirs);
    ADD_FAILURE() << "no error without a user folder";
  } catch (const EScriptWriteError& e) {
    EXPECT_NE(std::string(e.what()).find("\"" + (Game / "id1").string() + "\""), std::string::npos)
        << e.what();
  }
  fs::permissions(Game / "id1", fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(DiskNamesTest, AStaleCopyTheEngineSearchesFirstIsReplacedAForeignOneReported) {
  fs::create_directories(Game / "id1");
  WriteFileBytes(User / "id1" / "Frax.cfg", "// created by Fraxinel\r\nmap old\r\n");
  const TScriptPlace place = PlanScriptPlace(Game, "Frax.cfg", User, EngineGameDirs("ctf", ""));
  WriteFileBytes(User / "id1" / "fx_svinf.cfg", "echo \"\x02You are in Client mode\"\r\n");
  WritePlacedScript(place, "Frax.cfg", {"// created by Fraxinel", "map new"});
  WritePlacedScript(place, "fx_svinf.cfg", {"timelimit"});
  for (const char* name : {"Frax.cfg", "fx_svinf.cfg"})
    EXPECT_EQ(ReadFileBytes(User / "id1" / name), ReadFileBytes(Game / "id1" / name)) << name;
  // The engine opens "Frax.cfg" only: "FRAX.CFG" is neither in the way nor replaced.
  WriteFileBytes(User / "ctf" / "FRAX.CFG", "// created by Fraxinel\r\nbind x quit\r\n");
  EXPECT_NO_THROW(WritePlacedScript(place, "Frax.cfg", {"map newer"}));
  EXPECT_EQ(ReadFileBytes(User / "ctf" / "FRAX.CFG"), "// created by Fraxinel\r\nbind x quit\r\n");
  WriteFileBytes(User / "ctf" / "Frax.cfg", "bind x quit\r\n");
  EXPECT_THROW(WritePlacedScript(place, "Frax.cfg", {"map newest"}), EScriptWriteError);
  EXPECT_EQ(ReadFileBytes(User / "ctf" / "Frax.cfg"), "bind x quit\r\n");
}

// The whole launch: names in the script and on the command line, and the refused mod path.
TEST(DiskNamesLaunch, TheScriptAndCommandLineNameWhatTheDiskHolds) {
  test::TLaunchRig rig;
  rig.Plugin->Lines = {"teamplay 1"};
  WriteFileBytes(rig.Id1("maps/DM_Arena.bsp"), test::MapWithTitle("Arena"));
  WriteFileBytes(rig.Id1("frax.cfg"), "");
  WriteFileBytes(rig.Id1("DEMO.CFG"), "");
  fs::create_directories(rig.Game / "ctf");
  TLaunchInput input;
  input.MapText = "DM_ARENA: Arena";
  input.Patch = "CTF";
  EXPECT_EQ(rig.Launch(input).CommandLine, " -game ctf   +exec frax.cfg");
  const std::string script = ReadFileBytes(rig.Id1("frax.cfg"));
  EXPECT_NE(script.find("\r\nmap DM_Arena\r\n"), std::string::npos) << script;
  EXPECT_FALSE(fs::exists(rig.Id1("Frax.cfg")));

  input.PlayMode = kPlayDemo;
  input.DemoPlay = "demo1";
  rig.Launch(input);
  EXPECT_NE(ReadFileBytes(rig.Id1("frax.cfg")).find("\r\nexec DEMO.CFG\r\n"), std::string::npos);

  rig.Machine.SetPatchPath((rig.Game / "patches").string());
  fs::create_directories(rig.Game / "patches" / "CTF");
  fs::remove(rig.Id1("frax.cfg"));
  input.Patch = "patches\\CTF";
  rig.Dialogs.MessageAnswers = {TMsgResult::Ok};
  EXPECT_FALSE(rig.Launch(input).ScriptWritten);
  ASSERT_EQ(rig.Dialogs.Messages.size(), 1u);
  EXPECT_EQ(rig.Dialogs.Messages[0].Text.rfind(
                "The engine can only load mods that lie directly in the game folder.", 0),
            0u);
  EXPECT_FALSE(fs::exists(rig.Id1("frax.cfg")));
}

}  // namespace
}  // namespace fx
