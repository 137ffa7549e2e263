#include "plugins/StandardMaps.h"

#include <array>

namespace fx {

namespace {

constexpr std::array<std::string_view, 38> kStandardQuake = {
    "START: Entrance",
    "E1M1: The Slipgate Complex",
    "E1M2: Castle of the Damned",
    "E1M3: The Necropolis",
    "E1M4: The Grisly Grotto",
    "E1M5: Gloom Keep",
    "E1M6: The Door to Chthon",
    "E1M7: The House of Chton",
    "E1M8: Ziggurat Vertigo (Secret Level)",
    "E2M1: The Installation",
    "E2M2: The Ogre Citadel",
    "E2M3: The Crypt of Decay",
    "E2M4: The Ebon Fortress",
    "E2M5: The Wizard's Manse",
    "E2M6: The Dismal Oubliette",
    "E2M7: Underearth (Secret Level)",
    "E3M1: Termination Central",
    "E3M2: Vaults of Zin",
    "E3M3: The Tomb of Terror",
    "E3M4: Satan's Dark Delight",
    "E3M5: Wind Tunnels",
    "E3M6: Chambers of Torment",
    "E3M7: The Haunted Halls (Secret Level)",
    "E4M1: The Sewage System",
    "E4M2: The Tower of Despair",
    "E4M3: The Elder God Shrine",
    "E4M4: The Palace of Hate",
    "E4M5: Hell's Atrium",
    "E4M6: The Pain Maze",
    "E4M7: Azure Agony",
    "E4M8: The Nameless City (Secret Level)",
    "END: Shub-Niggurath's Pit",
    "DM1: Place of Two Deaths",
    "DM2: Claustrophobopolis",
    "DM3: The Abandoned Base",
    "DM4: The Bad Place",
    "DM5: The Cistern",
    "DM6: The Dark Zone",
};

constexpr std::array<std::string_view, 18> kScourgeOfArmagon = {
    "START: Command HQ",      "HIP1M1: The Pumping Station", "HIP1M2: Storage Facility",
    "HIP1M3: The Lost Mine",  "HIP1M4: Research Facility",   "HIP1M5: Military Complex",
    "HIP2M1: Ancient Realms", "HIP2M2: The Black Cathedral", "HIP2M3: The Catacombs",
    "HIP2M4: The Crypt",      "HIP2M5: Mortum's Keep",       "HIP2M6: The Gremlin's Domain",
    "HIP3M1: Tur Torment",    "HIP3M2: Pandemonium",         "HIP3M3: Limbo",
    "HIP3M4: The Gauntlet",   "HIPEND: Armagon's Lair",      "HIPDM1: The Edge of Oblivion",
};

constexpr std::array<std::string_view, 17> kDissolutionOfEternity = {
    "START: Split Decision",  "R1M1: Deviant's Domain",     "R1M2: Dread Portal",
    "R1M3: Judgement Call",   "R1M4: Cave of Death",        "R1M5: Towers of Wrath",
    "R1M6: Temple of Pain",   "R1M7: Tomb of the Overlord", "R2M1: Tempus Fugit",
    "R2M2: Elemental Fury I", "R2M3: Elemental Fury II",    "R2M4: Curse of Osiris",
    "R2M5: Wizard's Keep",    "R2M6: Blood Sacrifice",      "R2M7: Last Bastion",
    "R2M8: Source of Evil",   "CTF1: Division of Change",
};

static_assert(kSharewareMapCount <= kStandardQuake.size());

}  // namespace

std::span<const std::string_view> StandardQuakeMaps() {
  return kStandardQuake;
}
std::span<const std::string_view> ScourgeOfArmagonMaps() {
  return kScourgeOfArmagon;
}
std::span<const std::string_view> DissolutionOfEternityMaps() {
  return kDissolutionOfEternity;
}

}  // namespace fx
