#pragma once

// The package commands of the command line, run without a display:
//   --install FILE|URL [--into FOLDER] [--replace] [--sha256 HEX] [--size BYTES] [--yes]
//   --uninstall NAME, --verify NAME, --packages
// Exit 0 done, 1 refused or failed, 2 bad arguments. A refused entry is one line
// "entry NAME: reason" on standard error, a refusal of the whole package "package: reason".

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "installer/Installer.h"

namespace fx {

struct TProgramOptions;

inline constexpr int kExitPackageFailed = 1;

// What `--install URL` asks the download for.
struct TUrlDownload {
  std::string Url;
  std::optional<std::string> Sha256;
  std::optional<std::uint64_t> Size;
};
// Downloads a URL into the cache and returns the archive's path there, having checked the
// size and hash given; progress lines go to `err`. Throws std::runtime_error with the
// reason. This build has no download: it throws "downloads are not available in this build".
using TUrlDownloader = std::function<std::string(const TUrlDownload&, std::ostream& err)>;
std::string DownloadPackageArchive(const TUrlDownload& request, std::ostream& err);

// "http://" or "https://" (any case) at the start: --install takes it as a URL.
bool IsPackageUrl(std::string_view text);

struct TPackageCommandContext {
  TPackageStore& Store;
  std::string GameFolder;    // QPath
  bool GameWritable = true;  // whether QPath can be written
  std::string UserFolder;    // the chosen engine's per-user folder, "" when none
  TFilesOpener Open;         // the file system of a game folder
  TUrlDownloader Download = DownloadPackageArchive;
  std::istream& In;
  std::ostream& Out;
  std::ostream& Err;
};

// Runs the package action of `options` (Install, Uninstall, Verify or Packages).
int RunPackageCommand(const TProgramOptions& options, TPackageCommandContext& context);

}  // namespace fx
