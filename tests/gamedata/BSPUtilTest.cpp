#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fixtures/BspBuilder.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/PakBuilder.h"
#include "fixtures/TempDir.h"
#include "gamedata/BSPUtil.h"
#include "gamedata/CParser.h"
#include "gamedata/FrameStream.h"
#include "gamedata/Stream.h"

namespace fx {
namespace {

std::string TitleOf(const std::string& mapBytes) {
  TMemoryStream stream(mapBytes);
  return ReadMapTitle(stream);
}

std::string TitleOfLump(const std::string& entities) {
  return TitleOf(test::TBspBuilder(entities).Build());
}

const std::string kPlayerStart = test::Entity({{"classname", "info_player_start"}});

TEST(ReadMapTitleTest, MessageOfWorldspawnWhicheverPairComesFirst) {
  EXPECT_EQ(TitleOfLump(test::Entity({{"classname", "worldspawn"}, {"message", "The Slipgate"}}) +
                        kPlayerStart),
            "The Slipgate");
  EXPECT_EQ(TitleOfLump(test::Entity({{"message", "Before"}, {"classname", "worldspawn"}}) +
                        kPlayerStart),
            "Before");
}

TEST(ReadMapTitleTest, WorldspawnAfterOtherEntitiesTakesOnlyItsOwnMessage) {
  const std::string lump = test::Entity({{"message", "not this"}, {"classname", "light"}}) +
                           test::Entity({{"classname", "worldspawn"}, {"wad", "q.wad"}}) +
                           kPlayerStart;
  EXPECT_EQ(TitleOfLump(lump), "(Untitled)");
  const std::string titled = test::Entity({{"message", "not this"}, {"classname", "light"}}) +
                             test::Entity({{"classname", "worldspawn"}, {"message", "this"}});
  EXPECT_EQ(TitleOfLump(titled), "this");
}

TEST(ReadMapTitleTest, UntitledMaps) {
  EXPECT_EQ(TitleOfLump(test::Entity({{"classname", "worldspawn"}}) + kPlayerStart), "(Untitled)");
  EXPECT_EQ(TitleOfLump(test::Entity({{"classname", "worldspawn"}, {"message", ""}})),
            "(Untitled)");
  // The whole lump read without a worldspawn: the missing "{" behind the
  // last "}" is a parse error.
  EXPECT_EQ(TitleOfLump(kPlayerStart), "(Untitled)");
  // Case counts.
  EXPECT_EQ(TitleOfLump(test::Entity({{"classname", "WorldSpawn"}, {"message", "x"}})),
            "(Untitled)");
}

TEST(ReadMapTitleTest, MarkerWhenLumpEndsInsideAnEntityWithoutWorldspawn) {
  EXPECT_EQ(TitleOfLump("{\n\"classname\" \"light\"\n\"message\" \"x\"\n"), "\x01");
  EXPECT_EQ(TitleOfLump(kPlayerStart + "{\n\"origin\" \"0 0 0\"\n"), "\x01");
}

TEST(ReadMapTitleTest, QuotesAndBackslashesInTitles) {
  EXPECT_EQ(
      TitleOfLump("{\n\"classname\" \"worldspawn\"\n\"message\" \"The \"\"Big\"\" One\"\n}\n"),
      "The \"Big\" One");
  EXPECT_EQ(TitleOfLump("{\n\"classname\" \"worldspawn\"\n\"message\" \"a\\\\b\\nc\"\n}\n"),
            "a\\bnc");
}

TEST(ReadMapTitleTest, DamagedMapsAreUntitled) {
  const std::string good =
      test::TBspBuilder(test::Entity({{"classname", "worldspawn"}, {"message", "M"}})).Build();
  EXPECT_EQ(TitleOf(good), "M");
  EXPECT_EQ(TitleOf(good.substr(0, 123)), "(Untitled)");
  EXPECT_EQ(TitleOf(""), "(Untitled)");
  const std::string lump = test::Entity({{"classname", "worldspawn"}, {"message", "M"}});
  EXPECT_EQ(TitleOf(test::TBspBuilder(lump).StatedOffset(-5000).Build()), "(Untitled)");
  EXPECT_EQ(TitleOf(test::TBspBuilder(lump).StatedOffset(0x7FFFFFFF).Build()), "(Untitled)");
  EXPECT_EQ(TitleOf(test::TBspBuilder(lump).StatedLength(-1).Build()), "(Untitled)");
  EXPECT_EQ(TitleOf(test::TBspBuilder("garbage {").Build()), "(Untitled)");
  // A value without its closing quote.
  EXPECT_EQ(TitleOfLump("{\n\"classname\" \"worldspawn\"\n\"message\" \"open\n}\n"), "(Untitled)");
}

TEST(ReadMapTitleTest, LumpThatStatesALongerLengthStillStopsAtItsZeroByte) {
  const std::string lump = test::Entity({{"message", "Zero"}, {"classname", "light"}});
  const std::string map =
      test::TBspBuilder(lump)
          .StatedLength(100000)
          .Trailer(test::Entity({{"classname", "worldspawn"}, {"message", "beyond"}}))
          .Build();
  // The zero byte ends the text: the worldspawn behind it is never read.
  EXPECT_EQ(TitleOf(map), "(Untitled)");
}

TEST(ReadMapTitleTest, LumpWithoutZeroByteEndsAtItsStatedLength) {
  // The next bytes of the file would complete the entity; the window keeps
  // them out, so the lump ends inside its entity: no worldspawn was met.
  const std::string lump = "{\n\"classname\" \"light\"\n";
  const std::string map = test::TBspBuilder(lump)
                              .WithoutTerminator()
                              .Trailer("\"x\" \"y\"\n}\n{\n\"classname\" \"worldspawn\"\n}\n")
                              .Build();
  EXPECT_EQ(TitleOf(map), "\x01");
}

TEST(ReadMapTitleTest, LumpAfterAGapAndLargeLumps) {
  std::string lump = test::Entity({{"classname", "worldspawn"}, {"message", "Far"}});
  for (int i = 0; i < 3000; ++i)
    lump += test::Entity({{"classname", "light"}, {"origin", "1 2 3"}});
  EXPECT_EQ(TitleOf(test::TBspBuilder(lump).Gap(70000).Build()), "Far");
}

TEST(ReadMapTitleTest, MapInsideAnArchiveEntryWindow) {
  const std::string map =
      test::TBspBuilder(test::Entity({{"classname", "worldspawn"}, {"message", "Nested"}})).Build();
  const std::string archive = std::string(5000, 'x') + map + std::string(100, 'y');
  TMemoryStream file(archive);
  file.SetPosition(0);
  TFrameStream entry(file, 5000, static_cast<std::int64_t>(map.size()));
  EXPECT_EQ(ReadMapTitle(entry), "Nested");
}

TEST(ReadMapTitleTest, FromFile) {
  test::TTempDir dir;
  test::WriteFileBytes(
      dir / "start.bsp",
      test::TBspBuilder(test::Entity({{"classname", "worldspawn"}, {"message", "Intro"}})).Build());
  EXPECT_EQ(ReadMapTitleFromFile(dir / "start.bsp"), "Intro");
  EXPECT_EQ(ReadMapTitleFromFile(dir / "missing.bsp"), "(Untitled)");
  EXPECT_EQ(ReadMapTitleFromFile(dir.Path()), "(Untitled)");
}

TEST(FindEntityValueTest, ParseErrorsPassToTheCaller) {
  TMemoryStream noBrace("\"classname\" \"worldspawn\"");
  EXPECT_THROW(FindEntityValue(noBrace, "worldspawn", "message"), ECParserError);
  TMemoryStream keyNotString("{ classname \"worldspawn\" }");
  EXPECT_THROW(FindEntityValue(keyNotString, "worldspawn", "message"), ECParserError);
}

TEST(FindEntityValueTest, OtherClassAndKey) {
  TMemoryStream stream(test::Entity({{"classname", "worldspawn"}, {"wad", "gfx.wad"}}) +
                       test::Entity({{"origin", "1 2 3"}, {"classname", "info_player_start"}}));
  EXPECT_EQ(FindEntityValue(stream, "info_player_start", "origin"), "1 2 3");
}

TEST(FindEntityValueTest, StopsAtTheEndOfTheWantedEntity) {
  const std::string first = test::Entity({{"classname", "worldspawn"}});
  TMemoryStream stream(first + "this is not entity text \"");
  EXPECT_EQ(FindEntityValue(stream, "worldspawn", "message"), "");
  // The parser gives back what it read beyond its current token, the "}".
  EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(first.size()) - 2);
}

TEST(TranslateTitleTest, TableOfSpecialCharacters) {
  EXPECT_EQ(TranslateTitle("\x0B\x8B\x10\x90\x11\x91\x1C\x85"), "==[[]]--");
  EXPECT_EQ(TranslateTitle("\x12\x13\x1B"), "019");
  EXPECT_EQ(TranslateTitle("\x92\x93\x9B"), "019");
  EXPECT_EQ(TranslateTitle("\xC1\xA1\xFF"), "A!\x7F");
  const std::string unchanged = "\x80\x84\x86\x8A\x8C\x8F\x9C\xA0\x01\x0A\x1D Plain 1";
  EXPECT_EQ(TranslateTitle(unchanged), unchanged);
  EXPECT_EQ(TranslateTitle(""), "");
}

TEST(SharedMapsTest, RealMapsWithoutMessageAreUntitled) {
  for (const char* name : {"bsp/ericw-tools/q1_cube.bsp", "bsp/ericw-tools/q1_detail_fence2.bsp",
                           "bsp/ericw-tools/q1_decompiler_test.bsp", "bsp/trenchbroom/cube.bsp"}) {
    const auto file = test::SharedFixture(name);
    if (!std::filesystem::exists(file)) GTEST_SKIP() << file << " is not there";
    EXPECT_EQ(ReadMapTitleFromFile(file), "(Untitled)") << name;
    TFileStream stream(file, TFileStream::TMode::OpenRead);
    std::string header(124, '\0');
    stream.ReadBuffer(header.data(), 124);
    // Their worldspawn is real: asking for its "wad" key finds it.
    const auto offset = static_cast<std::uint8_t>(header[4]) | static_cast<std::uint8_t>(header[5])
                                                                   << 8;
    TFrameStream lump(stream, offset, 100000);
    const std::string wad = FindEntityValue(lump, "worldspawn", "wad");
    if (std::string(name).find("trenchbroom") != std::string::npos) {
      EXPECT_EQ(wad, "") << name;
    } else {
      EXPECT_NE(wad.find("free_wad.wad"), std::string::npos) << name;
    }
  }
}

}  // namespace
}  // namespace fx
