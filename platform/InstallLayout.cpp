#include "platform/InstallLayout.h"

#include <system_error>

#include "platform/InstallInfo.h"

namespace fx {

namespace {

std::optional<std::filesystem::path> ExistingFile(const std::filesystem::path& file) {
  const std::filesystem::path normal = file.lexically_normal();
  std::error_code ec;
  if (std::filesystem::is_regular_file(normal, ec)) return normal;
  return std::nullopt;
}

}  // namespace

std::string ApplicationId() {
  return FX_APPLICATION_ID;
}

std::string DesktopEntryFileName() {
  return ApplicationId() + ".desktop";
}

std::vector<std::filesystem::path> DataFileCandidates(const std::filesystem::path& programFolder,
                                                      std::string_view fileName) {
  const std::filesystem::path installed =
      (programFolder / FX_DATA_FOLDER_FROM_PROGRAM / fileName).lexically_normal();
  return {programFolder / fileName, installed};
}

std::filesystem::path FindDataFile(const std::filesystem::path& programFolder,
                                   std::string_view fileName) {
  const auto candidates = DataFileCandidates(programFolder, fileName);
  for (const auto& candidate : candidates) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
  }
  return candidates.front();
}

std::optional<std::filesystem::path> InstalledReadme(const std::filesystem::path& programFolder) {
  return ExistingFile(programFolder / FX_DOC_FOLDER_FROM_PROGRAM / "README.md");
}

std::optional<std::filesystem::path> InstalledManualPage(
    const std::filesystem::path& programFolder) {
  return ExistingFile(programFolder / FX_MAN_FOLDER_FROM_PROGRAM / "fraxinel.6");
}

}  // namespace fx
