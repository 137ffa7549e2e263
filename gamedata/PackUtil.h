#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gamedata/FrameStream.h"
#include "gamedata/Stream.h"

namespace fx {

class TPackFile;

// One directory record of a PACK archive, kept whole; "/" in the name is
// stored as "\".
class TLibEntry {
 public:
  static constexpr std::size_t kRecordSize = 64;
  using TRecord = std::array<unsigned char, kRecordSize>;

  TLibEntry(TPackFile& owner, const TRecord& record);

  // Up to the first zero byte, or all 56 bytes when there is none.
  std::string Name() const;
  std::int32_t FilePos() const;
  std::int32_t FileLen() const;
  const TRecord& Record() const { return FRecord; }
  TPackFile& Owner() const { return *FOwner; }

  // A window onto the entry's data; see TPackFile::OpenEntry.
  std::unique_ptr<TFrameStream> Open() const;

 private:
  TRecord FRecord;
  TPackFile* FOwner;
};

// An open PACK archive and those entries of its directory whose stored name
// matches a pattern ("*" any run of characters, "?" one character, all else
// byte for byte, case-sensitive), in directory order. The identification is
// not checked. A file shorter than its header, a directory offset outside the
// file or a directory cut short by the end of the file gives only the
// complete records that are there.
class TPackFile {
 public:
  TPackFile(const std::filesystem::path& fileName, std::string_view pattern);
  // Reads an archive from any stream, which it then owns.
  TPackFile(std::unique_ptr<TStream> stream, std::string_view pattern);
  TPackFile(const TPackFile&) = delete;
  TPackFile& operator=(const TPackFile&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  const TLibEntry& Items(int index) const { return FItems.at(static_cast<std::size_t>(index)); }
  const std::vector<TLibEntry>& Entries() const { return FItems; }

  // Positions the archive's stream at 0 and returns a window onto the entry.
  // All windows share that one stream: read one entry at a time.
  std::unique_ptr<TFrameStream> OpenEntry(const TLibEntry& entry);

  TStream& Stream() { return *FStream; }

 private:
  void ReadDirectory(std::string_view pattern);

  std::unique_ptr<TStream> FStream;
  std::vector<TLibEntry> FItems;
};

// Whole-name match of a stored archive name against a pattern.
bool MatchesPackPattern(std::string_view name, std::string_view pattern);
// "*" and "?" wildcards, with or without regard to ASCII case.
bool MatchesWildcard(std::string_view name, std::string_view pattern, bool ignoreCase);

}  // namespace fx
