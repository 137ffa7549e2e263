#pragma once

// The rule flags of the Capture the Flag modification: the bits it reads from the game's
// "teamplay" variable, and which check box of the option dialogs shows each of them. The
// bot modification reads six more bits, gives bit 11 another meaning, and stores three of
// its rules inverted (the box is checked when the bit is clear).

#include <cstdint>
#include <span>
#include <vector>

namespace fx {

inline constexpr std::int32_t kCTFHealthProtect = 1 << 0;
inline constexpr std::int32_t kCTFArmorProtect = 1 << 1;
inline constexpr std::int32_t kCTFAttackerDamage = 1 << 2;
inline constexpr std::int32_t kCTFFragPenalty = 1 << 3;
inline constexpr std::int32_t kCTFDeathPenalty = 1 << 4;
inline constexpr std::int32_t kCTFTeamColorLock = 1 << 5;
inline constexpr std::int32_t kCTFStaticTeams = 1 << 6;
inline constexpr std::int32_t kCTFDropItems = 1 << 7;
inline constexpr std::int32_t kCTFCaptureTheFlag = 1 << 8;
inline constexpr std::int32_t kCTFCustomCTF = 1 << 9;
inline constexpr std::int32_t kCTFTeamSelect = 1 << 10;
inline constexpr std::int32_t kCTFDisableGrapple = 1 << 11;  // the plain modification
inline constexpr std::int32_t kCTFTotalFreedom = 1 << 11;    // the bot modification
inline constexpr std::int32_t kCTFAutoEvenTeams = 1 << 12;
inline constexpr std::int32_t kCTFNoPlayerRuneDrop = 1 << 13;
inline constexpr std::int32_t kCTFNoBotFlagPickups = 1 << 14;
inline constexpr std::int32_t kCTFUseClientColorMap = 1 << 15;
inline constexpr std::int32_t kCTFNoFlagTossing = 1 << 16;

// What a configuration without stored rules gets: the penalties, team colours, static teams,
// dropped items, both flag games and team selection.
inline constexpr std::int32_t kCTFDefaultRules =
    kCTFFragPenalty | kCTFTeamColorLock | kCTFStaticTeams | kCTFDropItems | kCTFCaptureTheFlag |
    kCTFCustomCTF | kCTFTeamSelect;
static_assert(kCTFDefaultRules == 2024);

// One check box of an option dialog: its object name and the bit it stands for.
struct TCTFRuleBox {
  const char* Control;
  std::int32_t Bit;
  bool CheckedWhenClear = false;  // the bit is stored inverted
};

// The boxes of the plain dialog (twelve) or of the bot dialog (seventeen), in bit order.
std::span<const TCTFRuleBox> CTFRuleBoxes(bool bots);

// Whether each of `boxes` is checked for `flags`, in their order.
std::vector<bool> CTFBoxStates(std::span<const TCTFRuleBox> boxes, std::int32_t flags);
// The flags from nothing but the boxes' states, so bits no box shows are dropped.
std::int32_t CTFFlagsFromBoxes(std::span<const TCTFRuleBox> boxes,
                               const std::vector<bool>& checked);

}  // namespace fx
