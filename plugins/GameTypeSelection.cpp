#include "plugins/GameTypeSelection.h"

#include <algorithm>
#include <stdexcept>

namespace fx {

namespace {

char FoldCase(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameText(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

template <typename TCount, typename TName>
std::vector<std::string> Collect(TCount count, TName name) {
  std::vector<std::string> items;
  const std::int32_t n = count();
  for (std::int32_t i = 0; i < n; ++i) {
    TShortName entry;
    name(i, entry);
    items.push_back(entry.Str());
  }
  return items;
}

}  // namespace

TGameTypePicture GameTypePicture(TModuleHandle module, std::int32_t number) {
  if (module == 0) return {true, 0, kGameTypePictureBase + number};
  return {false, module, number};
}

std::vector<std::string> ListItems(TQuakePlugin& p, THostList list) {
  switch (list) {
    case THostList::Skill:
      return Collect([&] { return p.GetSkillCount(); },
                     [&](std::int32_t i, TShortName& s) { p.GetSkillName(i, s); });
    case THostList::Map:
      return Collect([&] { return p.GetMapCount(); },
                     [&](std::int32_t i, TShortName& s) { p.GetMapName(i, s); });
    case THostList::PlayMode:
      return Collect([&] { return p.GetPlayModeCount(); },
                     [&](std::int32_t i, TShortName& s) { p.GetPlayModeName(i, s); });
    case THostList::Teamplay:
      return Collect([&] { return p.GetTeamplayCount(); },
                     [&](std::int32_t i, TShortName& s) { p.GetTeamplayName(i, s); });
    case THostList::ClientExit:
      return Collect([&] { return p.GetClientExitCount(); },
                     [&](std::int32_t i, TShortName& s) { p.GetClientExitName(i, s); });
    case THostList::PlayerClass:
      return Collect([&] { return p.GetPlayerClassCount(); },
                     [&](std::int32_t i, TShortName& s) { p.GetPlayerClassName(i, s); });
  }
  return {};
}

std::string MapNameFromBoxText(std::string_view text) {
  if (text == kNoneText) return {};
  std::string name(text.substr(0, text.find(':')));
  std::ranges::transform(name, name.begin(), [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return name;
}

TGameTypeSelector::TGameTypeSelector(TIntfPtr<TQuakePlugin> standard, TGameTypeView& view)
    : FStandard(std::move(standard)), FView(view) {
  if (!FStandard) throw std::invalid_argument("TGameTypeSelector needs the standard plug-in");
}

TQuakePlugin& TGameTypeSelector::SourceOf(THostList list) const {
  const auto own = [&](bool claimed) -> TQuakePlugin& { return claimed ? *FCurrent : *FStandard; };
  if (!FCurrent) return *FStandard;
  switch (list) {
    case THostList::Skill:
      return own(FFeatures.OwnSkills);
    case THostList::Map:
      return own(FFeatures.OwnMaps);
    case THostList::PlayMode:
      return own(FFeatures.OwnPlayModes);
    case THostList::Teamplay:
      return own(FFeatures.OwnTeamplay);
    case THostList::ClientExit:
      return own(FFeatures.OwnClientExit);
    case THostList::PlayerClass:
      break;
  }
  return *FCurrent;
}

void TGameTypeSelector::Select(TIntfPtr<TQuakePlugin> plugin) {
  if (!plugin) throw std::invalid_argument("no game type to select");
  FCurrent = std::move(plugin);
  TPluginFeatures features;
  FCurrent->GetFeatures(features);
  FFeatures = features;
  // The map box may lose its text when its items are replaced, so read it first.
  const std::string mapText = FView.MapText();
  FillSkills();
  const auto maps = FillMaps();
  FillAndPreselect(THostList::PlayMode, 2, 1);
  FillAndPreselect(THostList::Teamplay, 1, 0);
  FillAndPreselect(THostList::ClientExit, 1, 0);
  KeepMapIfListed(mapText, maps);
  if (FFeatures.HasPlayerClasses) FillPlayerClasses();
  FView.SetPatchText(std::string(kNoneText));
  ShowPicture();
  FCurrent->Activate();
  FView.ApplyFeatures(FFeatures);
}

void TGameTypeSelector::FillSkills() {
  const auto items = ListItems(SourceOf(THostList::Skill), THostList::Skill);
  FView.FillList(THostList::Skill, items);
  // The second-hardest skill is the one a new game type starts on.
  if (!items.empty()) FView.SelectItem(THostList::Skill, static_cast<int>(items.size()) - 2);
}

std::vector<std::string> TGameTypeSelector::FillMaps() {
  auto items = ListItems(SourceOf(THostList::Map), THostList::Map);
  FView.FillList(THostList::Map, items);
  return items;
}

void TGameTypeSelector::FillAndPreselect(THostList list, int minCount, int index) {
  const auto items = ListItems(SourceOf(list), list);
  FView.FillList(list, items);
  if (static_cast<int>(items.size()) >= minCount) FView.SelectItem(list, index);
}

void TGameTypeSelector::KeepMapIfListed(const std::string& mapText,
                                        const std::vector<std::string>& maps) {
  const bool listed =
      std::ranges::any_of(maps, [&](const std::string& item) { return SameText(item, mapText); });
  FView.SetMapText(listed ? mapText : std::string(kNoneText));
}

void TGameTypeSelector::FillPlayerClasses() {
  TShortName caption;
  FCurrent->GetPlayerClassCaption(caption);
  FView.SetPlayerClassCaption(caption.Str());
  FillAndPreselect(THostList::PlayerClass, 2, 0);
}

void TGameTypeSelector::ShowPicture() {
  TModuleHandle module = 0;
  std::int32_t number = 0;
  FCurrent->GetPicture(module, number);
  FView.ShowGameTypePicture(GameTypePicture(module, number));
}

}  // namespace fx
