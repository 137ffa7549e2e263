#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "InstallRig.h"
#include "installer/EntryNames.h"
#include "installer/LayoutRules.h"

namespace fx {
namespace {

using test::TZipTestEntry;
using Names = std::vector<std::string>;

Names Targets(const TInstallPlan& plan) {
  Names out;
  for (const TPlannedFile& f : plan.Files)
    out.push_back(f.Target);
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<TZipTestEntry> Entries(const Names& names) {
  std::vector<TZipTestEntry> out;
  for (const std::string& n : names)
    out.emplace_back(n, "data of " + n);
  return out;
}

std::string Lines(const std::vector<TRefusal>& refusals) {
  std::string out;
  for (const TRefusal& r : refusals)
    out += RefusalLine(r) + "\n";
  return out;
}

TEST(Plan, DecidesEachLayoutARealArchiveHas) {
  struct TCase {
    const char* What;
    std::string ArchiveName;
    Names Entries;
    std::string Into;
    TLayout Layout;
    Names Targets;
  } cases[] = {
      {"mod folder at the root",
       "czg07.zip",
       {"czg07/progs.dat", "czg07/maps/czg07.bsp", "czg07.txt"},
       "",
       TLayout::ModFolder,
       {"czg07/czg07.txt", "czg07/maps/czg07.bsp", "czg07/progs.dat"}},
      {"game tree at the root",
       "pack.zip",
       {"maps/x.bsp", "sound/x/a.wav", "readme.txt"},
       "",
       TLayout::GameTree,
       {"id1/maps/readme.txt", "id1/maps/x.bsp", "id1/sound/x/a.wav"}},
      {"game tree into a chosen mod",
       "pack.zip",
       {"maps/x.bsp", "gfx/env/a.tga"},
       "quoth",
       TLayout::GameTree,
       {"quoth/gfx/env/a.tga", "quoth/maps/x.bsp"}},
      {"bare maps",
       "two.zip",
       {"x.bsp", "y.lit", "x.txt"},
       "",
       TLayout::BareMaps,
       {"id1/maps/x.bsp", "id1/maps/x.txt", "id1/maps/y.lit"}},
      {"pak0.pak and progs.dat: a mod named after the archive",
       "CoolMod.zip",
       {"pak0.pak", "progs.dat"},
       "",
       TLayout::NamedMod,
       {"coolmod/pak0.pak", "coolmod/progs.dat"}},
      {"a wrapper around a mod folder",
       "MyPack-v2.zip",
       {"MyPack-v2/mymod/progs.dat", "MyPack-v2/mymod/maps/a.bsp"},
       "",
       TLayout::ModFolder,
       {"mymod/maps/a.bsp", "mymod/progs.dat"}},
      {"a wrapper around maps/",
       "wrap.zip",
       {"MyPack-v2/maps/a.bsp", "MyPack-v2/maps/a.lit"},
       "",
       TLayout::GameTree,
       {"id1/maps/a.bsp", "id1/maps/a.lit"}},
      {"a wrapper around bare maps",
       "wrap.zip",
       {"Stuff/a.bsp", "Stuff/a.txt"},
       "",
       TLayout::BareMaps,
       {"id1/maps/a.bsp", "id1/maps/a.txt"}},
      {"a top folder with a .pak is a mod",
       "m.zip",
       {"Quoth/pak0.pak", "Quoth/readme.txt"},
       "",
       TLayout::ModFolder,
       {"quoth/pak0.pak", "quoth/readme.txt"}},
      {"engine folders in any case, files keep their spelling",
       "c.zip",
       {"Maps/E1M1.BSP", "SOUND/Misc/X.wav"},
       "",
       TLayout::GameTree,
       {"id1/maps/E1M1.BSP", "id1/sound/Misc/X.wav"}},
  };
  for (const TCase& c : cases) {
    test::TInstallRig rig;
    TInstallRequest request = rig.Request(rig.Archive(c.ArchiveName, Entries(c.Entries)));
    request.Into = c.Into;
    const TInstallPlan plan = rig.Plan(request);
    EXPECT_EQ(Lines(plan.Refusals), "") << c.What;
    EXPECT_EQ(plan.Layout, c.Layout) << c.What;
    EXPECT_EQ(Targets(plan), c.Targets) << c.What;
  }
}

TEST(Plan, LooseFilesAndPk3sGoWhereTheEngineLooks) {
  test::TInstallRig rig;
  std::string pack = std::string("PACK") + std::string(8, '\0');
  pack[4] = 12;  // an empty directory right after the header
  const std::string bsp = std::string("\x1d\0\0\0", 4) + std::string(120, '\0');
  test::WriteFileBytes(rig.Game() / "id1" / "PAK0.PAK", pack);
  test::WriteFileBytes(rig.Game() / "id1" / "pak1.pak", pack);
  struct TCase {
    std::string File, Bytes, Into;
    bool Pk3;
    TLayout Layout;
    std::string Target;
  } cases[] = {
      {"e1m9.bsp", bsp, "", false, TLayout::LooseBsp, "id1/maps/e1m9.bsp"},
      {"e1m9.bsp", bsp, "quoth", false, TLayout::LooseBsp, "quoth/maps/e1m9.bsp"},
      {"CoolPak.pak", pack, "", false, TLayout::LoosePak, "coolpak/pak0.pak"},
      {"CoolPak.pak", pack, "ID1", false, TLayout::LoosePak, "id1/pak2.pak"},
      {"maps.pk3", test::BuildZip({{"maps/a.bsp", "x"}}), "", true, TLayout::Pk3File,
       "id1/maps.pk3"},
      {"maps.pk3", test::BuildZip({{"maps/a.bsp", "x"}}), "", false, TLayout::GameTree,
       "id1/maps/a.bsp"},
  };
  for (const TCase& c : cases) {
    TInstallRequest request = rig.Request(rig.File(c.File, c.Bytes));
    request.Into = c.Into;
    request.EngineReadsPk3 = c.Pk3;
    const TInstallPlan plan = rig.Plan(request);
    EXPECT_EQ(Lines(plan.Refusals), "") << c.File << " into " << c.Into;
    EXPECT_EQ(plan.Layout, c.Layout) << c.File;
    EXPECT_EQ(Targets(plan), Names{c.Target}) << c.File << " into " << c.Into;
  }
  TInstallRequest notMap = rig.Request(rig.File("bad.bsp", "hello, world"));
  EXPECT_EQ(Lines(rig.Plan(notMap).Refusals), "package: not a map (.bsp) file\n");
}

TEST(Plan, ExplicitTargetsOfACatalogue) {
  const Names paths = {"xl4/m.bsp", "a/README.txt", "x.pts", "other.bsp", "xl4/sub/deep.bsp"};
  TExplicitTarget target;
  target.Extract = "{base}/id1/maps/";
  target.ExtractMapping = {{"/xl4/", "/id1/maps/"},
                           {"/xl4/sub/", "/id1/deep/"},
                           {"/a/README.txt", "/id1/maps/a.txt"},
                           {"/x.pts", std::nullopt}};
  const TLayoutResult r = ApplyExplicitTarget(paths, target);
  ASSERT_EQ(r.Refusal, "");
  ASSERT_EQ(r.Targets.size(), paths.size());
  EXPECT_EQ(r.Targets[0], "id1/maps/m.bsp");
  EXPECT_EQ(r.Targets[1], "id1/maps/a.txt");
  EXPECT_EQ(r.Targets[2], std::nullopt);
  EXPECT_EQ(r.Targets[3], "id1/maps/other.bsp");
  EXPECT_EQ(r.Targets[4], "id1/deep/deep.bsp");  // the longest prefix wins

  TExplicitTarget zipbase;
  zipbase.ZipBaseDir = "id1/maps/";
  EXPECT_EQ(ApplyExplicitTarget({"a.bsp"}, zipbase).Targets[0], "id1/maps/a.bsp");
  TExplicitTarget escape;
  escape.ExtractMapping = {{"/a.bsp", "/../../etc/a.bsp"}};
  EXPECT_NE(ApplyExplicitTarget({"a.bsp"}, escape).Refusal, "");
  TExplicitTarget outside;
  outside.Extract = "/etc/";
  EXPECT_NE(ApplyExplicitTarget({"a.bsp"}, outside).Refusal, "");
}

TEST(Plan, MatchesExistingFoldersInAnyCaseAndReportsWhatItWouldReplace) {
  test::TInstallRig rig;
  test::WriteFileBytes(rig.Game() / "ID1" / "MAPS" / "old.bsp", "old");
  TInstallRequest request =
      rig.Request(rig.Archive("p.zip", Entries({"maps/new.bsp", "maps/old.bsp"})));
  TInstallPlan plan = rig.Plan(request);
  EXPECT_EQ(Targets(plan), (Names{"ID1/MAPS/new.bsp", "ID1/MAPS/old.bsp"}));
  EXPECT_EQ(Lines(plan.Refusals),
            "entry maps/old.bsp: would replace ID1/MAPS/old.bsp, which is there already\n");
  ASSERT_EQ(plan.Unanswered().size(), 1u);
  request.Answers["ID1/MAPS/old.bsp"] = TReplaceAnswer::Keep;
  plan = rig.Plan(request);
  EXPECT_TRUE(plan.Installable());
  EXPECT_EQ(plan.BytesNeeded, std::string("data of maps/new.bsp").size());

  // Two entries that differ only in case: the later waits for the user's word.
  request = rig.Request(rig.Archive("c.zip", Entries({"maps/a.bsp", "maps/A.bsp"})));
  EXPECT_EQ(Lines(rig.Plan(request).Refusals),
            "entry maps/A.bsp: differs only in case from maps/a.bsp\n");
}

TEST(Plan, RefusesASymbolicLinkInTheTarget) {
  test::TInstallRig rig;
  std::filesystem::create_directories(rig.Dir / "elsewhere");
  std::filesystem::create_directory(rig.Game() / "id1");
  std::filesystem::create_directory_symlink(rig.Dir / "elsewhere", rig.Game() / "id1" / "maps");
  const TInstallPlan plan = rig.Plan(rig.Request(rig.Archive("p.zip", Entries({"maps/a.bsp"}))));
  EXPECT_EQ(Lines(plan.Refusals), "package: id1/maps is a symbolic link\n");
}

TEST(EntryNames, RefusesWhatCouldLeaveTheFolder) {
  struct TCase {
    std::string Name, Path, Refusal;
  } cases[] = {
      {"maps\\e1m1.bsp", "maps/e1m1.bsp", ""},
      {"./maps//a.bsp", "maps/a.bsp", ""},
      {"../x", "", "its name climbs out of its folder with \"..\""},
      {"..\\x", "", "its name climbs out of its folder with \"..\""},
      {"maps/../../x", "", "its name climbs out of its folder with \"..\""},
      {"/etc/passwd", "", "its name is an absolute path"},
      {"\\etc\\passwd", "", "its name is an absolute path"},
      {"C:/x.bsp", "", "its name begins with a drive letter"},
      {std::string("a\0b", 3), "", "its name holds a NUL byte"},
      {"a\nb", "", "its name holds a control character"},
      {std::string(300, 'a'), "", "a part of its name is longer than 255 bytes"},
      {std::string(4097, 'a'), "", "its name is longer than 4096 bytes"},
  };
  for (const TCase& c : cases) {
    const TCheckedName checked = CheckEntryName(c.Name);
    EXPECT_EQ(checked.Path, c.Path) << c.Name;
    EXPECT_EQ(checked.Refusal, c.Refusal) << c.Name;
  }
}

}  // namespace
}  // namespace fx
