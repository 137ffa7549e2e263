#include "platform/GamePaths.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace fx {

namespace {

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

std::vector<std::string> SplitComponents(std::string_view path) {
  std::vector<std::string> parts;
  std::string current;
  for (const char c : path) {
    if (c == '\\' || c == '/') {
      if (!current.empty() && current != ".") parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty() && current != ".") parts.push_back(current);
  return parts;
}

bool EntryExists(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(p, ec));
}

// The entry of `folder` whose name equals `name` but for case. Where several do,
// the smallest name wins so that the choice does not depend on directory order.
std::optional<std::string> FindIgnoringCase(const std::filesystem::path& folder,
                                            std::string_view name) {
  std::optional<std::string> best;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (SameTextIgnoringCase(entry, name) && (!best || entry < *best)) best = std::move(entry);
  }
  return best;
}

struct TModAlias {
  std::string_view Name;
  std::string_view Installed;
};
// Mods whose folder is commonly named otherwise than the game type expects.
constexpr std::array<TModAlias, 1> kModAliases{{{"TEAMF", "fortress"}}};

bool IsFolder(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::is_directory(p, ec);
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::filesystem::path Below(const std::string& home, std::string_view rest) {
  if (home.empty()) return {};
  return std::filesystem::path(home) / std::string(rest);
}

}  // namespace

std::filesystem::path ResolveGamePath(const std::filesystem::path& gameFolder,
                                      std::string_view relativePath) {
  std::filesystem::path result = gameFolder;
  if (!relativePath.empty() && (relativePath.front() == '/' || relativePath.front() == '\\'))
    result = "/";
  bool matching = true;
  for (const std::string& part : SplitComponents(relativePath)) {
    if (matching && part != ".." && !EntryExists(result / part)) {
      if (const auto found = FindIgnoringCase(result, part)) {
        result /= *found;
        continue;
      }
      matching = false;
    }
    result /= part;
  }
  return result;
}

std::filesystem::path ResolveModFolder(const std::filesystem::path& gameFolder,
                                       std::string_view patch) {
  std::filesystem::path folder = ResolveGamePath(gameFolder, patch);
  if (IsFolder(folder)) return folder;
  const std::string name = std::filesystem::path(folder).filename().string();
  for (const TModAlias& alias : kModAliases) {
    if (!SameTextIgnoringCase(name, alias.Name)) continue;
    const std::filesystem::path installed =
        ResolveGamePath(folder.parent_path(), std::string(alias.Installed));
    if (IsFolder(installed)) return installed;
  }
  return folder;
}

TUserHomes CurrentUserHomes() {
  TUserHomes homes;
  // getpwuid_r with a buffer of the size the system suggests; no static storage.
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::string buffer(size > 0 ? static_cast<std::size_t>(size) : 16384, '\0');
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir != nullptr)
    homes.Account = found->pw_dir;
  homes.Environment = Environment("HOME");
  homes.XdgDataHome = Environment("XDG_DATA_HOME");
  homes.FteHome = Environment("FTEHOME");
  return homes;
}

std::filesystem::path ExpandUserFolder(std::string_view pattern, const TUserHomes& homes) {
  if (pattern == "$FTEHOME") return homes.FteHome;
  const auto rest = [pattern](std::string_view prefix) { return pattern.substr(prefix.size()); };
  if (pattern.starts_with("~/"))
    return Below(homes.Account.empty() ? homes.Environment : homes.Account, rest("~/"));
  if (pattern.starts_with("$HOME/"))
    return Below(homes.Environment.empty() ? homes.Account : homes.Environment, rest("$HOME/"));
  if (pattern.starts_with("$XDG_DATA_HOME/")) {
    if (!homes.XdgDataHome.empty()) return Below(homes.XdgDataHome, rest("$XDG_DATA_HOME/"));
    const std::string& home = homes.Environment.empty() ? homes.Account : homes.Environment;
    return Below(home, ".local/share/" + std::string(rest("$XDG_DATA_HOME/")));
  }
  return {};
}

}  // namespace fx
