#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <map>

#include "demos/DemoCache.h"
#include "demos/DemoChoice.h"
#include "demos/DemoScan.h"
#include "fixtures/DemoBuilder.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/PakBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::TNetQuakeDemo;
using test::WriteFileBytes;

std::string Demo(std::string_view map, float seconds) {
  return TNetQuakeDemo().Level(666, map, "Title", {"p"}, 0.0f, seconds, 2).Bytes();
}

// A zip archive written by libzip itself, one entry stored, the others deflated.
void WriteZip(const fs::path& file, const std::map<std::string, std::string>& entries) {
  fs::create_directories(file.parent_path());
  int error = 0;
  zip_t* zip = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(zip, nullptr);
  bool first = true;
  for (const auto& [name, bytes] : entries) {
    zip_source_t* source = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
    const zip_int64_t index = zip_file_add(zip, name.c_str(), source, ZIP_FL_OVERWRITE);
    ASSERT_GE(index, 0);
    zip_set_file_compression(zip, static_cast<zip_uint64_t>(index),
                             first ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    first = false;
  }
  ASSERT_EQ(zip_close(zip), 0);
}

class DemoScanTest : public testing::Test {
 protected:
  void SetUp() override {
    const fs::path game = Game();
    WriteFileBytes(game / "id1/run1.dem", Demo("e1m1", 1));
    WriteFileBytes(game / "id1/demos/Sub.dem", Demo("e1m2", 2));
    WriteFileBytes(game / "id1/notes.txt", "not a demo");
    WriteFileBytes(
        game / "id1/pak0.pak",
        test::TPakBuilder().Add("demo1.dem", Demo("start", 3)).Add("maps/x.bsp", "x").Build());
    WriteFileBytes(game / "id1/pak1.pak",
                   test::TPakBuilder().Add("run1.dem", Demo("e1m3", 4)).Build());
    WriteZip(game / "CTF/maps.pk3", {{"ctf1.dem", Demo("ctf1", 5)}, {"duel.mvd", "junk"}});
    WriteFileBytes(game / "CTF/base.dem", std::string(100, '\0'));
    WriteFileBytes(User() / "id1/RUN1.DEM", Demo("e2m1", 6));
    ASSERT_EQ(::mkfifo((game / "id1/pipe.dem").c_str(), 0600), 0);
    // After a gap in the numbers: loaded by a wildcard, not by the quakespasm family.
    WriteFileBytes(game / "id1/pak3.pak",
                   test::TPakBuilder().Add("gap.dem", Demo("e4m1", 7)).Build());
  }

  fs::path Game() const { return FTemp.Path() / "quake"; }
  fs::path User() const { return FTemp.Path() / "home/.quakespasm"; }

  std::vector<TDemoRow> List(TDemoArchiveRule rule = {}) const {
    const auto search = [this](const std::string& dir) {
      return std::vector<fs::path>{User() / dir, Game() / dir};
    };
    const auto dirs = DemoGameDirs(Game(), User(), Game() / "CTF", search, rule);
    return ListDemos(dirs, Game(), FTemp.Path() / "home");
  }

  test::TTempDir FTemp;
};

// The rows, each where the engine takes it from: the user folder before the game folder, a
// folder's archives (the highest first) before its loose files, names grouped case-blind.
TEST_F(DemoScanTest, ListsEachNameOnceWhereTheEngineFindsItFirst) {
  std::vector<std::string> got;
  for (TDemoRow& row : List()) {
    row.Info = ReadDemoAt(row.Place);
    std::string line = row.GameDir + " " + row.Name + " @" + row.Place.Where + " " +
                       (row.Info.Levels.empty() ? "-" : row.Info.Levels[0].Map) + " [" +
                       row.Info.Problem + "]";
    for (const std::string& other : row.AlsoIn)
      line += " +" + other;
    got.push_back(line);
  }
  const std::vector<std::string> expected = {
      "id1 RUN1 @~/.quakespasm/id1 e2m1 [] +id1/pak1.pak +id1",
      "id1 gap @id1/pak3.pak e4m1 []",
      "id1 demo1 @id1/pak0.pak start []",
      "id1 demos/Sub @id1/demos e1m2 []",
      "CTF ctf1 @CTF/maps.pk3 ctf1 []",
      "CTF duel.mvd @CTF/maps.pk3 - [not a demo]",
      "CTF base @CTF - [not a demo]",
  };
  EXPECT_EQ(got, expected);
}

// The quakespasm family opens pak0.pak, pak1.pak, ... up to the first missing number and no
// .pk3: what it cannot open is not listed.
TEST_F(DemoScanTest, ListsOnlyTheArchivesTheEngineOpens) {
  std::vector<std::string> got;
  for (const TDemoRow& row : List({.NumberedPaksOnly = true, .LoadsPk3 = false}))
    got.push_back(row.Name + " @" + row.Place.Where);
  const std::vector<std::string> expected = {"RUN1 @~/.quakespasm/id1", "demo1 @id1/pak0.pak",
                                             "demos/Sub @id1/demos", "base @CTF"};
  EXPECT_EQ(got, expected);
}

TEST_F(DemoScanTest, CacheAnswersUntilTheFileChanges) {
  const fs::path cacheFile = FTemp / "cache/fraxinel/demos.cache";
  std::vector<TDemoRow> rows = List();
  TDemoCache cache;
  cache.Load(cacheFile);  // none yet
  for (const TDemoRow& row : rows) {
    EXPECT_FALSE(cache.Find(row.Place));
    cache.Put(row.Place, ReadDemoAt(row.Place));
  }
  ASSERT_TRUE(cache.Save(cacheFile));

  TDemoCache again;
  again.Load(cacheFile);
  EXPECT_EQ(again.Size(), rows.size());
  for (const TDemoRow& row : rows) {
    const auto cached = again.Find(row.Place);
    ASSERT_TRUE(cached) << row.Name;
    EXPECT_EQ(*cached, ReadDemoAt(row.Place));
  }
  // A changed size (or time) is another demo.
  TDemoPlace changed = rows[0].Place;
  changed.Size += 1;
  EXPECT_FALSE(again.Find(changed));

  // A damaged file is an empty cache, never an error.
  std::string bytes = test::ReadFileBytes(cacheFile);
  for (const std::size_t cut : {bytes.size() - 1, bytes.size() / 2, std::size_t{5}}) {
    WriteFileBytes(cacheFile, bytes.substr(0, cut));
    TDemoCache damaged;
    damaged.Load(cacheFile);
    EXPECT_EQ(damaged.Size(), 0u) << cut;
  }
}

TEST(DemoCacheFile, FollowsTheXdgRules) {
  EXPECT_EQ(DemoCacheFile("/c", "/h"), fs::path("/c/fraxinel/demos.cache"));
  EXPECT_EQ(DemoCacheFile(nullptr, "/h"), fs::path("/h/.cache/fraxinel/demos.cache"));
  EXPECT_EQ(DemoCacheFile("relative", "/h"), fs::path("/h/.cache/fraxinel/demos.cache"));
}

TEST(DemoChoice, ProposesAnInstalledEngineThatPlaysTheProtocol) {
  struct TCase {
    TDemoFormat Format;
    std::int32_t Protocol;
    std::string Plays;  // the families that play it, as listed
    std::string Proposed;
  };
  const std::vector<TEngineOffer> installed = {
      {"Spasm", "/usr/games/quakespasm"}, {"DP", "darkplaces-sdl"}, {"FTE", "fteqw64"}};
  const std::vector<TCase> cases = {
      {TDemoFormat::NetQuake, 15,
       "QuakeSpasm, QuakeSpasm-Spiked, Ironwail, vkQuake, FTE, DarkPlaces, ezQuake", "Spasm"},
      {TDemoFormat::NetQuake, 999, "QuakeSpasm, QuakeSpasm-Spiked, Ironwail, vkQuake, FTE",
       "Spasm"},
      {TDemoFormat::NetQuake, 3504, "QuakeSpasm-Spiked, FTE, DarkPlaces", "DP"},
      {TDemoFormat::NetQuake, 3505, "DarkPlaces", "DP"},
      {TDemoFormat::NetQuake, 250, "FTE, DarkPlaces", "DP"},
      {TDemoFormat::QuakeWorld, 28, "FTE, ezQuake", "FTE"},
      {TDemoFormat::Mvd, 28, "FTE, ezQuake", "FTE"},
      {TDemoFormat::NetQuake, 1234, "", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Protocol);
    TDemoInfo info;
    info.Format = c.Format;
    info.Protocol = c.Protocol;
    EXPECT_EQ(DemoEnginesText(info), c.Plays);
    const auto proposed = EngineForDemo(installed, info);
    EXPECT_EQ(proposed ? installed[*proposed].Name : "", c.Proposed);
  }
}

TEST(DemoChoice, PatchAndQuestionTexts) {
  TDemoRow row;
  row.GameDir = "ID1";
  EXPECT_EQ(DemoPatchText(row), "");
  row.GameDir = "CTF";
  EXPECT_EQ(DemoPatchText(row), "CTF");
  TDemoInfo info;
  info.Protocol = 999;
  info.ProtocolFlags = 2;
  EXPECT_EQ(
      CannotPlayText("DP", info, "Spasm"),
      "\"DP\" cannot play this demo (protocol 999 (RMQ, flags 0x2)).\n\nUse \"Spasm\", which can?");
}

}  // namespace
}  // namespace fx

namespace fx {
namespace {

TEST(DemoChoice, PickAsksForAnEngineThatPlaysTheDemo) {
  const std::vector<TEngineOffer> engines = {{"Spasm", "quakespasm"}, {"DP", "darkplaces"}};
  TDemoRow row;
  row.Name = "demos/Run1";
  row.GameDir = "ctf";
  row.Info.Protocol = 999;
  struct TCase {
    std::size_t Chosen;
    std::vector<TMsgResult> Answers;
    bool Cancelled;
    std::optional<std::size_t> SwitchTo;
    std::size_t Questions;
  };
  const std::vector<TCase> cases = {
      {0, {}, false, std::nullopt, 0},                   // plays it: no question
      {1, {TMsgResult::Yes}, false, std::size_t{0}, 1},  // DP cannot: take Spasm
      {1, {TMsgResult::No}, false, std::nullopt, 1},     // keep DP anyway
      {1, {TMsgResult::Cancel}, true, std::nullopt, 1},  // choose nothing
  };
  for (const TCase& c : cases) {
    test::TScriptedDialogs dialogs;
    dialogs.MessageAnswers.assign(c.Answers.begin(), c.Answers.end());
    const TDemoPick pick = PickDemo(row, engines, c.Chosen, dialogs);
    EXPECT_EQ(pick.Cancelled, c.Cancelled);
    EXPECT_EQ(pick.SwitchTo, c.SwitchTo);
    EXPECT_EQ(dialogs.Messages.size(), c.Questions);
    EXPECT_EQ(pick.PlayName, "demos/Run1");
    EXPECT_EQ(pick.Patch, std::optional<std::string>("ctf"));
  }
  // No installed engine plays it: asked whether to take it anyway.
  row.Info.Protocol = 3505;
  test::TScriptedDialogs dialogs;
  dialogs.MessageAnswers = {TMsgResult::No};
  EXPECT_TRUE(PickDemo(row, std::span(engines).first(1), 0, dialogs).Cancelled);
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_NE(dialogs.Messages[0].Text.find("No installed engine plays it"), std::string::npos);
}

}  // namespace
}  // namespace fx
