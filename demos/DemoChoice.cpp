#include "demos/DemoChoice.h"

#include <algorithm>

namespace fx {

bool PlaysDemo(const TEngineProfile& profile, const TDemoInfo& info) {
  const std::uint32_t bit = DemoProtocolBit(info.Format, info.Protocol);
  return bit != 0 && (profile.PlaysDemos & bit) != 0;
}

std::optional<std::size_t> EngineForDemo(std::span<const TEngineOffer> engines,
                                         const TDemoInfo& info) {
  for (std::size_t i = 0; i < engines.size(); ++i)
    if (PlaysDemo(EngineProfileFor(engines[i].Program), info)) return i;
  return std::nullopt;
}

std::string CannotPlayText(const std::string& chosen, const TDemoInfo& info,
                           const std::string& other) {
  std::string text = "\"" + chosen + "\" cannot play this demo (protocol " +
                     DemoProtocolName(info.Format, info.Protocol, info.ProtocolFlags) + ").";
  if (other.empty()) return text + "\n\nNo installed engine plays it. Choose it anyway?";
  return text + "\n\nUse \"" + other + "\", which can?";
}

std::string DemoPatchText(const TDemoRow& row) {
  std::string lower = row.GameDir;
  std::ranges::transform(lower, lower.begin(),
                         [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
  return lower == "id1" ? std::string() : row.GameDir;
}

std::string GameKindText(TGameKind kind) {
  switch (kind) {
    case TGameKind::SinglePlayer:
      return "single player";
    case TGameKind::Coop:
      return "coop";
    case TGameKind::Deathmatch:
      return "deathmatch";
    case TGameKind::Unknown:
      break;
  }
  return "";
}

std::string DemoEnginesText(const TDemoInfo& info) {
  std::string text;
  for (const TEngineProfile& profile : EngineProfiles()) {
    if (profile.Entry.empty() || !PlaysDemo(profile, info)) continue;
    if (!text.empty()) text += ", ";
    text += profile.Entry;
  }
  return text;
}

TDemoPick PickDemo(const TDemoRow& row, std::span<const TEngineOffer> engines,
                   std::optional<std::size_t> chosen, TUserDialogs& dialogs) {
  TDemoPick pick;
  pick.PlayName = row.Name;
  if (std::string patch = DemoPatchText(row); !patch.empty()) pick.Patch = std::move(patch);
  const bool plays = chosen && *chosen < engines.size() &&
                     PlaysDemo(EngineProfileFor(engines[*chosen].Program), row.Info);
  if (plays || !chosen || *chosen >= engines.size()) return pick;
  const auto other = EngineForDemo(engines, row.Info);
  const std::string text =
      CannotPlayText(engines[*chosen].Name, row.Info, other ? engines[*other].Name : "");
  if (!other) {
    pick.Cancelled = dialogs.ShowMessage({text, "", TMsgIcon::Warning, TMsgButtons::YesNo,
                                          TMsgResult::No}) != TMsgResult::Yes;
    return pick;
  }
  const TMsgResult answer = dialogs.ShowMessage(
      {text, "", TMsgIcon::Question, TMsgButtons::YesNoCancel, TMsgResult::Yes});
  if (answer == TMsgResult::Yes) pick.SwitchTo = other;
  pick.Cancelled = answer != TMsgResult::Yes && answer != TMsgResult::No;
  return pick;
}

std::string OverwriteDemoText(const std::string& found) {
  return "The demo \"" + found + "\" exists already. Recording replaces it.\n\nUse this name?";
}

}  // namespace fx
