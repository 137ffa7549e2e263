#include "plugins/CTFRuleFlags.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace fx {

namespace {

// Bits 0 to 10 mean the same to both modifications.
constexpr std::array<TCTFRuleBox, 11> kCommonBoxes{{
    {"cbHealth", kCTFHealthProtect},
    {"cbArmor", kCTFArmorProtect},
    {"cbAttackerDmg", kCTFAttackerDamage},
    {"cbFragPenalty", kCTFFragPenalty},
    {"cbDeathPenalty", kCTFDeathPenalty},
    {"cbTeamColorLock", kCTFTeamColorLock},
    {"cbStaticTeams", kCTFStaticTeams},
    {"cbDropItems", kCTFDropItems},
    {"cbCTF", kCTFCaptureTheFlag},
    {"cbCustomCTF", kCTFCustomCTF},
    {"cbTeamSelect", kCTFTeamSelect},
}};

template <std::size_t N>
constexpr std::array<TCTFRuleBox, kCommonBoxes.size() + N> AfterCommon(
    const std::array<TCTFRuleBox, N>& own) {
  std::array<TCTFRuleBox, kCommonBoxes.size() + N> boxes{};
  std::copy(kCommonBoxes.begin(), kCommonBoxes.end(), boxes.begin());
  std::copy(own.begin(), own.end(), boxes.begin() + kCommonBoxes.size());
  return boxes;
}

constexpr auto kPlainBoxes =
    AfterCommon(std::array<TCTFRuleBox, 1>{{{"cbDisableGrapple", kCTFDisableGrapple}}});

constexpr auto kBotBoxes = AfterCommon(std::array<TCTFRuleBox, 6>{{
    {"cbTotalFreedom", kCTFTotalFreedom},
    {"cbAutoEvenTeams", kCTFAutoEvenTeams},
    {"cbPlayerRuneDrop", kCTFNoPlayerRuneDrop, true},
    {"cbBotFlagPickups", kCTFNoBotFlagPickups, true},
    {"cbUseClientColorMap", kCTFUseClientColorMap},
    {"cbFlagTossing", kCTFNoFlagTossing, true},
}});

}  // namespace

std::span<const TCTFRuleBox> CTFRuleBoxes(bool bots) {
  if (bots) return kBotBoxes;
  return kPlainBoxes;
}

std::vector<bool> CTFBoxStates(std::span<const TCTFRuleBox> boxes, std::int32_t flags) {
  std::vector<bool> checked;
  for (const TCTFRuleBox& box : boxes)
    checked.push_back(((flags & box.Bit) != 0) != box.CheckedWhenClear);
  return checked;
}

std::int32_t CTFFlagsFromBoxes(std::span<const TCTFRuleBox> boxes,
                               const std::vector<bool>& checked) {
  if (checked.size() != boxes.size()) throw std::invalid_argument("one state per box expected");
  std::int32_t flags = 0;
  for (std::size_t i = 0; i < boxes.size(); ++i)
    if (checked[i] != boxes[i].CheckedWhenClear) flags |= boxes[i].Bit;
  return flags;
}

}  // namespace fx
