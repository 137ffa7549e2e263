#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/TempDir.h"
#include "servers/ServerJoin.h"
#include "tests/servers/ScriptedServerSource.h"

namespace fx {
namespace {

struct TJoinCase {
  const char* Program;
  TServerFamily Family;
  const char* Protocol;
  const char* Game;
  TJoinVerdict Verdict;
  const char* MessagePart;  // "" when there is no message
  const char* ModFolder;
};

TEST(ServerJoin, TheEngineMustSpeakTheProtocolAndHaveTheMod) {
  test::TTempDir game;
  std::filesystem::create_directories(game / "id1");
  std::filesystem::create_directories(game / "AD");
  using enum TServerFamily;
  using enum TJoinVerdict;
  const std::vector<TJoinCase> cases = {
      {"quakespasm", NetQuake, "3", "", Go, "", ""},
      {"/usr/games/quakespasm", QuakeWorld, "28", "qw", Refuse,
       "\"quakespasm\" cannot join the QuakeWorld server 127.0.0.1:26000: it does not speak "
       "QuakeWorld.",
       ""},
      {"fteqw", QuakeWorld, "28", "qw", Go, "", ""},
      {"ironwail", DarkPlaces, "DP7", "id1", Warn, "speaks DarkPlaces' own protocol (DP7)", ""},
      {"darkplaces-sdl", DarkPlaces, "DP7", "", Go, "", ""},
      {"quakespasm", DarkPlaces, "FTE-Quake", "", Warn, "speaks FTE's own protocol", ""},
      {"quakespasm-spiked", DarkPlaces, "FTE-Quake", "", Go, "", ""},
      {"vkquake", DarkPlaces, "3", "", Go, "", ""},
      {"quake.exe", NetQuake, "3", "", Go, "", ""},  // an unknown engine speaks NetQuake
      {"", NetQuake, "3", "", Refuse, "No executable is chosen", ""},
      // The mod's folder is found in any case and named as it lies on disk.
      {"quakespasm", NetQuake, "3", "ad", Go, "", "AD"},
      {"quakespasm", NetQuake, "3", "copper", Refuse, "The server runs the mod \"copper\"", ""},
      {"quakespasm", NetQuake, "3", "../../etc", Refuse, "which is no folder name", ""},
      // A refusal wins over a warning, the protocol's over the mod's.
      {"ironwail", DarkPlaces, "DP7", "copper", Refuse, "\"copper\"", ""},
      {"quakespasm", QuakeWorld, "28", "copper", Refuse, "does not speak QuakeWorld", ""},
      {"ironwail", DarkPlaces, "DP7", "ad", Warn, "Join it anyway?", "AD"},
  };
  for (const TJoinCase& c : cases) {
    TServerInfo server = test::AnsweredServer(26000, "x", c.Family);
    server.Protocol = c.Protocol;
    server.Game = c.Game;
    const TJoinCheck check = CheckJoin(server, c.Program, game.Path());
    const std::string what = std::string(c.Program) + " / " + c.Protocol + " / " + c.Game;
    EXPECT_EQ(check.Verdict, c.Verdict) << what << ": " << check.Message;
    EXPECT_NE(check.Message.find(c.MessagePart), std::string::npos)
        << what << ": " << check.Message;
    EXPECT_EQ(check.Message.empty(), std::string(c.MessagePart).empty()) << what;
    EXPECT_EQ(check.ModFolder, c.ModFolder) << what;
  }
}

}  // namespace
}  // namespace fx
