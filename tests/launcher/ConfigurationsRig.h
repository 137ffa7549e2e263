#pragma once

// A main window of plain fields, three game types (one without options of its own, two
// that keep a value in the configuration key) and a registry of real files, for the tests
// of saved configurations.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fixtures/ScriptedDialogs.h"
#include "launcher/Configurations.h"
#include "launcher/LaunchConfig.h"
#include "platform/Registry.h"
#include "tests/launcher/FakeConfigHost.h"
#include "tests/plugins/RecordingStarter.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx::test {

inline const std::string kConfigs = "Software\\Bolsk\\Fraxinel\\Configs";

// A game type with no options of its own: the base class raises EPluginError should the
// host ever ask it to save or load them.
class TPlainPlugin final : public TQuakePlugin {
 public:
  using TQuakePlugin::TQuakePlugin;
  void GetFeatures(TPluginFeatures& features) override { features = {}; }
};

// A game type that keeps one value of its own in the configuration key, opened by path
// with its own registry object as the standard game types do.
class TOptionsPlugin final : public TQuakePlugin {
 public:
  TOptionsPlugin(TQuakeStarter& starter, std::string name, std::vector<std::string>& log)
      : TQuakePlugin(starter), FName(std::move(name)), FLog(log) {}

  int Options = 0;

  void GetFeatures(TPluginFeatures& features) override {
    features = {};
    features.StoresOptions = true;
  }
  void SaveOptions(const TLongText& keyPath) override {
    FLog.push_back("SaveOptions " + FName + " " + keyPath.Str());
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(keyPath.Str(), true));
    registry.WriteInteger(FName + "Opts", Options);
    registry.CloseKey();
  }
  void LoadOptions(const TLongText& keyPath) override {
    FLog.push_back("LoadOptions " + FName + " " + keyPath.Str());
    TRegistry registry;
    if (registry.OpenKey(keyPath.Str(), false) && registry.ValueExists(FName + "Opts"))
      Options = registry.ReadInteger(FName + "Opts");
    registry.CloseKey();
  }

 private:
  std::string FName;
  std::vector<std::string>& FLog;
};

inline TLaunchConfig SampleConfig() {
  TLaunchConfig config;
  config.Gametype = "Alpha Team Game";
  config.Skill = 2;
  config.Playmode = 1;
  config.Teamplay = 3;
  config.ClientExit = 1;
  config.NewExe = "GLQuake";
  config.Map = "e1m1: Slipgate Complex";
  config.Patch = "(None)";
  config.AddParms = {"bind x \"say hi\"", "", "fov 110"};
  config.QuakeMode = 1;
  config.MaxPlayers = 12;
  config.FragLimit = 20.5;
  config.TimeLimit = 15;
  config.ConnectTo = "quake.example.net";
  config.AutoAim = true;
  config.ConLog = true;
  config.Hostname = "Frag Fest";
  config.IgnoreGeneralCmds = true;
  config.EnableFragLimit = true;
  config.EnableTimeLimit = false;
  return config;
}

inline TLaunchConfig OtherConfig() {
  TLaunchConfig config;
  config.Gametype = "Quake (Standard)";
  config.Skill = 1;
  config.NewExe = "WinQuake";
  config.Map = "dm4";
  config.Patch = "ctf";
  config.AddParms = {"echo other"};
  config.QuakeMode = 3;
  config.MaxPlayers = 4;
  config.FragLimit = 5;
  config.TimeLimit = 10;
  config.Hostname = "Other";
  return config;
}

class TConfigurationsRig : public ::testing::Test {
 protected:
  static constexpr std::size_t kStandard = 0, kAlpha = 1, kBeta = 2;

  TConfigurationsRig() {
    host.Log = &log;
    host.GameTypes = {{"Quake (Standard)", standard.Get(), false},
                      {"Alpha Team Game", alpha.Get(), true},
                      {"Beta Team Game", beta.Get(), true}};
  }

  // Saves `config` under `name` without asking, with its game type active.
  void Store(const std::string& name, const TLaunchConfig& config) {
    host.Gathered = config;
    for (std::size_t i = 0; i < host.GameTypes.size(); ++i)
      if (host.GameTypes[i].Name == config.Gametype) host.Active = i;
    ASSERT_TRUE(configs.Save(name, false));
  }

  // Runs `body` on the key of the configuration, created when missing.
  static void WithKey(const std::string& name, const std::function<void(TRegistry&)>& body) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kConfigs + "\\" + name, true));
    body(registry);
    registry.CloseKey();
  }
  static bool KeyExists(const std::string& name) {
    TRegistry registry;
    return registry.KeyExists(kConfigs + "\\" + name);
  }
  static std::vector<std::string> ValueNames(const std::string& name) {
    std::vector<std::string> names;
    WithKey(name, [&](TRegistry& registry) { names = registry.GetValueNames(); });
    return names;
  }
  static std::vector<std::string> StoredKeys() {
    TRegistry registry;
    if (!registry.OpenKey(kConfigs, false)) return {};
    return registry.GetKeyNames();
  }

  // A key as saved before the play mode had a value of its own.
  static void WriteOldKey(const std::string& name, int demo, bool connectClient, int serverType) {
    WithKey(name, [&](TRegistry& registry) {
      TLaunchConfig config = OtherConfig();
      WriteLaunchConfig(registry, config);
      registry.DeleteValue("QuakeMode");
      registry.WriteInteger("Demo", demo);
      registry.WriteBool("ConnectClient", connectClient);
      registry.WriteInteger("ServerType", serverType);
      registry.WriteString("DemoName", "demo1");
    });
  }

  TRegistrySandbox sandbox;
  std::vector<std::string> log;
  TRecordingStarter starter;
  TIntfPtr<TPlainPlugin> standard = MakeIntf<TPlainPlugin>(starter);
  TIntfPtr<TOptionsPlugin> alpha = MakeIntf<TOptionsPlugin>(starter, "Alpha", log);
  TIntfPtr<TOptionsPlugin> beta = MakeIntf<TOptionsPlugin>(starter, "Beta", log);
  TFakeConfigHost host;
  TScriptedDialogs dialogs;
  TConfigurations configs{host, dialogs};
};

}  // namespace fx::test
