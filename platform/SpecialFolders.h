#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace fx {

// Where the desktop's folders are, after the freedesktop conventions: the user
// directories of user-dirs.dirs and the XDG base directories. The environment is
// passed in so that tests do not depend on the machine's own settings.
class TXdgFolders {
 public:
  using TGetEnv = std::function<std::optional<std::string>(std::string_view)>;

  // Reads the process environment.
  TXdgFolders();
  explicit TXdgFolders(TGetEnv getEnv);

  std::filesystem::path Home() const;
  std::filesystem::path ConfigHome() const;  // $XDG_CONFIG_HOME or ~/.config
  std::filesystem::path DataHome() const;    // $XDG_DATA_HOME or ~/.local/share
  std::filesystem::path StateHome() const;   // $XDG_STATE_HOME or ~/.local/state
  std::filesystem::path CacheHome() const;   // $XDG_CACHE_HOME or ~/.cache

  // The user's desktop folder: XDG_DESKTOP_DIR from user-dirs.dirs, else ~/Desktop.
  std::filesystem::path Desktop() const;

  // The folder whose .desktop files make up the start menu's programs.
  std::filesystem::path ProgramsMenu() const;

  // A directory named in user-dirs.dirs (key such as "DESKTOP"), if it is set there.
  std::optional<std::filesystem::path> UserDir(std::string_view key) const;

 private:
  std::optional<std::string> Env(std::string_view name) const;

  TGetEnv FGetEnv;
};

}  // namespace fx
