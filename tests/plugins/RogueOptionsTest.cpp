#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "platform/RegFileStore.h"
#include "platform/Registry.h"
#include "plugins/FXStdPlgIn.h"
#include "plugins/RogueGameFlags.h"
#include "tests/plugins/RecordingStarter.h"

namespace fx {
namespace {

using test::TRecordingStarter;
using test::TScriptedPluginDialogs;

// --- flags and check boxes -----------------------------------------------------------------

TEST(RogueGameFlags, ProtectionBitsAreStoredInverted) {
  const TRogueCTFChoice initial = RogueCTFChoiceFromFlags(0);
  EXPECT_EQ(initial, (TRogueCTFChoice{true, true, false, false, false}));
  EXPECT_EQ(RogueCTFChoiceFromFlags(2), (TRogueCTFChoice{true, false, false, false, false}));
  EXPECT_EQ(RogueCTFChoiceFromFlags(4), (TRogueCTFChoice{false, true, false, false, false}));
  EXPECT_EQ(RogueCTFChoiceFromFlags(1), (TRogueCTFChoice{true, true, true, false, false}));
  EXPECT_EQ(RogueCTFChoiceFromFlags(8), (TRogueCTFChoice{true, true, false, true, false}));
  EXPECT_EQ(RogueCTFChoiceFromFlags(16), (TRogueCTFChoice{true, true, false, false, true}));

  EXPECT_EQ(RogueCTFFlagsFromChoice({true, true, false, false, false}), 0);
  EXPECT_EQ(RogueCTFFlagsFromChoice({false, false, true, true, true}), 31);
  EXPECT_EQ(RogueCTFFlagsFromChoice({true, false, false, false, false}), 2);
  EXPECT_EQ(RogueCTFFlagsFromChoice({false, true, false, false, false}), 4);
}

TEST(RogueGameFlags, EveryCombinationSurvivesTheDialogAndUnknownBitsAreDropped) {
  for (std::int32_t flags = 0; flags < 32; ++flags) {
    EXPECT_EQ(RogueCTFFlagsFromChoice(RogueCTFChoiceFromFlags(flags)), flags);
  }
  EXPECT_EQ(RogueCTFFlagsFromChoice(RogueCTFChoiceFromFlags(32 + 17)), 17);
}

// --- stored with a configuration -----------------------------------------------------------

constexpr const char* kConfigKey = "Software\\Bolsk\\Fraxinel\\Configs\\CTF night";

class RogueOptions : public ::testing::Test {
 protected:
  RogueOptions() { Reopen(); }

  // A new store that knows only what user.reg holds, as the next run would see it.
  void Reopen() {
    FOverride.reset();
    FStore.reset();
    FStore.emplace(FTemp.Path());
    FOverride.emplace(*FStore);
  }
  std::string UserReg() const { return test::ReadFileBytes(FTemp / "user.reg"); }

  test::TTempDir FTemp;
  test::TConfigDirOverride FConfigDir{FTemp.Path()};
  std::optional<TRegFileStore> FStore;
  std::optional<TDefaultRegistryOverride> FOverride;
  TIntfPtr<TRecordingStarter> FStarter = MakeIntf<TRecordingStarter>();
  TScriptedPluginDialogs FDialogs;
};

TEST_F(RogueOptions, SavedIntoTheConfigurationKeyOfTheUserFile) {
  auto plugin = MakeIntf<TStandardQuakePluginM2>(*FStarter, FDialogs);
  plugin->SetGameFlags(17);
  plugin->SaveOptions(TLongText(kConfigKey));

  const std::string file = UserReg();
  EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Bolsk\\Fraxinel\\Configs\\CTF night]\r\n"
                      "\"RogueGameCfg\"=dword:00000011\r\n"),
            std::string::npos)
      << file;

  Reopen();
  auto loaded = MakeIntf<TStandardQuakePluginM2>(*FStarter, FDialogs);
  loaded->LoadOptions(TLongText(kConfigKey));
  EXPECT_EQ(loaded->GameFlags(), 17);
}

TEST_F(RogueOptions, ZeroIsStoredAndLoadedToo) {
  auto plugin = MakeIntf<TStandardQuakePluginM2>(*FStarter, FDialogs);
  plugin->SaveOptions(TLongText(kConfigKey));
  Reopen();
  auto loaded = MakeIntf<TStandardQuakePluginM2>(*FStarter, FDialogs);
  loaded->SetGameFlags(31);
  loaded->LoadOptions(TLongText(kConfigKey));
  EXPECT_EQ(loaded->GameFlags(), 0);
}

TEST_F(RogueOptions, KeptWhenTheConfigurationHoldsNone) {
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kConfigKey, true));
    registry.WriteString("Gametype", "Quake - Dissolution of Eternity");
  }
  Reopen();
  auto plugin = MakeIntf<TStandardQuakePluginM2>(*FStarter, FDialogs);
  plugin->SetGameFlags(25);
  plugin->LoadOptions(TLongText(kConfigKey));
  EXPECT_EQ(plugin->GameFlags(), 25);
  // A configuration key that is not there at all keeps them as well.
  plugin->LoadOptions(TLongText("Software\\Bolsk\\Fraxinel\\Configs\\missing"));
  EXPECT_EQ(plugin->GameFlags(), 25);
}

TEST_F(RogueOptions, AValueOfTheWrongTypeIsAnErrorNotAGuess) {
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kConfigKey, true));
    registry.WriteString("RogueGameCfg", "17");
  }
  auto plugin = MakeIntf<TStandardQuakePluginM2>(*FStarter, FDialogs);
  plugin->SetGameFlags(3);
  EXPECT_THROW(plugin->LoadOptions(TLongText(kConfigKey)), ERegistryException);
  EXPECT_EQ(plugin->GameFlags(), 3);
}

}  // namespace
}  // namespace fx
