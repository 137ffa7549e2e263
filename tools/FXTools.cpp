#include "tools/FXTools.h"

#include <algorithm>
#include <filesystem>

#include "platform/Shell.h"
#include "settings/FXSettings.h"

namespace fx {

namespace {

constexpr const char* kCountValue = "Count";

TToolList* gLiveTools = nullptr;

std::string Numbered(const char* name, int number) {
  return name + std::to_string(number);
}

void OpenToolsKey(TRegistry& registry, const std::string& key) {
  if (!registry.OpenKey(key, true)) throw ERegistryException("Failed to create key " + key);
}

}  // namespace

TTool::TTool(const TRegistry& registry, int number)
    : Title(registry.ReadString(Numbered("Title", number))),
      Path(registry.ReadString(Numbered("Path", number))),
      WorkDir(registry.ReadString(Numbered("WorkDir", number))),
      Param(registry.ReadString(Numbered("Param", number))) {}

void TTool::SaveToRegistry(TRegistry& registry, int number) const {
  registry.WriteString(Numbered("Title", number), Title);
  registry.WriteString(Numbered("Path", number), Path);
  registry.WriteString(Numbered("WorkDir", number), WorkDir);
  registry.WriteString(Numbered("Param", number), Param);
}

void TTool::Run() const {
  if (!ShellSucceeded(ShellExecute("open", Path, Param, WorkDir))) throw EToolError(kToolRunError);
}

std::string ToolListKey() {
  return std::string("\\") + kProgramKey + "\\Tools";
}

void TToolList::Load(TRegistry& registry) {
  registry.SetRootKey(HKEY_CURRENT_USER);
  const std::string key = ToolListKey();
  std::vector<TTool> tools;
  // A missing key is an empty list. It is not created here: creating it would write the
  // settings file, and a run that only reads (a launch from a shortcut) must store nothing.
  if (!registry.KeyExists(key)) {
    Items.clear();
    return;
  }
  WithKeysClosedAfter(registry, [&] {
    OpenToolsKey(registry, key);
    int count = registry.ValueExists(kCountValue) ? registry.ReadInteger(kCountValue) : 0;
    // A count the values cannot back (a hand-edited or damaged file) would otherwise make
    // up to two thousand million empty tools: every tool is stored as four values.
    count = std::clamp(count, 0, static_cast<int>(registry.GetValueNames().size()));
    for (int number = 0; number < count; ++number)
      tools.emplace_back(registry, number);
  });
  Items = std::move(tools);
}

void TToolList::Save(TRegistry& registry) const {
  registry.SetRootKey(HKEY_CURRENT_USER);
  const std::string key = ToolListKey();
  WithKeysClosedAfter(registry, [&] {
    if (registry.KeyExists(key)) registry.DeleteKey(key);
    OpenToolsKey(registry, key);
    registry.WriteInteger(kCountValue, static_cast<int>(Items.size()));
    for (std::size_t i = 0; i < Items.size(); ++i)
      Items[i].SaveToRegistry(registry, static_cast<int>(i));
  });
}

std::vector<std::string> TToolList::Titles() const {
  std::vector<std::string> titles;
  for (const TTool& tool : Items)
    titles.push_back(tool.Title);
  return titles;
}

TProgramToolList::TProgramToolList() {
  gLiveTools = &Tools;
}

TProgramToolList::~TProgramToolList() {
  if (gLiveTools == &Tools) gLiveTools = nullptr;
}

TToolList* LiveToolList() {
  return gLiveTools;
}

TToolFields FillToolFields(const TTool& tool) {
  return {tool.Title, tool.Path, tool.WorkDir, tool.Param};
}

void ApplyToolFields(const TToolFields& fields, TTool& tool) {
  tool.Title = fields.Title;
  tool.Path = fields.Path;
  tool.WorkDir = fields.WorkDir;
  tool.Param = fields.Param;
}

void ApplyBrowsedProgram(const std::string& chosenFile, TToolFields& fields) {
  const std::filesystem::path chosen(chosenFile);
  fields.Path = chosenFile;
  std::string folder = chosen.parent_path().string();
  // The root keeps its separator: "" is no folder to start in.
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
    folder.pop_back();
  fields.WorkDir = folder;
  if (fields.Title == kNewToolTitle) fields.Title = chosen.stem().string();
}

std::string BrowseStart(const TToolFields& fields, const std::string& gameFolder) {
  return fields.Path.empty() ? gameFolder : fields.Path;
}

}  // namespace fx
