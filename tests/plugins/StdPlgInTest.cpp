#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugins/FXStdPlgIn.h"
#include "plugins/GameTypeSelection.h"
#include "tests/plugins/PluginProbe.h"
#include "tests/plugins/RecordingStarter.h"

namespace fx {
namespace {

using test::Features;
using test::Map;
using test::Picture;
using test::Script;
using test::Switches;
using test::TRecordingStarter;
using test::TScriptedPluginDialogs;
using TBytes = TFeatureBytes;

class StandardGameTypes : public ::testing::Test {
 protected:
  TIntfPtr<TRecordingStarter> FStarter = MakeIntf<TRecordingStarter>();
  TScriptedPluginDialogs FDialogs;
  TIntfPtr<TStandardQuakePlugin> FStandard = MakeIntf<TStandardQuakePlugin>(*FStarter);
  TIntfPtr<TStandardQuakePluginM1> FM1 = MakeIntf<TStandardQuakePluginM1>(*FStarter);
  TIntfPtr<TStandardQuakePluginM2> FM2 = MakeIntf<TStandardQuakePluginM2>(*FStarter, FDialogs);
};

TEST_F(StandardGameTypes, FeatureRecordsByteForByte) {
  EXPECT_EQ(Features(*FStandard),
            (TBytes{1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Features(*FM1),
            (TBytes{0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Features(*FM2),
            (TBytes{0, 1, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(StandardGameTypes, SwitchesPicturesAndVersion) {
  EXPECT_EQ(Switches(*FStandard), "");
  EXPECT_EQ(Switches(*FM1), "-hipnotic");
  EXPECT_EQ(Switches(*FM2), "-rogue");
  EXPECT_EQ(Picture(*FStandard), std::make_pair(TModuleHandle{0}, 0));
  EXPECT_EQ(Picture(*FM1), std::make_pair(TModuleHandle{0}, 5));
  EXPECT_EQ(Picture(*FM2), std::make_pair(TModuleHandle{0}, 6));
  EXPECT_EQ(FM2->GetVersion(), 1);
}

TEST_F(StandardGameTypes, ActivateChangesNothingOnTheHost) {
  FStandard->Activate();
  FM1->Activate();
  FM2->Activate();
  EXPECT_TRUE(FStarter->Calls().empty());
}

// --- script lines --------------------------------------------------------------------------

TEST_F(StandardGameTypes, StandardGameWritesCoopOnlyForACooperativeServer) {
  FStarter->Server = true;
  FStarter->PlayMode = 0;
  EXPECT_EQ(Script(*FStandard), std::vector<std::string>{"coop 1"});
  FStarter->PlayMode = 1;
  EXPECT_EQ(Script(*FStandard), std::vector<std::string>{""});
  FStarter->Server = false;  // single player or client: play mode 0 is no coop game
  FStarter->PlayMode = 0;
  EXPECT_EQ(Script(*FStandard), std::vector<std::string>{""});
}

TEST_F(StandardGameTypes, FirstMissionPackWritesOneEmptyLine) {
  FStarter->Server = true;
  FStarter->PlayMode = 0;
  EXPECT_EQ(Script(*FM1), std::vector<std::string>{""});
}

TEST_F(StandardGameTypes, GamecfgNeedsFlagsAServerAndACaptureTheFlagGame) {
  FStarter->Server = true;
  FStarter->Teamplay = 4;
  EXPECT_EQ(Script(*FM2), std::vector<std::string>{""}) << "flags 0";

  FM2->SetGameFlags(17);
  EXPECT_EQ(Script(*FM2), std::vector<std::string>{"gamecfg 17"});
  FStarter->Teamplay = 6;
  EXPECT_EQ(Script(*FM2), std::vector<std::string>{"gamecfg 17"});
  FStarter->Teamplay = 3;  // "Tag"
  EXPECT_EQ(Script(*FM2), std::vector<std::string>{""});
  FStarter->Teamplay = 4;
  FStarter->Server = false;
  EXPECT_EQ(Script(*FM2), std::vector<std::string>{""});
}

TEST_F(StandardGameTypes, ScriptLinesOutsideTheCountAreEmpty) {
  FStarter->Server = true;
  FStarter->Teamplay = 4;
  FM2->SetGameFlags(1);
  TLongText line("stale");
  FStandard->GetScriptLine(1, line);
  EXPECT_EQ(line.Str(), "");
  line = "stale";
  FM2->GetScriptLine(1, line);
  EXPECT_EQ(line.Str(), "");
}

// --- lists ---------------------------------------------------------------------------------

TEST_F(StandardGameTypes, StandardMapsAtTheirEnds) {
  ASSERT_EQ(FStandard->GetMapCount(), 38);
  EXPECT_EQ(Map(*FStandard, 0), "START: Entrance");
  EXPECT_EQ(Map(*FStandard, 8), "E1M8: Ziggurat Vertigo (Secret Level)");
  EXPECT_EQ(Map(*FStandard, 9), "E2M1: The Installation");
  EXPECT_EQ(Map(*FStandard, 31), "END: Shub-Niggurath's Pit");
  EXPECT_EQ(Map(*FStandard, 37), "DM6: The Dark Zone");
  EXPECT_EQ(Map(*FStandard, 38), "");
  EXPECT_EQ(Map(*FStandard, -1), "");
}

TEST_F(StandardGameTypes, SharewareHasTheFirstEpisodeOnly) {
  FStarter->Shareware = true;
  const auto maps = ListItems(*FStandard, THostList::Map);
  ASSERT_EQ(maps.size(), 9u);
  EXPECT_EQ(maps.front(), "START: Entrance");
  EXPECT_EQ(maps.back(), "E1M8: Ziggurat Vertigo (Secret Level)");
}

TEST_F(StandardGameTypes, MissionPackMapsAtTheirEnds) {
  ASSERT_EQ(FM1->GetMapCount(), 18);
  EXPECT_EQ(Map(*FM1, 0), "START: Command HQ");
  EXPECT_EQ(Map(*FM1, 16), "HIPEND: Armagon's Lair");
  EXPECT_EQ(Map(*FM1, 17), "HIPDM1: The Edge of Oblivion");
  EXPECT_EQ(Map(*FM1, 18), "");
  ASSERT_EQ(FM2->GetMapCount(), 17);
  EXPECT_EQ(Map(*FM2, 0), "START: Split Decision");
  EXPECT_EQ(Map(*FM2, 15), "R2M8: Source of Evil");
  EXPECT_EQ(Map(*FM2, 16), "CTF1: Division of Change");
  EXPECT_EQ(Map(*FM2, 17), "");
  // Shareware limits the standard list only.
  FStarter->Shareware = true;
  EXPECT_EQ(FM1->GetMapCount(), 18);
  EXPECT_EQ(FM2->GetMapCount(), 17);
}

TEST_F(StandardGameTypes, EveryMapEntryNamesItsFileBeforeAColon) {
  for (TQuakePlugin* plugin :
       {static_cast<TQuakePlugin*>(FStandard.Get()), static_cast<TQuakePlugin*>(FM1.Get()),
        static_cast<TQuakePlugin*>(FM2.Get())}) {
    for (const std::string& entry : ListItems(*plugin, THostList::Map)) {
      const auto colon = entry.find(": ");
      ASSERT_NE(colon, std::string::npos) << entry;
      EXPECT_EQ(entry.find(' '), colon + 1) << entry;
    }
  }
}

TEST_F(StandardGameTypes, StandardLists) {
  using V = std::vector<std::string>;
  EXPECT_EQ(ListItems(*FStandard, THostList::Skill), (V{"Easy", "Normal", "Hard", "Nightmare"}));
  EXPECT_EQ(ListItems(*FStandard, THostList::PlayMode),
            (V{"Cooperative", "Deathmatch (respawning weapons)", "Deathmatch (staying weapons)"}));
  EXPECT_EQ(ListItems(*FStandard, THostList::Teamplay),
            (V{"No Teamplay", "Friendly Fire", "No Friendly Fire"}));
  EXPECT_EQ(ListItems(*FStandard, THostList::ClientExit),
            (V{"On all maps", "Only on start map", "On no map"}));
  EXPECT_EQ(ListItems(*FM2, THostList::Teamplay),
            (V{"No Teamplay", "Friendly Fire", "No Friendly Fire", "Tag", "Capture the Flag",
               "Capture the Flag: One Flag", "Capture the Flag: Three Team"}));
}

TEST_F(StandardGameTypes, MissionPacksOfferNoOptionsOfTheirOwn) {
  EXPECT_THROW(FM1->GetSkillCount(), EPluginError);
  EXPECT_THROW(FM1->GetTeamplayCount(), EPluginError);
  EXPECT_THROW(FM1->ShowServerOptions(), EPluginError);
  EXPECT_THROW(FM2->ShowOptions(), EPluginError);
  EXPECT_THROW(FStandard->SaveOptions(TLongText("Software")), EPluginError);
}

// --- server options of the second mission pack ---------------------------------------------

TEST_F(StandardGameTypes, ServerOptionsSwitchToCaptureTheFlagBeforeTheDialog) {
  std::vector<std::string> log;
  FStarter->Log = &log;
  FDialogs.Log = &log;
  FStarter->Teamplay = 1;
  FM2->SetGameFlags(9);
  FDialogs.RogueAnswers = {std::nullopt};  // the user cancels

  EXPECT_FALSE(FM2->ShowServerOptions());

  EXPECT_EQ(log, (std::vector<std::string>{
                     "SetTeamplay 4",
                     "ShowMessageBox Additional Options are only valid for \"Capture the Flag\".",
                     "ShowRogueCTF 9"}));
  ASSERT_EQ(FStarter->MessageBoxes.size(), 1u);
  EXPECT_EQ(FStarter->MessageBoxes[0].Caption, "Information");
  EXPECT_EQ(FStarter->MessageBoxes[0].Flags, 64);
  EXPECT_EQ(FStarter->Teamplay, 4) << "the switch stays even though the dialog was cancelled";
  EXPECT_EQ(FM2->GameFlags(), 9);
}

TEST_F(StandardGameTypes, ServerOptionsOnACaptureTheFlagGameGoStraightToTheDialog) {
  FStarter->Teamplay = 5;
  FDialogs.RogueAnswers = {17};
  EXPECT_TRUE(FM2->ShowServerOptions());
  EXPECT_TRUE(FStarter->Calls().empty());
  EXPECT_EQ(FStarter->Teamplay, 5);
  EXPECT_EQ(FDialogs.RogueShown, std::vector<std::int32_t>{0});
  EXPECT_EQ(FM2->GameFlags(), 17);
}

}  // namespace
}  // namespace fx
