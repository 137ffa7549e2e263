// A real launch over a real game folder, started through the shell port: a stand-in engine
// records its arguments, its working folder and the script it was told to exec.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "fixtures/PakBuilder.h"
#include "fixtures/StandInEngine.h"
#include "launcher/LaunchPipeline.h"
#include "tests/launcher/LaunchRig.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::MapWithTitle;
using test::ReadFileBytes;
using test::TLaunchRig;
using test::WaitForReport;
using test::WriteFileBytes;
using test::WriteStandInEngine;

TEST(LaunchEndToEnd, TheEngineStartsInTheGameFolderWithTheCommandLineAndTheScript) {
  TLaunchRig rig;
  rig.User.SetInGameCmds(true);
  rig.Machine.SetCloseOnExec(true);
  const fs::path report = rig.Temp / "report";
  WriteStandInEngine(rig.Game / "quake.sh", report);
  rig.Exe.ExeName = "quake.sh";
  rig.Exe.ExeType = TExeType::OpenGLQuake;
  rig.Exe.CmdLine = "-nosound";
  WriteFileBytes(rig.Id1("maps/e1m1.bsp"), MapWithTitle("the Slipgate Complex"));
  WriteFileBytes(rig.Id1("PAK0.PAK"),
                 test::TPakBuilder().Add("maps/start.bsp", MapWithTitle("Intro")).Build());
  WriteFileBytes(rig.Game / "My Mod" / "maps" / "mod1.bsp", MapWithTitle("Mod one"));
  TLaunchInput input;
  input.PlayMode = kPlayListen;
  input.MapText = "e1m1: the Slipgate Complex";
  input.Patch = "My Mod";
  input.MaxPlayers = 6;
  input.SaveLog = true;
  input.ExtraParams = "+set cl_name Ranger";

  const TLaunchResult result = rig.Launch(input);

  ASSERT_TRUE(result.Started);
  EXPECT_EQ(rig.Closed, 1);
  const auto engine = WaitForReport(report);
  ASSERT_TRUE(engine.has_value()) << "the stand-in engine did not report";
  EXPECT_EQ(fs::path(engine->Folder), fs::canonical(rig.Game));
  EXPECT_EQ(engine->Args,
            (std::vector<std::string>{"-nosound", "-listen", "6", "-game", "My Mod", "-condebug",
                                      "+set", "cl_name", "Ranger", "+exec", "Frax.cfg"}));
  EXPECT_EQ(engine->Script, rig.MainScript());
  EXPECT_EQ(engine->Script.substr(0, 41), "// created by Fraxinel\r\n\r\n// 08.12.2026\r\n");
  EXPECT_NE(engine->Script.find("\r\nmap e1m1\r\n"), std::string::npos);
  // The id1 pack is not listed; the patch's maps folder is.
  const std::string listing = rig.MapListing();
  EXPECT_NE(listing.find("Maps in path: My Mod\\maps\"\r\n"), std::string::npos);
  EXPECT_EQ(listing.find("start"), std::string::npos);
}

TEST(LaunchEndToEnd, AProgramThatCannotStartIsSaidAndTheWindowStays) {
  TLaunchRig rig;
  rig.Machine.SetCloseOnExec(true);
  TLaunchInput input;
  input.MapText = "e1m1";

  const TLaunchResult result = rig.Launch(input);

  EXPECT_TRUE(result.ScriptWritten);
  EXPECT_FALSE(result.Started);
  ASSERT_TRUE(result.Problem.has_value());
  EXPECT_EQ(result.Problem->File, (rig.Game / "fx-no-such-engine").string());
  EXPECT_TRUE(result.Problem->Missing);
  EXPECT_EQ(rig.Closed, 0);
  EXPECT_TRUE(result.OutputFile.empty());
}

}  // namespace
}  // namespace fx
