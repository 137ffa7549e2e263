#include "plugins/TFGameFlags.h"

namespace fx {

namespace {

TTFDamage DamageOf(std::int32_t flags, std::int32_t halfBit, std::int32_t noneBit) {
  if ((flags & noneBit) != 0) return TTFDamage::None;
  if ((flags & halfBit) != 0) return TTFDamage::Half;
  return TTFDamage::Full;
}

std::int32_t DamageBits(TTFDamage damage, std::int32_t halfBit, std::int32_t noneBit) {
  switch (damage) {
    case TTFDamage::Half:
      return halfBit;
    case TTFDamage::None:
      return noneBit;
    case TTFDamage::Full:
      break;
  }
  return 0;
}

}  // namespace

void CheckTaggedBoxes(std::span<TTaggedBox> boxes, std::int32_t flags) {
  for (TTaggedBox& box : boxes)
    box.Checked = (box.Tag & flags) != 0;
}

std::int32_t TaggedBoxFlags(std::span<const TTaggedBox> boxes) {
  std::int32_t flags = 0;
  for (const TTaggedBox& box : boxes) {
    if (box.Checked) flags |= box.Tag;
  }
  return flags;
}

TTFDamage DirectFireDamage(std::int32_t teamFlags) {
  return DamageOf(teamFlags, kTFDirectFireHalf, kTFDirectFireNone);
}

TTFDamage AreaAffectDamage(std::int32_t teamFlags) {
  return DamageOf(teamFlags, kTFAreaAffectHalf, kTFAreaAffectNone);
}

std::int32_t TFTeamFlags(std::span<const TTaggedBox> teamEqBoxes, TTFDamage directFire,
                         TTFDamage areaAffect) {
  return TaggedBoxFlags(teamEqBoxes) |
         DamageBits(directFire, kTFDirectFireHalf, kTFDirectFireNone) |
         DamageBits(areaAffect, kTFAreaAffectHalf, kTFAreaAffectNone);
}

}  // namespace fx
