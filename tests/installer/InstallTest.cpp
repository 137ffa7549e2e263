#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FaultFiles.h"
#include "InstallRig.h"
#include "installer/Archive.h"
#include "installer/Hashers.h"

namespace fx {
namespace {

using test::TZipTestEntry;

std::string Lines(const std::vector<TRefusal>& refusals) {
  std::string out;
  for (const TRefusal& r : refusals)
    out += RefusalLine(r) + "\n";
  return out;
}

// Hostile archives, each refused with its reason, with nothing left in the game folder
// (plans refused before writing; the others stopped while staging and cleaned up).
TEST(Install, RefusesHostileArchivesWritingNothing) {
  const std::string zeros(8 << 20, '\0');
  std::vector<TZipTestEntry> many;
  for (int i = 0; i < 70000; ++i)
    many.emplace_back("m" + std::to_string(i), "", 0);
  struct TCase {
    const char* What;
    std::vector<TZipTestEntry> Entries;
    std::string Line;  // the start of the first refusal line
    bool Zip64 = false;
  } cases[] = {
      {"traversal", {{"../x.bsp", "x"}}, "entry ../x.bsp: its name climbs out"},
      {"traversal with backslashes", {{"..\\x.bsp", "x"}}, "entry ..\\x.bsp: its name climbs out"},
      {"absolute", {{"/tmp/x.bsp", "x"}}, "entry /tmp/x.bsp: its name is an absolute path"},
      {"drive letter",
       {{"C:\\x.bsp", "x"}},
       "entry C:\\x.bsp: its name begins with a drive letter"},
      {"symbolic link",
       {TZipTestEntry("maps/l.bsp", "/etc/passwd", 0).WithMode(S_IFLNK | 0777)},
       "entry maps/l.bsp: a symbolic link"},
      {"device",
       {TZipTestEntry("maps/d.bsp", "", 0).WithMode(S_IFCHR | 0666)},
       "entry maps/d.bsp: a device"},
      {"NUL in a name", {{std::string("maps/a\0.bsp", 11), "x"}}, "entry maps/a"},
      {"300-byte component", {{"maps/" + std::string(300, 'a') + ".bsp", "x"}}, "entry maps/aaaa"},
      {"70,000 entries", many, "package: holds 70000 entries, more than 65536", true},
      {"ratio bomb",
       {TZipTestEntry("maps/z.bsp", zeros).WithLevel(9)},
       "entry maps/z.bsp: expands 10"},
      {"overlapping entries",
       {{"maps/a.bsp", "x"}, TZipTestEntry("maps/b.bsp", "x").SharingDataOf(0)},
       "entry maps/b.bsp: its data overlaps that of maps/a.bsp"},
      {"encrypted",
       {TZipTestEntry("maps/e.bsp", "x", 0).WithEncryption()},
       "entry maps/e.bsp: encrypted, which is not supported"},
      {"bzip2",
       {{"maps/b.bsp", "x", 12}},
       "entry maps/b.bsp: compressed with method 12 (bzip2), which is not supported"},
      {"wrong CRC",
       {{"maps/ok.bsp", "fine"}, TZipTestEntry("maps/c.bsp", "x").WithCrc(7)},
       "entry maps/c.bsp: bad CRC"},
      {"declared smaller than the data",
       {TZipTestEntry("maps/s.bsp", std::string(5000, 'q')).WithDeclared(100)},
       "entry maps/s.bsp: holds more data than it declares"},
  };
  for (const TCase& c : cases) {
    test::TInstallRig rig;
    test::WriteFileBytes(rig.Game() / "id1" / "pak0.pak", "PACK");
    const auto before = rig.Tree();
    const TInstallOutcome outcome =
        rig.Install(rig.Request(rig.Archive("h.zip", c.Entries, c.Zip64)));
    EXPECT_EQ(outcome.Phase, TInstallPhase::Failed) << c.What;
    EXPECT_EQ(Lines(outcome.Refusals).substr(0, c.Line.size()), c.Line) << c.What;
    EXPECT_EQ(rig.Tree(), before) << c.What;
    EXPECT_TRUE(rig.Store.List().empty()) << c.What;
  }
  // A truncated archive is no archive.
  test::TInstallRig rig;
  const std::string whole = test::BuildZip({{"maps/a.bsp", test::SampleBytes(5000, 1)}});
  const TInstallOutcome cut =
      rig.Install(rig.Request(rig.File("cut.zip", whole.substr(0, whole.size() / 2))));
  EXPECT_EQ(Lines(cut.Refusals).substr(0, 36), "package: not a readable zip archive ");
}

std::vector<TZipTestEntry> PackEntries() {
  return {{"mymod/progs.dat", test::SampleBytes(3000, 1)},
          {"mymod/maps/start.bsp", test::SampleBytes(70000, 2)},
          {"mymod/maps/e1.bsp", test::SampleBytes(9000, 3)},
          {"mymod/readme.txt", "read me", 0}};
}

TEST(Install, InstallsVerifiesAndUninstallsToTheStateBefore) {
  test::TInstallRig rig;
  test::WriteFileBytes(rig.Game() / "mymod" / "maps" / "e1.bsp", "the user's own e1");
  test::WriteFileBytes(rig.Game() / "id1" / "pak0.pak", "PACK");
  const auto before = rig.Tree();
  TInstallRequest request = rig.Request(rig.Archive("mymod.zip", PackEntries()));
  EXPECT_EQ(Lines(rig.Plan(request).Refusals),
            "entry mymod/maps/e1.bsp: would replace mymod/maps/e1.bsp, which is there already\n");
  request.ReplaceAll = true;
  const TInstallOutcome outcome = rig.Install(request);
  ASSERT_EQ(outcome.Phase, TInstallPhase::Done) << Lines(outcome.Refusals);
  for (const TZipTestEntry& e : PackEntries())
    EXPECT_EQ(test::ReadFileBytes(rig.Game() / e.Name), e.Data) << e.Name;
  EXPECT_FALSE(std::filesystem::exists(rig.Game() / ".fraxinel-staging-mymod"));

  const auto manifest = rig.Store.Find("mymod");
  ASSERT_TRUE(manifest);
  EXPECT_EQ(manifest->Files.size(), 4u);
  EXPECT_EQ(manifest->SourceSha256, FileHashHex(request.Archive, THashKind::Sha256));
  ASSERT_EQ(manifest->Backups.size(), 1u);
  EXPECT_EQ(manifest->Backups[0].Original.Sha256, Sha256Hex("the user's own e1"));
  EXPECT_EQ(ParseManifest(ManifestText(*manifest)).Files[1].Sha256, manifest->Files[1].Sha256);
  EXPECT_EQ(rig.Store.Owner(rig.Game().string(), "mymod/progs.dat"), "mymod");

  const auto files = rig.Files();
  EXPECT_EQ(VerifyPackage(*manifest, *files).State, TPackageState::Installed);
  test::WriteFileBytes(rig.Game() / "mymod" / "readme.txt", "my notes");
  EXPECT_EQ(VerifyPackage(*manifest, *files).State, TPackageState::Modified);
  std::filesystem::remove(rig.Game() / "mymod" / "maps" / "start.bsp");
  EXPECT_EQ(VerifyPackage(*manifest, *files).State, TPackageState::Partial);

  const TUninstallOutcome gone = UninstallPackage("mymod", rig.Store, *files);
  EXPECT_TRUE(gone.Ok());
  EXPECT_EQ(gone.Kept, std::vector<std::string>{"mymod/readme.txt"});
  EXPECT_EQ(gone.Restored, std::vector<std::string>{"mymod/maps/e1.bsp"});
  auto expected = before;
  expected["mymod/readme.txt"] = "my notes";  // the user's change stays
  EXPECT_EQ(rig.Tree(), expected);
  EXPECT_FALSE(rig.Store.Find("mymod"));
}

TEST(Install, NeverRemovesAnotherPackagesFiles) {
  test::TInstallRig rig;
  ASSERT_EQ(rig.Install(rig.Request(rig.Archive("first.zip", {{"maps/a.bsp", "one"}}))).Phase,
            TInstallPhase::Done);
  TInstallRequest second =
      rig.Request(rig.Archive("second.zip", {{"maps/a.bsp", "two"}, {"maps/b.bsp", "b"}}));
  const TInstallPlan plan = rig.Plan(second);
  ASSERT_EQ(plan.Replacing().size(), 1u);
  EXPECT_EQ(plan.Replacing()[0]->Owner, "first");
  second.ReplaceAll = true;
  ASSERT_EQ(rig.Install(second).Phase, TInstallPhase::Done);
  const auto files = rig.Files();
  // The first package's file was replaced by the second's: uninstalling the first leaves it.
  EXPECT_TRUE(UninstallPackage("first", rig.Store, *files).Ok());
  EXPECT_EQ(test::ReadFileBytes(rig.Game() / "id1" / "maps" / "a.bsp"), "two");
  EXPECT_TRUE(UninstallPackage("second", rig.Store, *files).Ok());
  EXPECT_EQ(test::ReadFileBytes(rig.Game() / "id1" / "maps" / "a.bsp"), "one");  // its backup
}

TEST(Install, DiskFullSaysSoAndRemovesWhatItWrote) {
  test::TInstallRig rig;
  const auto before = rig.Tree();
  const TInstallRequest request = rig.Request(rig.Archive("mymod.zip", PackEntries()));
  test::TFaultFiles files(rig.Files());
  files.SpaceLeft = 20000;
  const TInstallPlan plan = PlanInstall(request, rig.Store, files);
  TNoProgress none;
  const TInstallOutcome outcome = InstallPackage(plan, request, rig.Store, files, none);
  EXPECT_EQ(outcome.Phase, TInstallPhase::Failed);
  EXPECT_TRUE(outcome.NoSpace);
  EXPECT_EQ(Lines(outcome.Refusals).substr(0, 27), "package: the disk is full (");
  EXPECT_EQ(rig.Tree(), before);
  EXPECT_TRUE(std::filesystem::is_empty(rig.Store.JournalFolder()));
}

TEST(Install, CancelStopsWhileStagingAndLeavesNothing) {
  test::TInstallRig rig;
  const auto before = rig.Tree();
  const TInstallRequest request = rig.Request(rig.Archive("mymod.zip", PackEntries()));
  const auto files = rig.Files();
  const TInstallPlan plan = PlanInstall(request, rig.Store, *files);
  const auto archive = OpenPlanArchive(plan, request);
  TInstallMachine machine(plan, request);
  int steps = 0;
  while (!machine.Finished()) {
    machine.Step(*archive, *files, rig.Store, 1);  // a file a step
    if (machine.Progress().FilesDone == 2) machine.Cancel();
    ++steps;
  }
  EXPECT_EQ(machine.Outcome().Phase, TInstallPhase::Cancelled);
  EXPECT_EQ(rig.Tree(), before);
  EXPECT_GT(steps, 3);
}

TEST(Install, RecordsAPackageFoundInstalledByHand) {
  test::TInstallRig rig;
  for (const TZipTestEntry& e : PackEntries())
    test::WriteFileBytes(rig.Game() / e.Name, e.Data);
  const TInstallRequest request = rig.Request(rig.Archive("mymod.zip", PackEntries()));
  const TInstallPlan plan = rig.Plan(request);
  const auto files = rig.Files();
  const auto found = FindInstalled(plan, request, *OpenPlanArchive(plan, request), *files);
  ASSERT_TRUE(found);
  EXPECT_TRUE(found->Found);
  EXPECT_EQ(found->Files.size(), 4u);
  test::WriteFileBytes(rig.Game() / "mymod" / "progs.dat", "changed");
  EXPECT_FALSE(FindInstalled(plan, request, *OpenPlanArchive(plan, request), *files));
}

// An install cut by SIGKILL at several points, in a child process; the next start's recovery
// leaves the state before or the whole package, and no staging.
TEST(Install, SurvivesSigkillAtAnyPoint) {
  struct TPoint {
    const char* What;
    int Create, Rename;
    bool Whole;  // the whole package is there after recovery
  } points[] = {
      {"before the first file is staged", 1, 0, false},
      {"while staging", 3, 0, false},
      {"at the first move into place", 0, 1, true},
      {"in the middle of the moves", 0, 3, true},
  };
  for (const TPoint& p : points) {
    test::TInstallRig rig;
    test::WriteFileBytes(rig.Game() / "mymod" / "maps" / "e1.bsp", "the user's own e1");
    const auto before = rig.Tree();
    TInstallRequest request = rig.Request(rig.Archive("mymod.zip", PackEntries()));
    request.ReplaceAll = true;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      test::TFaultFiles files(rig.Files());
      files.KillAtCreate = p.Create;
      files.KillAtRename = p.Rename;
      const TInstallPlan plan = PlanInstall(request, rig.Store, files);
      TNoProgress none;
      InstallPackage(plan, request, rig.Store, files, none);
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << p.What;
    const auto lines =
        RecoverInstalls(rig.Store, [](const std::string& game) { return OpenInstallFiles(game); });
    EXPECT_EQ(lines.size(), 1u) << p.What;
    EXPECT_FALSE(std::filesystem::exists(rig.Game() / ".fraxinel-staging-mymod")) << p.What;
    EXPECT_TRUE(std::filesystem::is_empty(rig.Store.JournalFolder())) << p.What;
    if (!p.Whole) {
      EXPECT_EQ(rig.Tree(), before) << p.What;
      EXPECT_FALSE(rig.Store.Find("mymod")) << p.What;
      continue;
    }
    for (const TZipTestEntry& e : PackEntries())
      EXPECT_EQ(test::ReadFileBytes(rig.Game() / e.Name), e.Data) << p.What << ": " << e.Name;
    const auto manifest = rig.Store.Find("mymod");
    ASSERT_TRUE(manifest) << p.What;
    EXPECT_EQ(VerifyPackage(*manifest, *rig.Files()).State, TPackageState::Installed) << p.What;
    // And uninstall still puts the user's file back.
    const auto files = rig.Files();
    EXPECT_TRUE(UninstallPackage("mymod", rig.Store, *files).Ok()) << p.What;
    EXPECT_EQ(rig.Tree(), before) << p.What;
  }
}

}  // namespace
}  // namespace fx
