#pragma once

#include <cstdint>
#include <string_view>

// Byte layouts of the game files that are read. The PACK layout and the integer decoder
// are in platform/PackLayout.h; the map file's are here.
#include "platform/PackLayout.h"

namespace fx::layout {

// Map file: a version and 15 (offset, length) pairs; the first pair is the
// entity lump.
namespace bsp {
inline constexpr std::int64_t kHeaderSize = 124;
inline constexpr std::int64_t kEntitiesOffsetAt = 4;
inline constexpr std::int64_t kEntitiesLengthAt = 8;
}  // namespace bsp

}  // namespace fx::layout
