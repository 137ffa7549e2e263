// Values read from disk or typed into the window must never add a console command to the
// scripts the game executes.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/PakBuilder.h"
#include "launcher/LaunchPipeline.h"
#include "launcher/MapListing.h"
#include "tests/launcher/LaunchRig.h"

namespace fx {
namespace {

using test::MapWithTitle;
using test::TLaunchRig;
using test::WriteFileBytes;

// The commands the game's console runs from a script: lines end at CR or LF, and a
// semicolon outside double quotes ends a command; "//" outside quotes starts a comment.
std::vector<std::string> ConsoleCommands(const std::string& script) {
  std::vector<std::string> commands;
  std::string current;
  bool quoted = false;
  const auto finish = [&] {
    const std::size_t start = current.find_first_not_of(" \t");
    if (start != std::string::npos) commands.push_back(current.substr(start));
    current.clear();
    quoted = false;
  };
  for (std::size_t i = 0; i < script.size(); ++i) {
    const char c = script[i];
    if (c == '"') quoted = !quoted;
    if (c == '\n' || c == '\r' || (c == ';' && !quoted)) {
      finish();
      continue;
    }
    current += c;
  }
  finish();
  return commands;
}

std::string CommandWord(const std::string& command) {
  return command.substr(0, command.find_first_of(" \t\""));
}

void ExpectOnly(const std::string& script, const std::vector<std::string>& allowedWords) {
  for (const std::string& command : ConsoleCommands(script)) {
    const std::string word = CommandWord(command);
    if (word.rfind("//", 0) == 0) continue;
    EXPECT_NE(std::find(allowedWords.begin(), allowedWords.end(), word), allowedWords.end())
        << "unexpected command: " << command;
  }
}

const std::vector<std::string> kScriptWords = {
    "disconnect", "alias",  "hostname",   "skill",     "record",   "playdemo",
    "exec",       "sv_aim", "deathmatch", "teamplay",  "noexit",   "pausable",
    "connect",    "echo",   "map",        "timelimit", "fraglimit"};

class ScriptSafety : public ::testing::Test {
 protected:
  TLaunchRig FRig;
  TLaunchInput FInput;

  void SetUp() override { FRig.User.SetInGameCmds(true); }
};

TEST(ConsoleCommandsHelper, SplitsLikeTheConsole) {
  EXPECT_EQ(ConsoleCommands("echo \"a;b\"; quit\r\nmap x"),
            (std::vector<std::string>{"echo \"a;b\"", "quit", "map x"}));
}

TEST_F(ScriptSafety, HostileMapFileNamesStayInsideTheirEchoLine) {
  WriteFileBytes(FRig.Id1("maps/e1m1.bsp"), MapWithTitle("Nice\"; quit; echo \"map"));
  WriteFileBytes(FRig.Id1("maps/e1m2.bsp"), MapWithTitle("Line\nquit\rquit"));
  WriteFileBytes(FRig.Id1("maps/x\";quit;\".bsp"), MapWithTitle("name"));
  WriteFileBytes(FRig.Id1("maps/y\nquit.bsp"), MapWithTitle("name"));
  WriteFileBytes(FRig.Game / "mod" / "pak0.pak",
                 test::TPakBuilder().Add("maps/p\";quit.bsp", MapWithTitle("\";quit;\"")).Build());
  std::filesystem::create_directories(FRig.Game / "mod" / "a\";quit.pak");
  FInput.Patch = "mod";
  FInput.MapText = "e1m1";

  ASSERT_TRUE(FRig.Launch(FInput).ScriptWritten);

  const std::string listing = FRig.MapListing();
  ExpectOnly(listing, {"echo"});
  EXPECT_NE(listing.find("echo \"x';quit;'  name\"\r\n"), std::string::npos);
  EXPECT_NE(listing.find("echo \"\x02"
                         "Error on opening: mod\\a';quit.pak\r\n"),
            std::string::npos);
  EXPECT_NE(listing.find("echo \"y quit     name\"\r\n"), std::string::npos);
}

// The entity reader already refuses quotes and line breaks inside a title; the listing does
// not rely on it.
TEST(ScriptSafetyLines, TitlesWithQuotesOrLineBreaksStayInOneEchoLine) {
  EXPECT_EQ(MapListLine("e1m1.bsp", "Nice\"; quit; echo \"map"),
            "echo \"e1m1       Nice'; quit; echo 'map\"");
  EXPECT_EQ(MapListLine("e1m2.bsp", "Line\nquit\rquit"), "echo \"e1m2       Line quit quit\"");
  ExpectOnly(ScriptBytes({MapListLine("a\"\n;quit.bsp", "\";quit\r\n")}), {"echo"});
}

TEST_F(ScriptSafety, HostileWindowValuesCannotAddCommands) {
  FInput.PlayMode = kPlayListen;
  FInput.Hostname = "Host\"; quit; \"\nquit";
  FInput.MapText = "e1m1;quit \"x";
  FInput.RecordDemo = true;
  FInput.DemoRecord = "d\"; quit; \"\r\nquit a b";
  FInput.PlayModeRuleText = "Death\"; quit";
  FInput.TeamplayText = "T\nquit";
  FInput.ClientExitText = "C\"quit";
  FRig.Plugin->Lines = {};

  ASSERT_TRUE(FRig.Launch(FInput).ScriptWritten);

  const std::string script = FRig.MainScript();
  ExpectOnly(script, kScriptWords);
  ExpectOnly(FRig.ServerSummary(), {"echo", "timelimit", "fraglimit", "hostname"});
  EXPECT_NE(script.find("\r\nhostname \"Host'; quit; ' quit\"\r\n"), std::string::npos);
  EXPECT_NE(script.find("\r\nrecord \"d'; quit; '  quit a b\"\r\n"), std::string::npos);
  EXPECT_NE(script.find("\r\nrecord d___quit_____quit_a_b e1m1_quit__x\r\n"), std::string::npos)
      << script;
}

TEST_F(ScriptSafety, HostileServerAndDemoNamesCannotAddCommands) {
  FInput.PlayMode = kPlayClient;
  FInput.Server = "srv\"; quit; \"\nquit";
  FRig.Launch(FInput);
  ExpectOnly(FRig.MainScript(), kScriptWords);
  EXPECT_NE(FRig.MainScript().find("\r\nconnect \"srv'; quit; ' quit\"\r\n"), std::string::npos);

  FInput.PlayMode = kPlayDemo;
  FInput.DemoPlay = "demo\"; quit\nquit";
  FRig.Launch(FInput);
  ExpectOnly(FRig.MainScript(), kScriptWords);
  EXPECT_NE(FRig.MainScript().find("\r\nplaydemo \"demo'; quit quit\"\r\n"), std::string::npos);
}

TEST_F(ScriptSafety, AnUnquotedMapNameIsOneArgument) {
  FInput.MapText = "e1m1 ; quit";
  FRig.Launch(FInput);
  EXPECT_NE(FRig.MainScript().find("\r\nmap e1m1___quit\r\n"), std::string::npos);
}

}  // namespace
}  // namespace fx
