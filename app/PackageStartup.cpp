#include "app/PackageStartup.h"

#include <unistd.h>

#include <iostream>

#include "app/CommandLineOptions.h"
#include "app/PackageCommand.h"
#include "exes/FXExes.h"
#include "launcher/LaunchPipeline.h"
#include "platform/GamePaths.h"
#include "platform/InstallFiles.h"
#include "platform/Registry.h"
#include "settings/FXSettings.h"

namespace fx {

namespace {

std::unique_ptr<TInstallFiles> OpenFiles(const std::string& folder) {
  return OpenInstallFiles(folder);
}

std::string UserFolderOfEngines(const TFXSettings& machine) {
  try {
    TRegistry registry;
    const TUserHomes homes = CurrentUserHomes();
    for (const TQuakeExe& exe : LoadExeList(registry))
      if (const auto folder = EngineLooksFor({}, machine, exe, homes).SureUserFolder();
          !folder.empty())
        return folder.string();
  } catch (const std::exception&) {
    // No entries that can be read: no per-user folder.
  }
  return "";
}

}  // namespace

std::vector<std::string> RecoverCutInstalls() {
  TPackageStore store(TPackageStore::DefaultFolder());
  try {
    return RecoverInstalls(store, OpenFiles);
  } catch (const std::exception& e) {
    return {std::string("the installs cut off earlier cannot be checked: ") + e.what()};
  }
}

int RunPackageCommandLine(const TProgramOptions& options, const TUrlDownloader& download) {
  TProgramSettings settings(
      [](const std::string& error) { std::cerr << "fraxinel: " << error << "\n"; });
  settings.SkipSaveAtEnd();  // a command line run stores no settings
  TPackageStore store(TPackageStore::DefaultFolder());
  const std::string game = settings.Machine.QPath();
  TPackageCommandContext context{.Store = store,
                                 .GameFolder = game,
                                 .GameWritable = !game.empty() && ::access(game.c_str(), W_OK) == 0,
                                 .UserFolder = options.Action == TProgramAction::Install
                                                   ? UserFolderOfEngines(settings.Machine)
                                                   : "",
                                 .Open = OpenFiles,
                                 .Download = download,
                                 .In = std::cin,
                                 .Out = std::cout,
                                 .Err = std::cerr};
  return RunPackageCommand(options, context);
}

}  // namespace fx
