#pragma once

// What earlier scans read from demos, kept in the user's cache folder so that a second look
// costs a stat per file. Only a cache: a missing, damaged or foreign file is an empty cache,
// and an entry counts only while the demo's path, entry, size and modification time match.

#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>

#include "demos/DemoScan.h"

namespace fx {

class TDemoCache {
 public:
  // Reads the file; anything it cannot take leaves the cache empty.
  void Load(const std::filesystem::path& file);
  // Writes what was looked up or put since the load (demos no longer seen are dropped),
  // through a temporary file renamed over the old one. False when it could not be written.
  bool Save(const std::filesystem::path& file) const;

  std::optional<TDemoInfo> Find(const TDemoPlace& place);
  void Put(const TDemoPlace& place, const TDemoInfo& info);
  std::size_t Size() const { return FEntries.size(); }

 private:
  struct TEntry {
    TDemoInfo Info;
    bool Used = false;
  };
  std::unordered_map<std::string, TEntry> FEntries;
};

// $XDG_CACHE_HOME/fraxinel/demos.cache, or ~/.cache/fraxinel/demos.cache when it is unset
// or not absolute (the XDG base directory rules).
std::filesystem::path DemoCacheFile(const char* xdgCacheHome, const std::filesystem::path& home);

}  // namespace fx
