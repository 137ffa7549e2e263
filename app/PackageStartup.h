#pragma once

// The package commands and the install recovery on the program's real settings, store and
// disk: what main() calls.

#include <string>
#include <vector>

#include "app/PackageCommand.h"

namespace fx {

struct TProgramOptions;

// Finishes or undoes the installs a cut-off run left (RecoverInstalls on the default store);
// one line for each, for standard error. Run at every start.
std::vector<std::string> RecoverCutInstalls();

// Runs --install, --uninstall, --verify or --packages: the game folder from the machine-wide
// settings, the per-user folder of the first executable entry whose engine has one.
// `download` fetches the archive of --install URL (main() hands in the Qt Network one).
int RunPackageCommandLine(const TProgramOptions& options,
                          const TUrlDownloader& download = DownloadPackageArchive);

}  // namespace fx
