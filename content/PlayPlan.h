#pragma once

// How to play a package from the main window as a user would set it up by hand: the game
// type, the mod folder for the patch box, extra switches, the start map choices, and the
// engine: the chosen one unless the package needs more than it gives.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "content/ContentPackage.h"
#include "exes/EngineProfiles.h"
#include "plugins/GameTypes.h"

namespace fx {

// An installed engine the user could pick, in the order of the executable list.
struct TPlayEngine {
  std::string Entry;
  TEngineFamily Family = TEngineFamily::Other;
};

struct TPlayPlan {
  TGameType GameType = TGameType::Standard;
  std::string Patch{};     // the mod folder, empty for none
  std::string Switches{};  // "-quoth", the other "-game" folders of a several-folder mod
  std::vector<std::string> StartMaps{};  // the choices, the one to start first
  std::size_t Engine = 0;                // in the engines handed in
  bool EngineFits = true;                // false: no installed engine gives what it needs
  std::string EngineReason{};            // why another engine is proposed, or none fits
  std::vector<std::string> Refusals{};   // why the catalogue's command line is not used
};

// What the package needs of an engine, as the profile's columns name it; empty when any
// engine will do. `needs` is set to the texts of what `profile` lacks.
std::vector<std::string> MissingCapabilities(const TContentPackage& package,
                                             const TEngineProfile& profile);

// `installedMaps`: the maps the package put on disk (names without ".bsp"), added to the
// catalogue's start maps. `chosen` indexes `engines`; with no engines the plan names none.
TPlayPlan BuildPlayPlan(const TContentPackage& package,
                        const std::vector<std::string>& installedMaps,
                        const std::vector<TPlayEngine>& engines, std::size_t chosen);

// The main window's command-line field after a package's switches went in, as a user would
// type them: `Text` is the field, `Added` what this play put there (to take out again next
// time).
struct TContentSwitchField {
  std::string Text;
  std::string Added;
};

// `previous` (what the last play added) is taken out of `field`, then each switch of
// `switches` ("-quoth", "-game NAME") not in the field yet is appended; the player's own text
// stays as typed.
TContentSwitchField ReplaceContentSwitches(std::string_view field, std::string_view previous,
                                           std::string_view switches);

}  // namespace fx
