#include "plugins/GameTypes.h"

#include <algorithm>
#include <array>

#include "plugins/CTFBotsQuakePlugIn.h"
#include "plugins/CTFQuakePlugIn.h"
#include "plugins/FXStdPlgIn.h"
#include "plugins/HHQuakePlugIn.h"
#include "plugins/TFQuakePlugin.h"
#include "plugins/VarimixQuakePlugin.h"

namespace fx {

namespace {

constexpr std::array<std::string_view, kGameTypeCount> kNames = {
    "Quake (Standard)",
    "Quake - Scourge of Armagon",
    "Quake - Dissolution of Eternity",
    "Threewave Capture the Flag (4.0)",
    "Capture the Flag Bots",
    "TeamFortress (2.5)",
    "Head Hunters (1.0)",
    "Varimix by Bolsk",
};

bool SameText(std::string_view a, std::string_view b) {
  const auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; };
  return std::ranges::equal(a, b, [&](char x, char y) { return fold(x) == fold(y); });
}

}  // namespace

std::span<const std::string_view> GameTypeNames() {
  return kNames;
}

std::string_view GameTypeName(TGameType type) {
  return kNames.at(static_cast<std::size_t>(type));
}

std::optional<TGameType> FindGameType(std::string_view name) {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (SameText(kNames[i], name)) return static_cast<TGameType>(i);
  }
  return std::nullopt;
}

TIntfPtr<TQuakePlugin> CreateGameTypePlugin(TGameType type, const TPluginEnvironment& env) {
  switch (type) {
    case TGameType::Standard:
      return MakeIntf<TStandardQuakePlugin>(env.Starter);
    case TGameType::ScourgeOfArmagon:
      return MakeIntf<TStandardQuakePluginM1>(env.Starter);
    case TGameType::DissolutionOfEternity:
      return MakeIntf<TStandardQuakePluginM2>(env.Starter, env.Dialogs);
    case TGameType::TeamFortress:
      return MakeIntf<TTFQuakePlugin>(env.Starter, env.Dialogs);
    case TGameType::HeadHunters:
      return MakeIntf<THHQuakePlugIn>(env.Starter, env.Dialogs);
    case TGameType::Varimix:
      return MakeIntf<TVarimixQuakePlugin>(env.Starter, env.Dialogs);
    case TGameType::ThreewaveCTF:
      return MakeIntf<TCTFQuakePlugIn>(env.Starter, env.Dialogs);
    case TGameType::CTFBots:
      return MakeIntf<TCTFBotsQuakePlugIn>(env.Starter, env.Dialogs);
  }
  return nullptr;
}

std::vector<TGameTypeEntry> RegisterGameTypes(const TPluginEnvironment& env) {
  std::vector<TGameTypeEntry> entries;
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    const auto type = static_cast<TGameType>(i);
    if (auto plugin = CreateGameTypePlugin(type, env)) {
      entries.push_back({type, kNames[i], std::move(plugin)});
    }
  }
  return entries;
}

}  // namespace fx
