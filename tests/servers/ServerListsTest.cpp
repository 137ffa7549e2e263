#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fixtures/FileBuilder.h"
#include "platform/Registry.h"
#include "servers/ServerLists.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Optional;

TKnownServer Known(const char* address, TServerFamily family) {
  return {*TServerAddress::Parse(address, 0), family};
}

class ServerLists : public ::testing::Test {
 protected:
  // Values written by hand, as an older version or the user might have left them.
  void Write(const std::function<void(TRegistry&)>& values) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kServerListsKey, true));
    values(registry);
    registry.CloseKey();
    Sandbox.Reopen();
  }
  std::string File() const { return test::ReadFileBytes(Sandbox.UserReg()); }
  // The lines of the lists' key, or of one of its sub-keys.
  std::optional<std::vector<std::string>> Section(const std::string& subKey = "") const {
    const std::string key = "[HKEY_CURRENT_USER\\Software\\Bolsk\\Fraxinel\\Servers";
    return test::TRegistrySandbox::Section(Sandbox.UserReg(),
                                           key + (subKey.empty() ? "" : "\\" + subKey) + "]");
  }

  test::TRegistrySandbox Sandbox;
};

TEST_F(ServerLists, SurviveARestartInTheSettingsForms) {
  TServerLists lists;
  {
    TServerListStore store;
    lists = store.Load();
    EXPECT_TRUE(store.Problems().empty());
    EXPECT_EQ(lists.Masters, BuiltInMasters());
    lists.ToggleFavourite(Known("10.0.0.1:26000", TServerFamily::NetQuake));
    lists.ToggleFavourite(Known("[::1]:27500", TServerFamily::QuakeWorld));
    lists.AddToHistory(Known("10.0.0.2:26000", TServerFamily::DarkPlaces), "\xC6rag \"Pit\"");
    lists.AddToHistory(Known("10.0.0.3:26000", TServerFamily::NetQuake), "");
    lists.AddMaster("master.example.net:27950", TMasterKind::DpMaster);
    lists.Masters[4].Enabled = false;  // master.quakeworld.nu
    lists.Limits = {200, 2};
    lists.SearchLan = false;
    store.Save(lists);
  }
  EXPECT_THAT(Section(), Optional(ElementsAre("\"PacketsPerSecond\"=dword:000000c8",
                                              "\"PerHostConcurrency\"=dword:00000002",
                                              "\"SearchLan\"=\"False\"")));
  EXPECT_THAT(Section("History"),
              Optional(ElementsAre("\"Item0\"=\"NetQuake 10.0.0.3:26000\"",
                                   "\"Item1\"=\"DarkPlaces 10.0.0.2:26000 \xC6rag \\\"Pit\\\"\"")));
  EXPECT_THAT(Section("Masters"),
              Optional(ElementsAre("\"Item0\"=\"DpMaster master.example.net:27950\"")));
  EXPECT_THAT(Section("MastersOff"),
              Optional(ElementsAre("\"Item0\"=\"master.quakeworld.nu:27000\"")));

  Sandbox.Reopen();
  TServerListStore store;
  EXPECT_EQ(store.Load(), lists);
  EXPECT_TRUE(store.Problems().empty());
}

struct TDamage {
  const char* What;
  std::function<void(TRegistry&)> Write;
  const char* Problem;
  const char* KeptInFile;
};

TEST_F(ServerLists, ADamagedValueIsReportedUsedAsFarAsItGoesAndLeftInTheFile) {
  const std::vector<TDamage> cases = {
      {"limit of the wrong type", [](TRegistry& r) { r.WriteString("PacketsPerSecond", "fast"); },
       "PacketsPerSecond: ", "\"PacketsPerSecond\"=\"fast\""},
      {"limit out of range", [](TRegistry& r) { r.WriteInteger("PerHostConcurrency", 0); },
       "PerHostConcurrency: 0 is not between 1 and 64", "\"PerHostConcurrency\"=dword:00000000"},
      {"switch naming nothing", [](TRegistry& r) { r.WriteString("SearchLan", "Maybe"); },
       "SearchLan: ", "\"SearchLan\"=\"Maybe\""},
      {"favourite naming no server",
       [](TRegistry& r) {
         ASSERT_TRUE(r.OpenKey("Favourites", true));
         r.WriteString("Item0", "NetQuake 10.0.0.1:26000");
         r.WriteString("Item1", "somewhere over there");
       },
       "Favourites\\Item1: \"somewhere over there\" names no server",
       "=\"somewhere over there\"\r\n"},  // after the good ones
      {"history item of the wrong type",
       [](TRegistry& r) {
         ASSERT_TRUE(r.OpenKey("History", true));
         r.WriteString("Item0", "NetQuake 10.0.0.5:26000 First");
         r.WriteInteger("Item1", 7);
       },
       "History: ", "\"Item1\"=dword:00000007"},
  };
  for (const TDamage& damage : cases) {
    std::filesystem::remove(Sandbox.UserReg());
    Sandbox.Reopen();
    Write([&](TRegistry& registry) {
      registry.WriteInteger("PerHostConcurrency", 3);
      damage.Write(registry);
    });
    TServerListStore store;
    TServerLists lists = store.Load();
    EXPECT_THAT(store.Problems(), Contains(HasSubstr(damage.Problem))) << damage.What;
    EXPECT_EQ(store.Problems().size(), 1u) << damage.What;
    // The rest is read; a change elsewhere is saved and the damage stays as it was.
    if (std::string(damage.What) != "limit out of range") {
      EXPECT_EQ(lists.Limits.PerHostConcurrency, 3) << damage.What;
    }
    lists.ToggleFavourite(Known("10.9.9.9:26000", TServerFamily::QuakeWorld));
    store.Save(lists);
    EXPECT_NE(File().find(damage.KeptInFile), std::string::npos) << damage.What << "\n" << File();
  }
}

TEST_F(ServerLists, ADamagedValueTheUserChangesIsWritten) {
  Write([](TRegistry& r) { r.WriteString("PacketsPerSecond", "fast"); });
  TServerListStore store;
  TServerLists lists = store.Load();
  EXPECT_EQ(lists.Limits.PacketsPerSecond, 500);
  lists.Limits.PacketsPerSecond = 300;
  store.Save(lists);
  EXPECT_NE(File().find("\"PacketsPerSecond\"=dword:0000012c"), std::string::npos);
}

TEST_F(ServerLists, PresetsAreKeptByName) {
  TServerListStore store;
  TFilterPreset ctf{"CTF \xC6un", {}};
  ctf.Filter.Game = "ctf";
  ctf.Filter.NotEmpty = true;
  ctf.Filter.Families = kFamilyQuakeWorld | kFamilyDarkPlaces;
  TFilterPreset near{"near", {}};
  near.Filter.PingBelow = 60;
  store.SavePreset(ctf);
  store.SavePreset(near);
  near.Filter.Text = "duel";
  store.SavePreset({"NEAR", near.Filter});  // names compare case-blind: replaces it
  EXPECT_NE(File().find("\"Families\"=\"QuakeWorld,DarkPlaces\""), std::string::npos);

  Sandbox.Reopen();
  TServerListStore later;
  const auto presets = later.LoadPresets();
  ASSERT_EQ(presets.size(), 2u);
  EXPECT_EQ(presets[0], ctf);
  EXPECT_EQ(presets[1].Filter, near.Filter);
  later.DeletePreset("ctf \xC6un");
  EXPECT_EQ(later.LoadPresets().size(), 1u);
  for (const char* bad : {"", "a\\b", "tab\there"})
    EXPECT_THROW(later.SavePreset({bad, {}}), EServerListError) << bad;
}

TEST_F(ServerLists, HistoryAndMastersKeepTheirRules) {
  TServerLists lists;
  lists.Masters = BuiltInMasters();
  for (int i = 0; i < 60; ++i)
    lists.AddToHistory(
        Known(("10.0.0." + std::to_string(i) + ":26000").c_str(), TServerFamily::NetQuake),
        "s" + std::to_string(i));
  lists.AddToHistory(Known("10.0.0.30:26000", TServerFamily::NetQuake), "again");
  ASSERT_EQ(lists.History.size(), kHistoryLength);
  EXPECT_EQ(lists.History[0].Name, "again");
  EXPECT_EQ(lists.History[1].Name, "s59");

  EXPECT_THROW(lists.AddMaster("no port", TMasterKind::DpMaster), EServerListError);
  EXPECT_THROW(lists.AddMaster("DPMASTER.tchr.no:27950", TMasterKind::DpMaster), EServerListError);
  lists.AddMaster("[2001:db8::1]:27000", TMasterKind::QuakeWorld);
  EXPECT_FALSE(lists.RemoveMaster(0));  // the program's own stay
  EXPECT_TRUE(lists.RemoveMaster(lists.Masters.size() - 1));
  EXPECT_EQ(lists.Masters, BuiltInMasters());
}

}  // namespace
}  // namespace fx
