#include "content/FilterPresetStore.h"

#include <algorithm>
#include <system_error>

#include "installer/PackageStore.h"
#include "platform/RegFileStore.h"
#include "platform/RegularFile.h"

namespace fx {

TFilterPresetStore::TFilterPresetStore(std::filesystem::path file) : FFile(std::move(file)) {}

void TFilterPresetStore::Load() {
  FPresets.clear();
  FProblems.clear();
  std::error_code error;
  if (!std::filesystem::exists(FFile, error)) return;
  std::string text;
  try {
    text = ReadRegularFile(FFile, kMaxPresetFileBytes + 1);
  } catch (const EFileOpenError& e) {
    FProblems.push_back("cannot be read: " + e.Reason());
    return;
  }
  if (text.size() > kMaxPresetFileBytes) {
    FProblems.push_back("is larger than " + std::to_string(kMaxPresetFileBytes >> 20) + " MB");
    return;
  }
  FPresets = ParseFilterPresets(text, &FProblems);
}

void TFilterPresetStore::Save(std::string name, const TContentFilter& filter) {
  // As the file will spell it, so the name read back is the one saved.
  std::replace_if(
      name.begin(), name.end(), [](char c) { return c == '\n' || c == '\r' || c == ']'; }, ' ');
  FPresets[name] = filter;
  Write();
}

void TFilterPresetStore::Remove(const std::string& name) {
  if (FPresets.erase(name)) Write();
}

void TFilterPresetStore::Write() {
  std::filesystem::create_directories(FFile.parent_path());
  if (!FProblems.empty()) {
    // What could not be read stays beside the new file for the user to look at.
    std::filesystem::copy_file(FFile, FFile.string() + ".malformed",
                               std::filesystem::copy_options::overwrite_existing);
    FProblems.clear();
  }
  WriteFileAtomically(FFile, FormatFilterPresets(FPresets));
}

std::filesystem::path TFilterPresetStore::DefaultFile() {
  return TRegFileStore::FolderFromEnvironment() / "content-filters.txt";
}

}  // namespace fx
