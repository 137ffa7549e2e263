#pragma once

// The installed state of every package of the catalogues, checked on a thread of its own
// (CheckInstalled over the game folder's file system): the table shows at once and the
// states arrive as they are known. A stop is seen before each package. A package whose
// catalogue lists no files (the XML database's) is judged by its record when the installer
// installed it (VerifyPackage).

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "content/ContentPackage.h"
#include "content/ContentSearch.h"
#include "content/WorkerThread.h"
#include "installer/PackageManifest.h"
#include "platform/InstallFiles.h"

namespace fx {

// The file system of a game folder; unset where one is asked for: OpenInstallFiles.
using TGameFilesOpener =
    std::function<std::unique_ptr<TInstallFiles>(const std::filesystem::path& gameFolder)>;

class TInstalledStateCheck {
 public:
  using TState = std::pair<std::size_t, TInstallState>;  // package index, state

  // `packageFolder`: the installer's records; empty: none are looked at.
  TInstalledStateCheck(std::vector<TContentPackage> packages, std::filesystem::path gameFolder,
                       std::filesystem::path packageFolder, TGameFilesOpener open = {});

  // The states found since the last call, in package order.
  std::vector<TState> Take();
  bool Finished() const { return FWorker.Finished(); }
  // Why no state could be checked (the game folder cannot be opened); "" when it could.
  std::string Error() const;

 private:
  void Run(const std::stop_token& stop);

  const std::vector<TContentPackage> FPackages;
  const std::filesystem::path FGameFolder;
  const std::filesystem::path FPackageFolder;
  const TGameFilesOpener FOpen;
  mutable std::mutex FMutex;
  std::vector<TState> FFound;
  std::string FError;
  TWorkerThread FWorker;  // last: stopped and joined before the members it reads go
};

// The records of the packages installed into `gameFolder`, by name.
std::map<std::string, TPackageManifest> RecordsOf(const std::filesystem::path& packageFolder,
                                                  const std::filesystem::path& gameFolder);

// One package's state: by the catalogue's files, else by its record in `records`.
TInstallState StateOf(const TContentPackage& package, const TInstallFiles& files,
                      const std::map<std::string, TPackageManifest>& records);

// Every package's in turn on the calling thread (tests and the benchmark compare with it).
std::vector<TInstallState> CheckAllInstalled(
    const std::vector<TContentPackage>& packages, const TInstallFiles& files,
    const std::map<std::string, TPackageManifest>& records);

}  // namespace fx
