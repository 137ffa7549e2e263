#include "launcher/ScriptPlace.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "launcher/DiskNames.h"
#include "platform/GamePaths.h"
#include "platform/RegularFile.h"

namespace fx {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBaseGame = "id1";
// The auxiliary scripts' names are this program's own; the server summary of the client
// modes does not begin with the common header.
constexpr std::string_view kOwnScriptNames[] = {"fx_maps.cfg", "fx_svinf.cfg"};

bool IsOwnCopy(const fs::path& file) {
  const std::string name = file.filename().string();
  for (const std::string_view own : kOwnScriptNames)
    if (EqualsIgnoringCase(name, own)) return true;
  return IsProgramScript(file);
}

// Why the scripts cannot go into a folder; empty when they can. As root every folder is
// writable, so this is what the kernel would say to a write.
std::string WriteProblem(const fs::path& folder, std::string_view mainScript) {
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
  const fs::path file = ResolveGamePath(folder, mainScript);
  std::error_code error;
  if (fs::exists(file, error) && ::access(file.c_str(), W_OK) != 0) return std::strerror(errno);
  return "";
}

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

std::string NotWritableText(const fs::path& folder, const std::string& reason) {
  return "The launch scripts cannot be written to the folder \"" + folder.string() + "\" (" +
         reason +
         "), and this engine has no per-user folder known to Fraxinel where it would find "
         "them instead.\n\nMake the folder writable for you, or launch with an engine such "
         "as quakespasm, ironwail, vkQuake, FTE or DarkPlaces.";
}

}  // namespace

TScriptPlace PlanScriptPlace(const fs::path& gameFolder, std::string_view cfgFileName,
                             const fs::path& userFolder, const std::vector<std::string>& gameDirs) {
  TScriptPlace place;
  place.SearchFolders = EngineSearchFolders(gameFolder, userFolder, gameDirs);
  const fs::path gameId1 = ResolveGamePath(gameFolder, kBaseGame);
  const std::string problem = WriteProblem(gameId1, cfgFileName);
  if (problem.empty()) {
    place.Folder = gameId1;
  } else if (!userFolder.empty()) {
    place.Folder = userFolder / kBaseGame;
    place.InUserFolder = true;
  } else {
    throw EScriptWriteError(NotWritableText(gameId1, problem));
  }
  place.MainScript = PlacedName(place, cfgFileName);
  return place;
}

std::string PlacedName(const TScriptPlace& place, std::string_view name) {
  return ResolveGamePath(place.Folder, name).filename().string();
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
    const fs::path shadow = ResolveGamePath(folder, placed);
    std::error_code error;
    if (!fs::is_regular_file(shadow, error)) continue;
    if (!IsOwnCopy(shadow))
      throw EScriptWriteError("The engine would run \"" + shadow.string() +
                              "\" instead of this launch's script, since it looks in that "
                              "folder first. Fraxinel did not write that file, so it is left "
                              "alone: rename or remove it.");
    WriteScript(shadow, lines);
  }
  WriteScript(place.Folder / placed, lines);
}

}  // namespace fx
