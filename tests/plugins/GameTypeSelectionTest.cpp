#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "plugins/FXStdPlgIn.h"
#include "plugins/GameTypeSelection.h"
#include "tests/plugins/RecordingStarter.h"

namespace fx {
namespace {

using test::TRecordingStarter;
using test::TScriptedPluginDialogs;
using TItems = std::vector<std::string>;

// The main window's controls as plain state, with every call logged in order.
class TRecordingView final : public TGameTypeView {
 public:
  std::map<THostList, TItems> Lists;
  std::map<THostList, int> Selected;  // absent: nothing selected
  std::string Map = std::string(kNoneText);
  std::string PlayerClassCaption;
  std::string Patch = "CTF";
  std::vector<TGameTypePicture> Pictures;
  std::vector<std::string> Log;
  TRecordingStarter* Host = nullptr;  // to see what Activate found in place

  void FillList(THostList list, const TItems& items) override {
    Lists[list] = items;
    Selected.erase(list);
    // A combo box that is refilled loses its text: the selection must not rely on it.
    if (list == THostList::Map) Map.clear();
    Log.push_back("Fill " + Name(list));
  }
  void SelectItem(THostList list, int index) override {
    if (index >= 0) Selected[list] = index;
    Log.push_back("Select " + Name(list) + " " + std::to_string(index));
  }
  std::string MapText() override { return Map; }
  void SetMapText(const std::string& text) override {
    Map = text;
    Log.push_back("Map " + text);
  }
  void SetPlayerClassCaption(const std::string& caption) override {
    PlayerClassCaption = caption;
    Log.push_back("Caption " + caption);
  }
  void SetPatchText(const std::string& text) override {
    Patch = text;
    Log.push_back("Patch " + text);
  }
  void ShowGameTypePicture(const TGameTypePicture& picture) override {
    Pictures.push_back(picture);
    Log.push_back("Picture " + std::to_string(picture.Number));
  }
  void ApplyFeatures(const TPluginFeatures&) override { Log.push_back("Features"); }

  static std::string Name(THostList list) {
    switch (list) {
      case THostList::Skill:
        return "Skill";
      case THostList::Map:
        return "Map";
      case THostList::PlayMode:
        return "PlayMode";
      case THostList::Teamplay:
        return "Teamplay";
      case THostList::ClientExit:
        return "ClientExit";
      case THostList::PlayerClass:
        return "PlayerClass";
    }
    return "?";
  }
};

// A game type whose lists and features the test sets.
class TConfigurablePlugin final : public TQuakePlugin {
 public:
  TConfigurablePlugin(TQuakeStarter& starter, TPluginFeatures features)
      : TQuakePlugin(starter), FFeatures(features) {}

  std::map<THostList, TItems> Lists;
  std::string ClassCaption = "Class:";
  TModuleHandle Module = 0;
  std::int32_t Picture = 3;
  std::vector<std::string>* Log = nullptr;

  void GetFeatures(TPluginFeatures& features) override { features = FFeatures; }
  std::int32_t GetSkillCount() override { return Count(THostList::Skill); }
  void GetSkillName(std::int32_t i, TShortName& n) override { Entry(THostList::Skill, i, n); }
  std::int32_t GetMapCount() override { return Count(THostList::Map); }
  void GetMapName(std::int32_t i, TShortName& n) override { Entry(THostList::Map, i, n); }
  std::int32_t GetPlayModeCount() override { return Count(THostList::PlayMode); }
  void GetPlayModeName(std::int32_t i, TShortName& n) override { Entry(THostList::PlayMode, i, n); }
  std::int32_t GetTeamplayCount() override { return Count(THostList::Teamplay); }
  void GetTeamplayName(std::int32_t i, TShortName& n) override { Entry(THostList::Teamplay, i, n); }
  std::int32_t GetClientExitCount() override { return Count(THostList::ClientExit); }
  void GetClientExitName(std::int32_t i, TShortName& n) override {
    Entry(THostList::ClientExit, i, n);
  }
  void GetPlayerClassCaption(TShortName& caption) override { caption = ClassCaption; }
  std::int32_t GetPlayerClassCount() override { return Count(THostList::PlayerClass); }
  void GetPlayerClassName(std::int32_t i, TShortName& n) override {
    Entry(THostList::PlayerClass, i, n);
  }
  void GetPicture(TModuleHandle& module, std::int32_t& number) override {
    module = Module;
    number = Picture;
  }
  void Activate() override {
    if (Log != nullptr) Log->push_back("Activate");
  }

 private:
  std::int32_t Count(THostList list) {
    // Asking for a list the game type did not claim is the fault this guards against.
    if (!Lists.contains(list)) throw EPluginError("unclaimed list asked for");
    return static_cast<std::int32_t>(Lists[list].size());
  }
  void Entry(THostList list, std::int32_t index, TShortName& name) {
    name = Lists.at(list).at(static_cast<std::size_t>(index));
  }

  TPluginFeatures FFeatures;
};

class GameTypeSelection : public ::testing::Test {
 protected:
  TIntfPtr<TRecordingStarter> FStarter = MakeIntf<TRecordingStarter>();
  TScriptedPluginDialogs FDialogs;
  TIntfPtr<TQuakePlugin> FStandard = MakeIntf<TStandardQuakePlugin>(*FStarter);
  TRecordingView FView;
  TGameTypeSelector FSelector{FStandard, FView};

  TIntfPtr<TConfigurablePlugin> Plugin(TPluginFeatures features) {
    auto plugin = MakeIntf<TConfigurablePlugin>(*FStarter, features);
    plugin->Log = &FView.Log;
    return plugin;
  }
};

TEST_F(GameTypeSelection, StandardGameFillsAndPreselectsEveryList) {
  FSelector.Select(FStandard);

  EXPECT_EQ(FSelector.Current(), FStandard.Get());
  EXPECT_EQ(FView.Lists[THostList::Skill], (TItems{"Easy", "Normal", "Hard", "Nightmare"}));
  EXPECT_EQ(FView.Selected[THostList::Skill], 2) << "Hard";
  EXPECT_EQ(FView.Lists[THostList::Map].size(), 38u);
  EXPECT_FALSE(FView.Selected.contains(THostList::Map));
  EXPECT_EQ(FView.Selected[THostList::PlayMode], 1);
  EXPECT_EQ(FView.Selected[THostList::Teamplay], 0);
  EXPECT_EQ(FView.Selected[THostList::ClientExit], 0);
  EXPECT_FALSE(FView.Lists.contains(THostList::PlayerClass));
  EXPECT_EQ(FView.Map, "(None)");
  EXPECT_EQ(FView.Patch, "(None)");
  ASSERT_EQ(FView.Pictures.size(), 1u);
  EXPECT_EQ(FView.Pictures[0], (TGameTypePicture{true, 0, 21000}));
}

TEST_F(GameTypeSelection, StepsRunInTheirOrder) {
  TPluginFeatures features;
  features.HasPlayerClasses = true;
  auto plugin = Plugin(features);
  plugin->Lists[THostList::PlayerClass] = {"Scout", "Sniper"};
  FSelector.Select(plugin);
  EXPECT_EQ(FView.Log,
            (std::vector<std::string>{"Fill Skill", "Select Skill 2", "Fill Map", "Fill PlayMode",
                                      "Select PlayMode 1", "Fill Teamplay", "Select Teamplay 0",
                                      "Fill ClientExit", "Select ClientExit 0", "Map (None)",
                                      "Caption Class:", "Fill PlayerClass", "Select PlayerClass 0",
                                      "Patch (None)", "Picture 21003", "Activate", "Features"}));
  EXPECT_EQ(FView.Lists[THostList::PlayerClass], (TItems{"Scout", "Sniper"}));
}

TEST_F(GameTypeSelection, ListsAClearByteLeavesComeFromTheStandardGame) {
  TPluginFeatures features;
  features.OwnMaps = true;
  features.OwnTeamplay = true;
  auto plugin = Plugin(features);
  plugin->Lists[THostList::Map] = {"CTF1: Division of Change"};
  plugin->Lists[THostList::Teamplay] = {"Off", "Tag"};
  FSelector.Select(plugin);

  EXPECT_EQ(FView.Lists[THostList::Skill], (TItems{"Easy", "Normal", "Hard", "Nightmare"}));
  EXPECT_EQ(FView.Selected[THostList::Skill], 2);
  EXPECT_EQ(FView.Lists[THostList::Map], (TItems{"CTF1: Division of Change"}));
  EXPECT_EQ(FView.Lists[THostList::PlayMode].front(), "Cooperative");
  EXPECT_EQ(FView.Lists[THostList::Teamplay], (TItems{"Off", "Tag"}));
  EXPECT_EQ(FView.Lists[THostList::ClientExit].back(), "On no map");
  EXPECT_EQ(&FSelector.SourceOf(THostList::Skill), FStandard.Get());
  EXPECT_EQ(&FSelector.SourceOf(THostList::Map), plugin.Get());
}

TEST_F(GameTypeSelection, PreselectionFollowsTheListLengths) {
  TPluginFeatures features;
  features.OwnSkills = features.OwnPlayModes = features.OwnTeamplay = true;
  features.OwnClientExit = features.HasPlayerClasses = true;
  auto plugin = Plugin(features);
  plugin->Lists[THostList::Skill] = {"Only"};
  plugin->Lists[THostList::PlayMode] = {"Single"};
  plugin->Lists[THostList::Teamplay] = {};
  plugin->Lists[THostList::ClientExit] = {"One"};
  plugin->Lists[THostList::PlayerClass] = {"Lonely"};
  FSelector.Select(plugin);

  // One skill: count-2 is -1, no selection.
  EXPECT_FALSE(FView.Selected.contains(THostList::Skill));
  EXPECT_FALSE(FView.Selected.contains(THostList::PlayMode)) << "one play mode: none selected";
  EXPECT_FALSE(FView.Selected.contains(THostList::Teamplay));
  EXPECT_EQ(FView.Selected[THostList::ClientExit], 0);
  EXPECT_FALSE(FView.Selected.contains(THostList::PlayerClass));
  EXPECT_EQ(std::count(FView.Log.begin(), FView.Log.end(), "Select PlayMode 1"), 0);
}

TEST_F(GameTypeSelection, TheMapStaysOnlyWhenTheNewListHasIt) {
  FView.Map = "e1m8: ziggurat vertigo (secret level)";
  FSelector.Select(FStandard);
  EXPECT_EQ(FView.Map, "e1m8: ziggurat vertigo (secret level)");

  FStarter->Shareware = true;
  FView.Map = "E2M1: The Installation";
  FSelector.Select(FStandard);
  EXPECT_EQ(FView.Map, "(None)");

  FView.Map = "e1m1";  // typed, not an entry of the list
  FSelector.Select(FStandard);
  EXPECT_EQ(FView.Map, "(None)");
}

TEST_F(GameTypeSelection, PicturesOfOtherModulesKeepTheirNumber) {
  auto plugin = Plugin({});
  plugin->Module = 0x4000;
  plugin->Picture = 7;
  FSelector.Select(plugin);
  EXPECT_EQ(FView.Pictures.back(), (TGameTypePicture{false, 0x4000, 7}));
  EXPECT_EQ(GameTypePicture(0, 6), (TGameTypePicture{true, 0, 21006}));
}

TEST_F(GameTypeSelection, SwitchingKeepsEachPluginsOptions) {
  auto rogue = MakeIntf<TStandardQuakePluginM2>(*FStarter, FDialogs);
  rogue->SetGameFlags(17);
  FSelector.Select(rogue);
  EXPECT_EQ(FView.Lists[THostList::Teamplay].size(), 7u);
  EXPECT_EQ(FView.Lists[THostList::Map].front(), "START: Split Decision");
  EXPECT_EQ(FView.Pictures.back().Number, 21006);
  FSelector.Select(FStandard);
  FSelector.Select(rogue);
  EXPECT_EQ(rogue->GameFlags(), 17);
  EXPECT_TRUE(FSelector.Features().StoresOptions);
}

TEST(MapName, TheLaunchUsesTheFileNamePartInLowerCase) {
  EXPECT_EQ(MapNameFromBoxText("E1M1: The Slipgate Complex"), "e1m1");
  EXPECT_EQ(MapNameFromBoxText("(None)"), "");
  EXPECT_EQ(MapNameFromBoxText("MyMap"), "mymap");
  EXPECT_EQ(MapNameFromBoxText(""), "");
}

}  // namespace
}  // namespace fx
