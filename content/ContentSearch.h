#pragma once

// Search as you type and the filters of the content browser, over plain records. The words
// the user types are matched as plain text (all must occur, in any case); nothing of them is
// read as a pattern.

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "content/ContentPackage.h"

namespace fx {

// What the installer's hash check says of a package's files in the game folder.
enum class TInstallState : std::uint8_t { NotInstalled, Installed, Partly, Modified };

enum class TTriState : std::uint8_t { Any, Yes, No };

struct TContentFilter {
  std::string Text{};  // words, all of which must match
  std::string Type{};  // "map", "mod", ...; empty for any
  int MinRating = 0;   // the editors' rating, 0 for any
  double MinUsersRating = 0;
  int YearFrom = 0;  // 0: no bound
  int YearTo = 0;
  std::uint64_t MinBytes = 0;
  std::uint64_t MaxBytes = 0;            // 0: no bound
  TTriState Installed = TTriState::Any;  // installed, partly or modified count as installed
  TTriState NeedsMod = TTriState::Any;
  bool BeyondLimits = false;  // only packages that exceed the original limits or are BSP2
  bool SinglePlayer = false;  // when any of the three is set, a package must have one of them
  bool Deathmatch = false;
  bool Coop = false;
  friend bool operator==(const TContentFilter&, const TContentFilter&) = default;
};

// The lower-case text search looks in for each package: title, author, id, description,
// tags, start maps. Built once per catalogue so a keystroke only compares.
std::vector<std::string> SearchTexts(const std::vector<TContentPackage>& packages);

// Whether the package needs a mod besides itself (a -game, mission-pack or Quoth switch, a
// mod tag, or a requirement).
bool NeedsMod(const TContentPackage& package);

bool MatchesFilter(const TContentPackage& package, std::string_view searchText, TInstallState state,
                   const TContentFilter& filter);

// The positions of the packages that match, in catalogue order. `states` is aligned with
// `packages` (missing entries count as not installed).
std::vector<std::size_t> FilterPackages(const std::vector<TContentPackage>& packages,
                                        const std::vector<std::string>& searchTexts,
                                        const std::vector<TInstallState>& states,
                                        const TContentFilter& filter);

// One of `matching` that is not installed, or nothing when every one is.
std::optional<std::size_t> PickRandomUninstalled(const std::vector<std::size_t>& matching,
                                                 const std::vector<TInstallState>& states,
                                                 std::mt19937& random);

// Named filter presets as lines of text: "[name]" then "key=value" lines. A line that is not
// one of them (or a value that is not read) is skipped and, with `problems`, named there.
std::string FormatFilterPresets(const std::map<std::string, TContentFilter>& presets);
std::map<std::string, TContentFilter> ParseFilterPresets(
    std::string_view text, std::vector<std::string>* problems = nullptr);

}  // namespace fx
