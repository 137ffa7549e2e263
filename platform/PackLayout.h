#pragma once

#include <cstdint>

// The byte layout of a PACK archive's header and directory, and the one way integers are
// decoded from game files: 32-bit signed, little-endian, whatever the host is. It lives
// with the ports because the settings read archive directories too (the edition test).
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

// The caller guarantees four bytes at at.
inline std::int32_t ReadLE32(const unsigned char* bytes, std::int64_t at) {
  const unsigned char* p = bytes + at;
  const std::uint32_t value =
      static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
      (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  return static_cast<std::int32_t>(value);
}

}  // namespace fx::layout
