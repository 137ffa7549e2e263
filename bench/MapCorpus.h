#pragma once

// The maps the benchmarks read: 5,000 map files with entity lumps of 20 to 150 KB, the
// worldspawn and its title first, as compiled maps have them, in a folder and in a PACK
// archive. The same seed gives the same bytes, so two builds can be compared on them.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace fx::bench {

inline constexpr int kCorpusMaps = 5000;
inline constexpr std::size_t kMinLump = 20 * 1024;
inline constexpr std::size_t kMaxLump = 150 * 1024;

// Writes `count` maps as <folder>/<prefix><n>.bsp.
void WriteMapFolder(const std::filesystem::path& folder, int count, std::string_view prefix,
                    unsigned seed);
// Writes a PACK archive holding `count` maps as maps/<prefix><n>.bsp.
void WriteMapPack(const std::filesystem::path& pak, int count, std::string_view prefix,
                  unsigned seed);

// A folder below the system's temporary folder, removed with everything in it at the end.
class TTempFolder {
 public:
  explicit TTempFolder(std::string_view name);
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  const std::filesystem::path& Path() const { return FPath; }

 private:
  std::filesystem::path FPath;
};

// The floor a title read is measured against: the map's 124-byte header and the first
// 4 KiB of its entity lump, read with the fewest system calls that can do it. `start` is
// where the map begins in the file (0 for a map file, the entry's offset in an archive).
inline constexpr std::int64_t kFloorLumpBytes = 4096;
void ReadHeaderAndLumpStart(int handle, std::int64_t start, char* lumpBuffer);
// Open, ReadHeaderAndLumpStart, close.
void ReadFloorOfFile(const std::filesystem::path& map, char* lumpBuffer);

}  // namespace fx::bench
