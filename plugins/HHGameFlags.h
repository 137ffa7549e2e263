#pragma once

// The options of Head Hunters, packed into "temp1" as the modification reads them: eight
// switches (most stored inverted, so that 0 means "on"), the number of visible heads in
// bits 9-12 and the lag setting in bits 13-14.

#include <cstdint>
#include <string>

namespace fx {

inline constexpr std::int32_t kHHCustom = 1;
inline constexpr std::int32_t kHHNoGrapple = 2;
inline constexpr std::int32_t kHHNoLevelVoting = 4;
inline constexpr std::int32_t kHHFragsForKills = 8;
inline constexpr std::int32_t kHHNoSumScoring = 16;
inline constexpr std::int32_t kHHNoDeathMsgs = 32;
inline constexpr std::int32_t kHHNoHeadPickupMsgs = 64;
inline constexpr std::int32_t kHHNoAltarMsgs = 128;
inline constexpr int kHHMaxHeadsShift = 9;
inline constexpr int kHHMaxHeadsLimit = 15;  // four bits
inline constexpr int kHHLagShift = 13;
inline constexpr int kHHLagLimit = 3;  // two bits: "Maximum lag" .. "Least lag"

// Custom on, everything else on but frags for kills, 14 visible heads, maximum lag.
inline constexpr std::int32_t kHHDefaultOptions = 7169;

// What the dialog shows.
struct THHChoice {
  bool Custom = false;         // cbCustom
  bool Grapple = true;         // cbGrapple
  bool LevelVoting = true;     // cbLevelVoting
  bool FragsForKills = false;  // cbFragsForKills
  bool SumScoring = true;      // cbSumScoring
  bool DeathMsgs = true;       // cbDeathMsgs
  bool HeadPickupMsgs = true;  // cbHeadPickupMsgs
  bool AltarMsgs = true;       // cbAltarMsgs
  int MaxHeads = 0;            // tbMaxHeads
  int Lag = 0;                 // lagGroup index

  friend bool operator==(const THHChoice&, const THHChoice&) = default;
};

THHChoice HHChoiceFromOptions(std::int32_t options);
// Builds the options from nothing but the choice. A head count or lag index beyond its
// field is clamped to the field, so it can never spill into the next one (16 heads would
// otherwise read as 0 heads and a lag step).
std::int32_t HHOptionsFromChoice(const THHChoice& choice);

// The label beside the head track bar.
std::string VisibleHeadsText(int position);

}  // namespace fx
