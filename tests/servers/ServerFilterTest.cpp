#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "servers/ServerFilter.h"
#include "servers/ServerTableText.h"
#include "tests/servers/ScriptedServerSource.h"

namespace fx {
namespace {

using test::AnsweredServer;
using ::testing::ElementsAre;

struct TFilterCase {
  const char* What;
  std::function<void(TServerInfo&)> Server;
  std::function<void(TServerFilter&)> Filter;
  bool Passes;
};

TEST(ServerFilter, EachPartJudgesTheServer) {
  const std::vector<TFilterCase> cases = {
      {"no filter", [](auto&) {}, [](auto&) {}, true},
      // Names are searched as shown: "\xC6rag" is a coloured "Frag".
      {"text in a coloured name", [](auto& s) { s.Name = "The \xC6rag Pit"; },
       [](auto& f) { f.Text = "FRAG"; }, true},
      {"text in the address", [](auto&) {}, [](auto& f) { f.Text = "0.0.1:26001"; }, true},
      {"text in the map", [](auto& s) { s.Map = "dm6"; }, [](auto& f) { f.Text = "DM6"; }, true},
      {"text nowhere", [](auto&) {}, [](auto& f) { f.Text = "ctf"; }, false},
      {"mod folder, any case", [](auto& s) { s.Game = "Fortress"; },
       [](auto& f) { f.Game = "fortress"; }, true},
      {"mod folder is whole", [](auto& s) { s.Game = "fortress2"; },
       [](auto& f) { f.Game = "fortress"; }, false},
      {"id1 finds a server naming no folder", [](auto&) {}, [](auto& f) { f.Game = "id1"; }, true},
      {"id1 finds a QuakeWorld qw server",
       [](auto& s) {
         s.Family = TServerFamily::QuakeWorld;
         s.Game = "qw";
       },
       [](auto& f) { f.Game = "ID1"; }, true},
      {"id1 misses a mod", [](auto& s) { s.Game = "ad"; }, [](auto& f) { f.Game = "id1"; }, false},
      {"map part", [](auto& s) { s.Map = "ad_sepulcher"; }, [](auto& f) { f.Map = "SEPUL"; }, true},
      {"ping below", [](auto& s) { s.PingMs = 49; }, [](auto& f) { f.PingBelow = 50; }, true},
      {"ping at the limit", [](auto& s) { s.PingMs = 50; }, [](auto& f) { f.PingBelow = 50; },
       false},
      {"ping unmeasured", [](auto& s) { s.PingMs = -1; }, [](auto& f) { f.PingBelow = 50; }, false},
      {"not empty, empty", [](auto& s) { s.Players = 0; }, [](auto& f) { f.NotEmpty = true; },
       false},
      {"not empty, one", [](auto& s) { s.Players = 1; }, [](auto& f) { f.NotEmpty = true; }, true},
      {"not full, full", [](auto& s) { s.Players = 8; }, [](auto& f) { f.NotFull = true; }, false},
      {"not full, no maximum known", [](auto& s) { s.MaxPlayers = 0; },
       [](auto& f) { f.NotFull = true; }, true},
      {"no password", [](auto& s) { s.Password = true; }, [](auto& f) { f.NoPassword = true; },
       false},
      {"family left out", [](auto& s) { s.Family = TServerFamily::DarkPlaces; },
       [](auto& f) { f.Families = kFamilyNetQuake | kFamilyQuakeWorld; }, false},
      {"family kept", [](auto& s) { s.Family = TServerFamily::QuakeWorld; },
       [](auto& f) { f.Families = kFamilyQuakeWorld; }, true},
  };
  for (const TFilterCase& c : cases) {
    TServerInfo server = AnsweredServer(26001, "Plain");
    c.Server(server);
    TServerFilter filter;
    c.Filter(filter);
    EXPECT_EQ(MatchesFilter(server, filter), c.Passes) << c.What;
  }
}

TEST(ServerFilter, FavouritesAlwaysShowSilentServersOnlyOnDemand) {
  TServerFilter strict;
  strict.Text = "nothing like it";
  strict.NotEmpty = true;
  TServerInfo silent = AnsweredServer(26001, "Lost");
  silent.State = TServerState::TimedOut;
  const TServerInfo answered = AnsweredServer(26002, "Here");

  EXPECT_TRUE(IsServerShown(answered, strict, true, false));
  EXPECT_TRUE(IsServerShown(silent, strict, true, false));
  EXPECT_FALSE(IsServerShown(silent, TServerFilter{}, false, false));
  EXPECT_TRUE(IsServerShown(silent, TServerFilter{}, false, true));
  // What nobody answered cannot be judged by players or ping: only text and family count.
  TServerFilter byAnswers;
  byAnswers.NotEmpty = true;
  byAnswers.PingBelow = 10;
  EXPECT_TRUE(IsServerShown(silent, byAnswers, false, true));
  byAnswers.Text = "here";
  EXPECT_FALSE(IsServerShown(silent, byAnswers, false, true));
}

TEST(ServerFilter, FindsPlayersOnEveryServerAsTheirNamesAreShown) {
  std::vector<TServerInfo> servers = {AnsweredServer(1, "a"), AnsweredServer(2, "b"),
                                      AnsweredServer(3, "c")};
  const auto player = [](std::string name) {
    TServerPlayer p;
    p.Name = std::move(name);
    return p;
  };
  servers[0].PlayerList = {player("Ranger"), player("grunt")};
  servers[2].PlayerList = {player("\xD2\xE1\xEE\xE7\xE5\xF2")};  // "Ranger" in red
  EXPECT_THAT(FindPlayers(servers, "RANG"), ElementsAre(TPlayerHit{0, 0}, TPlayerHit{2, 0}));
  EXPECT_TRUE(FindPlayers(servers, "").empty());
  EXPECT_TRUE(FindPlayers(servers, "shambler").empty());
}

TEST(ServerTableText, QuakeTextComesOutPrintable) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain \"quoted\" \\back", "plain \"quoted\" \\back"},
      {"\xC6rag", "Frag"},  // the coloured half
      {"\x10"
       "1\x11 \x12\x1B",
       "[1] 09"},                      // brackets and gold digits
      {"\x1D\x1E\x1E\x1F", "----"},    // the console's rule
      {"two\nlines\r", "two lines>"},  // no line breaks in a cell
      {std::string("\x00\x7F\x80\xFF", 4), "\xE2\x80\xA2_\xE2\x80\xA2_"},
  };
  for (const auto& [raw, shown] : cases)
    EXPECT_EQ(QuakeServerText(raw), shown) << raw;
}

TEST(ServerTableText, CellsAndStatusLine) {
  TServerInfo server = AnsweredServer(26000, "x");
  server.Players = 3;
  server.Family = TServerFamily::DarkPlaces;
  server.Protocol = "DP7";
  EXPECT_EQ(ServerCellText(server, TServerColumn::Players), "3/8");
  EXPECT_EQ(ServerCellText(server, TServerColumn::Family), "DarkPlaces (DP7)");
  server.State = TServerState::Refused;
  EXPECT_EQ(ServerCellText(server, TServerColumn::Ping), "refused");

  TServerCounts counts;
  counts.ByState = {2, 5, 1, 0, 1, 3};
  counts.Shown = 7;
  counts.Refreshing = true;
  EXPECT_EQ(ServerStatusText(counts),
            "Refreshing... 12 servers: 5 answered, 1 timed out, 0 refused, 1 bad reply, "
            "3 asked to slow down, 2 waiting; 7 shown");
}

}  // namespace
}  // namespace fx
