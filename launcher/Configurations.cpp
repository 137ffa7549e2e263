#include "launcher/Configurations.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "launcher/LaunchConfig.h"
#include "settings/FXSettings.h"

namespace fx {

namespace {

bool SameText(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

// Key names compare without regard to case, so "!temp1" is the same key as "!TEMP1".
bool IsTempName(const std::string& name) {
  return SameText(name, kTempConfigName);
}

bool IsDefaultName(const std::string& name) {
  return SameText(name, kDefaultConfigName);
}

std::string Replace(std::string text, const std::string& placeholder, const std::string& value) {
  const std::size_t pos = text.find(placeholder);
  if (pos != std::string::npos) text.replace(pos, placeholder.size(), value);
  return text;
}

// Plug-ins get the key's path as a TLongText; a longer path would be cut and send their
// values into another key.
constexpr std::size_t kMaxNameLength =
    TLongText::kCapacity - std::char_traits<char>::length(kConfigsKey) - 1;

}  // namespace

std::string ConfigNameProblem(const std::string& name) {
  if (name.empty()) return "The name of a configuration must not be empty.";
  if (name.find('\\') != std::string::npos)
    return "The name of a configuration must not contain a backslash (\\).";
  if (name.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
    return "The name of a configuration must not contain a line break.";
  if (name.size() > kMaxNameLength)
    return "The name of a configuration must not be longer than " + std::to_string(kMaxNameLength) +
           " characters.";
  return {};
}

TConfigurations::TConfigurations(TConfigHost& host, TUserDialogs& dialogs,
                                 TRegistryFactory registry)
    : FHost(host), FDialogs(dialogs), FRegistry(std::move(registry)) {
  if (!FRegistry) FRegistry = [] { return std::make_unique<TRegistry>(); };
}

void TConfigurations::MarkModified() {
  if (FModified || FLoading) return;
  FModified = true;
  FHost.SelectConfig(-1);
  FHost.SetDeleteEnabled(false);
}

bool TConfigurations::Save(const std::string& name, bool ask) {
  FHost.WriteExeList();
  std::string chosen = name;
  if (ask) {
    const auto answer = FHost.AskConfigName(name);
    if (!answer) return false;
    chosen = *answer;
  }
  if (!AcceptName(chosen, ask)) return false;
  if (!IsTempName(chosen) && IndexOfName(chosen) < 0) FHost.AddConfigName(chosen);

  const auto registry = OpenConfigs();
  if (!ReplaceKey(*registry, chosen, ask)) return false;
  WriteKey(*registry, chosen);
  registry->CloseKey();

  if (!IsTempName(chosen)) FHost.SelectConfig(IndexOfName(chosen));
  FInControls = chosen;
  FModified = false;
  // "(Default)" is never deleted, so saving into it must not offer that.
  FHost.SetDeleteEnabled(!IsDefaultName(chosen));
  return true;
}

bool TConfigurations::SaveAs() {
  return Save(FLastChosen, true);
}

void TConfigurations::Load(const std::string& name) {
  // Such a name cannot come from the box; it would address a nested key or another one.
  if (!ConfigNameProblem(name).empty()) return;
  if (!IsTempName(name) && IndexOfName(name) < 0) FHost.AddConfigName(name);
  FLoading = true;
  // Until the key has been applied whole, the controls are no copy of any configuration.
  FInControls.clear();
  FLoadProblem.clear();
  bool applied = true;  // a name without a key changes nothing, so the controls stand for it
  try {
    const auto registry = OpenConfigs();
    if (registry->KeyExists(name) && registry->OpenKey(name, false)) {
      applied = ApplyKey(*registry);
      registry->CloseKey();
    }
  } catch (...) {
    FLoading = false;
    throw;
  }
  FLoading = false;
  if (applied) FInControls = name;
}

void TConfigurations::ChooseEntry(int index) {
  const std::vector<std::string> names = FHost.ConfigNames();
  if (index < 0 || index >= static_cast<int>(names.size())) return;
  const std::string name = names[static_cast<std::size_t>(index)];
  FHost.SetDeleteEnabled(!IsDefaultName(name));
  // The name rather than the index: entries added later move the indexes.
  FLastChosen = name;
  Load(name);
}

void TConfigurations::DeleteSelected() {
  const std::string name = SelectedName();
  if (FModified || name.empty() || IsDefaultName(name)) {
    FDialogs.Beep();
    return;
  }
  TMessage question;
  question.Text = "Are you sure you want to delete the configuration:\n\n\"" + name + "\"?\n";
  question.Caption = "Warning";
  question.Icon = TMsgIcon::Warning;
  question.Buttons = TMsgButtons::YesNo;
  question.DefaultButton = TMsgResult::Yes;
  if (FDialogs.ShowMessage(question) != TMsgResult::Yes) return;

  const auto registry = OpenConfigs();
  if (registry->KeyExists(name)) registry->DeleteKey(name);
  registry->CloseKey();
  FHost.RemoveConfigName(name);
  // Selected, not loaded: the controls still hold the deleted configuration.
  FHost.SelectConfig(0);
  FHost.SetDeleteEnabled(false);
  FInControls.clear();
  if (SameText(FLastChosen, name)) FLastChosen.clear();
}

bool TConfigurations::ReadList() {
  const auto registry = OpenConfigs();
  const std::vector<std::string> names = registry->GetKeyNames();
  registry->CloseKey();
  bool tempFound = false;
  for (const std::string& name : names) {
    if (IsTempName(name)) {
      tempFound = true;
    } else if (!IsDefaultName(name)) {
      FHost.AddConfigName(name);
    }
  }
  return tempFound;
}

void TConfigurations::InitialLoad(bool tempFound, const std::string& lastConfig) {
  if (!tempFound) {
    const int index = std::max(IndexOfName(lastConfig), 0);
    FHost.SelectConfig(index);
    ChooseEntry(index);
    return;
  }
  // Even a load that stops half-way leaves the controls holding unsaved changes.
  const auto showModified = [this] {
    FHost.SelectConfig(-1);
    FModified = true;
    FHost.SetDeleteEnabled(false);
  };
  try {
    Load(kTempConfigName);
  } catch (...) {
    showModified();
    throw;
  }
  showModified();
}

void TConfigurations::StoreOnExit(TFXUserSettings& user, const std::string& gameFolder,
                                  const std::string& patchDir) {
  StoreOnExit(user, std::vector<std::string>{gameFolder}, patchDir);
}

void TConfigurations::StoreOnExit(TFXUserSettings& user,
                                  const std::vector<std::string>& configFolders,
                                  const std::string& gameDir) {
  // Each step on its own: a failure in one must not cost the user the unsaved changes.
  const std::string selected = SelectedName();
  try {
    user.SetLastConfig(selected);
  } catch (const std::exception&) {
  }
  for (const std::string& folder : configFolders) {
    try {
      user.CleanUpConfigFiles(true, gameDir, folder);
    } catch (const std::exception&) {
    }
  }
  try {
    if (FModified) {
      Save(kTempConfigName, false);
      return;
    }
    {
      const auto registry = OpenConfigs();
      if (registry->KeyExists(kTempConfigName)) registry->DeleteKey(kTempConfigName);
      registry->CloseKey();
    }
    // Only into the configuration the controls came from: after a delete, or a load that
    // stopped half-way, they are not its copy and would overwrite what it holds.
    if (!selected.empty() && SameText(selected, FInControls)) Save(selected, false);
  } catch (const std::exception&) {
  }
}

bool ConfigurationExists(const std::string& name) {
  if (!ConfigNameProblem(name).empty() || SameText(name, kTempConfigName)) return false;
  TRegistry registry;
  registry.SetRootKey(HKEY_CURRENT_USER);
  const bool exists = registry.OpenKeyReadOnly(kConfigsKey) && registry.KeyExists(name);
  registry.CloseKey();
  return exists;
}

std::unique_ptr<TRegistry> TConfigurations::OpenConfigs() const {
  std::unique_ptr<TRegistry> registry = FRegistry();
  registry->SetRootKey(HKEY_CURRENT_USER);
  if (!registry->OpenKey(kConfigsKey, true))
    throw ERegistryException(std::string("Failed to create key ") + kConfigsKey);
  return registry;
}

int TConfigurations::IndexOfName(const std::string& name) const {
  const std::vector<std::string> names = FHost.ConfigNames();
  const auto found = std::find_if(names.begin(), names.end(), [&name](const std::string& entry) {
    return SameText(entry, name);
  });
  return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

std::string TConfigurations::SelectedName() const {
  const int index = FHost.SelectedConfig();
  const std::vector<std::string> names = FHost.ConfigNames();
  if (index < 0 || index >= static_cast<int>(names.size())) return {};
  return names[static_cast<std::size_t>(index)];
}

bool TConfigurations::AcceptName(const std::string& name, bool ask) {
  if (name.empty()) {
    // Only a user's empty answer is a refused action; at exit there is simply no name.
    if (ask) FDialogs.Beep();
    return false;
  }
  const std::string problem = ConfigNameProblem(name);
  if (problem.empty()) return true;
  FDialogs.ShowMessage({problem, "Saving Configuration", TMsgIcon::Error, TMsgButtons::Ok});
  return false;
}

bool TConfigurations::ReplaceKey(TRegistry& registry, const std::string& name, bool ask) {
  if (!registry.KeyExists(name)) return true;
  if (ask) {
    const std::string text =
        Replace("A configuration of the name '%s' already exists.\n\nDo you want to overwrite it?",
                "%s", name);
    const TMessage question{text, "Saving Configuration", TMsgIcon::Question, TMsgButtons::YesNo,
                            TMsgResult::Yes};
    if (FDialogs.ShowMessage(question) != TMsgResult::Yes) return false;
  }
  // Whole, so that the options of another game type's plug-in do not linger.
  registry.DeleteKey(name);
  return true;
}

void TConfigurations::WriteKey(TRegistry& registry, const std::string& name) {
  if (!registry.OpenKey(name, true))
    throw ERegistryException("Failed to create key " + std::string(kConfigsKey) + "\\" + name);
  if (FHost.ActiveFeatures().StoresOptions)
    FHost.ActivePlugin()->SaveOptions(TLongText(registry.CurrentPath()));
  WriteLaunchConfig(registry, FHost.GatherConfig());
}

bool TConfigurations::ApplyKey(const TRegistry& registry) {
  const std::string keyPath = registry.CurrentPath();
  // Once for the game type that is current, once for the one the key switches to.
  LoadPluginOptions(keyPath);
  if (const std::string type = registry.ReadString("Gametype"); !FHost.SelectGameType(type)) {
    FLoadProblem = "Its game type \"" + type + "\" is not one this program has.";
    return false;
  }
  LoadPluginOptions(keyPath);

  FHost.SetItemIndex(TConfigList::Skill, registry.ReadInteger("Skill"));
  FHost.SetItemIndex(TConfigList::PlayModeRule, registry.ReadInteger("Playmode"));
  FHost.SetItemIndex(TConfigList::Teamplay, registry.ReadInteger("Teamplay"));
  FHost.SetItemIndex(TConfigList::ClientExit, registry.ReadInteger("ClientExit"));
  FHost.SelectExe(registry.ReadString("NewExe"));
  FHost.SetMapText(registry.ReadString("Map"));
  FHost.SetPatchText(registry.ReadString("Patch"));
  ApplyPlayMode(registry);
  FHost.SetMaxPlayers(registry.ReadInteger("MaxPlayers"));
  ApplyLimitsAndTexts(registry);
  if (registry.ValueExists("EnableFragLimit")) {
    FHost.SetFragLimitEnabled(registry.ReadBool("EnableFragLimit"));
    if (registry.ValueExists("EnableTimeLimit"))
      FHost.SetTimeLimitEnabled(registry.ReadBool("EnableTimeLimit"));
  }
  FModified = false;
  return true;
}

void TConfigurations::LoadPluginOptions(const std::string& keyPath) {
  if (FHost.ActiveFeatures().StoresOptions) FHost.ActivePlugin()->LoadOptions(TLongText(keyPath));
}

void TConfigurations::ApplyPlayMode(const TRegistry& registry) {
  if (registry.ValueExists("QuakeMode")) {
    FHost.SetPlayMode(registry.ReadInteger("QuakeMode"));
    return;
  }
  const TOldPlayMode old = ReadOldPlayMode(registry);
  if (old.DemoPlayback) {
    FHost.SetDemoPlayText(old.DemoName);
  } else {
    FHost.SetDemoRecText(old.DemoName);
  }
  if (old.Mode) FHost.SetPlayMode(*old.Mode);
}

void TConfigurations::ApplyLimitsAndTexts(const TRegistry& registry) {
  FHost.SetFragLimit(registry.ReadFloat("FragLimit"));
  FHost.SetTimeLimit(registry.ReadFloat("TimeLimit"));
  FHost.SetConnectTo(registry.ReadString("ConnectTo"));
  FHost.SetAddParms(SplitConfigLines(registry.ReadString("AddParms")));
  FHost.SetAutoAim(registry.ReadBool("AutoAim"));
  FHost.SetConLog(registry.ReadBool("ConLog"));
  FHost.SetHostname(registry.ReadString("Hostname"));
  FHost.SetIgnoreGeneralCmds(registry.ReadBool("IgnoreGeneralCmds"));
}

}  // namespace fx
