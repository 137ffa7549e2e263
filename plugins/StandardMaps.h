#pragma once

// The fixed map lists of standard Quake and its two mission packs. Each entry is the map's
// file name, a colon, a blank and its title; the host keeps the part before the colon.

#include <span>
#include <string_view>

namespace fx {

// The shareware edition has the first episode's maps only: the first entries of the
// standard list.
inline constexpr int kSharewareMapCount = 9;

std::span<const std::string_view> StandardQuakeMaps();
std::span<const std::string_view> ScourgeOfArmagonMaps();
std::span<const std::string_view> DissolutionOfEternityMaps();

}  // namespace fx
