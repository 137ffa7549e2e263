// The modification game types' options in a saved configuration, through a real user.reg.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Registry.h"
#include "plugins/HHQuakePlugIn.h"
#include "plugins/TFQuakePlugin.h"
#include "plugins/VarimixQuakePlugin.h"
#include "tests/plugins/RecordingStarter.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx {
namespace {

using TValues = std::vector<std::int32_t>;

const std::string kKey = "Software\\Bolsk\\Fraxinel\\Configs\\Friday night";
const std::string kHeader = "[HKEY_CURRENT_USER\\" + kKey + "]";

// One game type: how its options are made and read back as plain numbers.
struct TStoredType {
  std::string Name;
  std::function<TIntfPtr<TQuakePlugin>(TQuakeStarter&, TPluginDialogs&)> Make;
  std::function<void(TQuakePlugin&, const TValues&)> Set;
  std::function<TValues(TQuakePlugin&)> Get;
  TValues Options;
  std::vector<std::string> Lines;  // what user.reg then holds
  TValues Absent;                  // what a configuration without them loads
};

template <typename T>
TIntfPtr<TQuakePlugin> Make(TQuakeStarter& starter, TPluginDialogs& dialogs) {
  return MakeIntf<T>(starter, dialogs);
}

// A game type that keeps one integer of options.
template <typename T>
TStoredType OneValue(std::string name, std::int32_t options, std::string line,
                     std::int32_t absent) {
  return {std::move(name),
          Make<T>,
          [](TQuakePlugin& p, const TValues& v) { static_cast<T&>(p).SetOptions(v[0]); },
          [](TQuakePlugin& p) { return TValues{static_cast<T&>(p).Options()}; },
          {options},
          {std::move(line)},
          {absent}};
}

std::vector<TStoredType> StoredTypes() {
  return {
      {"TeamFortress",
       Make<TTFQuakePlugin>,
       [](TQuakePlugin& p, const TValues& v) {
         static_cast<TTFQuakePlugin&>(p).SetFlags({v[0], v[1]});
       },
       [](TQuakePlugin& p) {
         const TTFFlags f = static_cast<TTFQuakePlugin&>(p).Flags();
         return TValues{f.Temp1, f.Team};
       },
       {1536, 13},
       {"\"TFTemp1\"=dword:00000600", "\"TFTeam\"=dword:0000000d"},
       {0, 1}},
      OneValue<THHQuakePlugIn>("Head Hunters", 32265, "\"HHDeathmatch\"=dword:00007e09", 7169),
      OneValue<TVarimixQuakePlugin>("Varimix", 2114, "\"VarimixCfg\"=dword:00000842", 0),
  };
}

class ModOptionsStore : public ::testing::Test {
 protected:
  test::TRegistrySandbox FSandbox;
  TIntfPtr<test::TRecordingStarter> FStarter = MakeIntf<test::TRecordingStarter>();
  test::TScriptedPluginDialogs FDialogs;
};

TEST_F(ModOptionsStore, SavedIntoTheConfigurationKeyAndLoadedByTheNextRun) {
  for (const TStoredType& type : StoredTypes()) {
    auto saved = type.Make(*FStarter, FDialogs);
    type.Set(*saved, type.Options);
    saved->SaveOptions(TLongText(kKey));
    EXPECT_EQ(test::TRegistrySandbox::Section(FSandbox.UserReg(), kHeader), type.Lines)
        << type.Name;

    FSandbox.Reopen();
    auto loaded = type.Make(*FStarter, FDialogs);
    loaded->LoadOptions(TLongText(kKey));
    EXPECT_EQ(type.Get(*loaded), type.Options) << type.Name;
    TRegistry().DeleteKey("\\" + kKey);
  }
}

TEST_F(ModOptionsStore, AConfigurationWithoutThemLoadsTheDefaults) {
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kKey, true));
    registry.WriteString("Gametype", "Quake (Standard)");
  }
  FSandbox.Reopen();
  for (const TStoredType& type : StoredTypes()) {
    auto plugin = type.Make(*FStarter, FDialogs);
    type.Set(*plugin, type.Options);
    plugin->LoadOptions(TLongText(kKey));
    EXPECT_EQ(type.Get(*plugin), type.Absent) << type.Name;
  }
}

TEST_F(ModOptionsStore, TeamRulesStoredUnderTheOlderNameAreRead) {
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kKey, true));
    registry.WriteInteger("TFTeamplay", 17);
  }
  auto plugin = MakeIntf<TTFQuakePlugin>(*FStarter, FDialogs);
  plugin->LoadOptions(TLongText(kKey));
  EXPECT_EQ(plugin->Flags(), (TTFFlags{0, 17}));
  // The current name wins over the older one.
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kKey, true));
  registry.WriteInteger("TFTeam", 3);
  registry.CloseKey();
  plugin->LoadOptions(TLongText(kKey));
  EXPECT_EQ(plugin->Flags(), (TTFFlags{0, 3}));
}

}  // namespace
}  // namespace fx
