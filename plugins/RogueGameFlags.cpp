#include "plugins/RogueGameFlags.h"

namespace fx {

TRogueCTFChoice RogueCTFChoiceFromFlags(std::int32_t flags) {
  TRogueCTFChoice choice;
  choice.HealthProtect = (flags & kRogueNoHealthProtect) == 0;
  choice.ArmorProtect = (flags & kRogueNoArmorProtect) == 0;
  choice.Runes = (flags & kRogueRunes) != 0;
  choice.UseColor = (flags & kRogueColorTeams) != 0;
  choice.AllowChange = (flags & kRogueAllowTeamChange) != 0;
  return choice;
}

std::int32_t RogueCTFFlagsFromChoice(const TRogueCTFChoice& choice) {
  std::int32_t flags = 0;
  if (choice.Runes) flags |= kRogueRunes;
  if (!choice.ArmorProtect) flags |= kRogueNoArmorProtect;
  if (!choice.HealthProtect) flags |= kRogueNoHealthProtect;
  if (choice.UseColor) flags |= kRogueColorTeams;
  if (choice.AllowChange) flags |= kRogueAllowTeamChange;
  return flags;
}

}  // namespace fx
