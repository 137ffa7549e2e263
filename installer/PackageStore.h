#pragma once

// The folder of package manifests and of the install journal:
// $XDG_DATA_HOME/fraxinel/packages/ (else ~/.local/share/fraxinel/packages/). One file a
// package ("NAME.package", see PackageManifest.h), written through a temporary file, fsync
// and rename; "journal/NAME.journal" while an install of NAME runs.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "installer/PackageManifest.h"

namespace fx {

class TPackageStore {
 public:
  explicit TPackageStore(std::filesystem::path folder);
  // $XDG_DATA_HOME/fraxinel/packages, an absolute $XDG_DATA_HOME only, else
  // $HOME/.local/share/fraxinel/packages.
  static std::filesystem::path DefaultFolder();

  const std::filesystem::path& Folder() const { return Folder_; }
  std::filesystem::path JournalFolder() const { return Folder_ / "journal"; }

  // Every readable manifest, sorted by name; `errors` (when given) gets one line for each
  // file that could not be read, which is left as it is.
  std::vector<TPackageManifest> List(std::vector<std::string>* errors = nullptr) const;
  std::optional<TPackageManifest> Find(std::string_view name) const;
  // Atomic: a crash leaves the old manifest or the new one, never a part.
  void Save(const TPackageManifest& manifest) const;
  void Remove(std::string_view name) const;
  // The package that records `path` (below `gameFolder`) as its file; "" for none.
  std::string Owner(std::string_view gameFolder, std::string_view path) const;

 private:
  std::filesystem::path Folder_;
  // game folder + "\n" + path -> owner, built at the first Owner call, dropped by a change.
  mutable std::shared_ptr<std::unordered_map<std::string, std::string>> Owners_;
};

// Writes `text` to `file` atomically (temporary file beside it, fsync, rename, fsync of the
// folder); throws EManifest naming the file.
void WriteFileAtomically(const std::filesystem::path& file, std::string_view text);

}  // namespace fx
