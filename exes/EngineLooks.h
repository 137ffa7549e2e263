#pragma once

// Where one engine build looks for its files in one launch. The family's profile gives the
// rules; the build decides which apply (a quakespasm built without user folders reads its
// base folder only), and so do the switches of the command line ("-userdir", "-nohome",
// "-basedir") and, for a Flatpak engine, its sandbox.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "exes/EngineProfiles.h"
#include "exes/FlatpakApp.h"
#include "platform/GamePaths.h"

namespace fx {

struct TEngineLooks {
  // The base folder it reads the game from: "-basedir"'s folder, else the game folder.
  std::filesystem::path GameFolder;
  bool BaseDirGiven = false;  // the parameters name "-basedir" already
  // The per-user folder it searches ahead of the base folder; empty: none.
  std::filesystem::path UserFolder;
  // The build could not be told (a script in front of the engine): UserFolder is where such
  // a build would look, but no launch may rely on it.
  bool UserFolderUnsure = false;
  // The launch may hand it "-basedir <folder>" of its own.
  bool TakesBaseDir = false;
  std::optional<TFlatpakApp> Flatpak;
  // Why this engine cannot play the game folder at all (its Flatpak launcher gives it a base
  // folder of its own); empty when it can.
  std::string Problem;

  // The per-user folder to rely on: empty when none or unsure.
  std::filesystem::path SureUserFolder() const {
    return UserFolderUnsure ? std::filesystem::path() : UserFolder;
  }
};

// Where the engine `program` (its file, as a launch starts it) of `profile` looks when started
// in `gameFolder` with `parameters` (the whole parameter string, split by the Windows rules).
TEngineLooks WhereEngineLooks(const TEngineProfile& profile, const std::filesystem::path& program,
                              std::string_view parameters, const std::filesystem::path& gameFolder,
                              const TUserHomes& homes);

}  // namespace fx
