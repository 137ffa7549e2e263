#include "gamedata/MapBrowse.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/BspBuilder.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/PakBuilder.h"
#include "fixtures/TempDir.h"
#include "gamedata/BSPUtil.h"
#include "gamedata/DocumentList.h"
#include "gamedata/Stream.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::TBspBuilder;
using test::WriteFileBytes;

std::string MapTitled(std::string_view title) {
  return TBspBuilder(test::Entity({{"classname", "worldspawn"}, {"message", title}})).Build();
}
std::string MapWithoutTitle() {
  return TBspBuilder(test::Entity({{"classname", "worldspawn"}})).Build();
}
// The entity text ends inside an entity and no worldspawn was met: the title reader's
// marker, not "(Untitled)".
std::string MapWithoutWorld() {
  return TBspBuilder(test::Entity({{"classname", "info_player_start"}}) +
                     "{\n\"classname\" \"light\"\n")
      .Build();
}

TFormatSettings Commas() {
  TFormatSettings format;
  format.ThousandSeparator = ",";
  return format;
}

std::vector<std::string> Captions(const std::vector<TMapRow>& rows) {
  std::vector<std::string> captions;
  for (const TMapRow& row : rows)
    captions.push_back(row.Caption);
  return captions;
}

using Names = std::vector<std::string>;

class MapRowsTest : public ::testing::Test {
 protected:
  test::TTempDir FDir;
};

TEST_F(MapRowsTest, PackListsOnlyMapsOfTheMapsPatternWithAWorld) {
  const fs::path pak = FDir / "pak1.pak";
  WriteFileBytes(pak, test::TPakBuilder()
                          .Add("maps/e1m2.bsp", MapTitled("Castle of the Damned"))
                          .Add("maps/b_batt0.bsp", MapTitled("brush model"))
                          .Add("maps/B_SHELL1.bsp", MapTitled("brush model"))
                          .Add("progs/e1m9.bsp", MapTitled("outside maps"))
                          .Add("maps/e1m1.bsp", MapTitled("The Slipgate Complex"))
                          .Add("maps/noworld.bsp", MapWithoutWorld())
                          .Add("maps/e1m1.txt", "inside the archive")
                          .Add("maps/start.bsp", MapWithoutTitle())
                          .Build());
  const std::vector<TMapRow> rows = ReadMapRows(pak.string(), Commas());
  ASSERT_EQ(Captions(rows), (Names{"E1M1", "E1M2", "START"}));
  EXPECT_EQ(rows[0].Title, "The Slipgate Complex");
  EXPECT_EQ(rows[0].FileName, "e1m1.bsp");
  EXPECT_EQ(rows[0].Size, static_cast<std::int64_t>(MapTitled("The Slipgate Complex").size()));
  EXPECT_EQ(rows[1].Title, "Castle of the Damned");
  EXPECT_EQ(rows[2].Title, kUntitledTitle);
}

TEST_F(MapRowsTest, FolderShowsAMapWithoutWorldWithTheMarker) {
  WriteFileBytes(FDir / "noworld.bsp", MapWithoutWorld());
  WriteFileBytes(FDir / "E1M3.BSP", MapTitled("The Necropolis"));
  WriteFileBytes(FDir / "b_rock.bsp", MapTitled("brush model"));
  WriteFileBytes(FDir / "e1m3.txt", "notes");
  fs::create_directory(FDir / "folder.bsp");
  const std::vector<TMapRow> rows = ReadMapRows(FDir.Path().string(), Commas());
  ASSERT_EQ(Captions(rows), (Names{"E1M3", "NOWORLD"}));
  EXPECT_EQ(rows[0].Title, "The Necropolis");
  EXPECT_EQ(rows[0].FileName, "E1M3.BSP");
  EXPECT_EQ(rows[1].Title, kNoEntityMarker);
}

TEST_F(MapRowsTest, TitlesAreTranslatedAndDamagedMapsAreUntitled) {
  WriteFileBytes(FDir / "fancy.bsp", MapTitled("\x92\xC1rena"));
  WriteFileBytes(FDir / "broken.bsp", "not a map at all");
  const std::vector<TMapRow> rows = ReadMapRows(FDir.Path().string(), Commas());
  ASSERT_EQ(Captions(rows), (Names{"BROKEN", "FANCY"}));
  EXPECT_EQ(rows[0].Title, kUntitledTitle);
  EXPECT_EQ(rows[1].Title, TranslateTitle("\x92\xC1rena"));
}

TEST_F(MapRowsTest, SizesAreWholeKilobytesWithSeparators) {
  WriteFileBytes(FDir / "small.bsp", std::string(600, 'x'));
  WriteFileBytes(FDir / "large.bsp", TBspBuilder(test::Entity({{"classname", "worldspawn"}}))
                                         .Build()
                                         .append(1536000 - MapWithoutTitle().size(), '\0'));
  WriteFileBytes(FDir / "empty.bsp", "");
  const std::vector<TMapRow> rows = ReadMapRows(FDir.Path().string(), Commas());
  ASSERT_EQ(Captions(rows), (Names{"EMPTY", "LARGE", "SMALL"}));
  EXPECT_EQ(rows[0].SizeText, "0 KB");
  EXPECT_EQ(rows[1].Size, 1536000);
  EXPECT_EQ(rows[1].SizeText, "1,500 KB");
  EXPECT_EQ(rows[2].Size, 600);
  EXPECT_EQ(rows[2].SizeText, "1 KB");

  TFormatSettings dots;
  dots.ThousandSeparator = ".";
  EXPECT_EQ(ReadMapRows(FDir.Path().string(), dots)[1].SizeText, "1.500 KB");
}

TEST_F(MapRowsTest, PackEntrySizeIsTheEntryLength) {
  const fs::path pak = FDir / "maps.PAK";
  WriteFileBytes(pak, test::TPakBuilder().Add("maps/tiny.bsp", std::string(600, '\0')).Build());
  const std::vector<TMapRow> rows = ReadMapRows(pak.string(), Commas());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Size, 600);
  EXPECT_EQ(rows[0].SizeText, "1 KB");
  EXPECT_EQ(rows[0].Title, kUntitledTitle);
}

TEST_F(MapRowsTest, ArchiveThatCannotBeOpenedThrowsAndMissingFolderIsEmpty) {
  EXPECT_THROW(TMapRowReader((FDir / "missing.pak").string()), EFOpenError);
  EXPECT_TRUE(ReadMapRows((FDir / "missing").string()).empty());
}

TEST_F(MapRowsTest, PipesAndDevicesAreNeverOpenedAsMapsArchivesOrDocuments) {
  WriteFileBytes(FDir / "e1m1.bsp", MapTitled("Slipgate"));
  for (const char* name : {"pipe.bsp", "pipe.pak", "readme.txt"})
    ASSERT_EQ(::mkfifo((FDir / name).c_str(), 0600), 0);
  fs::create_symlink("/dev/null", FDir / "null.bsp");
  const auto refused = [this](const char* name) {
    EXPECT_THROW(TFileStream(FDir / name, TFileStream::TMode::OpenRead), EFOpenError) << name;
    const int folder = ::open(FDir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    EXPECT_THROW(TFileStream(folder, name), EFOpenError) << name;
    ::close(folder);
  };
  {
    // A writer holds the pipe open, so that an open that does not look first returns
    // instead of waiting.
    const int writer = ::open((FDir / "pipe.bsp").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    refused("pipe.bsp");
    ::close(writer);
    if (HasFailure()) return;
  }
  refused("pipe.bsp");  // nobody writes: refused all the same, at once
  refused("null.bsp");
  EXPECT_THROW(ReadMapRows((FDir / "pipe.pak").string(), Commas()), EFOpenError);
  EXPECT_EQ(Captions(ReadMapRows(FDir.Path().string(), Commas())), Names{"E1M1"});
  EXPECT_TRUE(ListDocuments(FDir.Path()).empty());
}

TEST_F(MapRowsTest, BatchesDeliverEveryRowWithProgressAndStopOnCancel) {
  for (int i = 0; i < 10; ++i)
    WriteFileBytes(FDir / ("m" + std::to_string(9 - i) + ".bsp"), MapTitled("Map"));
  WriteFileBytes(FDir / "b_skip.bsp", MapTitled("brush"));

  TMapRowReader reader(FDir.Path().string(), Commas());
  EXPECT_EQ(reader.Total(), 11u);
  std::atomic<bool> cancel{false};
  std::vector<TMapRow> rows;
  std::vector<std::size_t> positions;
  EXPECT_TRUE(ReadMapRowsInBatches(
      reader, 4, cancel, [&](std::vector<TMapRow> batch, std::size_t pos, std::size_t total) {
        EXPECT_EQ(total, 11u);
        positions.push_back(pos);
        rows.insert(rows.end(), batch.begin(), batch.end());
      }));
  EXPECT_EQ(positions, (std::vector<std::size_t>{4, 8, 11}));
  SortMapRows(rows);
  EXPECT_EQ(rows, ReadMapRows(FDir.Path().string(), Commas()));

  TMapRowReader stopped(FDir.Path().string(), Commas());
  int calls = 0;
  EXPECT_FALSE(ReadMapRowsInBatches(stopped, 4, cancel, [&](auto, std::size_t, std::size_t) {
    ++calls;
    cancel = true;
  }));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(stopped.Position(), 4u);
}

TEST(MapRowOrderTest, SortsByCaptionKeepingEqualCaptionsInOrder) {
  std::vector<TMapRow> rows = {{"E1M2", "", "a", "", 1},
                               {"DM1", "", "", "", 2},
                               {"E1M2", "", "b", "", 3},
                               {"E1M10", "", "", "", 4}};
  EXPECT_EQ(SortedMapRowOrder(rows), (std::vector<std::size_t>{1, 3, 0, 2}));
  SortMapRows(rows);
  EXPECT_EQ(Captions(rows), (Names{"DM1", "E1M10", "E1M2", "E1M2"}));
  EXPECT_EQ(rows[2].Title, "a");
  EXPECT_EQ(rows[3].Title, "b");
}

TEST(ChosenMapTextTest, NameAndTitleUnlessUntitled) {
  EXPECT_EQ(ChosenMapText({"E1M1", "1 KB", "The Slipgate Complex", "e1m1.bsp", 600}),
            "E1M1: The Slipgate Complex");
  EXPECT_EQ(ChosenMapText({"E1M1", "1 KB", "(Untitled)", "e1m1.bsp", 600}), "E1M1");
  EXPECT_EQ(ChosenMapText({"E1M1", "1 KB", "(UNTITLED)", "e1m1.bsp", 600}), "E1M1");
  EXPECT_EQ(ChosenMapText({"E1M1", "1 KB", "", "e1m1.bsp", 600}), "E1M1");
}

TEST(SourceTest, PakExtensionInAnyCaseMakesAnArchiveSource) {
  EXPECT_TRUE(IsPackSource("/q/ctf/pak0.pak"));
  EXPECT_TRUE(IsPackSource("/q/ctf/PAK0.PAK"));
  EXPECT_FALSE(IsPackSource("/q/id1/maps"));
  EXPECT_FALSE(IsPackSource("/q/id1/pak0.pak.bak"));
  EXPECT_EQ(SourceFolder("/q/ctf/PAK0.PAK"), fs::path("/q/ctf"));
  EXPECT_EQ(SourceFolder("/q/id1/maps"), fs::path("/q/id1/maps"));
}

class MapDocumentTest : public ::testing::Test {
 protected:
  test::TTempDir FDir;
};

TEST_F(MapDocumentTest, PackDocumentLiesBesideTheArchiveNotInside) {
  const fs::path pak = FDir / "ctf" / "pak0.pak";
  WriteFileBytes(pak, test::TPakBuilder()
                          .Add("maps/ctf1.bsp", MapTitled("Capture"))
                          .Add("maps/ctf1.txt", "inside")
                          .Build());
  EXPECT_FALSE(FindMapDocument(pak.string(), "CTF1", kDocExtensionsCheck));
  EXPECT_FALSE(FindMapDocument(pak.string(), "CTF1", kDocExtensionsOpen));
  WriteFileBytes(FDir / "ctf" / "ctf1.txt", "beside");
  EXPECT_EQ(FindMapDocument(pak.string(), "CTF1", kDocExtensionsCheck), FDir / "ctf" / "ctf1.txt");
  EXPECT_EQ(FindMapDocument(pak.string(), "CTF1", kDocExtensionsOpen), FDir / "ctf" / "ctf1.txt");
}

TEST_F(MapDocumentTest, TxtBeforeDocWhateverTheCaseOnDisk) {
  WriteFileBytes(FDir / "E1M1.Doc", "word");
  EXPECT_EQ(FindMapDocument(FDir.Path().string(), "E1M1", kDocExtensionsOpen), FDir / "E1M1.Doc");
  WriteFileBytes(FDir / "e1m1.TXT", "text");
  EXPECT_EQ(FindMapDocument(FDir.Path().string(), "E1M1", kDocExtensionsCheck), FDir / "e1m1.TXT");
  EXPECT_FALSE(FindMapDocument(FDir.Path().string(), "E1M2", kDocExtensionsCheck));
}

TEST_F(MapDocumentTest, CaptionNeverLeadsOutOfTheFolder) {
  WriteFileBytes(FDir / "secret.txt", "x");
  fs::create_directory(FDir / "maps");
  EXPECT_FALSE(FindMapDocument((FDir / "maps").string(), "../secret", kDocExtensionsCheck));
  EXPECT_FALSE(FindMapDocument((FDir / "maps").string(), "..\\secret", kDocExtensionsCheck));
}

class MapSourcesTest : public ::testing::Test {
 protected:
  test::TTempDir FGame;
  std::string Game() const { return FGame.Path().string(); }
};

TEST_F(MapSourcesTest, WithoutPatchOnlyId1MapsFoundWhateverItsCase) {
  fs::create_directories(FGame / "ID1" / "MAPS");
  for (const std::string patch : {"", "(None)", "(none)"}) {
    const TMapSources sources = MapBrowserSources(Game(), patch);
    EXPECT_EQ(sources.Items, (Names{(FGame / "ID1" / "MAPS").string()})) << patch;
    EXPECT_EQ(sources.Initial, (FGame / "ID1" / "MAPS").string()) << patch;
  }
}

TEST_F(MapSourcesTest, PatchAddsItsArchivesAndMapsFolderWhichBecomesInitial) {
  fs::create_directories(FGame / "id1" / "maps");
  WriteFileBytes(FGame / "CTF" / "pak1.pak", "");
  WriteFileBytes(FGame / "CTF" / "PAK0.PAK", "");
  WriteFileBytes(FGame / "CTF" / "readme.txt", "");
  WriteFileBytes(FGame / "CTF" / "sub" / "pak9.pak", "");
  fs::create_directories(FGame / "CTF" / "Maps");
  const TMapSources sources = MapBrowserSources(Game(), "ctf\\");
  EXPECT_EQ(sources.Items,
            (Names{(FGame / "id1" / "maps").string(), (FGame / "CTF" / "PAK0.PAK").string(),
                   (FGame / "CTF" / "pak1.pak").string(), (FGame / "CTF" / "Maps").string()}));
  EXPECT_EQ(sources.Initial, (FGame / "CTF" / "Maps").string());
}

TEST_F(MapSourcesTest, Id1ArchivesAndTheMissionPacksAreOfferedTheFirstHoldingMapsOpens) {
  fs::create_directories(FGame / "id1" / "maps");
  WriteFileBytes(FGame / "id1" / "pak0.pak", test::TPakBuilder().Add("gfx/pop.lmp", "p").Build());
  WriteFileBytes(FGame / "id1" / "PAK1.PAK",
                 test::TPakBuilder().Add("maps/b_bh10.bsp", "b").Add("maps/e1m1.bsp", "m").Build());
  WriteFileBytes(FGame / "rogue" / "pak0.pak", "");
  fs::create_directories(FGame / "hipnotic" / "maps");
  const TMapSources sources = MapBrowserSources(Game(), "(None)");
  EXPECT_EQ(sources.Items,
            (Names{(FGame / "id1" / "maps").string(), (FGame / "id1" / "PAK1.PAK").string(),
                   (FGame / "id1" / "pak0.pak").string(), (FGame / "hipnotic" / "maps").string(),
                   (FGame / "rogue" / "pak0.pak").string()}));
  EXPECT_EQ(sources.Initial, (FGame / "id1" / "PAK1.PAK").string());
  WriteFileBytes(FGame / "hipnotic" / "maps" / "hip1m1.bsp", "m");
  WriteFileBytes(FGame / "ctf" / "pak0.pak", test::TPakBuilder().Add("maps/ctf1.bsp", "m").Build());
  EXPECT_EQ(MapBrowserSources(Game(), "ctf").Initial, (FGame / "ctf" / "pak0.pak").string());
}

TEST_F(MapSourcesTest, PatchWithoutMapsFolderStartsOnId1Maps) {
  WriteFileBytes(FGame / "hipnotic" / "pak0.pak", "");
  const TMapSources sources = MapBrowserSources(Game(), "hipnotic");
  EXPECT_EQ(sources.Items,
            (Names{(FGame / "id1" / "maps").string(), (FGame / "hipnotic" / "pak0.pak").string()}));
  EXPECT_EQ(sources.Initial, (FGame / "id1" / "maps").string());
}

}  // namespace
}  // namespace fx
