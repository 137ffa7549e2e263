#include "plugins/VarimixGameFlags.h"

#include <algorithm>

namespace fx {

namespace {

std::int32_t FeatureBit(std::size_t item) {
  return std::int32_t{1} << item;
}

}  // namespace

TVarimixChoice VarimixChoiceFromOptions(std::int32_t options, std::size_t itemCount) {
  TVarimixChoice choice;
  choice.FeaturesOn.resize(itemCount, true);
  for (std::size_t i = 0; i < std::min(itemCount, kVarimixFeatureCount); ++i)
    choice.FeaturesOn[i] = (options & FeatureBit(i)) == 0;
  choice.DebugMode = (options & kVarimixDebugMode) != 0;
  return choice;
}

std::int32_t VarimixOptionsFromChoice(const TVarimixChoice& choice) {
  std::int32_t options = 0;
  const std::size_t known = std::min(choice.FeaturesOn.size(), kVarimixFeatureCount);
  for (std::size_t i = 0; i < known; ++i) {
    if (!choice.FeaturesOn[i]) options |= FeatureBit(i);
  }
  if (choice.DebugMode) options |= kVarimixDebugMode;
  return options;
}

}  // namespace fx
