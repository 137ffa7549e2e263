#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugins/CTFBotsQuakePlugIn.h"
#include "plugins/CTFQuakePlugIn.h"
#include "plugins/FXStdPlgIn.h"
#include "plugins/GameTypes.h"
#include "plugins/HHQuakePlugIn.h"
#include "plugins/TFQuakePlugin.h"
#include "plugins/VarimixQuakePlugin.h"
#include "tests/plugins/RecordingStarter.h"

namespace fx {
namespace {

using test::TRecordingStarter;
using test::TScriptedPluginDialogs;

TEST(GameTypes, TheEightDisplayTextsInRegistrationOrder) {
  const auto names = GameTypeNames();
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.end()),
            (std::vector<std::string>{
                "Quake (Standard)", "Quake - Scourge of Armagon", "Quake - Dissolution of Eternity",
                "Threewave Capture the Flag (4.0)", "Capture the Flag Bots", "TeamFortress (2.5)",
                "Head Hunters (1.0)", "Varimix by Bolsk"}));
  EXPECT_EQ(GameTypeName(TGameType::Varimix), "Varimix by Bolsk");
  EXPECT_EQ(GameTypeName(TGameType::ThreewaveCTF), "Threewave Capture the Flag (4.0)");
}

TEST(GameTypes, AStoredGametypeIsFoundWithoutRegardToCase) {
  EXPECT_EQ(FindGameType("quake - DISSOLUTION of eternity"), TGameType::DissolutionOfEternity);
  EXPECT_EQ(FindGameType("TeamFortress (2.5)"), TGameType::TeamFortress);
  EXPECT_EQ(FindGameType("TeamFortress"), std::nullopt);
  EXPECT_EQ(FindGameType(""), std::nullopt);
}

TEST(GameTypes, RegistrationCreatesEachPluginWithTheSameStarter) {
  auto starter = MakeIntf<TRecordingStarter>();
  TScriptedPluginDialogs dialogs;
  const auto entries = RegisterGameTypes({*starter, dialogs});
  ASSERT_GE(entries.size(), 3u);
  EXPECT_EQ(entries[0].Type, TGameType::Standard);
  EXPECT_EQ(entries[0].Name, "Quake (Standard)");
  EXPECT_NE(dynamic_cast<TStandardQuakePlugin*>(entries[0].Plugin.Get()), nullptr);
  EXPECT_NE(dynamic_cast<TStandardQuakePluginM1*>(entries[1].Plugin.Get()), nullptr);
  EXPECT_NE(dynamic_cast<TStandardQuakePluginM2*>(entries[2].Plugin.Get()), nullptr);
  ASSERT_GE(entries.size(), 5u);
  EXPECT_EQ(entries[3].Name, "Threewave Capture the Flag (4.0)");
  EXPECT_NE(dynamic_cast<TCTFQuakePlugIn*>(entries[3].Plugin.Get()), nullptr);
  EXPECT_NE(dynamic_cast<TCTFBotsQuakePlugIn*>(entries[4].Plugin.Get()), nullptr);
  // The last three of the box, whatever comes before them.
  ASSERT_GE(entries.size(), 6u);
  const auto last = entries.end() - 3;
  EXPECT_NE(dynamic_cast<TTFQuakePlugin*>(last[0].Plugin.Get()), nullptr);
  EXPECT_NE(dynamic_cast<THHQuakePlugIn*>(last[1].Plugin.Get()), nullptr);
  EXPECT_NE(dynamic_cast<TVarimixQuakePlugin*>(last[2].Plugin.Get()), nullptr);
  // Entries keep the fixed order and name their own game type.
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].Name, GameTypeName(entries[i].Type));
    if (i > 0) {
      EXPECT_LT(entries[i - 1].Type, entries[i].Type);
    }
  }
  // The plug-ins read the host they were given: shareware shortens the standard map list.
  starter->Shareware = true;
  EXPECT_EQ(entries[0].Plugin->GetMapCount(), 9);
}

}  // namespace
}  // namespace fx
