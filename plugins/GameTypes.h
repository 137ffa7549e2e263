#pragma once

// The game types of the game-type box, in their fixed order. Their display texts are also
// what a saved configuration stores as "Gametype", so they are data, not decoration.

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "plugins/FXIntf.h"
#include "plugins/PluginDialogs.h"

namespace fx {

enum class TGameType {
  Standard,
  ScourgeOfArmagon,
  DissolutionOfEternity,
  ThreewaveCTF,
  CTFBots,
  TeamFortress,
  HeadHunters,
  Varimix,
};

inline constexpr std::size_t kGameTypeCount = 8;

// The eight display texts in registration order.
std::span<const std::string_view> GameTypeNames();
std::string_view GameTypeName(TGameType type);
// The game type a stored "Gametype" names, compared without regard to case.
std::optional<TGameType> FindGameType(std::string_view name);

// What every plug-in is created with: the host's starter and the view's dialogs. Both
// must outlive the plug-ins.
struct TPluginEnvironment {
  TQuakeStarter& Starter;
  TPluginDialogs& Dialogs;
};

// A new plug-in of that game type, or null while the program has no plug-in for it.
TIntfPtr<TQuakePlugin> CreateGameTypePlugin(TGameType type, const TPluginEnvironment& env);

struct TGameTypeEntry {
  TGameType Type;
  std::string_view Name;
  TIntfPtr<TQuakePlugin> Plugin;
};

// One plug-in per game type the program has, in registration order; the first entry is
// the standard game, the fallback for the lists other game types do not claim.
std::vector<TGameTypeEntry> RegisterGameTypes(const TPluginEnvironment& env);

}  // namespace fx
