#include "platform/GamePaths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "fixtures/FileBuilder.h"
#include "fixtures/PakBuilder.h"
#include "fixtures/TempDir.h"
#include "platform/PackDirectory.h"

namespace fx {
namespace {

class GamePathsTest : public ::testing::Test {
 protected:
  test::TTempDir FDir;
  std::filesystem::path Game() const { return FDir.Path(); }
};

TEST_F(GamePathsTest, MatchesEachComponentWhateverItsCase) {
  test::WriteFileBytes(Game() / "id1" / "pak1.pak", "PACK");
  test::WriteFileBytes(Game() / "id1" / "gfx" / "pop.lmp", "x");
  EXPECT_EQ(ResolveGamePath(Game(), "ID1\\PAK1.PAK"), Game() / "id1" / "pak1.pak");
  EXPECT_EQ(ResolveGamePath(Game(), "Id1\\Gfx\\Pop.Lmp"), Game() / "id1" / "gfx" / "pop.lmp");
  EXPECT_EQ(ResolveGamePath(Game(), "id1/gfx/pop.lmp"), Game() / "id1" / "gfx" / "pop.lmp");
}

TEST_F(GamePathsTest, FindsUpperCaseDataFromLowerCaseNames) {
  test::WriteFileBytes(Game() / "ID1" / "PAK0.PAK", "PACK");
  EXPECT_EQ(ResolveGamePath(Game(), "id1\\pak0.pak"), Game() / "ID1" / "PAK0.PAK");
  EXPECT_EQ(ResolveGamePath(Game(), "id1\\maps"), Game() / "ID1" / "maps");
}

TEST_F(GamePathsTest, KeepsTheRestAsWrittenFromTheFirstMissingComponent) {
  std::filesystem::create_directories(Game() / "id1");
  EXPECT_EQ(ResolveGamePath(Game(), "ID1\\Frax.cfg"), Game() / "id1" / "Frax.cfg");
  EXPECT_EQ(ResolveGamePath(Game(), "MyMod\\Maps\\E1M1.BSP"),
            Game() / "MyMod" / "Maps" / "E1M1.BSP");
}

TEST_F(GamePathsTest, ExactSpellingWinsOverACaseVariant) {
  test::WriteFileBytes(Game() / "id1" / "a", "lower");
  test::WriteFileBytes(Game() / "ID1" / "b", "upper");
  EXPECT_EQ(ResolveGamePath(Game(), "ID1\\b"), Game() / "ID1" / "b");
  EXPECT_EQ(ResolveGamePath(Game(), "id1\\a"), Game() / "id1" / "a");
  // Neither spelled as asked: the choice is the same on every run.
  EXPECT_EQ(ResolveGamePath(Game(), "iD1"), Game() / "ID1");
}

TEST_F(GamePathsTest, SeparatorsDotsAndEmptyComponents) {
  test::WriteFileBytes(Game() / "id1" / "config.cfg", "");
  EXPECT_EQ(ResolveGamePath(Game(), "ID1\\\\.\\CONFIG.CFG"), Game() / "id1" / "config.cfg");
  EXPECT_EQ(ResolveGamePath(Game(), "ID1\\"), Game() / "id1");
  EXPECT_EQ(ResolveGamePath(Game(), ""), Game());
}

TEST_F(GamePathsTest, AGameFolderThatDoesNotExistMatchesNothing) {
  const auto missing = Game() / "no-such-quake";
  EXPECT_EQ(ResolveGamePath(missing, "ID1\\PAK0.PAK"), missing / "ID1" / "PAK0.PAK");
}

TEST_F(GamePathsTest, AModFolderIsFoundWhateverItsCaseOrUnderItsCommonName) {
  std::filesystem::create_directories(Game() / "ctf");
  std::filesystem::create_directories(Game() / "fortress");
  std::filesystem::create_directories(Game() / "patches" / "Fortress");
  EXPECT_EQ(ResolveModFolder(Game(), "CTF"), Game() / "ctf");
  EXPECT_EQ(ResolveModFolder(Game(), "TEAMF"), Game() / "fortress");
  EXPECT_EQ(ResolveModFolder(Game(), "patches\\teamf"), Game() / "patches" / "Fortress");
  EXPECT_EQ(ResolveModFolder(Game(), "HH"), Game() / "HH");  // none: as written
  std::filesystem::create_directories(Game() / "TeamF");
  EXPECT_EQ(ResolveModFolder(Game(), "TEAMF"), Game() / "TeamF");  // its own name first
}

TEST(UserFolders, EachPrefixTakesItsHomeAndFallsBackToTheOther) {
  const TUserHomes both{"/home/acct", "/env/home", "/xdg/data", "/fte/home"};
  const TUserHomes accountOnly{"/home/acct", "", "", ""};
  const TUserHomes envOnly{"", "/env/home", "", ""};
  struct TCase {
    const char* Pattern;
    TUserHomes Homes;
    const char* Expected;
  };
  for (const TCase& c : {
           TCase{"~/.quakespasm", both, "/home/acct/.quakespasm"},
           TCase{"~/.quakespasm", envOnly, "/env/home/.quakespasm"},
           TCase{"$HOME/.darkplaces", both, "/env/home/.darkplaces"},
           TCase{"$HOME/.darkplaces", accountOnly, "/home/acct/.darkplaces"},
           TCase{"$XDG_DATA_HOME/quake", both, "/xdg/data/quake"},
           TCase{"$XDG_DATA_HOME/quake", envOnly, "/env/home/.local/share/quake"},
           TCase{"~/.ironwail", TUserHomes{}, ""},
           TCase{"$FTEHOME", both, "/fte/home"},
           TCase{"$FTEHOME", envOnly, ""},
           TCase{"", both, ""},
       })
    EXPECT_EQ(ExpandUserFolder(c.Pattern, c.Homes), std::filesystem::path(c.Expected)) << c.Pattern;
}

TEST_F(GamePathsTest, AnArchiveDirectoryIsReadWithoutItsData) {
  const std::string pak =
      test::TPakBuilder().Add("maps/DM_Arena.bsp", "x").Add("gfx/pop.lmp", "p").Build();
  test::WriteFileBytes(Game() / "id1" / "PAK0.PAK", pak);
  test::WriteFileBytes(Game() / "id1" / "pak1.pak", test::PakHeader(1 << 30, 64));
  test::WriteFileBytes(Game() / "id1" / "readme.txt", pak);
  const auto packs = PackFilesIn(Game() / "id1");
  ASSERT_EQ(packs, (std::vector{Game() / "id1" / "PAK0.PAK", Game() / "id1" / "pak1.pak"}));
  EXPECT_EQ(PackEntryNames(packs[0]),
            (std::vector<std::string>{"maps/DM_Arena.bsp", "gfx/pop.lmp"}));
  EXPECT_TRUE(PackHoldsName(packs[0], "GFX\\POP.LMP"));
  EXPECT_FALSE(PackHoldsName(packs[0], "gfx/pop"));
  EXPECT_TRUE(PackEntryNames(packs[1]).empty()) << "a directory beyond the end";
  EXPECT_TRUE(PackEntryNames(Game() / "none.pak").empty());
  // A pipe nobody writes to is no archive, and reading its "directory" must not wait.
  ASSERT_EQ(::mkfifo((Game() / "id1" / "pak2.pak").c_str(), 0600), 0);
  EXPECT_FALSE(PackHoldsName(Game() / "id1" / "pak2.pak", "gfx/pop.lmp"));
}

TEST(GamePathsRealData, FindsTheUpperCaseExtensionOfASharedFixture) {
  const auto mod = test::SharedFixture("pak/trenchbroom/GameFileSystem/mod1");
  if (!std::filesystem::exists(mod)) GTEST_SKIP() << "shared fixtures not present";
  EXPECT_EQ(ResolveGamePath(mod.parent_path(), "MOD1\\pak1.pak"), mod / "pak1.PAK");
}

}  // namespace
}  // namespace fx
