#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "content/ContentSearch.h"
#include "content/ModCommandLine.h"
#include "content/PlayedRecords.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

TEST(ModCommandLine, OnlyKnownSwitchesAndPlainNames) {
  const struct {
    const char* Line;
    bool Accepted;
    std::vector<std::string> Games;
    bool Quoth;
  } cases[] = {
      {"-quoth -game 100b4", true, {"100b4"}, true},
      {"  -game ad   -game my.mod+2 ", true, {"ad", "my.mod+2"}, false},
      {"-HIPNOTIC -heapsize 65536", true, {}, false},
      {"", true, {}, false},
      {"-game ../../x +exec evil.cfg", false, {}, false},
      {"-game id1;quit", false, {}, false},
      {"-game a/b", false, {}, false},
      {"-game ..", false, {}, false},
      {"-game .", false, {}, false},
      {"-game", false, {}, false},
      {"+exec evil.cfg", false, {}, false},
      {"-game \"x y\"", false, {}, false},
      {"-heapsize 1e9", false, {}, false},
      {"-basedir /tmp", false, {}, false},
      {"+map e1m1;quit", false, {}, false},
  };
  for (const auto& c : cases) {
    const TModCommandLine line = CheckCommandLine(c.Line);
    EXPECT_EQ(line.Accepted(), c.Accepted) << c.Line;
    if (c.Accepted) {
      EXPECT_EQ(line.Games, c.Games) << c.Line;
      EXPECT_EQ(line.Quoth, c.Quoth) << c.Line;
    } else {
      EXPECT_FALSE(line.Refusals.empty()) << c.Line;
    }
  }
  const TModCommandLine full = CheckCommandLine("-rogue -heapsize 65536 +map start");
  EXPECT_TRUE(full.Rogue);
  EXPECT_EQ(full.HeapSize, 65536u);
  EXPECT_EQ(full.StartMap, "start");
}

std::vector<TContentPackage> SearchCatalogue() {
  std::vector<TContentPackage> p(5);
  p[0] = {.Id = "czg07",
          .Title = "Insomnia",
          .Author = "czg",
          .Description = "Large, intricate levels",
          .Date = {2000, 5, 25},
          .Types = {"episode", "mod"},
          .Rating = 5,
          .UsersRating = 4.5,
          .Bytes = 6788677,
          .CommandLine = "-game czg07",
          .StartMaps = {"czg07"},
          .SinglePlayer = true};
  p[1] = {.Id = "dm_arena",
          .Title = "Arena (DM)",
          .Author = "Someone",
          .Date = {1997, 1, 1},
          .Types = {"map"},
          .Rating = 2,
          .Bytes = 200000,
          .Deathmatch = true};
  p[2] = {.Id = "bigbsp2",
          .Title = "Huge",
          .Author = "czg and friends",
          .Date = {2021, 3, 1},
          .Types = {"map"},
          .Rating = 4,
          .Bytes = 90000000,
          .Mod = "quoth",
          .Bsp2 = true,
          .SinglePlayer = true,
          .Tags = {"base"}};
  p[3] = {.Id = "plain",
          .Title = "A [bracket] (map)",
          .Author = "x",
          .Types = {"speedmap"},
          .SinglePlayer = true,
          .Coop = true};
  p[4] = {.Id = "limits",
          .Title = "Limits",
          .Date = {2015, 1, 1},
          .Types = {"map"},
          .ExceedsLimits = true,
          .SinglePlayer = true};
  return p;
}

TEST(ContentSearch, WordsAllMatchAndFiltersNarrow) {
  const std::vector<TContentPackage> packages = SearchCatalogue();
  const std::vector<std::string> texts = SearchTexts(packages);
  const std::vector<TInstallState> states = {TInstallState::Installed, TInstallState::NotInstalled,
                                             TInstallState::Modified, TInstallState::NotInstalled,
                                             TInstallState::NotInstalled};
  const struct {
    TContentFilter Filter;
    std::vector<std::size_t> Rows;
  } cases[] = {
      {{}, {0, 1, 2, 3, 4}},
      {{.Text = "CZG"}, {0, 2}},
      {{.Text = "czg intricate"}, {0}},
      {{.Text = "czg  nothing"}, {}},
      {{.Text = "[bracket] (map"}, {3}},  // brackets are text, not a pattern
      {{.Text = ".*"}, {}},
      {{.Text = "base"}, {2}},   // tags
      {{.Text = "czg07"}, {0}},  // id and start map
      {{.Type = "map"}, {1, 2, 4}},
      {{.MinRating = 4}, {0, 2}},
      {{.MinUsersRating = 4}, {0}},
      {{.YearFrom = 2000, .YearTo = 2020}, {0, 4}},
      {{.MinBytes = 1000000, .MaxBytes = 10000000}, {0}},
      {{.Installed = TTriState::Yes}, {0, 2}},
      {{.Installed = TTriState::No}, {1, 3, 4}},
      {{.NeedsMod = TTriState::Yes}, {2}},
      {{.BeyondLimits = true}, {2, 4}},
      {{.Deathmatch = true}, {1}},
      {{.Deathmatch = true, .Coop = true}, {1, 3}},
      {{.Text = "czg", .Type = "map", .BeyondLimits = true}, {2}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FilterPackages(packages, texts, states, c.Filter), c.Rows) << c.Filter.Text;
    for (std::size_t i = 0; i < packages.size(); ++i)
      EXPECT_EQ(MatchesFilter(packages[i], texts[i], states[i], c.Filter),
                std::find(c.Rows.begin(), c.Rows.end(), i) != c.Rows.end());
  }
}

TEST(ContentSearch, RandomPicksOnlyUninstalledMatches) {
  const std::vector<TInstallState> states = {TInstallState::Installed, TInstallState::NotInstalled,
                                             TInstallState::Partly, TInstallState::NotInstalled};
  std::mt19937 random(7);
  std::set<std::size_t> picked;
  for (int i = 0; i < 50; ++i)
    picked.insert(*PickRandomUninstalled({0, 1, 2, 3}, states, random));
  EXPECT_EQ(picked, (std::set<std::size_t>{1, 3}));
  EXPECT_FALSE(PickRandomUninstalled({0, 2}, states, random));
}

TEST(ContentSearch, PresetsKeepEveryField) {
  const std::map<std::string, TContentFilter> presets = {
      {"Big new maps",
       {.Text = "castle\nevil",
        .Type = "map",
        .MinRating = 4,
        .MinUsersRating = 3.25,
        .YearFrom = 2010,
        .YearTo = 2024,
        .MinBytes = 5,
        .MaxBytes = 900,
        .Installed = TTriState::No,
        .NeedsMod = TTriState::Yes,
        .BeyondLimits = true,
        .SinglePlayer = true,
        .Coop = true}},
      {"Everything", {}},
  };
  std::map<std::string, TContentFilter> expected = presets;
  expected["Big new maps"].Text = "castle evil";  // a line break cannot break the file
  EXPECT_EQ(ParseFilterPresets(FormatFilterPresets(presets)), expected);
  EXPECT_TRUE(ParseFilterPresets("garbage\n[x]\nrating=nine\n").at("x") == TContentFilter{});
}

TEST(PlayedRecords, CountsAndSurvivesAReload) {
  test::TTempDir dir;
  const auto file = TPlayedRecords::DefaultFile(dir.Path());
  TPlayedRecords records = TPlayedRecords::Load(file);
  EXPECT_FALSE(records.Find("czg07"));
  records.NotePlayed("czg07", 1000);
  records.NotePlayed("czg07", 2000);
  records.NotePlayed("bad\tname", 3000);
  records.Save(file);
  const TPlayedRecords again = TPlayedRecords::Load(file);
  EXPECT_EQ(again.Find("czg07"), (TPlayed{2000, 2}));
  EXPECT_FALSE(again.Find("bad\tname"));
  std::ofstream(file, std::ios::app) << "broken line\nx\t-1\t2\n";
  EXPECT_EQ(TPlayedRecords::Load(file).Find("czg07"), (TPlayed{2000, 2}));
  EXPECT_FALSE(TPlayedRecords::Load(file).Find("x"));
}

}  // namespace
}  // namespace fx
