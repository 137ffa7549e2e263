#pragma once

// An engine installed from Flatpak: exports/bin/<application ID> starts it inside a sandbox,
// where $XDG_DATA_HOME is ~/.var/app/<ID>/data and only the folders its permissions name
// are seen. What it may see is written in the installation's files: the application's
// "metadata" ([Context] filesystems= and persistent=) and the overrides of "flatpak override".

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/GamePaths.h"

namespace fx {

struct TFlatpakApp {
  std::string Id;               // "io.github.Novum.vkQuake"
  std::filesystem::path Files;  // <installation>/app/<ID>/current/active/files: /app inside
  std::string Command;          // the program inside /app/bin, from the metadata
  std::vector<std::string> Filesystems;  // "host", "home", "~/Games:ro", "!home", in order
  std::vector<std::string> Persistent;   // folders of the home kept in ~/.var/app/<ID>

  // ~/.var/app/<ID>: the sandbox's own folder of the home.
  std::filesystem::path DataFolder(const TUserHomes& homes) const;
};

// The application `program` starts when it is a Flatpak export (a file named by an
// application ID in a ".../flatpak/exports/bin" folder, or a link into one), read from
// the installation's files; nothing for any other program or an unreadable installation.
std::optional<TFlatpakApp> FlatpakAppOf(const std::filesystem::path& program,
                                        const TUserHomes& homes);

// The Flatpak keyfile's [Context] values `key` ("filesystems"), split at ";"; the text is
// hostile and read bounded.
std::vector<std::string> FlatpakContextValues(std::string_view keyfile, std::string_view key);

// Whether the sandbox sees `folder` (its permissions, later ones overriding earlier ones:
// "host", "home" and "~/..." and absolute folders, a leading "!" taking one away).
bool FlatpakSees(const TFlatpakApp& app, const std::filesystem::path& folder,
                 const TUserHomes& homes);

// The command that lets the application see `folder`.
std::string FlatpakGrantCommand(const TFlatpakApp& app, const std::filesystem::path& folder);

}  // namespace fx
