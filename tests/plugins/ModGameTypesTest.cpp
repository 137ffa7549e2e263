// The three modification game types as the host sees them: features, lists, what a launch
// gets in each play mode, and what a selection changes on the host.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "plugins/CTFBotsQuakePlugIn.h"
#include "plugins/CTFQuakePlugIn.h"
#include "plugins/HHQuakePlugIn.h"
#include "plugins/TFQuakePlugin.h"
#include "plugins/VarimixQuakePlugin.h"
#include "tests/plugins/PluginProbe.h"
#include "tests/plugins/RecordingStarter.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx {
namespace {

using test::BytesSet;
using test::Script;
using TLines = std::vector<std::string>;

class ModGameTypes : public ::testing::Test {
 protected:
  TIntfPtr<test::TRecordingStarter> FStarter = MakeIntf<test::TRecordingStarter>();
  test::TScriptedPluginDialogs FDialogs;
  TIntfPtr<TTFQuakePlugin> FTF = MakeIntf<TTFQuakePlugin>(*FStarter, FDialogs);
  TIntfPtr<THHQuakePlugIn> FHH = MakeIntf<THHQuakePlugIn>(*FStarter, FDialogs);
  TIntfPtr<TVarimixQuakePlugin> FVarimix = MakeIntf<TVarimixQuakePlugin>(*FStarter, FDialogs);
};

TEST_F(ModGameTypes, FeaturesPicturesAndNoSwitches) {
  struct TCase {
    TQuakePlugin* Plugin;
    TFeatureBytes Bytes;
    std::int32_t Picture;
  };
  for (const TCase& c : {TCase{FTF.Get(), BytesSet({3, 6, 7, 20}), 7},
                         TCase{FHH.Get(), BytesSet({1, 2, 6, 7, 19}), 4},
                         TCase{FVarimix.Get(), BytesSet({2, 6, 7, 19}), 1}}) {
    EXPECT_EQ(test::Features(*c.Plugin), c.Bytes) << c.Picture;
    EXPECT_EQ(test::Picture(*c.Plugin), std::make_pair(TModuleHandle{0}, c.Picture));
    EXPECT_EQ(test::Switches(*c.Plugin), "");
  }
}

TEST_F(ModGameTypes, SelectingSetsThePatchUnlessChosenAndTheFirstRule) {
  using TMake = std::function<TIntfPtr<TQuakePlugin>(TQuakeStarter&)>;
  struct TCase {
    TMake Make;
    std::string Patch;
    std::string Rule;
  };
  const std::vector<TCase> cases = {
      {[&](TQuakeStarter& s) { return MakeIntf<TTFQuakePlugin>(s, FDialogs); }, "TEAMF",
       "SetTeamplay 1"},
      {[&](TQuakeStarter& s) { return MakeIntf<THHQuakePlugIn>(s, FDialogs); }, "HH",
       "SetPlayMode 0"},
      {[&](TQuakeStarter& s) { return MakeIntf<TVarimixQuakePlugin>(s, FDialogs); }, "VARIMIX",
       "SetPlayMode 0"},
  };
  for (const TCase& c : cases) {
    auto fresh = MakeIntf<test::TRecordingStarter>();
    fresh->PlayMode = fresh->Teamplay = 2;
    c.Make(*fresh)->Activate();
    EXPECT_EQ(fresh->Calls(), (TLines{"SetPatchDir " + c.Patch, c.Rule}));

    auto chosen = MakeIntf<test::TRecordingStarter>();
    chosen->PatchDir = "mine";
    c.Make(*chosen)->Activate();
    EXPECT_EQ(chosen->Calls(), (TLines{c.Rule})) << "a chosen patch stays";
  }
}

TEST_F(ModGameTypes, TeamFortressWritesBothRuleSetsInEveryPlayMode) {
  FTF->Activate();
  for (std::int32_t mode = 0; mode <= 4; ++mode) {
    FStarter->Server = mode == 1 || mode == 2;
    EXPECT_EQ(Script(*FTF), (TLines{"temp1 0", "teamplay 1"})) << "play mode " << mode;
  }
  FTF->SetFlags({kTFGrapple | kTFSpyInvis, kTFDirectFireNone | kTFAreaAffectHalf});
  EXPECT_EQ(Script(*FTF), (TLines{"temp1 1536", "teamplay 13"}));
}

TEST_F(ModGameTypes, TheTeamplayBitFollowsTheTeamplayBox) {
  FTF->Activate();
  EXPECT_EQ(Script(*FTF)[1], "teamplay 1");
  FStarter->Teamplay = 0;
  EXPECT_EQ(Script(*FTF)[1], "teamplay 0") << "no team game when the box says it is off";
  FTF->SetFlags({0, kTFTeamplayOn | kTFTeamEqMembers});
  EXPECT_EQ(Script(*FTF)[1], "teamplay 32");
  EXPECT_EQ(FTF->Flags().Team, kTFTeamEqMembers);

  FStarter->Teamplay = 1;
  EXPECT_EQ(Script(*FTF)[1], "teamplay 33");
}

TEST_F(ModGameTypes, HeadHuntersWritesDeathmatchAndOptionsForServersOnly) {
  FHH->SetOptions(7169);
  FStarter->Server = true;
  FStarter->PlayMode = 1;
  EXPECT_EQ(Script(*FHH), (TLines{"deathmatch 2", "temp1 7169"}));
  FStarter->PlayMode = 0;
  EXPECT_EQ(Script(*FHH), (TLines{"deathmatch 1", "temp1 7169"}));
  FStarter->Server = false;
  EXPECT_EQ(Script(*FHH), TLines{});
}

TEST_F(ModGameTypes, HeadHuntersListsItsMapsAheadOfTheStandardOnes) {
  FStarter->Shareware = true;  // the list is the modification's, whatever the edition
  ASSERT_EQ(FHH->GetMapCount(), 44);
  EXPECT_EQ(test::Map(*FHH, 0), "HH1B: Shadows Of Sin");
  EXPECT_EQ(test::Map(*FHH, 6), "START: Entrance");
  EXPECT_EQ(test::Map(*FHH, 43).substr(0, 5), "DM6: ");
  EXPECT_EQ(test::Map(*FHH, 44), "");
}

TEST_F(ModGameTypes, VarimixWritesOneLineForServersOnly) {
  FStarter->Server = true;
  FStarter->PlayMode = 2;
  EXPECT_EQ(Script(*FVarimix), (TLines{"temp1 0;deathmatch 3"}));
  FVarimix->SetOptions(2114);
  FStarter->PlayMode = 0;
  EXPECT_EQ(Script(*FVarimix), (TLines{"temp1 2114;deathmatch 1"}));
  FStarter->Server = false;
  EXPECT_EQ(Script(*FVarimix), TLines{});
  EXPECT_EQ(FVarimix->GetPlayModeCount(), 3);
}

TEST_F(ModGameTypes, ServerOptionsChangeOnlyOnOk) {
  FDialogs.TF.Answers = {std::nullopt, TTFFlags{kTFAutoteam, kTFAreaAffectNone}};
  FDialogs.HH.Answers = {std::nullopt, 32265};
  FDialogs.Varimix.Answers = {std::nullopt, 2048};
  FTF->SetFlags({1, 33});
  FHH->SetOptions(7169);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(FTF->ShowServerOptions(), round == 1);
    EXPECT_EQ(FHH->ShowServerOptions(), round == 1);
    EXPECT_EQ(FVarimix->ShowServerOptions(), round == 1);
  }
  EXPECT_EQ(FDialogs.TF.Shown, (std::vector<TTFFlags>{{1, 33}, {1, 33}}));
  EXPECT_EQ(FTF->Flags(), (TTFFlags{kTFAutoteam, kTFAreaAffectNone}));
  EXPECT_EQ(FHH->Options(), 32265);
  EXPECT_EQ(FVarimix->Options(), 2048);
}

// A game type chosen afresh runs its players' rules from the first launch: the same lines
// as after loading a configuration that stores none of its values.
TEST(ModGameTypeDefaults, AFreshChoiceLaunchesWithTheRulesOfAConfigurationWithoutValues) {
  test::TRegistrySandbox sandbox;
  test::TScriptedPluginDialogs dialogs;
  using TMake = std::function<TIntfPtr<TQuakePlugin>(TQuakeStarter&)>;
  const std::vector<std::pair<TMake, TLines>> cases{
      {[&](TQuakeStarter& s) { return MakeIntf<TCTFQuakePlugIn>(s, dialogs); },
       {"teamplay 2024", "deathmatch 1"}},
      {[&](TQuakeStarter& s) { return MakeIntf<TCTFBotsQuakePlugIn>(s, dialogs); },
       {"teamplay 4072", "deathmatch 1"}},
      {[&](TQuakeStarter& s) { return MakeIntf<TTFQuakePlugin>(s, dialogs); },
       {"temp1 0", "teamplay 1"}},
      {[&](TQuakeStarter& s) { return MakeIntf<THHQuakePlugIn>(s, dialogs); },
       {"deathmatch 1", "temp1 7169"}},
      {[&](TQuakeStarter& s) { return MakeIntf<TVarimixQuakePlugin>(s, dialogs); },
       {"temp1 0;deathmatch 1"}},
  };
  for (const auto& [make, lines] : cases) {
    auto starter = MakeIntf<test::TRecordingStarter>();
    starter->Server = true;
    auto fresh = make(*starter);
    fresh->Activate();
    auto loaded = make(*starter);
    loaded->LoadOptions(TLongText("Software\\Bolsk\\Fraxinel\\Configs\\Empty"));
    EXPECT_EQ(Script(*fresh), lines);
    EXPECT_EQ(Script(*loaded), lines);
  }
}

}  // namespace
}  // namespace fx
