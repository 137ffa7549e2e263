#pragma once

// The part of a catalogue package's install that runs on a worker thread once its archive
// is downloaded: the plan over the game folder, the install through the installer's machine
// (journal, staging, rollback on Cancel), and the installed state checked again after.

#include <filesystem>
#include <string>

#include "content/ContentPackage.h"
#include "content/ContentSearch.h"
#include "content/InstalledStateCheck.h"
#include "installer/InstallProgress.h"

namespace fx {

struct TContentInstallJob {
  TContentPackage Package;
  std::filesystem::path Archive;  // the downloaded file
  std::string SourceUrl;
  std::filesystem::path GameFolder;
  std::filesystem::path PackageFolder;  // the manifests
  bool AsDependency = false;            // installed because another package needs it
  TGameFilesOpener Open;                // unset: OpenInstallFiles
};

struct TContentInstallResult {
  TInstallPhase Phase = TInstallPhase::Failed;  // Done, Failed or Cancelled
  std::string Failure;                          // "ID: reason" when Failed
  TInstallState State = TInstallState::NotInstalled;
};

// Plans and installs; `progress` gets the machine's reports and is asked whether to stop.
// Never throws: what goes wrong is in Failure.
TContentInstallResult InstallDownloaded(const TContentInstallJob& job, TInstallProgress& progress);

}  // namespace fx
