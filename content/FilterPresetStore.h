#pragma once

// The user's named filter presets, kept as text in the settings folder
// ("content-filters.txt" beside catalogues.txt). A file that cannot be read whole is said so
// and left as it is until the user saves; the save then keeps the old text beside it
// ("<file>.malformed"), so nothing the user wrote is lost.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "content/ContentSearch.h"

namespace fx {

inline constexpr std::size_t kMaxPresetFileBytes = 1u << 20;

class TFilterPresetStore {
 public:
  explicit TFilterPresetStore(std::filesystem::path file);

  // Reads the file again; what was not read is in Problems().
  void Load();
  const std::map<std::string, TContentFilter>& Presets() const { return FPresets; }
  const std::vector<std::string>& Problems() const { return FProblems; }
  const std::filesystem::path& File() const { return FFile; }

  // Each writes the file atomically at once; they throw std::exception when it cannot be.
  void Save(std::string name, const TContentFilter& filter);
  void Remove(const std::string& name);

  // "content-filters.txt" in the program's settings folder.
  static std::filesystem::path DefaultFile();

 private:
  void Write();

  std::filesystem::path FFile;
  std::map<std::string, TContentFilter> FPresets;
  std::vector<std::string> FProblems;
};

}  // namespace fx
