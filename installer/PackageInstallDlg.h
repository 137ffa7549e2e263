#pragma once

// An install from the window, start to end: the archive's plan (read off the GUI thread),
// the plan dialog for the user's word, the install with its progress and Cancel, and what
// came of it in a message. From a URL the download comes first, with the same progress
// dialog. The content browser installs through the same calls.

#include <optional>
#include <string>

#include "installer/Download.h"
#include "installer/Installer.h"

class QWidget;

namespace fx {

class TUserDialogs;

struct TWindowInstall {
  QWidget* Parent = nullptr;
  TUserDialogs& Dialogs;
  TPackageStore& Store;
  // The file system of a game folder; unset: the real one (OpenInstallFiles).
  TFilesOpener Open;
};

// `request` names the archive and the game folder (and any explicit target). Returns the
// manifest recorded, or nothing when the user cancelled or it failed (which was said).
std::optional<TPackageManifest> InstallPackageInWindow(const TWindowInstall& context,
                                                       TInstallRequest request);

// Downloads `download` (progress and Cancel shown), then installs the file as above, with
// the URL as the package's source.
std::optional<TPackageManifest> InstallPackageFromUrl(const TWindowInstall& context,
                                                      TDownloader& downloader,
                                                      TDownloadRequest download,
                                                      TInstallRequest request);

// Whether a file name is one the installer takes: .zip, .pk3, .pak, .bsp in any case.
bool IsPackageFileName(const std::string& name);

}  // namespace fx
