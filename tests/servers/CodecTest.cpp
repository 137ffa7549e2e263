// The reply parsers on real captures and on the forms each engine writes, one row a case:
// what a list or the player pane would show, and that a malformed reply gives nothing.

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "servers/DarkPlacesCodec.h"
#include "servers/MasterCodec.h"
#include "servers/NetQuakeCodec.h"
#include "servers/QuakeWorldCodec.h"

namespace fx {
namespace {

using namespace std::string_literals;

TEST(NetQuakeCodec, RequestsCarryABigEndianLengthWord) {
  EXPECT_EQ(NetQuakeInfoRequest(), "\x80\x00\x00\x0c\x02QUAKE\x00\x03"s);
  EXPECT_EQ(NetQuakePlayerRequest(7), "\x80\x00\x00\x06\x03\x07"s);
  EXPECT_EQ(NetQuakeRuleRequest(""), "\x80\x00\x00\x06\x04\x00"s);
  EXPECT_EQ(NetQuakeRuleRequest("sv_gravity"), "\x80\x00\x00\x10\x04sv_gravity\x00"s);
}

TEST(NetQuakeCodec, RepliesAsEnginesSendThem) {
  // Captured from darkplaces-server in NetQuake mode.
  const auto info =
      ParseNetQuakeReply("\x80\x00\x00\x24\x83"s + "127.0.0.1:26556\0TestDP\0e1m1\0\x00\x04\x03"s);
  ASSERT_TRUE(info && std::holds_alternative<TNetQuakeInfo>(*info));
  const auto& server = std::get<TNetQuakeInfo>(*info);
  EXPECT_EQ(server.Name, "TestDP");
  EXPECT_EQ(server.Map, "e1m1");
  EXPECT_EQ(server.Players, 0);
  EXPECT_EQ(server.MaxPlayers, 4);
  // Colours, frags and seconds are little-endian inside the big-endian framed packet.
  const auto player =
      ParseNetQuakeReply("\x80\x00\x00\x22\x84\x02"s + "A\"b\\\xe1\0"s +
                         "\x4d\x00\x00\x00\xfe\xff\xff\xff\x3c\x00\x00\x00"s + "1.2.3.4:5\0"s);
  ASSERT_TRUE(player && std::holds_alternative<TNetQuakePlayer>(*player));
  const auto& p = std::get<TNetQuakePlayer>(*player);
  EXPECT_EQ(p.Index, 2);
  EXPECT_EQ(p.Player.Name, "A\"b\\\xe1");
  EXPECT_EQ(p.Player.Top, 4);
  EXPECT_EQ(p.Player.Bottom, 13);
  EXPECT_EQ(p.Player.Frags, -2);
  EXPECT_EQ(p.Player.Seconds, 60);
  const auto rule = ParseNetQuakeReply("\x80\x00\x00\x11\x85"s + "fraglimit\0"s + "0\0"s);
  ASSERT_TRUE(rule && std::holds_alternative<TNetQuakeRule>(*rule));
  EXPECT_EQ(std::get<TNetQuakeRule>(*rule).Name, "fraglimit");
  const auto end = ParseNetQuakeReply("\x80\x00\x00\x05\x85"s);
  ASSERT_TRUE(end);
  EXPECT_TRUE(std::get<TNetQuakeRule>(*end).End);
}

TEST(NetQuakeCodec, RefusesWhatServersWouldDrop) {
  for (const std::string& bad : {
           "\x80\x00\x00\x08\x85"s + "a\0"s,            // the length word says one more byte
           "\x80\x00\x00\x06\x85"s + "a"s,              // cut inside a rule's name
           "\x80\x00\x00\x0b\x83"s + "1.2.\0"s + "x"s,  // cut inside the strings
           "\x80\x00\x00\x09\x84\x00"s + "ab\0"s,       // cut before the numbers
           "\x00\x00\x00\x05\x83"s,                     // no control flag
           "\x80\x00\x00\x05\x01"s,                     // a connect request, not a reply
           "\x80\x00"s,                                 // shorter than a header
       })
    EXPECT_FALSE(ParseNetQuakeReply(bad)) << testing::PrintToString(bad);
}

TEST(QuakeWorldCodec, StatusWithPlayersAndTheThreeSpectatorMarks) {
  EXPECT_EQ(QuakeWorldStatusRequest(), "\xff\xff\xff\xffstatus 23\n");
  const auto info = ParseQuakeWorldStatus(
      "\xff\xff\xff\xffn\\maxclients\\8\\map\\dm2\\hostname\\Q \"W\"\\*gamedir\\qw\\needpass\\1\n"
      "12 30 5 48 \"Mr \"X\" \\o/\" \"base\" 4 11 \"red\"\n"
      "13 -9999 0 -25 \"\\s\\Watcher\" \"\" 0 0 \"\"\n"
      "14 S 1 20 \"Quiet\" \"\" 0 0\n"
      "15 3 2 12 \"BOT:Frogbot\" \"base\" 1 2\n"
      "16 0 0 999 \"\xe1\xe2\"\"\" \"base\" 0 0\n"
      "17 1 55555555555 -99999999999 \"Huge\" \"\" 0 0\n"s +
      "\0"s);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Name, "Q \"W\"");
  EXPECT_EQ(info->Map, "dm2");
  EXPECT_EQ(info->Game, "qw");
  EXPECT_EQ(info->MaxPlayers, 8);
  EXPECT_TRUE(info->Password);
  ASSERT_EQ(info->PlayerList.size(), 6u);
  EXPECT_EQ(info->Players, 3);  // spectators are not players
  const TServerPlayer& first = info->PlayerList[0];
  EXPECT_EQ(first.Name, "Mr \"X\" \\o/");
  EXPECT_EQ(first.Frags, 30);
  EXPECT_EQ(first.Seconds, 300);
  EXPECT_EQ(first.Ping, 48);
  EXPECT_EQ(first.Top, 4);
  EXPECT_EQ(first.Bottom, 11);
  EXPECT_EQ(first.Team, "red");
  EXPECT_TRUE(info->PlayerList[1].Spectator);
  EXPECT_EQ(info->PlayerList[1].Name, "Watcher");
  EXPECT_EQ(info->PlayerList[1].Ping, 25);
  EXPECT_TRUE(info->PlayerList[2].Spectator);
  EXPECT_TRUE(info->PlayerList[3].Bot);
  EXPECT_EQ(info->PlayerList[3].Name, "Frogbot");
  EXPECT_EQ(info->PlayerList[4].Name, "\xe1\xe2\"\"");
  EXPECT_EQ(info->PlayerList[5].Seconds, -1);  // found by the fuzzer: minutes * 60 overflowed
  EXPECT_EQ(info->PlayerList[5].Ping, 2147483647);
  EXPECT_FALSE(ParseQuakeWorldStatus("\xff\xff\xff\xffnBad rcon_password.\n"));
  EXPECT_FALSE(ParseQuakeWorldStatus("\xff\xff\xff\xff"));
  EXPECT_TRUE(IsQuakeWorldPingReply("l"));
  EXPECT_TRUE(IsQuakeWorldPingReply("\xff\xff\xff\xffl"));
  EXPECT_FALSE(IsQuakeWorldPingReply("\xff\xff\xff\xffn"));
  EXPECT_TRUE(IsBlockNotice("\xff\xff\xff\xffnProbable ddos amplification attack\n"));
  EXPECT_FALSE(IsBlockNotice("\xff\xff\xff\xffnBad rcon_password.\n"));
}

struct TWant {
  std::string Name;
  int Frags = 0, Ping = 0, Top = 0, Bottom = 0;
  std::string Team = {};
};
struct TDpCase {
  const char* Name;
  std::string Reply;
  std::vector<TWant> Players;
};

TEST(DarkPlacesCodec, ThePlayerLinesOfEachEngine) {
  const std::string info =
      "\\gamename\\DarkPlaces-Quake\\modname\\id1\\sv_maxclients\\8"
      "\\clients\\2\\mapname\\e1m1\\hostname\\H\\protocol\\3\\challenge\\c1";
  const std::vector<TDpCase> cases{
      {"DarkPlaces",
       "statusResponse\n" + info + "\n5 40 \"Ann\"\n-1 9999 \"B c\"\n",
       {{"Ann", 5, 40}, {"B c", -1, 9999}}},
      {"DarkPlacesGameStatus",
       "statusResponse\n" + info + "\ns:7:x 40 \"Ann\"\n",
       {{"Ann", 0, 40}}},
      {"Nexuiz", "statusResponse\n" + info + "\n5 40 2 \"Ann\"\n", {{"Ann", 5, 40, 0, 0, "2"}}},
      {"SpikedOld",
       "statusResponse" + info + "\n5 40 3_12 \"A\"x\"\n7 0 0_0 \"Bot\" 1.2.3.x",
       {{"A\"x", 5, 40, 12, 3}, {"Bot", 7, 0}}},
      {"Fte",
       "statusResponse\n" + info + "\n5 40 \"blue\" \"Ann\"\n1 2 \"\" \"\\\"\"\n"s + "\0"s,
       {{"Ann", 5, 40, 0, 0, "blue"}, {"\\\"", 1, 2}}},
  };
  for (const TDpCase& row : cases) {
    SCOPED_TRACE(row.Name);
    const auto reply = ParseDarkPlacesReply("\xff\xff\xff\xff" + row.Reply);
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->Status);
    EXPECT_EQ(reply->Challenge, "c1");
    EXPECT_EQ(reply->Info.Name, "H");
    EXPECT_EQ(reply->Info.Game, "id1");
    EXPECT_EQ(reply->Info.Protocol, "DarkPlaces-Quake");
    EXPECT_EQ(reply->Info.Players, 2);
    EXPECT_EQ(reply->Info.MaxPlayers, 8);
    ASSERT_EQ(reply->Info.PlayerList.size(), row.Players.size());
    for (std::size_t i = 0; i < row.Players.size(); ++i) {
      const TServerPlayer& got = reply->Info.PlayerList[i];
      EXPECT_EQ(got.Name, row.Players[i].Name);
      EXPECT_EQ(got.Frags, row.Players[i].Frags);
      EXPECT_EQ(got.Ping, row.Players[i].Ping);
      EXPECT_EQ(got.Top, row.Players[i].Top);
      EXPECT_EQ(got.Bottom, row.Players[i].Bottom);
      EXPECT_EQ(got.Team, row.Players[i].Team);
    }
  }
  const auto brief = ParseDarkPlacesReply("\xff\xff\xff\xffinfoResponse\n" + info);
  ASSERT_TRUE(brief);
  EXPECT_FALSE(brief->Status);
  EXPECT_FALSE(ParseDarkPlacesReply("\xff\xff\xff\xffstatusResponse\nno info"));
  EXPECT_FALSE(ParseDarkPlacesReply("statusResponse\n" + info));
}

// What no engine sends is no reply: an info string cut inside a key, a datagram longer than
// any status reply.
TEST(StatusCodecs, RefuseAnInfoStringCutInsideAKeyAndAnOversizedDatagram) {
  const std::string header = "\xff\xff\xff\xff";
  const std::string cut = "\\hostname\\QW Trunc\\ma";
  const std::string whole = "\\hostname\\QW\\map\\e1m1";
  const std::string padding = "\\pad\\" + std::string(9000, 'x');
  struct TRow {
    const char* Name;
    std::string QuakeWorld, DarkPlaces;
    bool Parses;
  };
  for (const TRow& row : {
           TRow{"Whole", header + "n" + whole + "\n", header + "statusResponse\n" + whole, true},
           TRow{"EmptyValueAtTheEnd", header + "n" + whole + "\\rate\\",
                header + "infoResponse\n" + whole + "\\rate\\", true},
           TRow{"CutInsideAKey", header + "n" + cut + "\n", header + "statusResponse\n" + cut,
                false},
           TRow{"Oversized", header + "n" + whole + padding + "\n",
                header + "statusResponse\n" + whole + padding, false},
       }) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(ParseQuakeWorldStatus(row.QuakeWorld).has_value(), row.Parses);
    EXPECT_EQ(ParseDarkPlacesReply(row.DarkPlaces).has_value(), row.Parses);
  }
}

TEST(MasterCodec, ListsAcrossPacketsWithTheEndMarkOnlyInTheLast) {
  EXPECT_EQ(DpMasterRequest("DarkPlaces-Quake", false),
            "\xff\xff\xff\xffgetservers DarkPlaces-Quake 3 empty full");
  EXPECT_EQ(DpMasterRequest("FTE-Quake", true),
            "\xff\xff\xff\xffgetserversExt FTE-Quake 3 empty full ipv4 ipv6");
  EXPECT_EQ(QuakeWorldMasterRequest(), "c\n\0"s);
  const auto first = ParseDpMasterReply(
      "\xff\xff\xff\xffgetserversResponse\\\x7f\0\0\x01\x65\x90"s + "\\\x0a\0\0\x02\0\0"s);
  ASSERT_TRUE(first);
  EXPECT_FALSE(first->Last);
  ASSERT_EQ(first->Servers.size(), 1u);  // port 0 is no server
  EXPECT_EQ(first->Servers[0].ToString(), "127.0.0.1:26000");
  const auto last = ParseDpMasterReply("\xff\xff\xff\xffgetserversExtResponse/"s +
                                       std::string(15, '\0') + "\x01\x69\x78\\EOT\0\0\0"s);
  ASSERT_TRUE(last);
  EXPECT_TRUE(last->Last);
  ASSERT_EQ(last->Servers.size(), 1u);
  EXPECT_EQ(last->Servers[0].ToString(), "[::1]:27000");
  EXPECT_FALSE(ParseDpMasterReply("\xff\xff\xff\xffgetserversResponse/"s + std::string(18, '\1')));
  EXPECT_FALSE(ParseDpMasterReply("\xff\xff\xff\xffgetserversResponse\\\x7f\0\0"s));
  const auto qw = ParseQuakeWorldMasterReply(
      "\xff\xff\xff\xff"
      "d\n\x7f\0\0\x01\x6b\x6c\x7f\0"s);
  ASSERT_TRUE(qw);
  ASSERT_EQ(qw->Servers.size(), 1u);
  EXPECT_EQ(qw->Servers[0].ToString(), "127.0.0.1:27500");
}

}  // namespace
}  // namespace fx
