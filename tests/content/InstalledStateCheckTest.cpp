// The installed state checked on a worker thread: the same states as the check made in turn
// on the calling thread, a record of the installer for a package whose catalogue lists no
// files, a stop that ends the worker soon, and a game folder that cannot be opened.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "content/InstalledStateCheck.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "installer/Hashers.h"
#include "installer/PackageStore.h"

namespace fx {
namespace {

std::vector<TInstallState> Collect(TInstalledStateCheck& check, std::size_t count) {
  std::vector<TInstallState> states(count, TInstallState::NotInstalled);
  std::vector<bool> seen(count, false);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (bool last = false; !last && std::chrono::steady_clock::now() < until;) {
    last = check.Finished();  // what was found before it finished is all taken below
    for (const auto& [i, state] : check.Take()) {
      EXPECT_FALSE(seen[i]) << "package " << i << " reported twice";
      seen[i] = true;
      states[i] = state;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), static_cast<long>(count));
  return states;
}

TEST(InstalledStateCheck, TheWorkersStatesAreTheCheckInTurn) {
  test::TTempDir dir;
  const std::string a = "first map", b = "second map";
  const auto file = [](const char* path, const std::string& data) {
    return TContentFile{path, data.size(), Sha256Hex(data), {}};
  };
  const auto package = [&](std::string id, std::vector<TContentFile> files) {
    return TContentPackage{.Id = std::move(id), .Extract = "{base}/id1/maps/", .Files = files};
  };
  test::WriteFileBytes(dir / "game/id1/maps/a.bsp", a);
  test::WriteFileBytes(dir / "game/id1/maps/b.bsp", "SECOND MAP");  // same size, changed
  test::WriteFileBytes(dir / "game/xmlmod/x.bsp", "recorded");
  TPackageStore store(dir / "packages");
  TPackageManifest record;
  record.Name = "fromxml";
  record.GameFolder = (dir / "game").string();
  record.Files = {{"xmlmod/x.bsp", 8, Sha256Hex("recorded")}};
  store.Save(record);
  record.Name = "elsewhere";  // the same files, recorded for another game folder
  record.GameFolder = (dir / "other").string();
  store.Save(record);
  const std::vector<TContentPackage> packages = {
      package("whole", {file("a.bsp", a)}),
      package("changed", {file("a.bsp", a), file("b.bsp", b)}),
      package("half", {file("a.bsp", a), file("c.bsp", "third")}),
      package("none", {file("d.bsp", "fourth")}),
      package("fromxml", {}),
      package("elsewhere", {}),
  };
  const std::vector<TInstallState> expected = {
      TInstallState::Installed,    TInstallState::Modified,  TInstallState::Partly,
      TInstallState::NotInstalled, TInstallState::Installed, TInstallState::NotInstalled,
  };
  const auto records = RecordsOf(dir / "packages", dir / "game");
  EXPECT_EQ(CheckAllInstalled(packages, *OpenInstallFiles(dir / "game"), records), expected);
  TInstalledStateCheck check(packages, dir / "game", dir / "packages");
  EXPECT_EQ(Collect(check, packages.size()), expected);
  EXPECT_EQ(check.Error(), "");
}

// A file system that takes 2 ms a question: the whole check would take seconds.
class TSlowFiles final : public TInstallFiles {
 public:
  TFileKind Kind(std::string_view) const override {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return TFileKind::None;
  }
  std::uint64_t Size(std::string_view) const override { return 0; }
  std::vector<std::string> List(std::string_view) const override { return {}; }
  void MakeFolders(std::string_view) override {}
  std::unique_ptr<TFileSink> Create(std::string_view) override { return nullptr; }
  void Read(std::string_view, const std::function<void(std::string_view)>&) const override {}
  void Rename(std::string_view, std::string_view, bool) override {}
  void RemoveFile(std::string_view) override {}
  bool RemoveFolder(std::string_view) override { return false; }
  void RemoveTree(std::string_view) override {}
  void SyncFolder(std::string_view) override {}
  std::uint64_t FreeBytes(std::string_view) const override { return 0; }
  bool Writable() const override { return false; }
};

TEST(InstalledStateCheck, StopsSoonAndSaysWhyWhenTheFolderCannotBeOpened) {
  std::vector<TContentPackage> packages(2000);
  for (TContentPackage& p : packages)
    p.Files = {{"maps/x.bsp", 1, std::string(64, 'a'), {}}};
  const auto started = std::chrono::steady_clock::now();
  std::size_t found = 0;
  {
    TInstalledStateCheck check(packages, "/game", {}, [](const std::filesystem::path&) {
      return std::make_unique<TSlowFiles>();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    found = check.Take().size();
  }  // the dialog closed mid-check
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
  EXPECT_LT(found, packages.size());

  TInstalledStateCheck broken(packages, "/game", {}, [](const std::filesystem::path&) {
    throw EInstallFiles("open /game: No such file or directory", 2);
    return std::unique_ptr<TInstallFiles>();
  });
  while (!broken.Finished())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_NE(broken.Error().find("No such file"), std::string::npos) << broken.Error();
  EXPECT_TRUE(broken.Take().empty());
}

}  // namespace
}  // namespace fx
