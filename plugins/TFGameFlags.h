#pragma once

// The two rule sets of TeamFortress as the modification reads them: "temp1" (general rules)
// and "teamplay" (team rules), both bit sets. The options dialog finds its check boxes by
// walking its panels, so a box's bit is its "Tag" and nothing else; this file keeps the
// rules that turn tagged boxes and the two damage choices into flags and back.

#include <cstdint>
#include <span>

namespace fx {

// temp1: the Tags of the general-rule boxes.
inline constexpr std::int32_t kTFClassPersistance = 1;
inline constexpr std::int32_t kTFRespawnDelay = 4;
inline constexpr std::int32_t kTFAutoteam = 64;
inline constexpr std::int32_t kTFTeamFrags = 128;
inline constexpr std::int32_t kTFSpyInvis = 512;
inline constexpr std::int32_t kTFGrapple = 1024;

// teamplay: bit 1 is the host's "Teamplay" choice, the rest come from the dialog.
inline constexpr std::int32_t kTFTeamplayOn = 1;
inline constexpr std::int32_t kTFDirectFireHalf = 2;
inline constexpr std::int32_t kTFDirectFireNone = 4;
inline constexpr std::int32_t kTFAreaAffectHalf = 8;
inline constexpr std::int32_t kTFAreaAffectNone = 16;
inline constexpr std::int32_t kTFTeamEqMembers = 32;
inline constexpr std::int32_t kTFTeamEqLowScore = 64;

struct TTFFlags {
  std::int32_t Temp1 = 0;
  std::int32_t Team = 0;

  friend bool operator==(const TTFFlags&, const TTFFlags&) = default;
};

// A check box of the dialog as the flags see it.
struct TTaggedBox {
  std::int32_t Tag = 0;
  bool Checked = false;
};

// The items of the two damage boxes.
enum class TTFDamage { Full = 0, Half = 1, None = 2 };

// Checks each box whose Tag shares a bit with `flags`, unchecks the others.
void CheckTaggedBoxes(std::span<TTaggedBox> boxes, std::int32_t flags);
// The OR of the Tags of the checked boxes.
std::int32_t TaggedBoxFlags(std::span<const TTaggedBox> boxes);

// "No Damage" wins when both of its bits are set.
TTFDamage DirectFireDamage(std::int32_t teamFlags);
TTFDamage AreaAffectDamage(std::int32_t teamFlags);

// The team flags the dialog's OK builds from nothing: the checked team-equalisation boxes
// and the two damage choices. The host's teamplay bit is not among them.
std::int32_t TFTeamFlags(std::span<const TTaggedBox> teamEqBoxes, TTFDamage directFire,
                         TTFDamage areaAffect);

}  // namespace fx
