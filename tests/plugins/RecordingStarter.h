#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "plugins/FXIntf.h"
#include "plugins/PluginDialogs.h"

namespace fx::test {

// A host for plug-in tests until the main window exists: it keeps the main window's
// settings as plain fields, and records every change and message a plug-in makes, in order.
class TRecordingStarter final : public TQuakeStarter {
 public:
  std::int32_t Skill = 0;
  std::string Map;
  std::int32_t PlayMode = 0;
  std::int32_t Teamplay = 0;
  std::int32_t ClientExit = 0;
  std::string PatchDir;
  bool Server = false;
  std::string Hostname;
  bool Shareware = false;
  std::int32_t PlayerClass = 0;

  struct TMessageBox {
    std::string Text;
    std::string Caption;
    std::uint16_t Flags;
  };
  std::vector<TMessageBox> MessageBoxes;
  std::deque<std::int32_t> MessageBoxAnswers;  // button codes; 1 (OK) when none is left
  // Every call that changes the host or shows something, as "SetTeamplay 4",
  // "ShowMessageBox <text>"; shared with a recording dialogs object for the order.
  std::vector<std::string>* Log = &FOwnLog;

  ~TRecordingStarter() override { ++Destroyed(); }
  // How many recording starters were destroyed in this process.
  static int& Destroyed() {
    static int count = 0;
    return count;
  }

  std::int32_t GetSkill() override { return Skill; }
  void SetSkill(std::int32_t index) override { Set("SetSkill", Skill, index); }
  void GetMap(TShortName& map) override { map = Map; }
  void SetMap(const TShortName& map) override { Note("SetMap " + (Map = map.Str())); }
  std::int32_t GetPlayMode() override { return PlayMode; }
  void SetPlayMode(std::int32_t index) override { Set("SetPlayMode", PlayMode, index); }
  std::int32_t GetTeamplay() override { return Teamplay; }
  void SetTeamplay(std::int32_t index) override { Set("SetTeamplay", Teamplay, index); }
  std::int32_t GetClientExit() override { return ClientExit; }
  void SetClientExit(std::int32_t index) override { Set("SetClientExit", ClientExit, index); }
  void GetPatchDir(TShortName& dir) override { dir = PatchDir; }
  void SetPatchDir(const TShortName& dir) override {
    Note("SetPatchDir " + (PatchDir = dir.Str()));
  }
  bool IsServer() override { return Server; }
  void GetHostname(TLongText& hostname) override { hostname = Hostname; }
  void SetHostname(const TLongText& hostname) override {
    Note("SetHostname " + (Hostname = hostname.Str()));
  }
  bool IsShareware() override { return Shareware; }
  std::int32_t GetPlayerClass() override { return PlayerClass; }
  void SetPlayerClass(std::int32_t index) override { Set("SetPlayerClass", PlayerClass, index); }
  TWindowHandle GetAppHandle() override { return 0; }
  std::int32_t ShowMessageBox(const char* text, const char* caption, std::uint16_t flags) override {
    MessageBoxes.push_back({text, caption, flags});
    Note(std::string("ShowMessageBox ") + text);
    if (MessageBoxAnswers.empty()) return 1;
    const std::int32_t answer = MessageBoxAnswers.front();
    MessageBoxAnswers.pop_front();
    return answer;
  }
  [[noreturn]] void RaiseError(const char* text) override { throw std::runtime_error(text); }

  const std::vector<std::string>& Calls() const { return *Log; }

 private:
  void Set(const char* name, std::int32_t& field, std::int32_t value) {
    field = value;
    Note(std::string(name) + " " + std::to_string(value));
  }
  void Note(std::string entry) { Log->push_back(std::move(entry)); }

  std::vector<std::string> FOwnLog;
};

// One options dialog answering from a script: each showing records what it was given and
// either cancels (nullopt) or confirms with the next prepared value.
template <typename T>
struct TScriptedOptions {
  std::deque<std::optional<T>> Answers;
  std::vector<T> Shown;

  bool Show(T& value) {
    Shown.push_back(value);
    if (Answers.empty()) throw std::logic_error("unexpected options dialog");
    const auto answer = Answers.front();
    Answers.pop_front();
    if (!answer) return false;
    value = *answer;
    return true;
  }
};

// Plug-in dialogs that answer from a script: each showing records the flags it was given
// and either cancels or confirms with the next prepared flags.
class TScriptedPluginDialogs final : public TPluginDialogs {
 public:
  TScriptedOptions<TTFFlags> TF;
  TScriptedOptions<std::int32_t> HH;
  TScriptedOptions<std::int32_t> Varimix;

  std::deque<std::optional<std::int32_t>> RogueAnswers;  // nullopt: Cancel
  std::vector<std::int32_t> RogueShown;
  std::vector<std::string>* Log = nullptr;

  // The two Capture the Flag dialogs share one script; each showing is recorded as
  // "ShowCTFOptions <flags>" or "ShowCTFBotOptions <flags>".
  std::deque<std::optional<std::int32_t>> CTFAnswers;  // nullopt: Cancel
  std::vector<std::string> CTFShown;

  bool ShowCTFOptions(std::int32_t& flags) override { return AnswerCTF("ShowCTFOptions", flags); }
  bool ShowCTFBotOptions(std::int32_t& flags) override {
    return AnswerCTF("ShowCTFBotOptions", flags);
  }

  bool ShowRogueCTF(std::int32_t& flags) override {
    RogueShown.push_back(flags);
    if (Log != nullptr) Log->push_back("ShowRogueCTF " + std::to_string(flags));
    if (RogueAnswers.empty()) throw std::logic_error("unexpected options dialog");
    const auto answer = RogueAnswers.front();
    RogueAnswers.pop_front();
    if (!answer) return false;
    flags = *answer;
    return true;
  }
  bool ShowTFSettings(TTFFlags& flags) override { return TF.Show(flags); }
  bool ShowHHOptions(std::int32_t& options) override { return HH.Show(options); }
  bool ShowVarimixOptions(std::int32_t& options) override { return Varimix.Show(options); }

 private:
  bool AnswerCTF(const char* dialog, std::int32_t& flags) {
    CTFShown.push_back(std::string(dialog) + " " + std::to_string(flags));
    if (Log != nullptr) Log->push_back(CTFShown.back());
    if (CTFAnswers.empty()) throw std::logic_error("unexpected options dialog");
    const auto answer = CTFAnswers.front();
    CTFAnswers.pop_front();
    if (!answer) return false;
    flags = *answer;
    return true;
  }
};

}  // namespace fx::test
