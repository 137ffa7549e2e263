#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fixtures/BspBuilder.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/PakBuilder.h"
#include "fixtures/TempDir.h"
#include "gamedata/BSPUtil.h"
#include "gamedata/PackUtil.h"

namespace fx {
namespace {

using test::LE32;
using test::PakHeader;
using test::PakRecord;

std::unique_ptr<TPackFile> PakOf(std::string bytes, std::string_view pattern = "*") {
  return std::make_unique<TPackFile>(std::make_unique<TMemoryStream>(std::move(bytes)), pattern);
}

std::string ReadAll(TStream& stream) {
  std::string bytes(1 << 16, '\0');
  bytes.resize(static_cast<std::size_t>(stream.Read(bytes.data(), 1 << 16)));
  return bytes;
}

std::string MapTitled(std::string_view title) {
  return test::TBspBuilder(test::Entity({{"classname", "worldspawn"}, {"message", title}})).Build();
}

TEST(PackFileTest, ListsEntriesInDirectoryOrderAndOpensThem) {
  test::TTempDir dir;
  test::WriteFileBytes(dir / "pak0.pak", test::TPakBuilder()
                                             .Add("progs.dat", "PROGS")
                                             .Add("maps/e1m1.bsp", "first map")
                                             .Add("gfx/pop.lmp", "POP")
                                             .Build());
  TPackFile pak(dir / "pak0.pak", "*");
  ASSERT_EQ(pak.Count(), 3);
  EXPECT_EQ(pak.Stream().Position(), 0);
  EXPECT_EQ(pak.Items(0).Name(), "progs.dat");
  EXPECT_EQ(pak.Items(1).Name(), "maps\\e1m1.bsp");
  EXPECT_EQ(pak.Items(1).FilePos(), 12 + 5);
  EXPECT_EQ(pak.Items(1).FileLen(), 9);
  auto entry = pak.Items(1).Open();
  EXPECT_EQ(pak.Stream().Position(), 0);
  EXPECT_EQ(ReadAll(*entry), "first map");
  EXPECT_EQ(ReadAll(*pak.Items(2).Open()), "POP");
  EXPECT_EQ(ReadAll(*pak.Items(0).Open()), "PROGS");
}

TEST(PackFileTest, PatternMatchesStoredNameCaseSensitively) {
  const std::string bytes = test::TPakBuilder()
                                .Add("maps/e1m1.bsp", "a")
                                .Add("maps/dm3.bsp", "b")
                                .Add("progs/player.mdl", "c")
                                .Add("MAPS/E1M1.BSP", "d")
                                .Add("maps/e1m1.bsp.bak", "e")
                                .Build();
  auto pak = PakOf(bytes, "maps*.bsp");
  ASSERT_EQ(pak->Count(), 2);
  EXPECT_EQ(pak->Items(0).Name(), "maps\\e1m1.bsp");
  EXPECT_EQ(pak->Items(1).Name(), "maps\\dm3.bsp");
  // The pattern sees "/", not the "\" kept in the entry.
  EXPECT_EQ(PakOf(bytes, "maps\\*")->Count(), 0);
  EXPECT_EQ(PakOf(bytes, "maps/e?m?.bsp")->Count(), 1);
  EXPECT_EQ(PakOf(bytes, "")->Count(), 0);
}

TEST(PackFileTest, PatternMatcher) {
  EXPECT_TRUE(MatchesPackPattern("", "*"));
  EXPECT_TRUE(MatchesPackPattern("abc", "a*"));
  EXPECT_TRUE(MatchesPackPattern("abc", "*c"));
  EXPECT_TRUE(MatchesPackPattern("abcbc", "a*bc"));
  EXPECT_TRUE(MatchesPackPattern("abc", "?b?"));
  EXPECT_FALSE(MatchesPackPattern("abc", "??"));
  EXPECT_FALSE(MatchesPackPattern("abc", "ab"));
  EXPECT_FALSE(MatchesPackPattern("ab", "abc"));
  EXPECT_FALSE(MatchesPackPattern("abd", "a*c"));
  const std::string longName(56, 'a');
  EXPECT_FALSE(MatchesPackPattern(longName, "*a*a*a*a*a*a*a*a*b"));
}

TEST(PackFileTest, NameFillingAll56BytesIsTakenWhole) {
  const std::string name56(56, 'n');
  const std::string bytes = PakHeader(12, 64) + PakRecord(name56, 0, 12) + std::string(8, '\0');
  auto pak = PakOf(bytes);
  ASSERT_EQ(pak->Count(), 1);
  EXPECT_EQ(pak->Items(0).Name(), name56);
  EXPECT_EQ(pak->Items(0).FilePos(), 0);
}

TEST(PackFileTest, RecordKeptWholeWithBackslashes) {
  std::string record = PakRecord("a/b", 7, 9);
  record[10] = 'Z';  // after the zero byte: kept, not part of the name
  auto pak = PakOf(PakHeader(12, 64) + record);
  ASSERT_EQ(pak->Count(), 1);
  const auto& kept = pak->Items(0).Record();
  EXPECT_EQ(std::string(kept.begin(), kept.begin() + 4), std::string("a\\b\0", 4));
  EXPECT_EQ(kept[10], 'Z');
  EXPECT_EQ(pak->Items(0).Name(), "a\\b");
}

TEST(PackFileTest, DirectoryLengthIsCutToWholeRecords) {
  const std::string dir = PakRecord("one", 0, 1) + PakRecord("two", 0, 1) + "xx";
  EXPECT_EQ(PakOf(PakHeader(12, 130) + dir)->Count(), 2);
  EXPECT_EQ(PakOf(PakHeader(12, 63) + dir)->Count(), 0);
  EXPECT_EQ(PakOf(PakHeader(12, 0) + dir)->Count(), 0);
  EXPECT_EQ(PakOf(PakHeader(12, -64) + dir)->Count(), 0);
}

TEST(PackFileTest, DamagedHeadersGiveArchivesWithoutEntries) {
  EXPECT_EQ(PakOf("")->Count(), 0);
  EXPECT_EQ(PakOf("PACK\x0c\0\0\0\x40\0\0" /* 11 bytes */)->Count(), 0);
  const std::string dir = PakRecord("one", 0, 1);
  EXPECT_EQ(PakOf(PakHeader(-1, 64) + dir)->Count(), 0);
  EXPECT_EQ(PakOf(PakHeader(0x7FFFFFFF, 64) + dir)->Count(), 0);
  // A directory stated at 2 GB neither allocates that much nor loops over it.
  auto huge = PakOf(PakHeader(12, 0x7FFFFFC0) + dir + PakRecord("two", 0, 1) + "cut");
  EXPECT_EQ(huge->Count(), 2);
  EXPECT_EQ(huge->Stream().Position(), 0);
}

TEST(PackFileTest, IdentificationIsNotChecked) {
  auto pak = PakOf(PakHeader(12, 64, "JUNK") + PakRecord("x", 0, 4));
  ASSERT_EQ(pak->Count(), 1);
  EXPECT_EQ(ReadAll(*pak->Items(0).Open()), "JUNK");
}

TEST(PackFileTest, WindowStopsAtTheEntryEnd) {
  auto pak = PakOf(test::TPakBuilder().Add("a", "AAAA").Add("b", "BBBB").Build());
  ASSERT_EQ(pak->Count(), 2);
  EXPECT_EQ(ReadAll(*pak->Items(0).Open()), "AAAA");
}

TEST(PackFileTest, MapTitlesThroughNestedWindows) {
  auto pak = PakOf(
      test::TPakBuilder()
          .Add("maps/start.bsp", MapTitled("Introduction"))
          .Add("maps/e1m1.bsp", MapTitled("the Slipgate Complex"))
          .Add("maps/b_bh10.bsp", test::TBspBuilder(test::Entity({{"classname", "item_health"}}))
                                      .WithoutTerminator()
                                      .Build())
          .Build(),
      "maps*.bsp");
  ASSERT_EQ(pak->Count(), 3);
  // Read out of order, each through its own window onto the one stream.
  EXPECT_EQ(ReadMapTitle(*pak->Items(1).Open()), "the Slipgate Complex");
  EXPECT_EQ(ReadMapTitle(*pak->Items(0).Open()), "Introduction");
  EXPECT_EQ(ReadMapTitle(*pak->Items(2).Open()), "(Untitled)");
}

TEST(PackFileTest, MissingFileRaises) {
  test::TTempDir dir;
  EXPECT_THROW(TPackFile(dir / "none.pak", "*"), EFOpenError);
}

TEST(SharedPaksTest, OddlyLaidOutArchiveFollowsItsOffsets) {
  const auto file = test::SharedFixture("pak/qmin/id1/pak0.pak");
  if (!std::filesystem::exists(file)) GTEST_SKIP() << file << " is not there";
  TPackFile pak(file, "*");
  ASSERT_EQ(pak.Count(), 1);
  EXPECT_EQ(pak.Items(0).Name(), "hellothere.txt");
  EXPECT_EQ(pak.Items(0).FilePos(), 56);
  const std::string text = ReadAll(*pak.Items(0).Open());
  EXPECT_EQ(text.size(), 21u);
}

TEST(SharedPaksTest, QuakespasmEntityFilesAndPatterns) {
  const auto file = test::SharedFixture("pak/debian-quakespasm/quakespasm.pak");
  if (!std::filesystem::exists(file)) GTEST_SKIP() << file << " is not there";
  EXPECT_EQ(TPackFile(file, "*").Count(), 8);
  EXPECT_EQ(TPackFile(file, "maps*.bsp").Count(), 0);
  TPackFile ents(file, "maps/*@*.ent");
  ASSERT_EQ(ents.Count(), 6);
  EXPECT_EQ(ents.Items(0).Name(), "maps\\e1m1@c49d.ent");
  // These entries are bare entity lumps: their worldspawn is found through
  // the entry's window.
  EXPECT_EQ(FindEntityValue(*ents.Items(0).Open(), "worldspawn", "message"),
            "the Slipgate Complex");
  for (const TLibEntry& entry : ents.Entries()) {
    const std::string value = FindEntityValue(*entry.Open(), "worldspawn", "wad");
    EXPECT_NE(value, std::string(kNoEntityMarker)) << entry.Name();
  }
}

TEST(SharedPaksTest, TextPaksListTheirEntries) {
  const auto file = test::SharedFixture("pak/trenchbroom/GameFileSystem/id1/pak0.pak");
  if (!std::filesystem::exists(file)) GTEST_SKIP() << file << " is not there";
  TPackFile pak(file, "id1_pak0_?.txt");
  ASSERT_EQ(pak.Count(), 2);
  EXPECT_EQ(pak.Items(0).Name(), "id1_pak0_1.txt");
  EXPECT_EQ(ReadAll(*pak.Items(1).Open()).size(), 10u);
}

}  // namespace
}  // namespace fx
