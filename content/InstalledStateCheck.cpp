#include "content/InstalledStateCheck.h"

#include "content/ContentInstall.h"
#include "installer/Installer.h"

namespace fx {

TInstalledStateCheck::TInstalledStateCheck(std::vector<TContentPackage> packages,
                                           std::filesystem::path gameFolder,
                                           std::filesystem::path packageFolder,
                                           TGameFilesOpener open)
    : FPackages(std::move(packages)),
      FGameFolder(std::move(gameFolder)),
      FPackageFolder(std::move(packageFolder)),
      FOpen(open ? std::move(open)
                 : [](const std::filesystem::path& folder) { return OpenInstallFiles(folder); }),
      FWorker([this](const std::stop_token& stop) { Run(stop); }) {}

void TInstalledStateCheck::Run(const std::stop_token& stop) {
  std::unique_ptr<TInstallFiles> files;
  std::map<std::string, TPackageManifest> records;
  try {
    files = FOpen(FGameFolder);
    if (!FPackageFolder.empty()) records = RecordsOf(FPackageFolder, FGameFolder);
  } catch (const std::exception& e) {
    const std::lock_guard lock(FMutex);
    FError = e.what();
    return;
  }
  for (std::size_t i = 0; i < FPackages.size() && !stop.stop_requested(); ++i) {
    const TInstallState state = StateOf(FPackages[i], *files, records);
    const std::lock_guard lock(FMutex);
    FFound.emplace_back(i, state);
  }
}

std::vector<TInstalledStateCheck::TState> TInstalledStateCheck::Take() {
  const std::lock_guard lock(FMutex);
  return std::exchange(FFound, {});
}

std::string TInstalledStateCheck::Error() const {
  const std::lock_guard lock(FMutex);
  return FError;
}

std::map<std::string, TPackageManifest> RecordsOf(const std::filesystem::path& packageFolder,
                                                  const std::filesystem::path& gameFolder) {
  std::map<std::string, TPackageManifest> records;
  for (TPackageManifest& m : TPackageStore(packageFolder).List())
    if (m.GameFolder == gameFolder.string()) records.emplace(m.Name, std::move(m));
  return records;
}

TInstallState StateOf(const TContentPackage& package, const TInstallFiles& files,
                      const std::map<std::string, TPackageManifest>& records) {
  const auto record = records.find(package.Id);
  if (record == records.end() || !ExpectedFiles(package).empty())
    return CheckInstalled(package, files);
  switch (VerifyPackage(record->second, files).State) {
    case TPackageState::Installed:
      return TInstallState::Installed;
    case TPackageState::Modified:
      return TInstallState::Modified;
    case TPackageState::Partial:
      return TInstallState::Partly;
    case TPackageState::Missing:
      break;
  }
  return TInstallState::NotInstalled;
}

std::vector<TInstallState> CheckAllInstalled(
    const std::vector<TContentPackage>& packages, const TInstallFiles& files,
    const std::map<std::string, TPackageManifest>& records) {
  std::vector<TInstallState> states;
  states.reserve(packages.size());
  for (const TContentPackage& package : packages)
    states.push_back(StateOf(package, files, records));
  return states;
}

}  // namespace fx
