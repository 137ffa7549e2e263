#pragma once

// The team-game flags of the second mission pack ("RogueGameCfg") and how they map to the
// check boxes of its options dialog. The two protection bits are stored inverted, so the
// initial value 0 means both protections on.

#include <cstdint>

namespace fx {

inline constexpr std::int32_t kRogueRunes = 1;
inline constexpr std::int32_t kRogueNoArmorProtect = 2;
inline constexpr std::int32_t kRogueNoHealthProtect = 4;
inline constexpr std::int32_t kRogueColorTeams = 8;
inline constexpr std::int32_t kRogueAllowTeamChange = 16;

// What the dialog's check boxes show.
struct TRogueCTFChoice {
  bool HealthProtect = true;  // cbHealth
  bool ArmorProtect = true;   // cbArmor
  bool Runes = false;         // cbRunes
  bool UseColor = false;      // cbUseColor
  bool AllowChange = false;   // cbAllowChange

  friend bool operator==(const TRogueCTFChoice&, const TRogueCTFChoice&) = default;
};

TRogueCTFChoice RogueCTFChoiceFromFlags(std::int32_t flags);
// Builds the flags from nothing but the boxes, so bits the dialog does not show are dropped.
std::int32_t RogueCTFFlagsFromChoice(const TRogueCTFChoice& choice);

}  // namespace fx
