#pragma once

#include <cstdint>
#include <string_view>

// Byte layouts of the game files that are read, and the one way integers are
// decoded from them: 32-bit signed, little-endian, whatever the host is.
namespace fx::layout {

// PACK archive: a header, then a directory of fixed-size records.
namespace pak {
inline constexpr std::int64_t kHeaderSize = 12;
inline constexpr std::int64_t kDirOffsetAt = 4;
inline constexpr std::int64_t kDirLengthAt = 8;
inline constexpr std::int64_t kRecordSize = 64;
inline constexpr std::int64_t kNameSize = 56;
inline constexpr std::int64_t kFilePosAt = 56;
inline constexpr std::int64_t kFileLenAt = 60;
}  // namespace pak

// Map file: a version and 15 (offset, length) pairs; the first pair is the
// entity lump.
namespace bsp {
inline constexpr std::int64_t kHeaderSize = 124;
inline constexpr std::int64_t kEntitiesOffsetAt = 4;
inline constexpr std::int64_t kEntitiesLengthAt = 8;
}  // namespace bsp

// The caller guarantees four bytes at at.
inline std::int32_t ReadLE32(const unsigned char* bytes, std::int64_t at) {
  const unsigned char* p = bytes + at;
  const std::uint32_t value =
      static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
      (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  return static_cast<std::int32_t>(value);
}

}  // namespace fx::layout
