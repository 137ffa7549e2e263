#include "exes/FlatpakApp.h"

#include <algorithm>
#include <system_error>

#include "exes/BuildFile.h"
#include "platform/CommandLine.h"

namespace fx {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kKeyfileLimit = 1u << 20;
constexpr std::string_view kExports = "exports/bin";

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return "";
  const auto last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

// A value of [Application] or [Context]: the first "key=" line of the group.
std::string GroupValue(std::string_view keyfile, std::string_view group, std::string_view key) {
  std::string current;
  std::size_t begin = 0;
  while (begin < keyfile.size()) {
    const std::size_t end = std::min(keyfile.find('\n', begin), keyfile.size());
    const std::string line = Trimmed(keyfile.substr(begin, end - begin));
    begin = end + 1;
    if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
      current = line.substr(1, line.size() - 2);
    } else if (current == group && line.starts_with(key) && line.size() > key.size()) {
      const std::string rest = Trimmed(std::string_view(line).substr(key.size()));
      if (!rest.empty() && rest.front() == '=') return Trimmed(std::string_view(rest).substr(1));
    }
  }
  return "";
}

std::vector<std::string> Split(const std::string& value) {
  std::vector<std::string> parts;
  std::size_t begin = 0;
  while (begin <= value.size()) {
    const std::size_t end = std::min(value.find(';', begin), value.size());
    if (std::string part = Trimmed(std::string_view(value).substr(begin, end - begin));
        !part.empty())
      parts.push_back(std::move(part));
    begin = end + 1;
  }
  return parts;
}

std::string HomeOf(const TUserHomes& homes) {
  return homes.Environment.empty() ? homes.Account : homes.Environment;
}

// The folder a permission stands for outside the sandbox; empty for "host" and names this
// reader does not know. "xdg-data" and the like are the XDG defaults below the home.
fs::path PermissionFolder(std::string_view name, const TUserHomes& homes) {
  const fs::path home = HomeOf(homes);
  if (name == "home" || name == "~") return home;
  if (name.starts_with("~/")) return home / std::string(name.substr(2));
  if (name.starts_with("/")) return fs::path(std::string(name));
  struct TXdg {
    std::string_view Name;
    std::string_view Below;
  };
  static constexpr TXdg kXdg[] = {{"xdg-data", ".local/share"},  {"xdg-config", ".config"},
                                  {"xdg-cache", ".cache"},       {"xdg-documents", "Documents"},
                                  {"xdg-download", "Downloads"}, {"xdg-desktop", "Desktop"}};
  for (const TXdg& xdg : kXdg) {
    if (name == xdg.Name) return home / std::string(xdg.Below);
    if (name.starts_with(std::string(xdg.Name) + "/"))
      return home / std::string(xdg.Below) / std::string(name.substr(xdg.Name.size() + 1));
  }
  return {};
}

bool IsBelow(const fs::path& folder, const fs::path& root) {
  const fs::path a = folder.lexically_normal();
  const fs::path b = (root / "").lexically_normal();
  const std::string& inner = a.native();
  const std::string& outer = b.native();
  return inner.starts_with(outer) || (inner + "/") == outer;
}

void AddFrom(std::vector<std::string>& to, const std::optional<std::string>& keyfile,
             std::string_view key) {
  if (!keyfile) return;
  for (std::string& value : FlatpakContextValues(*keyfile, key))
    to.push_back(std::move(value));
}

}  // namespace

fs::path TFlatpakApp::DataFolder(const TUserHomes& homes) const {
  const std::string home = HomeOf(homes);
  if (home.empty()) return {};
  return fs::path(home) / ".var" / "app" / Id;
}

std::vector<std::string> FlatpakContextValues(std::string_view keyfile, std::string_view key) {
  return Split(GroupValue(keyfile, "Context", key));
}

namespace {

// The deployed application a program file belongs to: its folder, holding "metadata" and
// "files", and the installation it lies in. exports/bin/<ID> is a link into
// app/<ID>/current/active/export/bin/<ID>, and "active" one to the deployed commit
// (app/<ID>/<arch>/<branch>/<commit>), so both the export's own path and its real path tell.
struct TDeploy {
  std::string Id;
  fs::path Folder;
  fs::path Installation;
};

std::optional<TDeploy> DeployOf(const fs::path& program) {
  const auto valid = [](const std::string& id) {
    return id.find('.') != std::string::npos && id.find("..") == std::string::npos;
  };
  const fs::path folder = program.parent_path();
  if (folder.generic_string().ends_with(kExports)) {
    TDeploy deploy{program.filename().string(), {}, folder.parent_path().parent_path()};
    deploy.Folder = deploy.Installation / "app" / deploy.Id / "current" / "active";
    if (valid(deploy.Id)) return deploy;
  }
  std::error_code error;
  const fs::path real = fs::weakly_canonical(program, error);
  if (error || real.parent_path().generic_string().ends_with("/export/bin") == false)
    return std::nullopt;
  TDeploy deploy{real.filename().string(), real.parent_path().parent_path().parent_path(), {}};
  fs::path installation = deploy.Folder;
  for (int up = 0; up < 5; ++up)
    installation = installation.parent_path();
  deploy.Installation = installation;
  if (!valid(deploy.Id) ||
      deploy.Folder.parent_path().parent_path().parent_path().filename() != deploy.Id)
    return std::nullopt;
  return deploy;
}

}  // namespace

std::optional<TFlatpakApp> FlatpakAppOf(const fs::path& program, const TUserHomes& homes) {
  const auto deploy = DeployOf(program);
  if (!deploy) return std::nullopt;
  TFlatpakApp app;
  app.Id = deploy->Id;
  const auto metadata = ReadSmallFile(deploy->Folder / "metadata", kKeyfileLimit);
  if (!metadata) return std::nullopt;
  app.Files = deploy->Folder / "files";
  app.Command = GroupValue(*metadata, "Application", "command");
  // The application's own permissions, then the overrides: the system's, then the user's,
  // each the global ones before the application's.
  AddFrom(app.Filesystems, metadata, "filesystems");
  AddFrom(app.Persistent, metadata, "persistent");
  std::vector<fs::path> overrides = {deploy->Installation / "overrides"};
  if (const std::string home = HomeOf(homes); !home.empty())
    overrides.push_back(fs::path(home) / ".local/share/flatpak/overrides");
  if (overrides.size() > 1 && overrides[0] == overrides[1]) overrides.pop_back();
  for (const fs::path& place : overrides)
    for (const std::string& name : {std::string("global"), app.Id}) {
      const auto keyfile = ReadSmallFile(place / name, kKeyfileLimit);
      AddFrom(app.Filesystems, keyfile, "filesystems");
      AddFrom(app.Persistent, keyfile, "persistent");
    }
  return app;
}

bool FlatpakSees(const TFlatpakApp& app, const fs::path& folder, const TUserHomes& homes) {
  // The sandbox's own folder is always there.
  if (const fs::path own = app.DataFolder(homes); !own.empty() && IsBelow(folder, own)) return true;
  bool seen = false;
  for (const std::string& entry : app.Filesystems) {
    const bool remove = entry.starts_with('!');
    std::string_view name = std::string_view(entry).substr(remove ? 1 : 0);
    name = name.substr(0, name.find(':'));  // ":ro", ":rw", ":create"
    const bool covers = name == "host" ? true : [&] {
      const fs::path granted = PermissionFolder(name, homes);
      return !granted.empty() && IsBelow(folder, granted);
    }();
    if (covers) seen = !remove;
  }
  return seen;
}

std::string FlatpakGrantCommand(const TFlatpakApp& app, const fs::path& folder) {
  // A user's override applies to a system-wide installation too, and needs no root.
  return "flatpak override --user --filesystem=" + ShellQuoted(folder.string()) + " " + app.Id;
}

}  // namespace fx
