#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demos/DemoReader.h"
#include "fixtures/DemoBuilder.h"
#include "fixtures/PakBuilder.h"
#include "gamedata/QuakeText.h"

namespace fx {
namespace {

using test::LE32;
using test::NqName;
using test::NqServerInfo;
using test::NqTime;
using test::TNetQuakeDemo;
using test::TQuakeWorldDemo;

TDemoInfo Read(const std::string& bytes, TDemoFormat format = TDemoFormat::NetQuake) {
  TMemoryDemoSource source(bytes);
  return ReadDemo(source, format);
}

struct TProtocolCase {
  std::int32_t Protocol;
  std::string Name;
};

class NetQuakeProtocols : public testing::TestWithParam<TProtocolCase> {};

// One demo per protocol a NetQuake-family engine writes: the protocol is named, and map,
// title, players and length come out whatever the protocol.
TEST_P(NetQuakeProtocols, ReadsMapTitlePlayersAndLength) {
  const TProtocolCase& c = GetParam();
  const std::string bytes =
      TNetQuakeDemo()
          .Level(c.Protocol, "e1m1", "the Slipgate Complex", {"ranger", "grunt"}, 10.0f, 0.05f, 101)
          .Block(test::NqDisconnect())
          .Block(NqTime(99))  // after the disconnect: not played
          .Bytes();
  const TDemoInfo info = Read(bytes);
  EXPECT_EQ(info.Problem, "");
  EXPECT_TRUE(info.IsDemo);
  EXPECT_EQ(info.Protocol, c.Protocol);
  EXPECT_EQ(DemoProtocolName(info.Format, info.Protocol, info.ProtocolFlags), c.Name);
  ASSERT_EQ(info.Levels.size(), 1u);
  EXPECT_EQ(info.Levels[0].Map, "e1m1");
  EXPECT_EQ(info.Levels[0].Title, "the Slipgate Complex");
  EXPECT_NEAR(info.Seconds, 5.0, 1e-4);
  EXPECT_EQ(info.Players, (std::vector<std::string>{"ranger", "grunt"}));
  EXPECT_EQ(info.MaxClients, 3);
  EXPECT_EQ(info.GameKind, TGameKind::Coop);
}

INSTANTIATE_TEST_SUITE_P(All, NetQuakeProtocols,
                         testing::Values(TProtocolCase{15, "15 (NetQuake)"},
                                         TProtocolCase{666, "666 (FitzQuake)"},
                                         TProtocolCase{96, "96 (DarkPlaces 1)"},
                                         TProtocolCase{97, "97 (DarkPlaces 2)"},
                                         TProtocolCase{3500, "3500 (DarkPlaces 3)"},
                                         TProtocolCase{3504, "3504 (DarkPlaces 7)"},
                                         TProtocolCase{3505, "3505 (DarkPlaces 8)"},
                                         TProtocolCase{250, "250 (Nehahra movie)"},
                                         TProtocolCase{10000, "10000 (Nehahra BJP)"},
                                         TProtocolCase{10002, "10002 (Nehahra BJP3)"}));

TEST(NetQuakeDemo, ReadsRmqFlagsAndFteExtensionWords) {
  // 999 carries its flags after the number; quakespasm-spiked puts FTE's extension words
  // before it. Float angles (flag 1<<2) size svc_setangle at 12 bytes.
  const std::int32_t fte = 'F' | ('T' << 8) | ('E' << 16) | ('X' << 24);
  const std::string setangle = "\x0a" + std::string(12, '\0');
  const std::string bytes =
      TNetQuakeDemo()
          .Block(NqServerInfo(999, 0x14, 1, 0, "Start", {"maps/start.bsp"}, {fte, 0x1234}))
          .Block(NqTime(1) + setangle + NqName(0, "solo"))
          .Block(NqTime(3.5f))
          .Bytes();
  const TDemoInfo info = Read(bytes);
  EXPECT_EQ(info.Problem, "");
  EXPECT_EQ(DemoProtocolName(info.Format, info.Protocol, info.ProtocolFlags),
            "999 (RMQ, flags 0x14)");
  EXPECT_EQ(info.GameKind, TGameKind::SinglePlayer);
  EXPECT_EQ(info.Players, std::vector<std::string>{"solo"});
  EXPECT_NEAR(info.Seconds, 2.5, 1e-6);
}

TEST(NetQuakeDemo, SumsTheLevelsOfAMultiLevelDemo) {
  // A changelevel restarts the server time; each level counts from its own first time.
  const std::string bytes = TNetQuakeDemo()
                                .Level(666, "e1m1", "One", {"a"}, 1.0f, 0.1f, 21)
                                .Block("\x09reconnect\n")
                                .Level(666, "e1m2", "Two", {"a", "b"}, 0.5f, 0.1f, 31)
                                .Bytes();
  const TDemoInfo info = Read(bytes);
  EXPECT_EQ(info.Problem, "");
  ASSERT_EQ(info.Levels.size(), 2u);
  EXPECT_EQ(info.Levels[1].Map, "e1m2");
  EXPECT_NEAR(info.Levels[0].Seconds, 2.0, 1e-4);
  EXPECT_NEAR(info.Levels[1].Seconds, 3.0, 1e-4);
  EXPECT_NEAR(info.Seconds, 5.0, 1e-4);
  EXPECT_EQ(info.Players, (std::vector<std::string>{"a", "b"}));
}

TEST(NetQuakeDemo, SkipsDarkPlacesClientBlocks) {
  // darkplaces cl_demo.c:257: the high bit marks the client's own message; 12 bytes of
  // angles and the message follow, skipped whole.
  const std::string bytes = TNetQuakeDemo()
                                .Level(3504, "dm2", "Claustrophobopolis", {"p"}, 0.0f, 1.0f, 2)
                                .RawBlock(static_cast<std::int32_t>(0x80000000u | 3u), "abc")
                                .Block(NqTime(4))
                                .Bytes();
  const TDemoInfo info = Read(bytes);
  EXPECT_EQ(info.Problem, "");
  EXPECT_NEAR(info.Seconds, 4.0, 1e-6);
}

struct TDamagedCase {
  std::string Label;
  std::string Bytes;
  std::string Problem;
  bool IsDemo;
  std::size_t Levels;
};

std::string GoodStart() {
  return TNetQuakeDemo().Level(15, "e1m1", "Slipgate", {"p"}, 0.0f, 0.5f, 5).Bytes();
}

class DamagedNetQuake : public testing::TestWithParam<TDamagedCase> {};

// A damaged demo gives what could be read and says why the rest could not.
TEST_P(DamagedNetQuake, ListsWhatCouldBeReadAndWhy) {
  const TDamagedCase& c = GetParam();
  const TDemoInfo info = Read(c.Bytes);
  EXPECT_EQ(info.Problem, c.Problem);
  EXPECT_EQ(info.IsDemo, c.IsDemo);
  EXPECT_EQ(info.Levels.size(), c.Levels);
  if (c.Levels > 0) {
    EXPECT_NEAR(info.Seconds, 2.0, 1e-6);
  }
}

const std::string kGood = GoodStart();

INSTANTIATE_TEST_SUITE_P(
    All, DamagedNetQuake,
    testing::Values(
        TDamagedCase{"ZeroBytes", "", "not a demo", false, 0},
        TDamagedCase{"TextFile", "Quake demo notes\nby someone\n", "not a demo", false, 0},
        TDamagedCase{"NoLineBreak", "-1", "not a demo", false, 0},
        TDamagedCase{"HeaderOnly", "-1\n", "not a demo", true, 0},
        TDamagedCase{"CutInABlockHead", kGood + LE32(5),
                     "truncated at byte " + std::to_string(kGood.size() + 4), true, 1},
        TDamagedCase{"LengthPastTheEnd", TNetQuakeDemo(kGood).RawBlock(100, "xyz").Bytes(),
                     "truncated at byte " + std::to_string(kGood.size() + 19), true, 1},
        TDamagedCase{"BlockOver64000",
                     TNetQuakeDemo(kGood).Block(std::string(64001, '\x01')).Bytes(),
                     "message longer than 64,000 bytes", true, 1},
        TDamagedCase{"NegativeLength", TNetQuakeDemo(kGood).RawBlock(-5, "").Bytes(),
                     "bad message length at byte " + std::to_string(kGood.size()), true, 1},
        TDamagedCase{
            "UnknownProtocol",
            TNetQuakeDemo().Block(NqServerInfo(1234, 0, 1, 0, "x", {"maps/x.bsp"})).Bytes(),
            "unknown protocol 1234", true, 0}),
    [](const testing::TestParamInfo<TDamagedCase>& c) { return c.param.Label; });

TEST(NetQuakeDemo, TakesABlockOf64000Bytes) {
  // The limit itself is allowed (quakespasm refuses only a longer one); a DarkPlaces demo may
  // hold up to 65,536.
  const std::string limit = TNetQuakeDemo(kGood).Block(std::string(64000, '\x01')).Bytes();
  EXPECT_EQ(Read(limit).Problem, "");
  const std::string dp = TNetQuakeDemo()
                             .Level(3503, "e1m1", "x", {}, 0.0f, 1.0f, 2)
                             .Block(std::string(65536, '\x01'))
                             .Block(std::string(65537, '\x01'))
                             .Bytes();
  EXPECT_EQ(Read(dp).Problem, "message longer than 65,536 bytes");
}

TEST(NetQuakeDemo, KeepsQuakesHighBitNamesAsBytes) {
  // Names are the bytes the server sent; the program's one glyph mapping shows them.
  const std::string name = "\xd2\xe1\xee\xe7\xe5\xf2";  // "Ranger" in Quake's brown letters
  const std::string bytes =
      TNetQuakeDemo().Level(15, "e1m1", "\xd4itle", {name}, 0.0f, 1.0f, 2).Bytes();
  const TDemoInfo info = Read(bytes);
  ASSERT_EQ(info.Players.size(), 1u);
  EXPECT_EQ(info.Players[0], name);
  EXPECT_EQ(QuakeTextToUtf8(info.Players[0]), "Ranger");
  EXPECT_EQ(QuakeTextToUtf8(info.Levels[0].Title), "Title");
}

TEST(QuakeWorldDemo, ReadsQwdAndMvd) {
  const std::int32_t mvd1 = 'M' | ('V' << 8) | ('D' << 16) | ('1' << 24);
  for (const bool mvd : {false, true}) {
    SCOPED_TRACE(mvd ? "mvd" : "qwd");
    TQuakeWorldDemo demo(mvd);
    demo.Message(mvd ? 0 : 12.5, test::QwServerData(28, mvd, "qw", "The Abandoned Base", {mvd1, 1}))
        .Message(mvd ? 0 : 12.5, test::QwModelList({"maps/dm3.bsp", "progs/player.mdl"}) +
                                     test::QwUserInfo(0, "\\name\\alpha\\team\\red") +
                                     test::QwUserInfo(1, "\\name\\beta\\*spectator\\1") +
                                     test::QwUserInfo(2, "") +
                                     test::QwUserInfo(3, "\\team\\x\\name\\gamma"));
    if (!mvd) demo.Raw(test::LEFloat(13) + '\x02' + LE32(1) + LE32(2));  // dem_set
    for (int frame = 1; frame <= 40; ++frame)
      demo.Message(mvd ? 50 : 12.5 + 0.05 * frame, "\x2a");  // svc_playerinfo: not sized
    // Hidden data to no one is skipped whole (it would otherwise name a player).
    if (mvd) demo.Multiple(0, 0, test::QwUserInfo(4, "\\name\\hidden"));
    const TDemoInfo info = Read(demo.Bytes(), mvd ? TDemoFormat::Mvd : TDemoFormat::QuakeWorld);
    EXPECT_EQ(info.Problem, "");
    EXPECT_EQ(DemoProtocolName(info.Format, info.Protocol, 0),
              mvd ? "28 (MVD)" : "28 (QuakeWorld)");
    EXPECT_EQ(info.GameDir, "qw");
    ASSERT_EQ(info.Levels.size(), 1u);
    EXPECT_EQ(info.Levels[0].Map, "dm3");
    EXPECT_EQ(info.Levels[0].Title, "The Abandoned Base");
    EXPECT_NEAR(info.Seconds, 2.0, 1e-4);
    EXPECT_EQ(info.Players, (std::vector<std::string>{"alpha", "gamma"}));
    EXPECT_EQ(info.GameKind, TGameKind::Deathmatch);
    EXPECT_EQ(info.MaxClients, 8);
  }
}

TEST(QuakeWorldDemo, ReportsDamage) {
  const std::string start =
      TQuakeWorldDemo(true).Message(0, test::QwServerData(28, true, "qw", "x")).Bytes();
  struct TCase {
    std::string Bytes;
    TDemoFormat Format;
    std::string Problem;
  };
  const std::vector<TCase> cases = {
      {"", TDemoFormat::Mvd, "not a demo"},
      {"just some text in a file", TDemoFormat::QuakeWorld, "not a demo"},
      {start + "\x05\x06" + LE32(10) + "abc", TDemoFormat::Mvd,
       "truncated at byte " + std::to_string(start.size() + 9)},
      {start + "\x05\x06" + LE32(8193), TDemoFormat::Mvd, "message longer than 8,192 bytes"},
      {start + "\x05\x07", TDemoFormat::Mvd,
       "unknown block at byte " + std::to_string(start.size())},
      {TQuakeWorldDemo(true).Message(0, test::QwServerData(22, true, "qw", "x")).Bytes(),
       TDemoFormat::Mvd, "unknown protocol 22"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Problem);
    EXPECT_EQ(Read(c.Bytes, c.Format).Problem, c.Problem);
  }
}

TEST(DemoText, FormatsLengthsAndNamesFormats) {
  EXPECT_EQ(DemoLengthText(0), "0:00");
  EXPECT_EQ(DemoLengthText(59.99), "0:59");
  EXPECT_EQ(DemoLengthText(605), "10:05");
  EXPECT_EQ(DemoLengthText(3725), "1:02:05");
  EXPECT_EQ(DemoLengthText(-3), "0:00");
  // The fuzzer's find: a damaged demo's time far past what a long can count.
  EXPECT_EQ(DemoLengthText(6.33825e29), "1000000:00:00");
  EXPECT_EQ(DemoFormatOfName("DUEL.MVD"), TDemoFormat::Mvd);
  EXPECT_EQ(DemoFormatOfName("a.qwd"), TDemoFormat::QuakeWorld);
  EXPECT_EQ(DemoFormatOfName("a.dem"), TDemoFormat::NetQuake);
  EXPECT_EQ(DemoProtocolName(TDemoFormat::NetQuake, 1234, 0), "1234 (unknown)");
}

}  // namespace
}  // namespace fx
