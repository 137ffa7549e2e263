#pragma once

// When each package was last played and how often, kept in the program's data folder as
// lines "<id>\t<seconds since 1970>\t<times>" (a plain file the user may read or delete).

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace fx {

struct TPlayed {
  std::int64_t LastPlayed = 0;  // seconds since 1970, UTC
  unsigned Times = 0;
  friend bool operator==(const TPlayed&, const TPlayed&) = default;
};

class TPlayedRecords {
 public:
  // Reads `file`; a missing file is an empty record, a line that cannot be read is left out.
  static TPlayedRecords Load(const std::filesystem::path& file);
  // Writes beside the file and renames it over, so a crash keeps the old or the new one.
  void Save(const std::filesystem::path& file) const;

  void NotePlayed(std::string_view id, std::int64_t when);
  std::optional<TPlayed> Find(std::string_view id) const;

  static std::filesystem::path DefaultFile(const std::filesystem::path& dataFolder) {
    return dataFolder / "fraxinel" / "played.txt";
  }

 private:
  std::map<std::string, TPlayed, std::less<>> FPlayed;
};

}  // namespace fx
