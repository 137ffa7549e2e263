// The window's side of saved configurations: the modified flag, choosing and deleting
// entries, the list at start and what closing keeps for the next start.

#include "launcher/Configurations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
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

using ConfigurationsStateTest = test::TConfigurationsRig;

// --- The window's state ---

TEST_F(ConfigurationsStateTest, MarkModifiedActsOnTheFirstChangeOnly) {
  configs.MarkModified();
  configs.MarkModified();
  EXPECT_THAT(log, ElementsAre("SelectConfig -1", "SetDeleteEnabled 0"));
  EXPECT_TRUE(configs.Modified());

  TConfigurations setup(host, dialogs);
  setup.SetLoading(true);
  log.clear();
  setup.MarkModified();
  EXPECT_THAT(log, IsEmpty());
  EXPECT_FALSE(setup.Modified());
}

TEST_F(ConfigurationsStateTest, ChoosingAnEntryLoadsItAndEnablesDelete) {
  Store("Duel", SampleConfig());
  configs.MarkModified();
  host.Active = kStandard;
  log.clear();
  configs.ChooseEntry(1);
  EXPECT_EQ(log.front(), "SetDeleteEnabled 1");
  EXPECT_EQ(host.Applied, SampleConfig());
  EXPECT_FALSE(configs.Modified());
  EXPECT_EQ(configs.LastChosen(), "Duel");
}

TEST_F(ConfigurationsStateTest, DeletingWhileModifiedOnlyBeeps) {
  Store("Duel", SampleConfig());
  configs.MarkModified();
  host.Selected = 1;  // even with an entry showing
  configs.DeleteSelected();
  EXPECT_EQ(dialogs.Beeps, 1);
  EXPECT_THAT(dialogs.Messages, IsEmpty());
  EXPECT_TRUE(KeyExists("Duel"));
  EXPECT_THAT(host.Names, ElementsAre("(Default)", "Duel"));
}

TEST_F(ConfigurationsStateTest, DeleteAsksAndRemovesTheKeyAndTheEntry) {
  Store("Duel", SampleConfig());
  dialogs.MessageAnswers = {TMsgResult::No, TMsgResult::Yes};

  configs.DeleteSelected();
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Text,
            "Are you sure you want to delete the configuration:\n\n\"Duel\"?\n");
  EXPECT_EQ(dialogs.Messages[0].Caption, "Warning");
  EXPECT_EQ(dialogs.Messages[0].Icon, TMsgIcon::Warning);
  EXPECT_EQ(dialogs.Messages[0].Buttons, TMsgButtons::YesNo);
  EXPECT_TRUE(KeyExists("Duel"));

  log.clear();
  configs.DeleteSelected();
  EXPECT_FALSE(KeyExists("Duel"));
  EXPECT_THAT(host.Names, ElementsAre("(Default)"));
  // The first entry is selected, not loaded: no control changes.
  EXPECT_THAT(log, ElementsAre("RemoveConfigName Duel", "SelectConfig 0", "SetDeleteEnabled 0"));
}

TEST_F(ConfigurationsStateTest, TheDefaultEntryCannotBeDeleted) {
  Store("(Default)", SampleConfig());
  configs.DeleteSelected();
  EXPECT_EQ(dialogs.Beeps, 1);
  EXPECT_THAT(dialogs.Messages, IsEmpty());
  EXPECT_TRUE(KeyExists("(Default)"));
}

TEST_F(ConfigurationsStateTest, TheListAtStartIsSortedWithoutTheSpecialNames) {
  for (const char* name : {"zeta", "Alpha", "!TEMP1", "(Default)", "beta"})
    WithKey(name, [](TRegistry& registry) { registry.WriteString("Gametype", "x"); });
  EXPECT_TRUE(configs.ReadList());
  EXPECT_THAT(host.Names, ElementsAre("(Default)", "Alpha", "beta", "zeta"));

  TFakeConfigHost clean;
  TConfigurations cleanConfigs(clean, dialogs);
  WithKey("", [](TRegistry& registry) { registry.DeleteKey("!TEMP1"); });
  EXPECT_FALSE(cleanConfigs.ReadList());
}

TEST_F(ConfigurationsStateTest, TheFirstLoadSelectsTheLastConfiguration) {
  Store("Duel", SampleConfig());
  Store("Other", OtherConfig());
  TFakeConfigHost next;
  next.GameTypes = host.GameTypes;
  TConfigurations nextConfigs(next, dialogs);
  ASSERT_FALSE(nextConfigs.ReadList());
  nextConfigs.InitialLoad(false, "duel");
  EXPECT_EQ(next.SelectedName(), "Duel");
  EXPECT_EQ(next.Applied, SampleConfig());
  EXPECT_TRUE(next.DeleteEnabled);

  TFakeConfigHost gone;
  gone.GameTypes = host.GameTypes;
  TConfigurations goneConfigs(gone, dialogs);
  goneConfigs.ReadList();
  goneConfigs.InitialLoad(false, "Deleted Since");
  EXPECT_EQ(gone.Selected, 0);
  EXPECT_FALSE(gone.DeleteEnabled);
}

// --- Closing and starting again ---

class ConfigurationsExitTest : public test::TConfigurationsRig {
 protected:
  TFXUserSettings user;
  test::TTempDir game;
};

TEST_F(ConfigurationsExitTest, UnsavedChangesComeBackAtTheNextStart) {
  Store("Duel", SampleConfig());
  configs.ChooseEntry(1);
  host.OnControlChange = [this] { configs.MarkModified(); };
  host.SetMapText("dm6");  // the user edits a control
  host.Gathered = OtherConfig();
  host.Active = kStandard;

  configs.StoreOnExit(user, game.Path().string(), "");

  EXPECT_EQ(user.LastConfig(), "");
  WithKey("Duel", [](TRegistry& registry) {
    EXPECT_EQ(registry.ReadString("Gametype"), "Alpha Team Game");
  });

  sandbox.Reopen();
  TFakeConfigHost next;
  next.GameTypes = host.GameTypes;
  TConfigurations nextConfigs(next, dialogs);
  const bool tempFound = nextConfigs.ReadList();
  ASSERT_TRUE(tempFound);
  nextConfigs.InitialLoad(tempFound, user.LastConfig());

  EXPECT_EQ(next.Applied, OtherConfig());
  EXPECT_EQ(next.Selected, -1);
  EXPECT_FALSE(next.DeleteEnabled);
  EXPECT_TRUE(nextConfigs.Modified());
  EXPECT_THAT(next.Names, ElementsAre("(Default)", "Duel"));
}

TEST_F(ConfigurationsExitTest, WithoutChangesTheSelectedConfigurationIsKept) {
  Store("!TEMP1", OtherConfig());
  Store("Duel", SampleConfig());
  TLaunchConfig changed = SampleConfig();
  changed.Hostname = "Kept At Exit";
  host.Gathered = changed;

  configs.StoreOnExit(user, game.Path().string(), "");

  EXPECT_EQ(user.LastConfig(), "Duel");
  EXPECT_FALSE(KeyExists("!TEMP1"));
  WithKey("Duel",
          [](TRegistry& registry) { EXPECT_EQ(registry.ReadString("Hostname"), "Kept At Exit"); });
}

TEST_F(ConfigurationsExitTest, ClosingNeverOverwritesAConfigurationTheControlsDoNotHold) {
  // Each case picks its own configuration in the box and leaves an entry selected whose key
  // the controls are no copy of.
  const struct {
    const char* Name;
    std::function<void(TRegistry&)> Damage;
    bool Delete;
  } cases[] = {
      {"Deleted", [](TRegistry&) {}, true},
      {"Unknown Game", [](TRegistry& r) { r.WriteString("Gametype", "Gone Game"); }, false},
      {"No Time Limit", [](TRegistry& r) { r.DeleteValue("TimeLimit"); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Store("(Default)", OtherConfig());
    Store(c.Name, SampleConfig());
    WithKey(c.Name, c.Damage);
    TConfigurations window(host, dialogs);
    host.Selected = static_cast<int>(std::find(host.Names.begin(), host.Names.end(), c.Name) -
                                     host.Names.begin());
    try {
      window.ChooseEntry(host.Selected);
    } catch (const ERegistryException&) {
    }
    if (c.Delete) {
      dialogs.MessageAnswers = {TMsgResult::Yes};
      window.DeleteSelected();
    }
    host.Gathered = SampleConfig();
    host.Gathered.Map = "in the controls";

    window.StoreOnExit(user, game.Path().string(), "");

    WithKey("(Default)", [](TRegistry& r) { EXPECT_EQ(r.ReadString("Map"), "dm4"); });
    if (!c.Delete)
      WithKey(c.Name, [](TRegistry& r) { EXPECT_NE(r.ReadString("Map"), "in the controls"); });
  }
}

TEST_F(ConfigurationsExitTest, ExitRunsTheConfigFileCleanUp) {
  user.SetDelOnExit(true);
  user.SetDelInID1Dir(true);
  user.SetDelInPatchDir(true);
  test::WriteFileBytes(game / "ID1" / "CONFIG.CFG", "bind x quit\n");
  test::WriteFileBytes(game / "ctf" / "CONFIG.CFG", "bind y quit\n");
  configs.StoreOnExit(user, game.Path().string(), "ctf");
  EXPECT_FALSE(std::filesystem::exists(game / "ID1" / "CONFIG.CFG"));
  EXPECT_FALSE(std::filesystem::exists(game / "ctf" / "CONFIG.CFG"));
}

TEST_F(ConfigurationsExitTest, ExitCompletesWhenTheRegistryFails) {
  Store("Duel", SampleConfig());
  TConfigurations broken(host, dialogs, []() -> std::unique_ptr<TRegistry> {
    throw ERegistryException("the registry is gone");
  });
  EXPECT_NO_THROW(broken.StoreOnExit(user, game.Path().string(), ""));
  EXPECT_EQ(user.LastConfig(), "Duel");
}

}  // namespace
}  // namespace fx
