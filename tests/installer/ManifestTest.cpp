#include <gtest/gtest.h>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "installer/Installer.h"
#include "platform/InstallFiles.h"

namespace fx {
namespace {

TEST(Manifest, ReadsBackWhatItWritesAndRefusesDamagedRecords) {
  TPackageManifest m;
  m.Name = "czg07";
  m.GameFolder = "/home/p/quake";
  m.Folder = "czg07";
  m.MadeFolders = {"czg07", "czg07/maps"};
  m.SourceFile = "czg07.zip";
  m.SourceSha256 = std::string(64, 'a');
  m.Date = "2026-12-09T20:00:00Z";
  m.AsDependency = true;
  m.Files = {{"czg07/maps/a b.bsp", 12, std::string(64, 'b')}};
  m.Backups = {
      {{"id1/maps/x.bsp", 3, std::string(64, 'c')}, ".fraxinel-backup/czg07/id1/maps/x.bsp"}};
  const TPackageManifest back = ParseManifest(ManifestText(m));
  EXPECT_EQ(ManifestText(back), ManifestText(m));
  EXPECT_EQ(back.Backups[0].BackupPath, m.Backups[0].BackupPath);
  EXPECT_EQ(back.MadeFolders, m.MadeFolders);
  EXPECT_TRUE(back.AsDependency);

  const std::string good = ManifestText(m);
  struct TCase {
    const char* What;
    std::string Text, Error;
  } cases[] = {
      {"not a record", "hello\n", "line 1: not a package record"},
      {"cut short", good.substr(0, good.find("\nfile\t") + 1), "line 10: the record is cut short"},
      {"a size that is no number", "fraxinel-package 1\nname\tx\nfile\t1k\tab\tp\nend\n",
       "line 3: \"1k\" is no size"},
      {"a line without its fields", "fraxinel-package 1\nname\tx\nfile\t1\nend\n",
       "line 3: file is cut short"},
      {"no valid name", "fraxinel-package 1\nname\t../x\nend\n",
       "the record names no valid package"},
  };
  for (const TCase& c : cases) {
    try {
      ParseManifest(c.Text);
      ADD_FAILURE() << c.What;
    } catch (const EManifest& e) {
      EXPECT_EQ(std::string(e.what()), c.Error) << c.What;
    }
  }
  m.Files[0].Path = "a\nfile\t1\tx\t/etc/passwd";  // a line break would forge a record line
  EXPECT_THROW(ManifestText(m), EManifest);
}

TEST(Manifest, NamesComeFromArchiveFileNames) {
  EXPECT_EQ(PackageNameFrom("Czg07 (v2).zip"), "Czg07_v2");
  EXPECT_EQ(PackageNameFrom("..hidden.pak"), "hidden");
  EXPECT_EQ(PackageNameFrom("日本.zip"), "package");
  EXPECT_TRUE(ValidPackageName("ad_v1_80p1final"));
  EXPECT_FALSE(ValidPackageName("a/b"));
  EXPECT_FALSE(ValidPackageName(".x"));
}

TEST(Manifest, TheStoreListsReadableRecordsAndRecoveryLeavesADamagedJournal) {
  test::TTempDir dir;
  TPackageStore store(dir / "packages");
  TPackageManifest m;
  m.Name = "b";
  store.Save(m);
  m.Name = "a";
  store.Save(m);
  test::WriteFileBytes(dir / "packages" / "broken.package", "nonsense");
  std::vector<std::string> errors;
  const auto list = store.List(&errors);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].Name, "a");
  EXPECT_EQ(errors.size(), 1u);

  test::WriteFileBytes(store.JournalFolder() / "x.journal", "fraxinel-journal 1\nname\tx\n");
  const auto lines =
      RecoverInstalls(store, [](const std::string& g) { return OpenInstallFiles(g); });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("(left as it is)"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(store.JournalFolder() / "x.journal"));
}

}  // namespace
}  // namespace fx
