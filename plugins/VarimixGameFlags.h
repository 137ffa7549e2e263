#pragma once

// The options of Varimix, packed into "temp1": one bit per feature, set when the feature
// is off (so 0 means everything on), and the debug mode in bit 11.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fx {

inline constexpr std::size_t kVarimixFeatureCount = 7;
inline constexpr std::int32_t kVarimixDebugMode = 2048;

struct TVarimixChoice {
  std::vector<bool> FeaturesOn;  // clbFeatures, one per item; item i is bit 2 to the power i
  bool DebugMode = false;        // cbDebugMode

  friend bool operator==(const TVarimixChoice&, const TVarimixChoice&) = default;
};

// `itemCount` entries in FeaturesOn; items past the known features show as on.
TVarimixChoice VarimixChoiceFromOptions(std::int32_t options,
                                        std::size_t itemCount = kVarimixFeatureCount);
// Builds the options from nothing but the choice. Only the known features have bits: an
// item past them would otherwise reach the debug bit (item 11) or beyond the integer.
std::int32_t VarimixOptionsFromChoice(const TVarimixChoice& choice);

}  // namespace fx
