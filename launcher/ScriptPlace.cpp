#include "launcher/ScriptPlace.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "launcher/BaseFolder.h"
#include "launcher/DiskNames.h"
#include "platform/GamePaths.h"
#include "platform/RegularFile.h"

namespace fx {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBaseGame = "id1";

bool IsOwnCopy(const fs::path& file) {
  const std::string name = file.filename().string();
  for (const std::string_view own : kAuxiliaryScripts)
    if (EqualsIgnoringCase(name, own)) return true;
  return IsProgramScript(file);
}

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

bool Writable(const fs::path& file) {
  return ::access(file.c_str(), W_OK) == 0;
}

// The name `name` takes in `folder` (PlacedName).
std::string NameIn(const fs::path& folder, std::string_view name) {
  const std::string written(name);
  if (Exists(folder / written)) return written;
  const fs::path other = ResolveGamePath(folder, name);
  std::error_code error;
  if (fs::is_regular_file(other, error) && Writable(other)) return other.filename().string();
  return written;
}

// Why the scripts cannot go into a folder; empty when they can. As root every folder is
// writable, so this is what the kernel would say to a write. Every script of a launch goes
// to the same folder, so each is asked for.
std::string WriteProblem(const fs::path& folder, std::string_view mainScript) {
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
  std::vector<std::string_view> names = {mainScript};
  names.insert(names.end(), std::begin(kAuxiliaryScripts), std::end(kAuxiliaryScripts));
  for (const std::string_view name : names) {
    const fs::path file = folder / NameIn(folder, name);
    if (Exists(file) && !Writable(file))
      return "\"" + file.filename().string() + "\": " + std::strerror(errno);
  }
  return "";
}

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

std::string NotWritableText(const fs::path& folder, const std::string& reason,
                            const TEngineLooks& looks) {
  std::string instead;
  if (looks.BaseDirGiven)
    instead = "the engine is given that folder with \"-basedir\", so it reads no other";
  else if (looks.UserFolderUnsure)
    instead =
        "Fraxinel cannot tell whether this engine build reads a per-user folder, and "
        "it takes no base folder of Fraxinel's own";
  else
    instead = "this engine reads no per-user folder where it would find them instead";
  return "The launch scripts cannot be written to the folder \"" + folder.string() + "\" (" +
         reason + "), and " + instead +
         ". The engine is not started.\n\nMake the folder writable for you, or launch with an "
         "engine such as quakespasm, ironwail, vkQuake, FTE or DarkPlaces.";
}

void CheckSandboxSees(const TEngineLooks& looks, const fs::path& folder, const TUserHomes& homes) {
  if (!looks.Flatpak || FlatpakSees(*looks.Flatpak, folder, homes)) return;
  throw EScriptWriteError("The engine runs in the Flatpak sandbox of " + looks.Flatpak->Id +
                          ", which cannot see the folder \"" + folder.string() +
                          "\". The engine is not started.\n\nLet it see the folder with:\n" +
                          FlatpakGrantCommand(*looks.Flatpak, folder));
}

}  // namespace

TScriptPlace PlanScriptPlace(const TEngineLooks& looks, std::string_view cfgFileName,
                             const std::vector<std::string>& gameDirs, const fs::path& ownBase,
                             const TUserHomes& homes) {
  if (!looks.Problem.empty()) throw EScriptWriteError(looks.Problem);
  CheckSandboxSees(looks, looks.GameFolder, homes);
  TScriptPlace place;
  place.GameFolder = looks.GameFolder;
  // An unsure per-user folder is no place to write, but a copy there may still run first.
  place.SearchFolders = EngineSearchFolders(looks.GameFolder, looks.UserFolder, gameDirs);
  const fs::path gameId1 = ResolveGamePath(looks.GameFolder, kBaseGame);
  const std::string problem = WriteProblem(gameId1, cfgFileName);
  if (problem.empty()) {
    place.Folder = gameId1;
  } else if (const fs::path user = looks.SureUserFolder(); !user.empty()) {
    place.Folder = user / kBaseGame;
    place.InUserFolder = true;
  } else if (looks.TakesBaseDir && !ownBase.empty()) {
    place.BaseDir = ownBase;
    place.Folder = ownBase / kBaseGame;
    place.SearchFolders = EngineSearchFolders(ownBase, looks.UserFolder, gameDirs);
  } else {
    throw EScriptWriteError(NotWritableText(gameId1, problem, looks));
  }
  place.MainScript = PlacedName(place, cfgFileName);
  return place;
}

TScriptPlace PlanScriptPlace(const fs::path& gameFolder, std::string_view cfgFileName,
                             const fs::path& userFolder, const std::vector<std::string>& gameDirs) {
  TEngineLooks looks;
  looks.GameFolder = gameFolder;
  looks.UserFolder = userFolder;
  return PlanScriptPlace(looks, cfgFileName, gameDirs, {}, {});
}

std::string PlacedName(const TScriptPlace& place, std::string_view name) {
  return NameIn(place.Folder, name);
}

void PrepareScriptPlace(const TScriptPlace& place) {
  if (!place.BaseDir.empty()) MirrorGameFolder(place.GameFolder, place.BaseDir);
  if (place.InUserFolder || !place.BaseDir.empty()) {
    std::error_code error;
    fs::create_directories(place.Folder, error);
  }
}

bool IsProgramScript(const fs::path& file) {
  const std::string header = ScriptHeader("").front();
  try {
    return ReadRegularFile(file, header.size()) == header;
  } catch (const EFileOpenError&) {
    return false;
  }
}

void WritePlacedScript(const TScriptPlace& place, std::string_view name,
                       const TScriptLines& lines) {
  if (place.InUserFolder) {
    std::error_code error;
    fs::create_directories(place.Folder, error);
  }
  const std::string placed = PlacedName(place, name);
  for (const fs::path& folder : place.SearchFolders) {
    if (SameFolder(folder, place.Folder)) break;
    // The engine opens the name as written: "FRAX.CFG" is no copy of "Frax.cfg".
    const fs::path shadow = folder / placed;
    std::error_code error;
    if (!fs::is_regular_file(shadow, error)) continue;
    // In the mirrored base folder an old copy of the read-only game folder is a link: taking
    // the link away hides it from the engine.
    if (!place.BaseDir.empty() && fs::is_symlink(fs::symlink_status(shadow, error)) &&
        IsOwnCopy(shadow)) {
      fs::remove(shadow, error);
      continue;
    }
    if (!IsOwnCopy(shadow))
      throw EScriptWriteError("The engine would run \"" + shadow.string() +
                              "\" instead of this launch's script, since it looks in that "
                              "folder first. Fraxinel did not write that file, so it is left "
                              "alone: rename or remove it.");
    WriteScript(shadow, lines);
  }
  const fs::path file = place.Folder / placed;
  // In the mirrored base folder the name may still be a link to the game's own file.
  if (!place.BaseDir.empty() && fs::is_symlink(fs::symlink_status(file))) fs::remove(file);
  WriteScript(file, lines);
}

}  // namespace fx
