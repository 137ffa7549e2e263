// The complete bytes of the three scripts and the command line, per play mode and for the
// cases where a small slip would change what the game runs.

#include <gtest/gtest.h>

#include <filesystem>

#include "fixtures/PakBuilder.h"
#include "launcher/LaunchPipeline.h"
#include "tests/launcher/LaunchRig.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::Crlf;
using test::Drawn;
using test::Equals;
using test::kBannerText;
using test::kHeader1;
using test::kHeader3;
using test::MapWithTitle;
using test::ReadFileBytes;
using test::TLaunchRig;
using test::WriteFileBytes;

class LaunchGolden : public ::testing::Test {
 protected:
  TLaunchRig FRig;
  TLaunchInput FInput;

  void SetUp() override { FInput.AutoAim = true; }
};

TEST_F(LaunchGolden, DedicatedServerWritesAllThreeScriptsWithEqualsRules) {
  FRig.User.SetInGameCmds(true);
  WriteFileBytes(FRig.Id1("maps/e1m1.bsp"), MapWithTitle("the Slipgate Complex"));
  FInput.PlayMode = kPlayDedicated;
  FInput.Hostname = "Frag Fest";
  FInput.Skill = 2;
  FInput.MapText = "E1M1: the Slipgate Complex";
  FInput.PlayModeRule = 1;
  FInput.PlayModeRuleText = "Deathmatch";
  FInput.Teamplay = 2;
  FInput.TeamplayText = "Teamplay, friendly fire";
  FInput.ClientExit = 0;
  FInput.ClientExitText = "Yes";
  FInput.FragLimitOn = true;
  FInput.FragLimit = 10.6;
  FInput.TimeLimitOn = true;
  FInput.TimeLimit = 20;
  FInput.MaxPlayers = 8;

  const TLaunchResult result = FRig.Launch(FInput);

  ASSERT_TRUE(result.ScriptWritten);
  EXPECT_EQ(
      FRig.MainScript(),
      Crlf({kHeader1, "", kHeader3, "alias listmaps \"exec fx_maps.cfg\"",
            "alias sv_info \"exec fx_svinf.cfg\"", "hostname \"Frag Fest\"", "skill 2",
            "deathmatch 1", "teamplay 2", "noexit 0", "pausable 0", "fraglimit 11", "timelimit 20",
            Equals(36), "echo ", kBannerText, "echo ", Equals(36), "map e1m1"}));
  EXPECT_EQ(FRig.MapListing(),
            Crlf({kHeader1, "", kHeader3, Equals(36), "echo \"\x02Maps in path: id1\\maps\"",
                  "echo ", "echo \"e1m1       the Slipgate Complex\"", "echo "}));
  EXPECT_EQ(
      FRig.ServerSummary(),
      Crlf({Equals(37), "echo \"\x02The follwing Settings are active:\"", "timelimit", "fraglimit",
            "hostname", "echo \"Playmode: \"", "echo \" Deathmatch\"", "echo \"Teamplay: \"",
            "echo \" Teamplay, friendly fire\"", "echo \"Clients may exit a map: \"",
            "echo \" Yes\"", "echo \"The game is not pausable.\"", Equals(37)}));
  EXPECT_EQ(result.CommandLine, "-dedicated 8   +exec Frax.cfg");
}

TEST_F(LaunchGolden, ListenServerUsesDrawnRulesAndThePlayerCount) {
  FRig.User.SetInGameCmds(true);
  FInput.PlayMode = kPlayListen;
  FInput.MapText = "dm4";
  FInput.Pausable = true;
  FInput.MaxPlayers = 4;
  FInput.SaveLog = true;
  FInput.ExtraParams = "-width 800";

  const TLaunchResult result = FRig.Launch(FInput);

  EXPECT_EQ(FRig.MainScript(),
            Crlf({kHeader1, "", kHeader3, "disconnect", "alias listmaps \"exec fx_maps.cfg\"",
                  "alias sv_info \"exec fx_svinf.cfg\"", "hostname \"Unnamed\"", "skill 0",
                  "deathmatch 0", "teamplay 0", "noexit 0", "pausable 1", Drawn(34), "echo ",
                  kBannerText, "echo ", Drawn(34), "map dm4"}));
  // No map anywhere: the listing is its head alone.
  EXPECT_EQ(FRig.MapListing(), Crlf({kHeader1, "", kHeader3}));
  EXPECT_EQ(FRig.ServerSummary(),
            Crlf({Drawn(35), "echo \"\x02The follwing Settings are active:\"", "timelimit",
                  "fraglimit", "hostname", "echo \"Playmode: \"", "echo \" \"",
                  "echo \"Teamplay: \"", "echo \" \"", "echo \"Clients may exit a map: \"",
                  "echo \" \"", "echo \"The game is pausable.\"", Drawn(35)}));
  EXPECT_EQ(result.CommandLine, "-listen 4 -condebug -width 800  +exec Frax.cfg");
}

TEST_F(LaunchGolden, SinglePlayerWithNothingElseHasThreeBlanksBeforeTheExec) {
  FInput.AutoAim = false;
  FInput.Skill = 1;
  FInput.MapText = "(none)";

  const TLaunchResult result = FRig.Launch(FInput);

  EXPECT_EQ(FRig.MainScript(),
            Crlf({kHeader1, "", kHeader3, "disconnect", "hostname \"Unnamed\"", "skill 1",
                  "sv_aim 1", Drawn(34), "echo ", kBannerText, "echo ", Drawn(34)}));
  EXPECT_EQ(result.CommandLine, "   +exec Frax.cfg");
  EXPECT_FALSE(fs::exists(FRig.Id1("fx_maps.cfg")));
  EXPECT_FALSE(fs::exists(FRig.Id1("fx_svinf.cfg")));
}

TEST_F(LaunchGolden, ClientWithoutServerConnectsBareAndWritesNoMapOrHostLines) {
  FRig.User.SetInGameCmds(true);
  for (const char* server : {"(None)", "(NONE)", ""}) {
    FInput.PlayMode = kPlayClient;
    FInput.Server = server;
    FInput.MapText = "e1m1";
    FInput.Hostname = "ignored";

    const TLaunchResult result = FRig.Launch(FInput);

    EXPECT_EQ(FRig.MainScript(),
              Crlf({kHeader1, "", kHeader3, "disconnect", "alias listmaps \"exec fx_maps.cfg\"",
                    "alias sv_info \"exec fx_svinf.cfg\"", "connect", Drawn(34), "echo ",
                    kBannerText, "echo ", Drawn(34)}))
        << server;
    EXPECT_EQ(FRig.ServerSummary(), Crlf({"echo \"\x02You are in Client mode\""}));
    EXPECT_EQ(result.CommandLine, "   +exec Frax.cfg");
  }
}

TEST_F(LaunchGolden, ClientWithServerConnectsToIt) {
  FInput.PlayMode = kPlayClient;
  FInput.Server = "quake.example.net:26001";
  FRig.Launch(FInput);
  EXPECT_EQ(FRig.MainScript(),
            Crlf({kHeader1, "", kHeader3, "disconnect", "connect \"quake.example.net:26001\"",
                  Drawn(34), "echo ", kBannerText, "echo ", Drawn(34)}));
}

TEST_F(LaunchGolden, DemoPlaybackExecsDemoCfgOnlyWhenItExists) {
  FInput.PlayMode = kPlayDemo;
  FInput.DemoPlay = "Demo1";
  FInput.MapText = "e1m1";

  FRig.Launch(FInput);
  const std::string without = FRig.MainScript();
  WriteFileBytes(FRig.Id1("Demo.Cfg"), "");  // found whatever its case, named as spelled
  FRig.Launch(FInput);

  EXPECT_EQ(without, Crlf({kHeader1, "", kHeader3, "disconnect", "playdemo \"demo1\"", Drawn(34),
                           "echo ", kBannerText, "echo ", Drawn(34)}));
  EXPECT_EQ(FRig.MainScript(),
            Crlf({kHeader1, "", kHeader3, "disconnect", "playdemo \"demo1\"", "exec Demo.Cfg",
                  Drawn(34), "echo ", kBannerText, "echo ", Drawn(34)}));
}

TEST_F(LaunchGolden, DemoPlaybackWithoutANameShowsTheErrorAfterTheAuxiliaryScripts) {
  FRig.User.SetInGameCmds(true);
  for (const char* name : {"", "(None)"}) {
    FInput.PlayMode = kPlayDemo;
    FInput.DemoPlay = name;
    FRig.Dialogs.MessageAnswers = {TMsgResult::Ok};
    FRig.Dialogs.Messages.clear();

    const TLaunchResult result = FRig.Launch(FInput);

    EXPECT_FALSE(result.ScriptWritten);
    EXPECT_FALSE(fs::exists(FRig.Id1("Frax.cfg")));
    EXPECT_TRUE(fs::exists(FRig.Id1("fx_maps.cfg")));
    EXPECT_EQ(FRig.ServerSummary(), Crlf({"echo \"\x02You are in Client mode\""}));
    ASSERT_EQ(FRig.Dialogs.Messages.size(), 1u);
    const TMessage& message = FRig.Dialogs.Messages[0];
    EXPECT_EQ(message.Text,
              "You did not give a demo name.\n\nType one in the Playback Demo Field or use the "
              "Browse Button.");
    EXPECT_EQ(message.Icon, TMsgIcon::Error);
    EXPECT_EQ(message.Buttons, TMsgButtons::Ok);
  }
}

TEST_F(LaunchGolden, RecordingInSinglePlayerWithAMapWritesBothRecordLines) {
  FInput.RecordDemo = true;
  FInput.DemoRecord = "MyRun";
  FInput.MapText = "E1M3";
  const TLaunchResult result = FRig.Launch(FInput);
  EXPECT_EQ(FRig.MainScript(), Crlf({kHeader1, "", kHeader3, "disconnect", "hostname \"Unnamed\"",
                                     "skill 0", "record \"myrun\"", Drawn(34), "echo ", kBannerText,
                                     "echo ", Drawn(34), "record myrun e1m3"}));
  EXPECT_EQ(result.CommandLine, "   +exec Frax.cfg");
}

TEST_F(LaunchGolden, RecordingInSinglePlayerWithoutAMapWritesOnlyTheQuotedRecord) {
  FInput.RecordDemo = true;
  FInput.DemoRecord = "MyRun";
  FInput.MapText = "";
  FRig.Launch(FInput);
  EXPECT_EQ(FRig.MainScript(),
            Crlf({kHeader1, "", kHeader3, "disconnect", "hostname \"Unnamed\"", "skill 0",
                  "record \"myrun\"", Drawn(34), "echo ", kBannerText, "echo ", Drawn(34)}));
}

TEST_F(LaunchGolden, NoSkillAloneKeepsTheSkillLineAndBothFlagsDropIt) {
  FInput.Skill = 3;
  FRig.Features.NoSkill = true;
  FRig.Launch(FInput);
  EXPECT_NE(FRig.MainScript().find("\r\nskill 3\r\n"), std::string::npos);

  FRig.Features.OwnSkillLine = true;
  FRig.Launch(FInput);
  EXPECT_EQ(FRig.MainScript().find("skill"), std::string::npos);

  FRig.Features = {};
  FRig.Features.OwnSkillLine = true;
  FRig.Launch(FInput);
  EXPECT_NE(FRig.MainScript().find("\r\nskill 3\r\n"), std::string::npos);
}

TEST_F(LaunchGolden, NoPlayModeAloneDropsDeathmatchAndThePlaymodeEcho) {
  FRig.User.SetInGameCmds(true);
  FRig.Features.NoPlayMode = true;
  FInput.PlayMode = kPlayListen;
  FInput.MapText = "e2m1";
  FInput.TeamplayText = "Off";
  FInput.ClientExitText = "No";
  FInput.ClientExit = 1;
  FInput.MaxPlayers = 2;

  FRig.Launch(FInput);

  EXPECT_EQ(FRig.MainScript(),
            Crlf({kHeader1, "", kHeader3, "disconnect", "alias listmaps \"exec fx_maps.cfg\"",
                  "alias sv_info \"exec fx_svinf.cfg\"", "hostname \"Unnamed\"", "skill 0",
                  "teamplay 0", "noexit 1", "pausable 0", Drawn(34), "echo ", kBannerText, "echo ",
                  Drawn(34), "map e2m1"}));
  EXPECT_EQ(
      FRig.ServerSummary(),
      Crlf({Drawn(35), "echo \"\x02The follwing Settings are active:\"", "timelimit", "fraglimit",
            "hostname", "echo \"Teamplay: \"", "echo \" Off\"", "echo \"Clients may exit a map: \"",
            "echo \" No\"", "echo \"The game is not pausable.\"", Drawn(35)}));
}

TEST_F(LaunchGolden, OwnLinesOfTheGameTypeReplaceTheHostsRuleLines) {
  FInput.PlayMode = kPlayListen;
  FInput.MapText = "start";
  FRig.Features.OwnDeathmatchLine = true;
  FRig.Features.NoTeamplay = true;
  FRig.Features.OwnNoExitLine = true;
  FRig.Plugin->Lines = {"coop 1", "set ctf 1"};
  FRig.Plugin->Switches = "-hipnotic";
  FRig.User.SetAddParms({"gl_flashblend 0"});
  FInput.AddCmds = {"bind x quit", ""};

  const TLaunchResult result = FRig.Launch(FInput);

  EXPECT_EQ(FRig.MainScript(),
            Crlf({kHeader1, "", kHeader3, "disconnect", "hostname \"Unnamed\"", "skill 0",
                  "pausable 0", "coop 1", "set ctf 1", "gl_flashblend 0", "bind x quit", "",
                  Drawn(34), "echo ", kBannerText, "echo ", Drawn(34), "map start"}));
  EXPECT_EQ(result.CommandLine, "-listen 0  -hipnotic +exec Frax.cfg");
  EXPECT_EQ(FRig.Plugin->Calls,
            (std::vector<std::string>{"PrepareLaunch", "GetScriptLineCount", "GetScriptLine 0",
                                      "GetScriptLine 1", "GetCmdLineSwitches"}));

  FInput.IgnoreGeneralCmds = true;
  FRig.Launch(FInput);
  EXPECT_EQ(FRig.MainScript().find("gl_flashblend"), std::string::npos);
}

TEST_F(LaunchGolden, LimitsAreRoundedToWholeNumbers) {
  FInput.PlayMode = kPlayListen;
  FInput.MapText = "e1m1";
  FInput.FragLimitOn = true;
  FInput.TimeLimitOn = true;
  for (const auto& [value, text] : std::vector<std::pair<double, std::string>>{
           {10.6, "11"}, {10.4, "10"}, {2.5, "3"}, {0.4, "0"}, {100, "100"}}) {
    FInput.FragLimit = value;
    FInput.TimeLimit = value;
    FRig.Launch(FInput);
    const std::string script = FRig.MainScript();
    EXPECT_NE(script.find("\r\nfraglimit " + text + "\r\ntimelimit " + text + "\r\n"),
              std::string::npos)
        << value;
  }
}

TEST_F(LaunchGolden, PatchWithoutMapsAddsNothingToTheListing) {
  FRig.User.SetInGameCmds(true);
  fs::create_directories(FRig.Game / "MyPatch");
  WriteFileBytes(FRig.Id1("maps/start.bsp"), MapWithTitle("Introduction"));
  FInput.Patch = "MyPatch";
  FInput.MapText = "start";

  const TLaunchResult result = FRig.Launch(FInput);

  EXPECT_EQ(FRig.MapListing(),
            Crlf({kHeader1, "", kHeader3, Drawn(35), "echo \"\x02Maps in path: id1\\maps\"",
                  "echo ", "echo \"start      Introduction\"", "echo "}));
  EXPECT_EQ(result.CommandLine, " -game MyPatch   +exec Frax.cfg");
}

TEST_F(LaunchGolden, ThePatchFolderAndItsPacksAreListedAfterId1) {
  FRig.User.SetInGameCmds(true);
  WriteFileBytes(FRig.Game / "ctf" / "MAPS" / "CTF1.BSP", MapWithTitle("Capture"));
  WriteFileBytes(FRig.Game / "ctf" / "MAPS" / "b_bh10.bsp", MapWithTitle("Health box"));
  WriteFileBytes(
      FRig.Game / "ctf" / "PAK0.PAK",
      test::TPakBuilder()
          .Add("maps/ctf2.bsp", MapWithTitle("Two flags"))
          .Add("maps/B_ROCK.bsp", MapWithTitle("Rocket box"))
          // Entity text that ends before any worldspawn: the reader's "not a map".
          .Add("maps/model.bsp", test::TBspBuilder("{\n\"classname\" \"info_null\"\n").Build())
          .Add("progs/player.mdl", "IDPO")
          .Build());
  FInput.Patch = "ctf";
  FInput.PlayMode = kPlayDedicated;
  FInput.MapText = "ctf1";

  FRig.Launch(FInput);

  EXPECT_EQ(FRig.MapListing(),
            Crlf({kHeader1, "", kHeader3, Equals(36), "echo \"\x02Maps in path: ctf\\maps\"",
                  "echo ", "echo \"CTF1       Capture\"", "echo ", Equals(36),
                  "echo \"\x02Maps in pack file: ctf\\PAK0.PAK\"", "echo ",
                  "echo \"ctf2       Two flags\"", "echo "}));
}

TEST_F(LaunchGolden, TitlesOverTwentyFiveCharactersAreCut) {
  FRig.User.SetInGameCmds(true);
  WriteFileBytes(FRig.Id1("maps/Exact.bsp"), MapWithTitle("1234567890123456789012345"));
  WriteFileBytes(FRig.Id1("maps/long.bsp"), MapWithTitle("12345678901234567890123456"));
  WriteFileBytes(FRig.Id1("maps/averyverylongname.bsp"), MapWithTitle("x"));
  FInput.MapText = "exact";

  FRig.Launch(FInput);

  EXPECT_EQ(
      FRig.MapListing(),
      Crlf({kHeader1, "", kHeader3, Drawn(35), "echo \"\x02Maps in path: id1\\maps\"", "echo ",
            "echo \"averyverylongname x\"", "echo \"Exact      1234567890123456789012345\"",
            "echo \"long       1234567890123456789012...\"", "echo "}));
}

TEST_F(LaunchGolden, AnUnreadablePackGetsItsErrorSectionAndTheListingGoesOn) {
  FRig.User.SetInGameCmds(true);
  const fs::path patch = FRig.Game / "mod";
  fs::create_directories(patch / "broken.pak");  // a folder cannot be read as a pack
  fs::create_symlink(patch / "gone", patch / "gone.pak");
  WriteFileBytes(patch / "zz.pak",
                 test::TPakBuilder().Add("maps/zz1.bsp", MapWithTitle("Last")).Build());
  FInput.Patch = "mod";
  FInput.MapText = "zz1";

  const TLaunchResult result = FRig.Launch(FInput);

  ASSERT_TRUE(result.ScriptWritten);
  EXPECT_EQ(FRig.MapListing(),
            Crlf({kHeader1, "", kHeader3, "echo ",
                  "echo \"\x02"
                  "Error on opening: mod\\broken.pak",
                  "echo ", "echo ",
                  "echo \"\x02"
                  "Error on opening: mod\\gone.pak",
                  "echo ", Drawn(35), "echo \"\x02Maps in pack file: mod\\zz.pak\"", "echo ",
                  "echo \"zz1        Last\"", "echo "}));
}

TEST_F(LaunchGolden, TheDateFollowsTheUsersShortDateFormat) {
  FRig.Format.ShortDateFormat = "m/d/yy";
  FRig.Today = {2027, 3, 5};
  FRig.Launch(FInput);
  EXPECT_EQ(FRig.MainScript().substr(0, 37), "// created by Fraxinel\r\n\r\n// 3/5/27\r\n");
}

}  // namespace
}  // namespace fx
