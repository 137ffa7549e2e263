// Steam's libraryfolders.vdf, and the game folders the setup finds through it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "settings/GameFolderSearch.h"
#include "settings/SteamLibraries.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The file as the Steam client writes it today, for two libraries.
std::string TwoLibraries(const fs::path& first, const fs::path& second) {
  return "\"libraryfolders\"\n{\n"
         "\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" +
         first.string() +
         "\"\n"
         "\t\t\"label\"\t\t\"\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"2310\"\t\t\"123\"\n\t\t}\n\t}\n"
         "\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" +
         second.string() + "\"\n\t}\n}\n";
}

TEST(SteamLibrariesTest, ReadsThePathOfEachLibraryInFileOrder) {
  EXPECT_THAT(ParseSteamLibraryFolders(TwoLibraries("/home/me/.local/share/Steam", "/mnt/games")),
              ElementsAre("/home/me/.local/share/Steam", "/mnt/games"));
}

TEST(SteamLibrariesTest, ReadsTheOlderFormAndSteamsEscapes) {
  const std::string vdf =
      "// written by an older client\n"
      "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1\"\n"
      "\t\"1\"\t\t\"/mnt/with \\\"quotes\\\" \\\\ here\"\n}\n";
  EXPECT_THAT(ParseSteamLibraryFolders(vdf), ElementsAre("/mnt/with \"quotes\" \\ here"));
}

TEST(SteamLibrariesTest, ABrokenFileIsRefusedWithItsLine) {
  for (const std::string vdf : {
           "",                                           // empty
           "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n",      // cut off
           "\"libraryfolders\"\n{\n\t\"0\"\t\"/a\n}\n",  // string not closed
           "\"libraryfolders\"\n{\n\t\"0\"\n}\n",        // name without value
           "\"libraryfolders\"\n{\n}\n}\n",              // one brace too many
           "libraryfolders\n{\n}\n",                     // not quoted
       }) {
    EXPECT_THROW(ParseSteamLibraryFolders(vdf), EVdfError) << vdf;
  }
  try {
    ParseSteamLibraryFolders("\"libraryfolders\"\n{\n\t\"0\"\n}\n");
  } catch (const EVdfError& e) {
    EXPECT_EQ(std::string(e.what()),
              "libraryfolders.vdf, line 4: a value was expected after \"0\"");
  }
}

TEST(SteamLibrariesTest, NestingIsBoundedNotARecursionWithoutEnd) {
  const auto nested = [](int depth) {
    std::string vdf = "\"libraryfolders\"\n{\n";
    for (int i = 0; i < depth; ++i)
      vdf += "\"k\" {";
    vdf += std::string(static_cast<std::size_t>(depth), '}') + "\n}\n";
    return vdf;
  };
  EXPECT_THAT(ParseSteamLibraryFolders(nested(20)), IsEmpty());
  for (const int depth : {40, 1000, 100000})
    EXPECT_THROW(ParseSteamLibraryFolders(nested(depth)), EVdfError) << depth;
}

class GameFolderSearchTest : public ::testing::Test {
 protected:
  fs::path Home() const { return FTemp / "home"; }
  fs::path SteamFile() const { return Home() / ".local/share/Steam/steamapps/libraryfolders.vdf"; }
  // A folder holding the game as Steam installs it: ID1/PAK0.PAK in upper case.
  fs::path WithGame(const fs::path& folder, const char* pak = "ID1/PAK0.PAK") const {
    test::WriteFileBytes(folder / pak, "PACK");
    return folder;
  }

  test::TTempDir FTemp;
};

TEST_F(GameFolderSearchTest, NoSteamFileOrABrokenOneAddsNothing) {
  const std::vector<fs::path> home{Home() / "quake", Home() / ".quakespasm", "/sys/a"};
  EXPECT_EQ(GameFolderCandidates(Home(), {"/sys/a"}), home);
  test::WriteFileBytes(SteamFile(), "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n");
  EXPECT_EQ(GameFolderCandidates(Home(), {"/sys/a"}), home);
  EXPECT_THAT(SteamLibraryFolders(Home()), IsEmpty());
}

TEST_F(GameFolderSearchTest, OffersEveryFolderWithTheGameInOrderSkippingAMissingLibrary) {
  const fs::path first = FTemp / "steam";
  const fs::path missing = FTemp / "unplugged-drive";
  test::WriteFileBytes(SteamFile(), TwoLibraries(first, missing));
  const fs::path rerelease = WithGame(first / "steamapps/common/Quake/rerelease", "id1/pak0.pak");
  const fs::path original = WithGame(first / "steamapps/common/Quake");
  const fs::path mine = WithGame(Home() / ".quakespasm");
  fs::create_directories(Home() / "quake");  // exists, but without the game
  const fs::path system = WithGame(FTemp / "usr-share-games-quake");

  const auto candidates = GameFolderCandidates(Home(), {system});
  EXPECT_THAT(candidates, ElementsAre(Home() / "quake", mine, system, original, rerelease,
                                      missing / "steamapps/common/Quake",
                                      missing / "steamapps/common/Quake/rerelease"));
  EXPECT_THAT(FoldersWithGameData(candidates),
              ElementsAre(mine.string(), system.string(), original.string(), rerelease.string()));
}

TEST_F(GameFolderSearchTest, FlatpakSteamsPathsAreTranslatedOutOfItsSandbox) {
  // Inside its sandbox the Flatpak client's home is our home's path, its contents
  // ~/.var/app/com.valvesoftware.Steam; other drives keep their paths.
  const fs::path sandbox = Home() / ".var/app/com.valvesoftware.Steam";
  const fs::path drive = FTemp / "drive";
  test::WriteFileBytes(sandbox / ".local/share/Steam/steamapps/libraryfolders.vdf",
                       TwoLibraries(Home() / ".local/share/Steam", drive));
  const fs::path inSandbox = WithGame(sandbox / ".local/share/Steam/steamapps/common/Quake");
  const fs::path onDrive = WithGame(drive / "steamapps/common/Quake");

  EXPECT_THAT(SteamLibraryFolders(Home()),
              ElementsAre(sandbox / ".local/share/Steam", Home() / ".local/share/Steam", drive));
  EXPECT_THAT(FoldersWithGameData(GameFolderCandidates(Home(), {})),
              ElementsAre(inSandbox.string(), onDrive.string()));
}

}  // namespace
}  // namespace fx
