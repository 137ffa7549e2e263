#pragma once

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "launcher/ConfigHost.h"
#include "platform/Registry.h"

namespace fx::test {

// The main window as a configuration sees it, kept as plain fields. Every call that
// changes something is recorded in order ("SetItemIndex Skill 2", "SelectGameType x"), in a
// log that the test's plug-ins can share, so the order of the steps can be asserted.
class TFakeConfigHost final : public TConfigHost {
 public:
  struct TGameType {
    std::string Name;
    TQuakePlugin* Plugin = nullptr;
    bool StoresOptions = false;
  };

  std::vector<std::string> Names{"(Default)"};
  int Selected = 0;
  bool DeleteEnabled = false;
  std::vector<TGameType> GameTypes;
  std::size_t Active = 0;
  std::vector<std::string> ExeCaptions{"WinQuake", "GLQuake"};
  TLaunchConfig Gathered;                 // what the controls hold for a save
  std::optional<std::string> NameAnswer;  // the name dialog's answer; nullopt: Cancel
  std::vector<std::string> Proposals;     // names the dialog was opened with
  TLaunchConfig Applied;                  // what a load has put into the controls
  std::string DemoRec, DemoPlay;
  std::vector<std::string>* Log = &FOwnLog;
  // Runs after every change of a configuration control, as the window's change handlers
  // call "mark modified".
  std::function<void()> OnControlChange;

  std::vector<std::string> ConfigNames() const override { return Names; }
  void AddConfigName(const std::string& name) override {
    Note("AddConfigName " + name);
    const std::string selected = Selected >= 0 ? Names[static_cast<std::size_t>(Selected)] : "";
    const auto at = std::upper_bound(Names.begin() + 1, Names.end(), name, Less);
    Names.insert(at, name);
    // A sorted box keeps its current item when another is added.
    if (Selected >= 0) Selected = Find(selected);
  }
  void RemoveConfigName(const std::string& name) override {
    Note("RemoveConfigName " + name);
    const int index = Find(name);
    if (index < 0) return;
    Names.erase(Names.begin() + index);
    if (Selected == index) Selected = -1;
    if (Selected > index) --Selected;
  }
  int SelectedConfig() const override { return Selected; }
  void SelectConfig(int index) override {
    Note("SelectConfig " + std::to_string(index));
    Selected = index;
  }
  void SetDeleteEnabled(bool enabled) override {
    Note(std::string("SetDeleteEnabled ") + (enabled ? "1" : "0"));
    DeleteEnabled = enabled;
  }

  void WriteExeList() override { Note("WriteExeList"); }
  TLaunchConfig GatherConfig() const override {
    Log->push_back("GatherConfig");
    return Gathered;
  }
  std::optional<std::string> AskConfigName(const std::string& proposal) override {
    Note("AskConfigName " + proposal);
    Proposals.push_back(proposal);
    return NameAnswer;
  }

  TQuakePlugin* ActivePlugin() override { return GameTypes.at(Active).Plugin; }
  TPluginFeatures ActiveFeatures() override {
    TPluginFeatures features;
    features.StoresOptions = GameTypes.at(Active).StoresOptions;
    return features;
  }

  bool SelectGameType(const std::string& name) override {
    Note("SelectGameType " + name);
    for (std::size_t i = 0; i < GameTypes.size(); ++i) {
      if (!Same(GameTypes[i].Name, name)) continue;
      Active = i;
      Applied.Gametype = GameTypes[i].Name;
      return true;
    }
    return false;
  }
  void SetItemIndex(TConfigList list, int index) override {
    static const char* const kNames[] = {"Skill", "PlayModeRule", "Teamplay", "ClientExit"};
    Changed(std::string("SetItemIndex ") + kNames[static_cast<int>(list)] + " " +
            std::to_string(index));
    switch (list) {
      case TConfigList::Skill:
        Applied.Skill = index;
        break;
      case TConfigList::PlayModeRule:
        Applied.Playmode = index;
        break;
      case TConfigList::Teamplay:
        Applied.Teamplay = index;
        break;
      case TConfigList::ClientExit:
        Applied.ClientExit = index;
        break;
    }
  }
  void SelectExe(const std::string& caption) override {
    Changed("SelectExe " + caption);
    if (caption.empty()) {
      Applied.NewExe = ExeCaptions.front();
    } else if (std::find(ExeCaptions.begin(), ExeCaptions.end(), caption) != ExeCaptions.end()) {
      Applied.NewExe = caption;
    }
  }
  void SetMapText(const std::string& text) override { Text("SetMapText", Applied.Map, text); }
  void SetPatchText(const std::string& text) override { Text("SetPatchText", Applied.Patch, text); }
  void SetPlayMode(int mode) override {
    Changed("SetPlayMode " + std::to_string(mode));
    Applied.QuakeMode = mode;
  }
  void SetDemoRecText(const std::string& text) override { Text("SetDemoRecText", DemoRec, text); }
  void SetDemoPlayText(const std::string& text) override {
    Text("SetDemoPlayText", DemoPlay, text);
  }
  void SetMaxPlayers(int players) override {
    Changed("SetMaxPlayers " + std::to_string(players));
    Applied.MaxPlayers = players;
  }
  void SetFragLimit(double value) override { Number("SetFragLimit", Applied.FragLimit, value); }
  void SetTimeLimit(double value) override { Number("SetTimeLimit", Applied.TimeLimit, value); }
  void SetConnectTo(const std::string& text) override {
    Text("SetConnectTo", Applied.ConnectTo, text);
  }
  void SetAddParms(const std::vector<std::string>& lines) override {
    std::string joined;
    for (const std::string& line : lines)
      joined += "[" + line + "]";
    Changed("SetAddParms " + joined);
    Applied.AddParms = lines;
  }
  void SetAutoAim(bool checked) override { Flag("SetAutoAim", Applied.AutoAim, checked); }
  void SetConLog(bool checked) override { Flag("SetConLog", Applied.ConLog, checked); }
  void SetHostname(const std::string& text) override {
    Text("SetHostname", Applied.Hostname, text);
  }
  void SetIgnoreGeneralCmds(bool checked) override {
    Flag("SetIgnoreGeneralCmds", Applied.IgnoreGeneralCmds, checked);
  }
  void SetFragLimitEnabled(bool checked) override {
    Flag("SetFragLimitEnabled", Applied.EnableFragLimit, checked);
  }
  void SetTimeLimitEnabled(bool checked) override {
    Flag("SetTimeLimitEnabled", Applied.EnableTimeLimit, checked);
  }

  // The selected entry's text, "" when none is selected.
  std::string SelectedName() const {
    return Selected >= 0 ? Names.at(static_cast<std::size_t>(Selected)) : "";
  }
  // The recorded calls whose text starts with `prefix`.
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> result;
    for (const std::string& call : *Log)
      if (call.rfind(prefix, 0) == 0) result.push_back(call);
    return result;
  }

 private:
  static bool Same(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return FoldCase(x) == FoldCase(y); });
  }
  static bool Less(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return FoldCase(x) < FoldCase(y); });
  }
  int Find(const std::string& name) const {
    for (std::size_t i = 0; i < Names.size(); ++i)
      if (Same(Names[i], name)) return static_cast<int>(i);
    return -1;
  }
  void Note(std::string entry) { Log->push_back(std::move(entry)); }
  void Changed(std::string entry) {
    Note(std::move(entry));
    if (OnControlChange) OnControlChange();
  }
  void Text(const char* call, std::string& field, const std::string& value) {
    field = value;
    Changed(std::string(call) + " " + value);
  }
  void Flag(const char* call, bool& field, bool value) {
    field = value;
    Changed(std::string(call) + " " + (value ? "1" : "0"));
  }
  void Number(const char* call, double& field, double value) {
    field = value;
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    Changed(std::string(call) + " " + text);
  }

  std::vector<std::string> FOwnLog;
};

}  // namespace fx::test
