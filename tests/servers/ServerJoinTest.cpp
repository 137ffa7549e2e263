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
  const char* Key = "";  // a key of the server's info besides the game name
  const char* Value = "";
};

TEST(ServerJoin, TheEngineMustSpeakTheProtocolAndHaveTheMod) {
  test::TTempDir game;
  std::filesystem::create_directories(game / "id1");
  std::filesystem::create_directories(game / "AD");
  std::filesystem::create_directories(game / "hipnotic");
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
      // QuakeSpasm-Spiked registers as "FTE-Quake" and names its NetQuake protocol.
      {"quakespasm", DarkPlaces, "FTE-Quake", "", Go, "", "", "nqprotocol", "666"},
      {"ironwail", DarkPlaces, "FTE-Quake", "", Go, "", "", "nqprotocol", "999"},
      {"vkquake", DarkPlaces, "FTE-Quake", "", Go, "", "", "nqprotocol", "15"},
      {"quakespasm", DarkPlaces, "FTE-Quake", "", Warn, "FTE's own protocol", "", "nqprotocol",
       "10002"},
      // FTE lists what it listens on after the number.
      {"quakespasm", DarkPlaces, "FTE-Quake", "", Go, "", "", "protocol", "3wnd"},
      {"quakespasm", DarkPlaces, "FTE-Quake", "", Refuse, "does not speak QuakeWorld.", "",
       "protocol", "3w"},
      {"ezquake", DarkPlaces, "FTE-Quake", "", Go, "", "", "protocol", "3w"},
      {"ironwail", DarkPlaces, "FTE-Quake", "", Warn, "DarkPlaces' own protocol", "", "protocol",
       "3d"},
      {"quakespasm", DarkPlaces, "DarkPlaces-Quake", "", Warn, "DarkPlaces' own", "", "protocol",
       "3"},
      // ezQuake joins QuakeWorld and nothing else.
      {"/usr/games/ezquake", QuakeWorld, "28", "qw", Go, "", ""},
      {"ezquake-linux-x86_64", QuakeWorld, "28", "", Go, "", ""},
      {"ezquake", NetQuake, "3", "", Refuse, "does not speak NetQuake", ""},
      // Several game folders, base first: each must be here, the last is the mod.
      {"quakespasm", DarkPlaces, "FTE-Quake", "id1;AD", Go, "", "AD", "nqprotocol", "666"},
      {"quakespasm", NetQuake, "3", "hipnotic;ad", Go, "", "AD"},
      {"quakespasm", NetQuake, "3", "ad;copper", Refuse, "\"copper\"", ""},
      {"quakespasm", NetQuake, "3", "hipnotic;..", Refuse, "which is no folder name", ""},
  };
  for (const TJoinCase& c : cases) {
    TServerInfo server = test::AnsweredServer(26000, "x", c.Family);
    server.Protocol = c.Protocol;
    server.Game = c.Game;
    if (*c.Key != '\0') server.Rules = {{c.Key, c.Value}};
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
