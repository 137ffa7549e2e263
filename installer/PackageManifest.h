#pragma once

// The record of one installed package: a plain text file per package in
// $XDG_DATA_HOME/fraxinel/packages/NAME.package, written last and atomically. The format:
//
//   fraxinel-package 1
//   name<TAB>czg07
//   game<TAB>/home/p/quake            the game folder it was installed into
//   folder<TAB>czg07                  the folder below it that the package makes or uses
//   made<TAB>czg07/maps               one line a folder the install created (removed once empty)
//   source-file<TAB>czg07.zip
//   source-url<TAB>https://...        (may be absent)
//   source-sha256<TAB>38ee...
//   date<TAB>2026-12-09T20:21:00Z
//   found<TAB>1                       recorded from files already there, nothing unpacked
//   dependency<TAB>1                  installed because another package needed it, not
//                                     asked for by itself (offered for removal with it)
//   file<TAB>SIZE<TAB>SHA256<TAB>PATH                     one line an installed file
//   backup<TAB>SIZE<TAB>SHA256<TAB>PATH<TAB>BACKUPPATH    a file it replaced, kept aside
//
// Paths are relative to the game folder with "/" and never hold a tab, line break or
// control byte (the installer refuses such names). Unknown keys are kept out of the way
// of older readers: a reader skips them.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fx {

class EManifest : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TManifestFile {
  std::string Path;
  std::uint64_t Size = 0;
  std::string Sha256;
};

struct TManifestBackup {
  TManifestFile Original;  // the file that was there (its path is the installed path)
  std::string BackupPath;  // where it is kept, relative to the game folder
};

struct TPackageManifest {
  std::string Name;
  std::string GameFolder;
  std::string Folder;
  std::vector<std::string> MadeFolders;  // deepest last as they were made
  std::string SourceFile;
  std::string SourceUrl;
  std::string SourceSha256;
  std::string Date;  // ISO 8601, UTC
  bool Found = false;
  bool AsDependency = false;
  std::vector<TManifestFile> Files;
  std::vector<TManifestBackup> Backups;

  std::uint64_t TotalBytes() const;
};

std::string ManifestText(const TPackageManifest& manifest);
// Throws EManifest naming the line for a text that is not a manifest or is cut short.
TPackageManifest ParseManifest(std::string_view text);

// A package name is safe as a file name: 1..100 bytes of letters, digits, ".", "_", "-",
// "+", not starting with "."; ValidPackageName says whether one is, PackageNameFrom makes
// one from an archive's file name ("Czg07 (v2).zip" -> "Czg07_v2").
bool ValidPackageName(std::string_view name);
std::string PackageNameFrom(std::string_view archiveFileName);

// Per file and as a whole: what is on disk against the record.
enum class TFileState { Installed, Modified, Missing };
enum class TPackageState { Installed, Modified, Partial, Missing };
const char* PackageStateName(TPackageState state);  // "installed", "modified", ...
// Installed: every file matches; Modified: all there, some changed; Partial: some gone,
// some there; Missing: none there.
TPackageState CombinedState(const std::vector<TFileState>& files);

}  // namespace fx
