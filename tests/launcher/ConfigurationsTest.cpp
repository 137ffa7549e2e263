// Saved launch configurations, through real registry files: what a key holds, and what
// the main window is told, in order, when a configuration is saved or loaded.

#include "launcher/Configurations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fixtures/ErrorOf.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "settings/FXSettings.h"
#include "tests/launcher/ConfigurationsRig.h"

namespace fx {
namespace {

using test::kConfigs;
using test::OtherConfig;
using test::SampleConfig;
using test::TFakeConfigHost;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using ConfigurationsTest = test::TConfigurationsRig;

// --- The stored form ---

TEST(ConfigLinesTest, EveryLineEndsWithCrLfAndSplitsBack) {
  EXPECT_EQ(JoinConfigLines({}), "");
  EXPECT_EQ(JoinConfigLines({""}), "\r\n");
  EXPECT_EQ(JoinConfigLines({"a", "", "b"}), "a\r\n\r\nb\r\n");

  EXPECT_THAT(SplitConfigLines(""), IsEmpty());
  EXPECT_THAT(SplitConfigLines("\r\n"), ElementsAre(""));
  EXPECT_THAT(SplitConfigLines("a\r\n\r\nb\r\n"), ElementsAre("a", "", "b"));
  // Keys edited by hand or by other tools may break lines differently or not at the end.
  EXPECT_THAT(SplitConfigLines("a\nb\rc"), ElementsAre("a", "b", "c"));
  EXPECT_THAT(SplitConfigLines("a\r\n\n"), ElementsAre("a", ""));
}

TEST_F(ConfigurationsTest, WritesEveryValueInOrderWithItsType) {
  alpha->Options = 77;
  Store("Full", SampleConfig());

  const auto lines = test::TRegistrySandbox::Section(sandbox.UserReg(),
                                                     "[HKEY_CURRENT_USER\\" + kConfigs + "\\Full]");
  ASSERT_TRUE(lines.has_value());
  std::vector<std::string> names;
  for (const std::string& line : *lines)
    if (line.rfind("\"", 0) == 0) names.push_back(line.substr(0, line.find('=')));
  // The game type's own value first: it is saved before the host writes its values.
  EXPECT_THAT(names, ElementsAre("\"AlphaOpts\"", "\"Gametype\"", "\"Skill\"", "\"Playmode\"",
                                 "\"Teamplay\"", "\"ClientExit\"", "\"NewExe\"", "\"Map\"",
                                 "\"Patch\"", "\"AddParms\"", "\"QuakeMode\"", "\"MaxPlayers\"",
                                 "\"FragLimit\"", "\"TimeLimit\"", "\"ConnectTo\"", "\"AutoAim\"",
                                 "\"ConLog\"", "\"Hostname\"", "\"IgnoreGeneralCmds\"",
                                 "\"EnableFragLimit\"", "\"EnableTimeLimit\""));
  const auto has = [&](const std::string& line) {
    return std::find(lines->begin(), lines->end(), line) != lines->end();
  };
  EXPECT_TRUE(has("\"Gametype\"=\"Alpha Team Game\""));
  EXPECT_TRUE(has("\"Skill\"=dword:00000002"));
  EXPECT_TRUE(has("\"MaxPlayers\"=dword:0000000c"));
  EXPECT_TRUE(has("\"FragLimit\"=hex:00,00,00,00,00,80,34,40"));
  EXPECT_TRUE(has("\"TimeLimit\"=hex:00,00,00,00,00,00,2e,40"));
  EXPECT_TRUE(has("\"AutoAim\"=dword:00000001"));
  EXPECT_TRUE(has("\"EnableTimeLimit\"=dword:00000000"));
  EXPECT_TRUE(has("\"Patch\"=\"(None)\""));

  WithKey("Full", [](TRegistry& registry) {
    EXPECT_EQ(registry.GetDataType("AddParms"), REG_SZ);
    EXPECT_EQ(registry.ReadString("AddParms"), "bind x \"say hi\"\r\n\r\nfov 110\r\n");
    EXPECT_EQ(registry.GetDataType("ConLog"), REG_DWORD);
    EXPECT_EQ(registry.GetDataType("FragLimit"), REG_BINARY);
    EXPECT_EQ(registry.ReadInteger("AlphaOpts"), 77);
  });
}

TEST_F(ConfigurationsTest, EmptyAdditionalCommandsAreStoredAsAnEmptyText) {
  TLaunchConfig config = SampleConfig();
  config.AddParms.clear();
  Store("Bare", config);
  WithKey("Bare", [](TRegistry& registry) {
    EXPECT_EQ(registry.GetDataType("AddParms"), REG_SZ);
    EXPECT_EQ(registry.ReadString("AddParms"), "");
  });
  configs.Load("Bare");
  EXPECT_THAT(host.CallsStartingWith("SetAddParms"), ElementsAre("SetAddParms "));
}

// --- Saving ---

TEST_F(ConfigurationsTest, SaveRunsItsStepsInOrder) {
  host.Gathered = SampleConfig();
  host.Active = kAlpha;
  host.NameAnswer = "Duel";
  ASSERT_TRUE(configs.Save("", true));
  EXPECT_THAT(log, ElementsAre("WriteExeList", "AskConfigName ", "AddConfigName Duel",
                               "SaveOptions Alpha " + kConfigs + "\\Duel", "GatherConfig",
                               "SelectConfig 1", "SetDeleteEnabled 1"));
  EXPECT_FALSE(configs.Modified());
  EXPECT_EQ(host.SelectedName(), "Duel");
}

TEST_F(ConfigurationsTest, CancelledNameDialogSavesNothing) {
  host.Gathered = SampleConfig();
  host.NameAnswer = std::nullopt;
  EXPECT_FALSE(configs.Save("Duel", true));
  EXPECT_THAT(log, ElementsAre("WriteExeList", "AskConfigName Duel"));
  EXPECT_THAT(StoredKeys(), IsEmpty());
}

TEST_F(ConfigurationsTest, AnsweringNoToOverwriteLeavesTheKeyUntouched) {
  Store("Duel", SampleConfig());
  host.Gathered = OtherConfig();
  host.Active = kStandard;
  host.NameAnswer = "duel";  // keys are found whatever the case
  dialogs.MessageAnswers = {TMsgResult::No};

  EXPECT_FALSE(configs.Save("Duel", true));

  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Text,
            "A configuration of the name 'duel' already exists.\n\nDo you want to overwrite it?");
  EXPECT_EQ(dialogs.Messages[0].Caption, "Saving Configuration");
  EXPECT_EQ(dialogs.Messages[0].Icon, TMsgIcon::Question);
  EXPECT_EQ(dialogs.Messages[0].Buttons, TMsgButtons::YesNo);
  WithKey("Duel", [](TRegistry& registry) {
    EXPECT_EQ(registry.ReadString("Gametype"), "Alpha Team Game");
    EXPECT_EQ(registry.ReadInteger("Skill"), 2);
    EXPECT_TRUE(registry.ValueExists("AlphaOpts"));
  });
  EXPECT_THAT(host.Names, ElementsAre("(Default)", "Duel"));
}

TEST_F(ConfigurationsTest, AnsweringYesReplacesTheKeyWhole) {
  Store("Duel", SampleConfig());
  TLaunchConfig other = OtherConfig();
  other.Gametype = "Beta Team Game";
  host.Gathered = other;
  host.Active = kBeta;
  host.NameAnswer = "Duel";
  dialogs.MessageAnswers = {TMsgResult::Yes};

  EXPECT_TRUE(configs.Save("Duel", true));

  // The first game type's own value must not linger in the key.
  const std::vector<std::string> names = ValueNames("Duel");
  EXPECT_EQ(std::count(names.begin(), names.end(), "AlphaOpts"), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), "BetaOpts"), 1);
  EXPECT_EQ(names.size(), 21u);
  WithKey("Duel", [](TRegistry& registry) {
    EXPECT_EQ(registry.ReadString("Gametype"), "Beta Team Game");
    EXPECT_EQ(registry.ReadString("Map"), "dm4");
  });
}

TEST_F(ConfigurationsTest, SavingWithoutAskingOverwritesSilently) {
  Store("Duel", SampleConfig());
  Store("Duel", OtherConfig());
  EXPECT_THAT(dialogs.Messages, IsEmpty());
  WithKey("Duel", [](TRegistry& registry) {
    EXPECT_EQ(registry.ReadString("Gametype"), "Quake (Standard)");
    EXPECT_FALSE(registry.ValueExists("AlphaOpts"));
  });
}

TEST_F(ConfigurationsTest, TheScratchConfigurationIsNeverListed) {
  configs.MarkModified();
  Store("!TEMP1", SampleConfig());
  EXPECT_THAT(host.Names, ElementsAre("(Default)"));
  EXPECT_EQ(host.Selected, -1);
  EXPECT_TRUE(KeyExists("!TEMP1"));

  Store("Duel", SampleConfig());
  TFakeConfigHost next;
  TConfigurations nextConfigs(next, dialogs);
  EXPECT_TRUE(nextConfigs.ReadList());
  EXPECT_THAT(next.Names, ElementsAre("(Default)", "Duel"));
}

TEST_F(ConfigurationsTest, NamesThatCannotBeKeysAreRefused) {
  host.Gathered = SampleConfig();
  host.NameAnswer = "Maps\\Duel";
  dialogs.MessageAnswers = {TMsgResult::Ok, TMsgResult::Ok};
  EXPECT_FALSE(configs.Save("", true));
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Text,
            "The name of a configuration must not contain a backslash (\\).");
  EXPECT_EQ(dialogs.Messages[0].Icon, TMsgIcon::Error);
  EXPECT_EQ(dialogs.Messages[0].Buttons, TMsgButtons::Ok);

  // A name that would give the game type a key path it cannot be handed whole.
  dialogs.Messages.clear();
  host.NameAnswer = std::string(224, 'x');
  EXPECT_FALSE(configs.Save("", true));
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Text,
            "The name of a configuration must not be longer than 223 characters.");

  host.NameAnswer = "";
  EXPECT_FALSE(configs.Save("Old", true));
  EXPECT_EQ(dialogs.Beeps, 1);
  EXPECT_EQ(dialogs.Messages.size(), 1u);

  EXPECT_THAT(StoredKeys(), IsEmpty());
  EXPECT_THAT(host.Names, ElementsAre("(Default)"));
  EXPECT_THAT(host.CallsStartingWith("GatherConfig"), IsEmpty());

  host.NameAnswer = std::string(223, 'x');
  EXPECT_TRUE(configs.Save("", true));
  EXPECT_TRUE(KeyExists(std::string(223, 'x')));
}

TEST_F(ConfigurationsTest, SaveButtonProposesTheNameLastChosen) {
  host.NameAnswer = std::nullopt;
  configs.SaveAs();
  Store("Duel", SampleConfig());
  Store("Alpha", OtherConfig());
  configs.ChooseEntry(2);  // "Duel"; "Alpha" sorts before it
  configs.SaveAs();
  EXPECT_THAT(host.Proposals, ElementsAre("", "Duel"));
}

TEST_F(ConfigurationsTest, SavingIntoTheDefaultEntryKeepsDeleteDisabled) {
  Store("(Default)", SampleConfig());
  EXPECT_EQ(host.Selected, 0);
  EXPECT_FALSE(host.DeleteEnabled);
  EXPECT_THAT(host.Names, ElementsAre("(Default)"));
}

// --- Loading ---

TEST_F(ConfigurationsTest, EveryValueSurvivesARoundTrip) {
  alpha->Options = 77;
  Store("Full", SampleConfig());
  host.Active = kStandard;
  alpha->Options = 0;

  configs.Load("Full");

  EXPECT_EQ(host.Applied, SampleConfig());
  EXPECT_EQ(alpha->Options, 77);
  EXPECT_FALSE(configs.Loading());
  EXPECT_FALSE(configs.Modified());
}

TEST_F(ConfigurationsTest, GameTypeOptionsAreLoadedBeforeAndAfterTheSwitch) {
  TLaunchConfig config = SampleConfig();
  config.Gametype = "Beta Team Game";
  Store("Team", config);
  host.Active = kAlpha;
  log.clear();

  configs.Load("Team");

  const std::string path = kConfigs + "\\Team";
  ASSERT_GE(log.size(), 4u);
  EXPECT_THAT(std::vector<std::string>(log.begin(), log.begin() + 4),
              ElementsAre("LoadOptions Alpha " + path, "SelectGameType Beta Team Game",
                          "LoadOptions Beta " + path, "SetItemIndex Skill 2"));

  // A game type without options of its own is not asked, before or after.
  host.Active = kStandard;
  Store("Plain", OtherConfig());
  log.clear();
  configs.Load("Plain");
  EXPECT_THAT(host.CallsStartingWith("LoadOptions"), IsEmpty());
}

TEST_F(ConfigurationsTest, LoadAppliesTheValuesInStoredOrder) {
  Store("Full", SampleConfig());
  host.Active = kStandard;
  log.clear();
  configs.Load("Full");
  EXPECT_THAT(
      log,
      ElementsAre("SelectGameType Alpha Team Game", "LoadOptions Alpha " + kConfigs + "\\Full",
                  "SetItemIndex Skill 2", "SetItemIndex PlayModeRule 1", "SetItemIndex Teamplay 3",
                  "SetItemIndex ClientExit 1", "SelectExe GLQuake",
                  "SetMapText e1m1: Slipgate Complex", "SetPatchText (None)", "SetPlayMode 1",
                  "SetMaxPlayers 12", "SetFragLimit 20.5", "SetTimeLimit 15",
                  "SetConnectTo quake.example.net", "SetAddParms [bind x \"say hi\"][][fov 110]",
                  "SetAutoAim 1", "SetConLog 1", "SetHostname Frag Fest", "SetIgnoreGeneralCmds 1",
                  "SetFragLimitEnabled 1", "SetTimeLimitEnabled 0"));
}

TEST_F(ConfigurationsTest, AnUnknownGameTypeLoadsNothingFurther) {
  TLaunchConfig config = SampleConfig();
  Store("Gone", config);
  WithKey("Gone", [](TRegistry& registry) { registry.WriteString("Gametype", "Gone Game"); });
  configs.MarkModified();
  log.clear();

  configs.Load("Gone");

  EXPECT_THAT(log,
              ElementsAre("LoadOptions Alpha " + kConfigs + "\\Gone", "SelectGameType Gone Game"));
  EXPECT_FALSE(configs.Loading());
  EXPECT_TRUE(configs.Modified());
}

TEST_F(ConfigurationsTest, AMissingRequiredValueStopsTheLoadWhereItStands) {
  Store("Broken", SampleConfig());
  WithKey("Broken", [](TRegistry& registry) { registry.DeleteValue("TimeLimit"); });
  host.Active = kStandard;
  configs.MarkModified();
  log.clear();

  EXPECT_EQ(test::ErrorOf<ERegistryException>([&] { configs.Load("Broken"); }),
            "Failed to get data for 'TimeLimit'");

  EXPECT_EQ(host.CallsStartingWith("SetFragLimit "), std::vector<std::string>{"SetFragLimit 20.5"});
  EXPECT_THAT(host.CallsStartingWith("SetTimeLimit"), IsEmpty());
  EXPECT_THAT(host.CallsStartingWith("SetConnectTo"), IsEmpty());
  EXPECT_EQ(log.back(), "SetFragLimit 20.5");
  EXPECT_FALSE(configs.Loading());
  EXPECT_TRUE(configs.Modified());
  // The loading flag is really cleared: the next change counts again.
  TConfigurations fresh(host, dialogs);
  fresh.MarkModified();
  EXPECT_TRUE(fresh.Modified());
}

TEST_F(ConfigurationsTest, TheDefaultEntryWithoutAKeyChangesNothing) {
  alpha->Options = 5;
  host.Active = kAlpha;
  configs.Load("(Default)");
  EXPECT_THAT(log, IsEmpty());
  EXPECT_EQ(alpha->Options, 5);
  EXPECT_THAT(host.Names, ElementsAre("(Default)"));

  configs.ChooseEntry(0);
  EXPECT_THAT(log, ElementsAre("SetDeleteEnabled 0"));
}

TEST_F(ConfigurationsTest, OlderKeysGiveThePlayModeFromTheirOwnValues) {
  struct TCase {
    int Demo;
    bool ConnectClient;
    int ServerType;
    std::vector<std::string> Calls;
  };
  const std::vector<TCase> cases = {
      {1, true, 2, {"SetDemoPlayText demo1", "SetPlayMode 4"}},
      {0, true, 2, {"SetDemoRecText demo1", "SetPlayMode 3"}},
      {0, false, 0, {"SetDemoRecText demo1", "SetPlayMode 0"}},
      {0, false, 1, {"SetDemoRecText demo1", "SetPlayMode 1"}},
      {0, false, 2, {"SetDemoRecText demo1", "SetPlayMode 2"}},
      {0, false, 7, {"SetDemoRecText demo1"}},
      {2, false, 1, {"SetDemoRecText demo1", "SetPlayMode 1"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Demo << " " << c.ConnectClient << " " << c.ServerType);
    WriteOldKey("Old", c.Demo, c.ConnectClient, c.ServerType);
    log.clear();
    configs.Load("Old");
    std::vector<std::string> calls;
    for (const std::string& call : log)
      if (call.rfind("SetDemo", 0) == 0 || call.rfind("SetPlayMode", 0) == 0) calls.push_back(call);
    EXPECT_EQ(calls, c.Calls);
    // The rest of the key still loads.
    EXPECT_EQ(host.CallsStartingWith("SetMaxPlayers"), std::vector<std::string>{"SetMaxPlayers 4"});
  }
}

TEST_F(ConfigurationsTest, OlderKeysNeedTheirPlayModeValues) {
  WriteOldKey("Old", 1, false, 0);
  WithKey("Old", [](TRegistry& registry) { registry.DeleteValue("ServerType"); });
  EXPECT_EQ(test::ErrorOf<ERegistryException>([&] { configs.Load("Old"); }),
            "Failed to get data for 'ServerType'");
  EXPECT_THAT(host.CallsStartingWith("SetPlayMode"), IsEmpty());
}

TEST_F(ConfigurationsTest, OptionalValuesMayBeMissing) {
  Store("Lean", SampleConfig());
  WithKey("Lean", [](TRegistry& registry) {
    registry.DeleteValue("NewExe");
    registry.DeleteValue("EnableTimeLimit");
  });
  configs.Load("Lean");
  EXPECT_EQ(host.CallsStartingWith("SelectExe"), std::vector<std::string>{"SelectExe "});
  EXPECT_EQ(host.Applied.NewExe, "WinQuake");
  EXPECT_THAT(host.CallsStartingWith("SetFragLimitEnabled"), ElementsAre("SetFragLimitEnabled 1"));
  EXPECT_THAT(host.CallsStartingWith("SetTimeLimitEnabled"), IsEmpty());

  log.clear();
  WithKey("Lean", [](TRegistry& registry) {
    registry.WriteString("NewExe", "");
    registry.DeleteValue("EnableFragLimit");
  });
  configs.Load("Lean");
  EXPECT_EQ(host.CallsStartingWith("SelectExe"), std::vector<std::string>{"SelectExe "});
  EXPECT_THAT(host.CallsStartingWith("SetFragLimitEnabled"), IsEmpty());
  EXPECT_THAT(host.CallsStartingWith("SetTimeLimitEnabled"), IsEmpty());
}

TEST_F(ConfigurationsTest, ChangesWhileLoadingDoNotMarkModified) {
  Store("Full", SampleConfig());
  host.OnControlChange = [this] { configs.MarkModified(); };
  log.clear();
  configs.Load("Full");
  EXPECT_FALSE(configs.Modified());
  EXPECT_THAT(host.CallsStartingWith("SelectConfig"), IsEmpty());
}

}  // namespace
}  // namespace fx
