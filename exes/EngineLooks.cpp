#include "exes/EngineLooks.h"

#include <unistd.h>

#include <array>
#include <string>
#include <system_error>
#include <vector>

#include "exes/BuildFile.h"
#include "platform/CommandLine.h"

namespace fx {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBaseDirSwitch = "-basedir";

// What the build file says: per switch of the profile whether the build holds its text
// (a switch it does not hold, it does not read), and whether it has a per-user folder.
// Unknown (a script, a missing file): every switch is taken as read.
class TBuild {
 public:
  TBuild(const TEngineProfile& profile, const fs::path& file)
      : FNeedles{profile.BuildMark, profile.UserDirSwitch, profile.NoUserDirSwitch,
                 profile.MultiUserSwitch, kBaseDirSwitch} {
    // A switch's text ends where the string of its check does.
    std::array<std::string, 5> texts;
    std::vector<std::string_view> needles;
    for (std::size_t i = 0; i < FNeedles.size(); ++i) {
      texts[i] = i == 0 ? std::string(FNeedles[i]) : std::string(FNeedles[i]) + '\0';
      needles.push_back(FNeedles[i].empty() ? std::string_view("\0\0\0\0", 4)
                                            : std::string_view(texts[i]));
    }
    FHolds = ProgramHolds(file, needles);
  }

  bool Known() const { return FHolds.has_value(); }
  // Whether the build has the per-user folder; nothing when it cannot be told.
  std::optional<bool> HasUserFolder() const {
    if (FNeedles[0].empty()) return true;
    if (!FHolds) return std::nullopt;
    return (*FHolds)[0];
  }
  bool Reads(std::string_view name) const {
    if (name.empty()) return false;
    for (std::size_t i = 1; i < FNeedles.size(); ++i)
      if (FNeedles[i] == name) return !FHolds || (*FHolds)[i];
    return false;
  }

 private:
  std::array<std::string_view, 5> FNeedles;
  std::optional<std::vector<bool>> FHolds;
};

// The value after the first `name`, the one the engines take (COM_CheckParm finds the first).
std::optional<std::string> SwitchValue(const std::vector<std::string>& args,
                                       std::string_view name) {
  for (std::size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == name) return args[i + 1];
  return std::nullopt;
}

bool HasSwitch(const std::vector<std::string>& args, std::string_view name) {
  for (const std::string& arg : args)
    if (arg == name) return true;
  return false;
}

bool Exists(const fs::path& folder) {
  std::error_code error;
  return fs::is_directory(folder, error);
}

fs::path InFolder(const fs::path& gameFolder, const std::string& value) {
  const fs::path path(value);
  return path.is_absolute() ? path : gameFolder / path;
}

// The profile's own folder: FTE's rule of the variable, the new and the old default.
fs::path DefaultUserFolder(const TEngineProfile& profile, const TUserHomes& homes) {
  if (!profile.UserFolderVariable.empty())
    if (fs::path named = ExpandUserFolder("$" + std::string(profile.UserFolderVariable), homes);
        !named.empty())
      return named;
  fs::path folder = ExpandUserFolder(profile.UserFolder, homes);
  if (!profile.OldUserFolder.empty() && !Exists(folder))
    if (fs::path old = ExpandUserFolder(profile.OldUserFolder, homes); Exists(old)) return old;
  return folder;
}

// Inside the sandbox $XDG_DATA_HOME is the application's own data folder.
TUserHomes SandboxHomes(const TFlatpakApp& app, TUserHomes homes) {
  homes.XdgDataHome = (app.DataFolder(homes) / "data").string();
  return homes;
}

// A folder of the home the sandbox keeps in its own folder ("persistent=.vkquake") lies
// there outside it; one it neither keeps nor may see is lost when the engine ends.
fs::path OutsideSandbox(const TFlatpakApp& app, const fs::path& folder, const TUserHomes& homes) {
  const fs::path home = homes.Environment.empty() ? homes.Account : homes.Environment;
  const fs::path relative = folder.lexically_relative(home);
  if (!relative.empty() && *relative.begin() != "..")
    for (const std::string& kept : app.Persistent)
      if (relative.begin()->string() == fs::path(kept).lexically_normal().begin()->string())
        return app.DataFolder(homes) / relative;
  return FlatpakSees(app, folder, homes) ? folder : fs::path();
}

// The base folder a Flatpak application's own launcher script hands its engine: FTE's
// (fteqw dist/linux/org.fteqw.fteqw.sh) runs "/app/bin/fteqw -basedir $XDG_DATA_HOME "$@"",
// and the engine takes the first "-basedir". Nothing when the command is the engine itself.
std::optional<fs::path> LauncherBaseDir(const TFlatpakApp& app, const TUserHomes& outside) {
  const auto script = ReadSmallFile(app.Files / "bin" / app.Command, 64u << 10);
  if (!script || !script->starts_with("#!")) return std::nullopt;
  for (const std::string_view value :
       {"-basedir $XDG_DATA_HOME", "-basedir \"$XDG_DATA_HOME\"", "-basedir ${XDG_DATA_HOME}"})
    if (script->find(value) != std::string::npos) return app.DataFolder(outside) / "data";
  return std::nullopt;
}

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

}  // namespace

TEngineLooks WhereEngineLooks(const TEngineProfile& profile, const fs::path& program,
                              std::string_view parameters, const fs::path& gameFolder,
                              const TUserHomes& outside) {
  TEngineLooks looks;
  looks.Flatpak = FlatpakAppOf(program, outside);
  const TUserHomes homes = looks.Flatpak ? SandboxHomes(*looks.Flatpak, outside) : outside;
  const fs::path file =
      looks.Flatpak ? looks.Flatpak->Files / "bin" / looks.Flatpak->Command : program;
  const TBuild build(profile, file);
  const std::vector<std::string> args = SplitCommandLine(parameters);

  looks.GameFolder = gameFolder;
  if (const auto forced = looks.Flatpak ? LauncherBaseDir(*looks.Flatpak, outside) : std::nullopt) {
    looks.GameFolder = *forced;
    looks.BaseDirGiven = true;
    if (!SameFolder(*forced, gameFolder))
      looks.Problem = "The Flatpak engine " + looks.Flatpak->Id +
                      " reads the game from its own folder \"" + forced->string() +
                      "\" only, which its launcher hands it; it would not find the game in \"" +
                      gameFolder.string() +
                      "\". The engine is not started.\n\nPut the game's folders (id1 and the "
                      "mods) there, or set that folder as the game folder.";
  } else if (profile.TakesBaseDir && build.Reads(kBaseDirSwitch)) {
    if (const auto base = SwitchValue(args, kBaseDirSwitch)) {
      looks.GameFolder = InFolder(gameFolder, *base);
      looks.BaseDirGiven = true;
    }
    // A Flatpak engine is started by "flatpak run", whose arguments the program's own
    // launcher may put a "-basedir" in front of: none is added for it.
    looks.TakesBaseDir = !looks.BaseDirGiven && !looks.Flatpak;
  }

  const std::optional<bool> built = build.HasUserFolder();
  if (HasSwitch(args, profile.NoUserDirSwitch) && build.Reads(profile.NoUserDirSwitch)) {
    looks.UserFolder.clear();
  } else if (const auto named = SwitchValue(args, profile.UserDirSwitch);
             named && build.Reads(profile.UserDirSwitch) && built.value_or(true)) {
    looks.UserFolder = InFolder(gameFolder, *named);
  } else if (built == false) {
    if (HasSwitch(args, profile.MultiUserSwitch) && build.Reads(profile.MultiUserSwitch))
      looks.UserFolder = ExpandUserFolder(profile.MultiUserFolder, homes);
  } else {
    looks.UserFolder = DefaultUserFolder(profile, homes);
    looks.UserFolderUnsure = !built.has_value();
    // FTE takes its home only when it exists or the base folder is not writable.
    if (profile.UserFolderWhenNeeded && !Exists(looks.UserFolder) &&
        ::access(looks.GameFolder.c_str(), W_OK) == 0)
      looks.UserFolder.clear();
  }
  if (looks.Flatpak && !looks.UserFolder.empty())
    looks.UserFolder = OutsideSandbox(*looks.Flatpak, looks.UserFolder, outside);
  return looks;
}

}  // namespace fx
