#include "plugins/HHGameFlags.h"

#include <algorithm>

namespace fx {

namespace {

bool Has(std::int32_t options, std::int32_t bit) {
  return (options & bit) != 0;
}

std::int32_t Bit(bool set, std::int32_t bit) {
  return set ? bit : 0;
}

}  // namespace

THHChoice HHChoiceFromOptions(std::int32_t options) {
  THHChoice choice;
  choice.Custom = Has(options, kHHCustom);
  choice.Grapple = !Has(options, kHHNoGrapple);
  choice.LevelVoting = !Has(options, kHHNoLevelVoting);
  choice.FragsForKills = Has(options, kHHFragsForKills);
  choice.SumScoring = !Has(options, kHHNoSumScoring);
  choice.DeathMsgs = !Has(options, kHHNoDeathMsgs);
  choice.HeadPickupMsgs = !Has(options, kHHNoHeadPickupMsgs);
  choice.AltarMsgs = !Has(options, kHHNoAltarMsgs);
  choice.MaxHeads = (options >> kHHMaxHeadsShift) & kHHMaxHeadsLimit;
  choice.Lag = (options >> kHHLagShift) & kHHLagLimit;
  return choice;
}

std::int32_t HHOptionsFromChoice(const THHChoice& choice) {
  std::int32_t options =
      Bit(choice.Custom, kHHCustom) | Bit(!choice.Grapple, kHHNoGrapple) |
      Bit(!choice.LevelVoting, kHHNoLevelVoting) | Bit(choice.FragsForKills, kHHFragsForKills) |
      Bit(!choice.SumScoring, kHHNoSumScoring) | Bit(!choice.DeathMsgs, kHHNoDeathMsgs) |
      Bit(!choice.HeadPickupMsgs, kHHNoHeadPickupMsgs) | Bit(!choice.AltarMsgs, kHHNoAltarMsgs);
  options |= std::clamp(choice.MaxHeads, 0, kHHMaxHeadsLimit) << kHHMaxHeadsShift;
  options |= std::clamp(choice.Lag, 0, kHHLagLimit) << kHHLagShift;
  return options;
}

std::string VisibleHeadsText(int position) {
  if (position == 0) return "No visible heads";
  if (position == 1) return "1 visible head";
  return std::to_string(position) + " visible heads";
}

}  // namespace fx
