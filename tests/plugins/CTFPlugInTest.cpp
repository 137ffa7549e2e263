// The two Capture the Flag game types: their script lines, activation, lists, option dialogs
// and the rule flags stored with a configuration in a real user.reg.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "plugins/CTFBotsQuakePlugIn.h"
#include "plugins/CTFQuakePlugIn.h"
#include "plugins/CTFRuleFlags.h"
#include "tests/plugins/RecordingStarter.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx {
namespace {

using test::TRecordingStarter;
using test::TScriptedPluginDialogs;

struct TCTFRig {
  explicit TCTFRig(bool bots) {
    if (bots)
      Plugin = MakeIntf<TCTFBotsQuakePlugIn>(*Starter, Dialogs);
    else
      Plugin = MakeIntf<TCTFQuakePlugIn>(*Starter, Dialogs);
  }

  std::vector<std::string> ScriptLines() {
    std::vector<std::string> lines;
    for (std::int32_t i = 0; i < Plugin->GetScriptLineCount(); ++i) {
      TLongText line;
      Plugin->GetScriptLine(i, line);
      lines.push_back(line.Str());
    }
    return lines;
  }

  TIntfPtr<TRecordingStarter> Starter = MakeIntf<TRecordingStarter>();
  TScriptedPluginDialogs Dialogs;
  TIntfPtr<TCTFQuakePlugIn> Plugin;
};

class CTFPlugIn : public ::testing::TestWithParam<bool> {};

TEST_P(CTFPlugIn, ServersGetTheRulesAndTheDeathmatchValueOthersNothing) {
  struct TCase {
    bool Server;
    std::int32_t PlayMode;
    std::int32_t Flags;
    std::vector<std::string> Lines;
  };
  for (const TCase& c : std::vector<TCase>{
           {true, 2, 2024, {"teamplay 2024", "deathmatch 3"}},
           {true, 0, 0, {"teamplay 0", "deathmatch 1"}},
           {false, 2, 2024, {}},
       }) {
    TCTFRig rig(GetParam());
    rig.Starter->Server = c.Server;
    rig.Starter->PlayMode = c.PlayMode;
    rig.Plugin->SetRuleFlags(c.Flags);
    EXPECT_EQ(rig.ScriptLines(), c.Lines) << c.Server << " " << c.PlayMode;
    TLongText switches = "x";
    rig.Plugin->GetCmdLineSwitches(switches);
    EXPECT_TRUE(switches.Empty());
  }
}

TEST_P(CTFPlugIn, ActivationPicksThePatchFolderOnlyWhenNoneIsChosen) {
  TCTFRig empty(GetParam());
  empty.Plugin->Activate();
  EXPECT_EQ(empty.Starter->Calls(), (std::vector<std::string>{"SetPatchDir CTF", "SetPlayMode 0"}));

  TCTFRig chosen(GetParam());
  chosen.Starter->PatchDir = "ctfbots";
  chosen.Starter->PlayMode = 2;
  chosen.Plugin->Activate();
  EXPECT_EQ(chosen.Starter->Calls(), (std::vector<std::string>{"SetPlayMode 0"}));
}

TEST_P(CTFPlugIn, ListsFeaturesAndPicture) {
  TCTFRig rig(GetParam());
  const auto name = [&](std::int32_t index) {
    TShortName entry = "unchanged";
    rig.Plugin->GetMapName(index, entry);
    return entry.Str();
  };
  EXPECT_EQ(rig.Plugin->GetMapCount(), 55);
  EXPECT_EQ(name(16), "CTF2M8: Capturephobolis");
  EXPECT_EQ(name(17), "START: Entrance");
  EXPECT_EQ(name(54), "DM6: The Dark Zone");
  EXPECT_EQ(name(55), "");
  EXPECT_EQ(name(-1), "");
  rig.Starter->Shareware = true;  // the modification needs the full game anyway
  EXPECT_EQ(rig.Plugin->GetMapCount(), 55);

  EXPECT_EQ(rig.Plugin->GetPlayModeCount(), 3);

  TPluginFeatures features;
  features.NoSkill = true;  // cleared first
  rig.Plugin->GetFeatures(features);
  TFeatureBytes expected{};
  for (int byte : {1, 2, 6, 7, 13, 19})
    expected[static_cast<std::size_t>(byte)] = 1;
  EXPECT_EQ(FeatureBytes(features), expected);

  TModuleHandle module = 9;
  std::int32_t number = -1;
  rig.Plugin->GetPicture(module, number);
  EXPECT_EQ(module, 0u);
  EXPECT_EQ(number, GetParam() ? 3 : 2);
}

TEST_P(CTFPlugIn, OkReplacesTheRulesCancelKeepsThem) {
  TCTFRig rig(GetParam());
  rig.Plugin->SetRuleFlags(2024);
  rig.Dialogs.CTFAnswers = {std::nullopt, 7};
  EXPECT_FALSE(rig.Plugin->ShowServerOptions());
  EXPECT_EQ(rig.Plugin->RuleFlags(), 2024);
  EXPECT_TRUE(rig.Plugin->ShowServerOptions());
  EXPECT_EQ(rig.Plugin->RuleFlags(), 7);
  const std::string dialog = GetParam() ? "ShowCTFBotOptions " : "ShowCTFOptions ";
  EXPECT_EQ(rig.Dialogs.CTFShown, (std::vector<std::string>{dialog + "2024", dialog + "2024"}));
}

INSTANTIATE_TEST_SUITE_P(Variants, CTFPlugIn, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Bots" : "Plain"; });

// --- stored with a configuration -----------------------------------------------------------

constexpr const char* kConfigKey = "Software\\Bolsk\\Fraxinel\\Configs\\Flag night";

TEST(CTFOptions, LoadingReplacesTheRulesWithTheStoredOrTheDefault) {
  struct TCase {
    bool Bots;
    std::optional<std::int32_t> Stored;
    std::int32_t Loaded;
  };
  for (const TCase& c : std::vector<TCase>{
           {false, std::nullopt, 2024},
           {false, 2024, 2024},
           {false, 0, 0},
           {true, std::nullopt, 4072},
           {true, 2024, 4072},
           {true, 2025, 2025},
           {true, 0, 0},
       }) {
    test::TRegistrySandbox sandbox;
    if (c.Stored) {
      TRegistry registry;
      ASSERT_TRUE(registry.OpenKey(kConfigKey, true));
      registry.WriteInteger("CtfTeamplay", *c.Stored);
      registry.CloseKey();
    }
    TCTFRig rig(c.Bots);
    rig.Plugin->SetRuleFlags(77);
    rig.Plugin->LoadOptions(std::string(kConfigKey));
    EXPECT_EQ(rig.Plugin->RuleFlags(), c.Loaded) << c.Bots << " " << c.Stored.value_or(-1);
  }
}

TEST(CTFOptions, TheRulesGoThroughUserRegAndBack) {
  test::TRegistrySandbox sandbox;
  TCTFRig saved(true);
  saved.Plugin->SetRuleFlags(kCTFDefaultRules | kCTFNoFlagTossing);
  saved.Plugin->SaveOptions(std::string(kConfigKey));
  EXPECT_EQ(test::TRegistrySandbox::Section(sandbox.UserReg(),
                                            "[HKEY_CURRENT_USER\\" + std::string(kConfigKey) + "]"),
            (std::vector<std::string>{"\"CtfTeamplay\"=dword:000107e8"}));

  sandbox.Reopen();
  TCTFRig loaded(true);
  loaded.Plugin->LoadOptions(std::string(kConfigKey));
  EXPECT_EQ(loaded.Plugin->RuleFlags(), 2024 + 65536);
}

// --- rule flags and check boxes ------------------------------------------------------------

TEST(CTFRuleFlags, BoxesShowTheirBitsWithTheThreeBotRulesInverted) {
  const auto plain = CTFRuleBoxes(false);
  const auto bots = CTFRuleBoxes(true);
  ASSERT_EQ(plain.size(), 12u);
  ASSERT_EQ(bots.size(), 17u);
  EXPECT_STREQ(plain[11].Control, "cbDisableGrapple");
  EXPECT_STREQ(bots[11].Control, "cbTotalFreedom");
  for (std::size_t i = 0; i < bots.size(); ++i)
    EXPECT_EQ(bots[i].Bit, 1 << i) << bots[i].Control;

  // Nothing set: only the inverted rules (rune dropping, bot flag pickups, flag tossing) on.
  std::vector<bool> none(17, false);
  none[13] = none[14] = none[16] = true;
  EXPECT_EQ(CTFBoxStates(bots, 0), none);
  EXPECT_EQ(CTFFlagsFromBoxes(bots, none), 0);
  EXPECT_EQ(CTFFlagsFromBoxes(bots, std::vector<bool>(17, true)), 0x1FFFF - 0x16000);

  // Unchecking "Armor Protect" clears bit 1; bits no box shows are dropped.
  std::vector<bool> states = CTFBoxStates(bots, 4072 | kCTFArmorProtect);
  states[1] = false;
  EXPECT_EQ(CTFFlagsFromBoxes(bots, states), 4072);
  EXPECT_EQ(CTFFlagsFromBoxes(plain, CTFBoxStates(plain, 0x7FFFFFFF)), 0xFFF);
  EXPECT_THROW(CTFFlagsFromBoxes(plain, none), std::invalid_argument);
}

}  // namespace
}  // namespace fx
