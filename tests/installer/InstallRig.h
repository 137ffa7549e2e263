#pragma once

// A game folder, a store of manifests and archives in a temporary folder, for the
// installer's tests.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "fixtures/ZipBuilder.h"
#include "installer/Installer.h"
#include "platform/InstallFiles.h"

namespace fx::test {

class TInstallRig {
 public:
  TInstallRig() : Store(Dir / "data") { std::filesystem::create_directories(Game()); }

  std::filesystem::path Game() const { return Dir / "game"; }
  std::unique_ptr<TInstallFiles> Files() const { return OpenInstallFiles(Game()); }

  std::string Archive(const std::string& name, const std::vector<TZipTestEntry>& entries,
                      bool zip64 = false) {
    const auto path = Dir / name;
    WriteFileBytes(path, BuildZip(entries, zip64));
    return path.string();
  }
  std::string File(const std::string& name, const std::string& bytes) {
    WriteFileBytes(Dir / name, bytes);
    return (Dir / name).string();
  }

  TInstallRequest Request(const std::string& archive) const {
    TInstallRequest r;
    r.Archive = archive;
    r.GameFolder = Game().string();
    r.Date = "2026-12-09T20:00:00Z";
    return r;
  }
  TInstallPlan Plan(const TInstallRequest& request) {
    const auto files = Files();
    return PlanInstall(request, Store, *files);
  }
  TInstallOutcome Install(const TInstallRequest& request) {
    const auto files = Files();
    const TInstallPlan plan = PlanInstall(request, Store, *files);
    TNoProgress none;
    return InstallPackage(plan, request, Store, *files, none);
  }

  // Every file below the game folder with its bytes, and every folder (ending in "/").
  std::map<std::string, std::string> Tree() const {
    std::map<std::string, std::string> tree;
    for (auto it = std::filesystem::recursive_directory_iterator(Game());
         it != std::filesystem::recursive_directory_iterator(); ++it) {
      const std::string rel = std::filesystem::relative(it->path(), Game()).string();
      if (it->is_symlink())
        tree[rel] = "-> link";
      else if (it->is_directory())
        tree[rel + "/"] = "";
      else
        tree[rel] = ReadFileBytes(it->path());
    }
    return tree;
  }

  TTempDir Dir;
  TPackageStore Store;
};

}  // namespace fx::test
