// The start maps to pick from: the maps a package's record says it installed, with the titles
// their files hold, read only from regular files.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "content/StartMaps.h"
#include "fixtures/BspBuilder.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

std::string TitledMap(std::string_view title) {
  return test::TBspBuilder(test::Entity({{"classname", "worldspawn"}, {"message", title}})).Build();
}

TEST(StartMaps, InstalledMapsWithTheirTitlesInThePlansOrder) {
  test::TTempDir game;
  TPackageManifest manifest;
  manifest.Name = "jam";
  const struct {
    std::string Path, Data;
  } files[] = {
      {"jam/maps/Start.bsp", TitledMap("The Start\tHall")},
      {"jam/maps/jam1.bsp", TitledMap("")},          // untitled
      {"jam/maps/broken.bsp", "not a map at all"},   // no title, no failure
      {"jam/maps/sub/deep.bsp", TitledMap("Deep")},  // "map" does not find it so
      {"jam/MAPS/upper.bsp", TitledMap("Upper")},
      {"jam/maps/shout.BSP", TitledMap("Shout")},
      {"jam/progs.dat", "progs"},
  };
  for (const auto& file : files) {
    test::WriteFileBytes(game / file.Path, file.Data);
    manifest.Files.push_back({file.Path, file.Data.size(), ""});
  }
  // A FIFO where a map was: reading it would block for ever.
  std::filesystem::remove(game / "jam/maps/jam1.bsp");
  ASSERT_EQ(::mkfifo((game / "jam/maps/jam1.bsp").c_str(), 0600), 0);
  EXPECT_EQ(InstalledMapNames(manifest), (std::vector<std::string>{"Start", "jam1", "broken"}));

  // The catalogue's "start" is the disk's "Start", listed once; "other" is not installed.
  const auto choices =
      StartMapChoices({"start", "other", "Start", "jam1", "broken"}, &manifest, game.Path());
  ASSERT_EQ(choices.size(), 4u);
  const char* captions[] = {"Start - The Start Hall", "other", "jam1", "broken"};
  for (std::size_t i = 0; i < choices.size(); ++i)
    EXPECT_EQ(StartMapCaption(choices[i]), captions[i]) << i;
  EXPECT_EQ(choices[0].Map, "Start");

  const auto catalogueOnly = StartMapChoices({"start", "other"}, nullptr, game.Path());
  ASSERT_EQ(catalogueOnly.size(), 2u);
  EXPECT_EQ(catalogueOnly[0].Map, "start");
  EXPECT_TRUE(catalogueOnly[0].Title.empty());
}

}  // namespace
}  // namespace fx
