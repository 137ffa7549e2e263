// A real launch over a real game folder, started through the shell port: a stand-in engine
// records its arguments, its working folder and the script it was told to exec.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <sstream>
#include <thread>

#include "fixtures/PakBuilder.h"
#include "launcher/LaunchPipeline.h"
#include "tests/launcher/LaunchRig.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::MapWithTitle;
using test::ReadFileBytes;
using test::TLaunchRig;
using test::WriteFileBytes;

struct TEngineReport {
  std::string Folder;
  std::vector<std::string> Args;
  std::string Script;  // the bytes of the file named after +exec, read by the engine
};

// The engine finds the script as a real one does: in id1/ of its working folder, under the
// name that follows +exec. It writes the report last, by renaming it into place.
void WriteStandInEngine(const fs::path& file, const fs::path& report) {
  WriteFileBytes(file,
                 "#!/bin/sh\n"
                 "out='" +
                     report.string() +
                     "'\n"
                     "cfg=''\n"
                     "prev=''\n"
                     "{\n"
                     "  pwd -P\n"
                     "  for a in \"$@\"; do\n"
                     "    printf '[%s]\\n' \"$a\"\n"
                     "    if [ \"$prev\" = '+exec' ]; then cfg=$a; fi\n"
                     "    prev=$a\n"
                     "  done\n"
                     "} > \"$out.tmp\"\n"
                     "cp \"id1/$cfg\" \"$out.script\"\n"
                     "mv \"$out.tmp\" \"$out\"\n");
  fs::permissions(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

std::optional<TEngineReport> WaitForReport(const fs::path& report) {
  // The engine runs detached; give it a bounded time to answer.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!fs::exists(report)) {
    if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::istringstream in(ReadFileBytes(report));
  TEngineReport result;
  std::getline(in, result.Folder);
  for (std::string line; std::getline(in, line);)
    result.Args.push_back(line.substr(1, line.size() - 2));
  result.Script = ReadFileBytes(fs::path(report.string() + ".script"));
  return result;
}

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

}  // namespace
}  // namespace fx
