#include <gtest/gtest.h>

#include <set>

#include "content/Dependencies.h"
#include "content/PlayPlan.h"

namespace fx {
namespace {

// Twelve packages: a package with a requirement and a versioned need, two cycles, a missing
// package, a version conflict, and a patch chain (a base, two patches, a map for the last).
std::vector<TContentPackage> Graph() {
  std::vector<TContentPackage> p(12);
  p[0] = {.Id = "want", .Requirements = {"quoth"}, .Depends = {"helper>=1.0"}};
  p[1] = {.Id = "quoth", .Provides = {"quoth=2.2"}, .Version = "2.2"};
  p[2] = {.Id = "helper_v1", .Provides = {"helper=1.0"}};
  p[3] = {.Id = "helper_v2", .Provides = {"helper=2.0"}};
  p[4] = {.Id = "cyc_a", .Requirements = {"cyc_b"}};
  p[5] = {.Id = "cyc_b", .Requirements = {"cyc_a"}};
  p[6] = {.Id = "missing", .Requirements = {"nowhere"}};
  p[7] = {.Id = "old", .Depends = {"quoth>=3.0"}};
  p[8] = {.Id = "ad", .Version = "1.70"};
  p[9] = {.Id = "ad_patch1", .Depends = {"ad>=1.70"}, .Provides = {"ad=1.71"}};
  p[10] = {.Id = "ad_patch2", .Depends = {"ad>=1.71"}, .Provides = {"ad=1.80"}};
  p[11] = {.Id = "needs_patched", .Requirements = {"quoth"}, .Depends = {"ad>=1.80"}};
  return p;
}

std::function<bool(std::size_t)> InstalledOf(std::set<std::size_t> installed) {
  return [installed](std::size_t i) { return installed.count(i) > 0; };
}

TEST(Dependencies, OrdersInstallsAndReportsEveryProblemFirst) {
  const std::vector<TContentPackage> graph = Graph();
  const struct {
    std::size_t Wanted;
    std::set<std::size_t> Installed;
    std::vector<std::size_t> Order;
    std::string Problem;
  } cases[] = {
      {0, {}, {1, 3, 0}, ""},           // the highest version that fits
      {0, {1, 2}, {0}, ""},             // installed ones satisfy and are not repeated
      {11, {}, {1, 8, 9, 10, 11}, ""},  // the patch chain, base first
      {4, {}, {}, "cycle: cyc_a -> cyc_b -> cyc_a"},
      {6, {}, {}, "nowhere, which no catalogue has"},
      {7, {}, {}, "only quoth 2.2 can be had: the versions conflict"},
  };
  for (const auto& c : cases) {
    const TInstallOrder order = PlanInstall(graph, c.Wanted, InstalledOf(c.Installed));
    if (c.Problem.empty()) {
      EXPECT_TRUE(order.Ok()) << graph[c.Wanted].Id << ": " << order.Problems.at(0);
      EXPECT_EQ(order.Order, c.Order) << graph[c.Wanted].Id;
    } else {
      ASSERT_EQ(order.Problems.size(), 1u) << graph[c.Wanted].Id;
      EXPECT_NE(order.Problems[0].find(c.Problem), std::string::npos) << order.Problems[0];
    }
  }
}

TEST(Dependencies, UninstallOffersOnlyWhatNothingElseNeeds) {
  const std::vector<TContentPackage> graph = Graph();
  const struct {
    std::size_t Removed;
    std::set<std::size_t> Installed, AskedFor;
    std::vector<std::size_t> Offered;
  } cases[] = {
      {0, {0, 1, 3}, {0}, {1, 3}},                   // both needs, nothing else uses them
      {0, {0, 1, 3, 8, 9, 10, 11}, {0, 11}, {3}},    // needs_patched keeps quoth
      {11, {1, 8, 9, 10, 11}, {11}, {1, 8, 9, 10}},  // the whole chain of patches
      {9, {8, 9}, {9}, {8}},                         // a chain of two
      {9, {8, 9}, {8, 9}, {}},                       // ad asked for by itself stays
      {11, {1, 8, 9, 10, 11}, {1, 11}, {8, 9, 10}},  // quoth asked for by itself stays
      {11, {1, 8, 9, 10, 11}, {10, 11}, {1}},        // and what a kept one needs stays
      {0, {0, 1, 3, 7}, {0}, {1, 3}},                // old needs a quoth that 1 is not
      {0, {0, 1}, {0}, {1}},                         // a need not installed is no matter
  };
  for (const auto& c : cases)
    EXPECT_EQ(
        UnneededAfterRemoving(graph, c.Removed, InstalledOf(c.Installed), InstalledOf(c.AskedFor)),
        c.Offered)
        << graph[c.Removed].Id << " with " << c.Installed.size() << " installed";
}

TEST(Dependencies, VersionOrder) {
  const struct {
    const char *A, *B;
    int Order;
  } cases[] = {{"1.70", "1.71", -1}, {"1.8", "1.70", -1}, {"2.2", "2.2", 0},
               {"2", "2.0.1", -1},   {"1.0b", "1.0a", 1}, {"10", "9", 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(CompareVersions(c.A, c.B), c.Order) << c.A << " " << c.B;
    EXPECT_EQ(CompareVersions(c.B, c.A), -c.Order) << c.B << " " << c.A;
  }
}

TEST(PlayPlan, GameTypeModMapsAndTheEngineThatCanPlayIt) {
  const std::vector<TPlayEngine> engines = {{"winquake", TEngineFamily::Other},
                                            {"QuakeSpasm", TEngineFamily::QuakeSpasm},
                                            {"Ironwail", TEngineFamily::Ironwail}};
  const struct {
    TContentPackage Package;
    std::size_t Chosen;
    TGameType Type;
    std::string Patch, Switches;
    std::size_t Engine;
    std::string Reason;
  } cases[] = {
      {{.Id = "m", .ZipBaseDir = "id1/maps/"}, 0, TGameType::Standard, "", "", 0, ""},
      {{.Id = "q", .CommandLine = "-quoth -game 100b4"},
       1,
       TGameType::Standard,
       "100b4",
       "-quoth",
       1,
       ""},
      {{.Id = "q", .CommandLine = "-quoth"},
       0,
       TGameType::Standard,
       "",
       "-quoth",
       1,
       "the -quoth switch"},
      {{.Id = "h", .CommandLine = "-hipnotic"}, 0, TGameType::ScourgeOfArmagon, "", "", 0, ""},
      {{.Id = "r", .ZipBaseDir = "rmaps/", .CommandLine = "-game rogue"},
       0,
       TGameType::DissolutionOfEternity,
       "",
       "",
       0,
       ""},
      // The catalogue's order reaches the engine: the patch box is emitted first.
      {{.Id = "two", .CommandLine = "-game base -game addon -game fix"},
       1,
       TGameType::Standard,
       "base",
       "-game addon -game fix",
       2,
       "several -game folders, which QuakeSpasm does not give: Ironwail"},
      {{.Id = "rm", .CommandLine = "-game rogue -game rmod"},
       1,
       TGameType::DissolutionOfEternity,
       "rmod",
       "",
       1,
       ""},
      {{.Id = "b", .Bsp2 = true},
       0,
       TGameType::Standard,
       "",
       "",
       1,
       "BSP2 maps and a limit-removing"},
      {{.Id = "l", .ExceedsLimits = true}, 2, TGameType::Standard, "", "", 2, ""},
      {{.Id = "bad", .Extract = "{base}/mymod/", .CommandLine = "-game ../../x +exec evil.cfg"},
       1,
       TGameType::Standard,
       "mymod",
       "",
       1,
       ""},
      {{.Id = "addon", .GameDir = "q64"}, 1, TGameType::Standard, "q64", "", 1, ""},
  };
  for (const auto& c : cases) {
    const TPlayPlan plan = BuildPlayPlan(c.Package, {}, engines, c.Chosen);
    EXPECT_EQ(plan.GameType, c.Type) << c.Package.CommandLine;
    EXPECT_EQ(plan.Patch, c.Patch) << c.Package.CommandLine;
    EXPECT_EQ(plan.Switches, c.Switches) << c.Package.CommandLine;
    EXPECT_EQ(plan.Engine, c.Engine) << c.Package.Id;
    EXPECT_TRUE(plan.EngineFits);
    EXPECT_NE(plan.EngineReason.find(c.Reason), std::string::npos) << plan.EngineReason;
    EXPECT_EQ(plan.EngineReason.empty(), c.Reason.empty()) << plan.EngineReason;
  }
  const TPlayPlan refused = BuildPlayPlan(cases[9].Package, {}, engines, 1);
  EXPECT_EQ(refused.Refusals.size(), 3u);  // the path, "+exec" and "evil.cfg"
  const TPlayPlan none = BuildPlayPlan({.Id = "b", .Bsp2 = true}, {}, {engines[0]}, 0);
  EXPECT_FALSE(none.EngineFits);
  EXPECT_NE(none.EngineReason.find("nor does any other"), std::string::npos);
}

TEST(PlayPlan, StartMapsFromTheCatalogueThenFromDisk) {
  const TContentPackage p{
      .Id = "x", .CommandLine = "+map first", .StartMaps = {"start", "e1m1.bsp", "start"}};
  const TPlayPlan plan = BuildPlayPlan(p, {"start", "extra", "bad;map", "../up"}, {}, 0);
  EXPECT_EQ(plan.StartMaps, (std::vector<std::string>{"first", "start", "e1m1", "extra"}));
  EXPECT_EQ(plan.Refusals.size(), 2u);
}

TEST(PlayPlan, SwitchesReplaceTheLastPlaysAndKeepThePlayersOwn) {
  const struct {
    std::string Field, Previous, Switches, Text, Added;
  } cases[] = {
      {"", "", "-quoth", "-quoth", "-quoth"},
      {"-nosound +set name \"A B\"", "", "-quoth -game b",
       "-nosound +set name \"A B\" -quoth -game b", "-quoth -game b"},
      // The last package's switches go, wherever the player left them.
      {"-quoth  -nosound -game b", "-quoth -game b", "-game c", "-nosound -game c", "-game c"},
      {"-quoth -nosound", "-quoth", "", "-nosound", ""},
      // What the player typed already is not given twice, nor taken out next time.
      {"-quoth -game x", "", "-quoth -game b", "-quoth -game x -game b", "-game b"},
      {"-game bb -heapsize 65536", "-game b", "-game b", "-game bb -heapsize 65536 -game b",
       "-game b"},
  };
  for (const auto& c : cases) {
    const TContentSwitchField field = ReplaceContentSwitches(c.Field, c.Previous, c.Switches);
    EXPECT_EQ(field.Text, c.Text) << c.Field << " | " << c.Previous;
    EXPECT_EQ(field.Added, c.Added) << c.Field << " | " << c.Previous;
  }
}

}  // namespace
}  // namespace fx
