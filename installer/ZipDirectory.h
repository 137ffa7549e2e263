#pragma once

// Where each entry of a zip archive lies in the file, read from the central directory
// (zip64 included) and each entry's local header: what libzip does not tell, and what the
// overlap check needs. Bounds-checked against the file's size throughout.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fx {

struct TZipSpan {
  std::uint64_t Header = 0;      // the local header's offset
  std::uint64_t Data = 0;        // where the entry's data begins
  std::uint64_t Compressed = 0;  // bytes of data
  std::string Name;              // the stored name, every byte (a NUL included)
  std::uint64_t Size = 0;        // declared uncompressed size
  std::uint32_t Crc = 0;
  std::uint16_t Method = 0;
  std::uint16_t Flags = 0;     // general purpose bits (bit 0: encrypted)
  std::uint16_t MadeBy = 0;    // high byte: the system whose attributes follow (3 = Unix)
  std::uint32_t External = 0;  // external attributes (Unix: st_mode in the high 16 bits)
};

struct TZipDirectory {
  std::uint64_t Start = 0;      // where the central directory begins
  std::vector<TZipSpan> Spans;  // in the central directory's order
};

// Reads `size` bytes at `offset`; fewer at the end of the file.
using TReadAt = std::function<std::string(std::uint64_t offset, std::size_t size)>;

// Throws EArchive (of the package) for a directory that is cut short, too big, or points
// outside the file.
// More than `maxEntries` entries are refused before any is read.
TZipDirectory ReadZipDirectory(const TReadAt& read, std::uint64_t fileSize,
                               std::uint64_t maxEntries = 65536);

// The first pair of entries whose data ranges overlap each other (or run into the central
// directory: the second is then -1), as indexes into Spans; nothing when none do.
std::optional<std::pair<std::size_t, long>> FindOverlap(const TZipDirectory& directory);

}  // namespace fx
