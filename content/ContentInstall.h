#pragma once

// A catalogue package as the installer sees it: where its archive goes (zipbasedir, extract
// with {base}, extractmapping), which files that puts where, and whether those files are in
// the game folder with the catalogue's hashes (offline; only files whose size matches are
// hashed).

#include <optional>
#include <string>
#include <vector>

#include "content/ContentPackage.h"
#include "content/ContentSearch.h"
#include "installer/InstallPlan.h"
#include "installer/PackageManifest.h"
#include "platform/InstallFiles.h"

namespace fx {

TExplicitTarget InstallTargetOf(const TContentPackage& package);

// The archive's file name in the download folder: the id (a plain name) with the extension
// of its first address when the installer reads that kind of file, so an add-on's ".pak"
// stays one, else ".zip".
std::string DownloadFileNameOf(const TContentPackage& package);

// Where an archive path lands below the game folder by the package's target: the exact
// mapping key first, then the longest prefix, then the extract or zipbasedir folder.
// Nothing for a file mapped to null or a path that would leave the game folder.
std::optional<std::string> InstalledPathOf(const TContentPackage& package,
                                           std::string_view archivePath);

// The package's files (with size and SHA-256) where they land; files the catalogue gives
// no hash for are left out.
std::vector<TManifestFile> ExpectedFiles(const TContentPackage& package);

// Installed: every expected file is there with its hash; Modified: all there, some
// different; Partly: some missing; NotInstalled: none there, or the catalogue lists none.
TInstallState CheckInstalled(const TContentPackage& package, const TInstallFiles& files);

}  // namespace fx
