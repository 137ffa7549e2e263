#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "exes/FXExes.h"
#include "fixtures/BspBuilder.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "fixtures/TempDir.h"
#include "launcher/LaunchPipeline.h"
#include "settings/FXSettings.h"
#include "tests/plugins/RecordingStarter.h"

namespace fx::test {

// A game type whose script lines and switches a test sets, recording the host's calls.
class TScriptPlugin final : public TQuakePlugin {
 public:
  using TQuakePlugin::TQuakePlugin;

  std::vector<std::string> Lines;
  std::string Switches;
  std::vector<std::string> Calls;

  void GetFeatures(TPluginFeatures& features) override { features = TPluginFeatures{}; }
  bool PrepareLaunch() override {
    Calls.push_back("PrepareLaunch");
    return false;
  }
  std::int32_t GetScriptLineCount() override {
    Calls.push_back("GetScriptLineCount");
    return static_cast<std::int32_t>(Lines.size());
  }
  void GetScriptLine(std::int32_t index, TLongText& line) override {
    Calls.push_back("GetScriptLine " + std::to_string(index));
    line = Lines.at(static_cast<std::size_t>(index));
  }
  void GetCmdLineSwitches(TLongText& switches) override {
    Calls.push_back("GetCmdLineSwitches");
    switches = Switches;
  }
};

// A map file whose worldspawn carries this title.
inline std::string MapWithTitle(std::string_view title) {
  return TBspBuilder(Entity({{"classname", "worldspawn"}, {"message", title}})).Build();
}

// A game folder with an empty id1/, the two settings objects pointing at it, scripted
// answers and an entry whose program does not exist (nothing is started).
class TLaunchRig {
 public:
  TTempDir Temp;
  TConfigDirOverride Config{Temp.Path()};
  std::filesystem::path Game = Temp / "Quake";
  TFXSettings Machine;
  TFXUserSettings User;
  TScriptedDialogs Dialogs;
  TIntfPtr<TRecordingStarter> Starter = MakeIntf<TRecordingStarter>();
  TIntfPtr<TScriptPlugin> Plugin = MakeIntf<TScriptPlugin>(*Starter);
  TPluginFeatures Features;
  TQuakeExe Exe{"Engine"};
  TDate Today{2026, 12, 8};
  TFormatSettings Format;
  int Closed = 0;
  std::filesystem::path OutputFolder;  // empty: the output is not kept
  // The player's home for engines with a per-user folder: inside the temporary folder.
  TUserHomes Homes{(Temp / "home").string(), (Temp / "home").string(), "", ""};

  TLaunchRig() {
    std::filesystem::create_directories(Game / "id1");
    Machine.SetQPath(Game.string());
    User.SetInGameCmds(false);
    Exe.ExeName = "fx-no-such-engine";
  }

  TLaunchResult Launch(const TLaunchInput& input) {
    TLaunchPipeline pipeline(input, {Machine, User, *Plugin, Features, Exe, Dialogs, Today, Format,
                                     [this] { ++Closed; }, OutputFolder, Homes});
    return pipeline.Launch();
  }

  std::filesystem::path Id1(std::string_view name) const { return Game / "id1" / name; }
  std::string MainScript() const { return ReadFileBytes(Id1("Frax.cfg")); }
  std::string MapListing() const { return ReadFileBytes(Id1("fx_maps.cfg")); }
  std::string ServerSummary() const { return ReadFileBytes(Id1("fx_svinf.cfg")); }
};

// The expected file: every line followed by CR LF.
inline std::string Crlf(std::initializer_list<std::string> lines) {
  std::string bytes;
  for (const std::string& line : lines)
    bytes += line + "\r\n";
  return bytes;
}

// The rules as the game shows them, spelled out once here.
inline std::string Drawn(std::size_t middle) {
  return "echo \"\x1D" + std::string(middle, '\x1E') + "\x1F\"";
}
inline std::string Equals(std::size_t count) {
  return "echo \"" + std::string(count, '=') + "\"";
}
inline const std::string kHeader1 = "// created by Fraxinel";
inline const std::string kHeader3 = "// 08.12.2026";
inline const std::string kBannerText =
    "echo \"\x02"
    "Fraxinel - have a good game!\"";

}  // namespace fx::test
