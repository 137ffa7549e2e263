// The program's two settings objects: what they write, the game edition found on real
// folders, the clean-up of the game's own CONFIG.CFG files, patch folder names and the
// settings dialog's copy in and out.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/FileBuilder.h"
#include "fixtures/PakBuilder.h"
#include "fixtures/TempDir.h"
#include "settings/FXSettings.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::Optional;

const std::string kMachineKey = "[HKEY_LOCAL_MACHINE\\Software\\Bolsk\\Fraxinel]";
const std::string kUserKey = "[HKEY_CURRENT_USER\\Software\\Bolsk\\Fraxinel]";
const std::string kAddParmsKey = "[HKEY_CURRENT_USER\\Software\\Bolsk\\Fraxinel\\AddParms]";

class FXSettingsTest : public ::testing::Test {
 protected:
  std::optional<std::vector<std::string>> MachineSection() const {
    return test::TRegistrySandbox::Section(FRegistry.MachineReg(), kMachineKey);
  }
  std::optional<std::vector<std::string>> UserSection() const {
    return test::TRegistrySandbox::Section(FRegistry.UserReg(), kUserKey);
  }

  test::TRegistrySandbox FRegistry;
};

TEST_F(FXSettingsTest, MachineSettingsAsConstructedWriteOnlyThoseWithoutADefault) {
  TFXSettings s;
  EXPECT_TRUE(s.Shareware());
  EXPECT_EQ(s.CfgFileName(), "Frax.cfg");
  s.Save();
  EXPECT_THAT(MachineSection(),
              Optional(ElementsAre("\"CloseOnExec\"=\"False\"", "\"CfgFileName\"=\"Frax.cfg\"",
                                   "\"QPath\"=\"\"", "\"PatchPath\"=\"\"")));
  EXPECT_FALSE(fs::exists(FRegistry.UserReg())) << "machine-wide settings live in machine.reg";
}

TEST_F(FXSettingsTest, MachineSettingsAwayFromTheirDefaultsAreWrittenAndReadBack) {
  {
    TFXSettings s;
    s.SetVersion(1);
    s.SetCloseOnExec(true);
    s.SetCfgFileName("my.cfg");
    s.SetQPath("/games/quake");
    s.SetPatchPath("/games/mods");
    s.SetShowCmdLine(true);
    s.SetShareware(false);
    s.Save();
  }
  EXPECT_THAT(MachineSection(),
              Optional(ElementsAre("\"Version\"=dword:00000001", "\"CloseOnExec\"=\"True\"",
                                   "\"CfgFileName\"=\"my.cfg\"", "\"QPath\"=\"/games/quake\"",
                                   "\"PatchPath\"=\"/games/mods\"", "\"ShowCmdLine\"=\"True\"")))
      << "Shareware is never stored";
  FRegistry.Reopen();
  TFXSettings back;
  back.Load();
  EXPECT_EQ(back.Version(), 1);
  EXPECT_TRUE(back.CloseOnExec());
  EXPECT_EQ(back.CfgFileName(), "my.cfg");
  EXPECT_EQ(back.QPath(), "/games/quake");
  EXPECT_EQ(back.PatchPath(), "/games/mods");
  EXPECT_TRUE(back.ShowCmdLine());
  EXPECT_TRUE(back.Shareware()) << "no edition file in that folder";
}

TEST_F(FXSettingsTest, UserSettingsAsConstructedWriteOnlyThoseWithoutADefault) {
  TFXUserSettings s;
  s.Save();
  EXPECT_THAT(UserSection(),
              Optional(ElementsAre("\"LastConfig\"=\"\"", "\"DelInID1Dir\"=\"False\"",
                                   "\"DelInPatchDir\"=\"False\"", "\"DelOnLaunch\"=\"False\"",
                                   "\"DelOnExit\"=\"False\"")));
  EXPECT_THAT(test::TRegistrySandbox::Section(FRegistry.UserReg(), kAddParmsKey),
              Optional(ElementsAre()));
}

TEST_F(FXSettingsTest, UserSettingsAwayFromTheirDefaultsAreWrittenAndReadBack) {
  {
    TFXUserSettings s;
    s.SetAddParms({"sv_gravity 400", "bind q quit"});
    s.SetShowCmdLine(true);
    s.SetLastConfig("Deathmatch");
    s.SetAnimateMainWindowIcon(false);
    s.SetDelInID1Dir(true);
    s.SetDelInPatchDir(true);
    s.SetDelOnLaunch(true);
    s.SetDelOnExit(true);
    s.SetInGameCmds(false);
    s.Save();
  }
  EXPECT_THAT(UserSection(), Optional(ElementsAre(
                                 "\"ShowCmdLine\"=\"True\"", "\"LastConfig\"=\"Deathmatch\"",
                                 "\"AnimateMainWindowIcon\"=\"False\"", "\"DelInID1Dir\"=\"True\"",
                                 "\"DelInPatchDir\"=\"True\"", "\"DelOnLaunch\"=\"True\"",
                                 "\"DelOnExit\"=\"True\"", "\"InGameCmds\"=\"False\"")));
  EXPECT_THAT(test::TRegistrySandbox::Section(FRegistry.UserReg(), kAddParmsKey),
              Optional(ElementsAre("\"Item0\"=\"sv_gravity 400\"", "\"Item1\"=\"bind q quit\"")));
  FRegistry.Reopen();
  TFXUserSettings back;
  back.Load();
  EXPECT_THAT(back.AddParms(), ElementsAre("sv_gravity 400", "bind q quit"));
  EXPECT_TRUE(back.ShowCmdLine());
  EXPECT_EQ(back.LastConfig(), "Deathmatch");
  EXPECT_FALSE(back.AnimateMainWindowIcon());
  EXPECT_TRUE(back.DelInID1Dir());
  EXPECT_TRUE(back.DelInPatchDir());
  EXPECT_TRUE(back.DelOnLaunch());
  EXPECT_TRUE(back.DelOnExit());
  EXPECT_FALSE(back.InGameCmds());
}

TEST_F(FXSettingsTest, TurningASwitchBackOnIsNotLostAtTheNextStart) {
  TFXUserSettings s;
  s.SetAnimateMainWindowIcon(false);
  s.Save();
  s.SetAnimateMainWindowIcon(true);
  s.Save();
  FRegistry.Reopen();
  TFXUserSettings back;
  back.Load();
  EXPECT_TRUE(back.AnimateMainWindowIcon());
}

// --- The game edition ---

class SharewareTest : public ::testing::Test {
 protected:
  std::string Game() const { return (FTemp / "quake").string(); }
  test::TTempDir FTemp;
};

TEST_F(SharewareTest, FolderWithoutEitherEditionFileKeepsShareware) {
  test::WriteFileBytes(FTemp / "quake" / "id1" / "pak0.pak", "PACK");
  TFXSettings s;
  s.SetQPath(Game());
  EXPECT_EQ(s.QPath(), Game());
  EXPECT_TRUE(s.Shareware());
}

TEST_F(SharewareTest, UpperCasePak1MakesTheFullEdition) {
  test::WriteFileBytes(FTemp / "quake" / "ID1" / "PAK1.PAK", "PACK");
  TFXSettings s;
  s.SetQPath(Game());
  EXPECT_FALSE(s.Shareware());
}

TEST_F(SharewareTest, LowerCasePak1IsFoundAsWell) {
  test::WriteFileBytes(FTemp / "quake" / "id1" / "pak1.pak", "PACK");
  TFXSettings s;
  s.SetQPath(Game() + "/");
  EXPECT_FALSE(s.Shareware());
}

TEST_F(SharewareTest, PopLmpAloneMakesTheFullEdition) {
  const fs::path pop = test::SharedFixture("gamedata/pop.lmp");
  if (!fs::exists(pop)) GTEST_SKIP() << "no " << pop;
  fs::create_directories(FTemp / "quake" / "id1" / "gfx");
  fs::copy_file(pop, FTemp / "quake" / "id1" / "gfx" / "pop.lmp");
  TFXSettings s;
  s.SetQPath(Game());
  EXPECT_FALSE(s.Shareware());
}

// The 2021 release and the store folders keep the registered picture inside id1's archive.
TEST(SharewareArchives, TheRegisteredPictureInsideAnId1ArchiveMakesTheFullEdition) {
  struct TCase {
    const char* Archive;  // below the game folder
    std::string Bytes;
    bool Shareware;
  };
  const std::string rerelease =
      test::TPakBuilder().Add("gfx/colormap.lmp", "c").Add("gfx/pop.lmp", "p").Build();
  const std::vector<TCase> cases{
      {"id1/pak0.pak", rerelease, false},
      {"ID1/PAK0.PAK", test::TPakBuilder().Add("GFX\\POP.LMP", "p").Build(), false},
      {"id1/pak0.pak", test::TPakBuilder().Add("gfx/colormap.lmp", "c").Build(), true},
      {"id1/pak0.pak", rerelease.substr(0, rerelease.size() - 10), true},  // directory cut short
      {"id1/pak0.pak", "PACK", true},
      {"ctf/pak0.pak", rerelease, true},  // only id1 holds the game's own data
  };
  for (const TCase& c : cases) {
    test::TTempDir temp;
    test::WriteFileBytes(temp / "quake" / c.Archive, c.Bytes);
    TFXSettings s;
    s.SetQPath((temp / "quake").string());
    EXPECT_EQ(s.Shareware(), c.Shareware) << c.Archive << " of " << c.Bytes.size() << " bytes";
  }
}

TEST_F(SharewareTest, AFolderNamedLikeTheFileDoesNotCount) {
  fs::create_directories(FTemp / "quake" / "ID1" / "PAK1.PAK");
  TFXSettings s;
  s.SetQPath(Game());
  EXPECT_TRUE(s.Shareware());
}

TEST_F(SharewareTest, AnotherFolderAfterwardsDoesNotMakeItSharewareAgain) {
  test::WriteFileBytes(FTemp / "quake" / "ID1" / "PAK1.PAK", "PACK");
  TFXSettings s;
  s.SetQPath(Game());
  s.SetQPath((FTemp / "empty").string());
  EXPECT_FALSE(s.Shareware());
}

TEST_F(SharewareTest, LoadingTheGameFolderDecidesTheEdition) {
  test::TRegistrySandbox registry;
  test::WriteFileBytes(FTemp / "quake" / "id1" / "pak1.pak", "PACK");
  {
    TFXSettings s;
    s.SetQPath(Game());
    s.Save();
  }
  registry.Reopen();
  TFXSettings back;
  back.Load();
  EXPECT_EQ(back.QPath(), Game());
  EXPECT_FALSE(back.Shareware());
}

// --- Clean-up of CONFIG.CFG ---

class CleanUpTest : public ::testing::Test {
 protected:
  CleanUpTest() {
    test::WriteFileBytes(Id1Cfg(), "bind w +forward\n");
    test::WriteFileBytes(CtfCfg(), "bind f +hook\n");
  }

  std::string Game() const { return (FTemp / "quake").string(); }
  fs::path Id1Cfg() const { return FTemp / "quake" / "id1" / "config.cfg"; }
  fs::path CtfCfg() const { return FTemp / "quake" / "CTF" / "CONFIG.CFG"; }

  struct TDel {
    bool InId1, InPatch, OnLaunch, OnExit;
  };

  // A clean-up by settings with these Del* switches.
  static void CleanUp(TDel del, bool onExit, const std::string& patchDir,
                      const std::string& gameFolder) {
    TFXUserSettings s;
    s.SetDelInID1Dir(del.InId1);
    s.SetDelInPatchDir(del.InPatch);
    s.SetDelOnLaunch(del.OnLaunch);
    s.SetDelOnExit(del.OnExit);
    s.CleanUpConfigFiles(onExit, patchDir, gameFolder);
  }

  test::TTempDir FTemp;
};

TEST_F(CleanUpTest, AtLaunchBothFilesGoWhatevertheirCase) {
  CleanUp({true, true, true, false}, false, "ctf", Game());
  EXPECT_FALSE(fs::exists(Id1Cfg()));
  EXPECT_FALSE(fs::exists(CtfCfg()));
}

TEST_F(CleanUpTest, OnlyTheChosenFolderIsCleaned) {
  CleanUp({false, true, true, false}, false, "CTF", Game());
  EXPECT_TRUE(fs::exists(Id1Cfg()));
  EXPECT_FALSE(fs::exists(CtfCfg()));
  test::WriteFileBytes(CtfCfg(), "x");
  CleanUp({true, false, true, false}, false, "CTF", Game());
  EXPECT_FALSE(fs::exists(Id1Cfg()));
  EXPECT_TRUE(fs::exists(CtfCfg()));
}

TEST_F(CleanUpTest, AtExitWithOnlyDeleteOnLaunchSetItStillDeletes) {
  CleanUp({true, true, true, false}, true, "ctf", Game());
  EXPECT_FALSE(fs::exists(Id1Cfg()));
  EXPECT_FALSE(fs::exists(CtfCfg()));
}

TEST_F(CleanUpTest, AtLaunchWithOnlyDeleteOnExitSetNothingGoes) {
  CleanUp({true, true, false, true}, false, "ctf", Game());
  EXPECT_TRUE(fs::exists(Id1Cfg()));
  EXPECT_TRUE(fs::exists(CtfCfg()));
}

TEST_F(CleanUpTest, AtExitWithDeleteOnExitBothGo) {
  CleanUp({true, true, false, true}, true, "ctf", Game());
  EXPECT_FALSE(fs::exists(Id1Cfg()));
  EXPECT_FALSE(fs::exists(CtfCfg()));
}

TEST_F(CleanUpTest, WithoutAWhenNothingGoes) {
  CleanUp({true, true, false, false}, true, "ctf", Game());
  EXPECT_TRUE(fs::exists(Id1Cfg()));
  EXPECT_TRUE(fs::exists(CtfCfg()));
}

TEST_F(CleanUpTest, AnEmptyPatchDirectoryLeavesOnlyTheId1File) {
  // Were the empty name joined, "CONFIG.CFG" of the game folder itself would be hit.
  const fs::path topCfg = FTemp / "quake" / "CONFIG.CFG";
  test::WriteFileBytes(topCfg, "x");
  CleanUp({true, true, true, false}, false, "", Game());
  EXPECT_FALSE(fs::exists(Id1Cfg()));
  EXPECT_TRUE(fs::exists(CtfCfg()));
  EXPECT_TRUE(fs::exists(topCfg));
}

TEST_F(CleanUpTest, MissingFilesAndAMissingGameFolderAreNoError) {
  fs::remove(Id1Cfg());
  EXPECT_NO_THROW(CleanUp({true, true, true, true}, true, "nopatch", Game()));
  EXPECT_NO_THROW(CleanUp({true, true, true, true}, true, "ctf", (FTemp / "nowhere").string()));
  EXPECT_TRUE(fs::exists(CtfCfg()));
}

TEST_F(CleanUpTest, AnEmptyGameFolderTouchesNothingInTheWorkingDirectory) {
  const fs::path oldCwd = fs::current_path();
  fs::current_path(FTemp / "quake");
  CleanUp({true, true, true, true}, true, "ctf", "");
  fs::current_path(oldCwd);
  EXPECT_TRUE(fs::exists(Id1Cfg()));
  EXPECT_TRUE(fs::exists(CtfCfg()));
}

// --- Patch folder names ---

TEST(RelativeToFolderTest, GivesThePartAfterTheFolderAndOneSeparator) {
  EXPECT_EQ(RelativeToFolder("/games/quake", "/games/quake/ctf"), "ctf");
  EXPECT_EQ(RelativeToFolder("/games/quake/", "/games/quake/ctf"), "ctf");
  EXPECT_EQ(RelativeToFolder("/games/quake", "/games/quake/mods/tf"), "mods/tf");
  EXPECT_EQ(RelativeToFolder("C:\\Quake", "C:\\Quake\\ctf"), "ctf");
  EXPECT_EQ(RelativeToFolder("C:\\Quake", "C:/Quake/ctf"), "ctf");
  EXPECT_EQ(RelativeToFolder("/games/quake", "/games/quake"), "");
  EXPECT_EQ(RelativeToFolder("/games/quake", "/games/quake/"), "");
}

TEST(RelativeToFolderTest, LeavesAPathOutsideTheFolderAsItIs) {
  EXPECT_EQ(RelativeToFolder("/games/quake", "/home/me/mods/ctf"), "/home/me/mods/ctf");
  EXPECT_EQ(RelativeToFolder("/games/quake", "/games/quake2/ctf"), "/games/quake2/ctf");
  EXPECT_EQ(RelativeToFolder("/games/quake", "/games/QUAKE/ctf"), "/games/QUAKE/ctf")
      << "Linux names differ by case";
  EXPECT_EQ(RelativeToFolder("/games/quake", "/games"), "/games");
  EXPECT_EQ(RelativeToFolder("", "ctf"), "ctf");
}

// --- The settings dialog ---

TEST(SettingsDialogTest, FillShowsTheValuesOfBothObjects) {
  TFXSettings machine;
  TFXUserSettings user;
  machine.SetCloseOnExec(true);
  machine.SetQPath("/games/quake");
  machine.SetPatchPath("/games/mods");
  machine.SetShowCmdLine(false);
  user.SetAddParms({"a", "b"});
  user.SetShowCmdLine(true);
  user.SetDelOnLaunch(true);
  user.SetDelInPatchDir(true);
  user.SetAnimateMainWindowIcon(false);
  user.SetInGameCmds(false);
  const TSettingsDialogState state = FillSettingsDialog(machine, user);
  EXPECT_TRUE(state.CloseOnExec);
  EXPECT_THAT(state.AddParms, ElementsAre("a", "b"));
  EXPECT_TRUE(state.ShowCmdLine) << "the per-user switch";
  EXPECT_TRUE(state.DelOnLaunch);
  EXPECT_FALSE(state.DelOnExit);
  EXPECT_FALSE(state.DelInID1Dir);
  EXPECT_TRUE(state.DelInPatchDir);
  EXPECT_FALSE(state.AnimateMainWindowIcon);
  EXPECT_FALSE(state.InGameCmds);
  EXPECT_EQ(state.QPath, "/games/quake");
  EXPECT_EQ(state.PatchPath, "/games/mods");
}

TEST(SettingsDialogTest, ApplyCopiesBackAndRunsTheGameFolderSetter) {
  test::TTempDir temp;
  test::WriteFileBytes(temp / "Quake" / "Id1" / "Pak1.pak", "PACK");
  TFXSettings machine;
  TFXUserSettings user;
  TSettingsDialogState state;
  state.CloseOnExec = true;
  state.AddParms = {"impulse 9"};
  state.ShowCmdLine = true;
  state.DelOnLaunch = true;
  state.DelOnExit = true;
  state.DelInID1Dir = true;
  state.DelInPatchDir = true;
  state.AnimateMainWindowIcon = false;
  state.InGameCmds = false;
  state.QPath = (temp / "Quake").string();
  state.PatchPath = "/games/mods";
  ApplySettingsDialog(state, machine, user);
  EXPECT_TRUE(machine.CloseOnExec());
  EXPECT_EQ(machine.QPath(), state.QPath);
  EXPECT_FALSE(machine.Shareware());
  EXPECT_EQ(machine.PatchPath(), "/games/mods");
  EXPECT_FALSE(machine.ShowCmdLine()) << "the dialog does not edit the machine-wide switch";
  EXPECT_THAT(user.AddParms(), ElementsAre("impulse 9"));
  EXPECT_TRUE(user.ShowCmdLine());
  EXPECT_TRUE(user.DelOnLaunch());
  EXPECT_TRUE(user.DelOnExit());
  EXPECT_TRUE(user.DelInID1Dir());
  EXPECT_TRUE(user.DelInPatchDir());
  EXPECT_FALSE(user.AnimateMainWindowIcon());
  EXPECT_FALSE(user.InGameCmds());
  // What the dialog shows again is what was applied.
  const TSettingsDialogState again = FillSettingsDialog(machine, user);
  EXPECT_EQ(again.QPath, state.QPath);
  EXPECT_EQ(again.AddParms, state.AddParms);
  EXPECT_EQ(again.DelInPatchDir, state.DelInPatchDir);
}

TEST(SettingsDialogTest, EditRunsTheInstalledEditorOnTheObject) {
  TFXSettings machine;
  machine.Edit();  // none installed: nothing happens
  TFXSettings* edited = nullptr;
  machine.SetEditor([&](TFXSettings& s) {
    edited = &s;
    s.SetCloseOnExec(true);
  });
  machine.Edit();
  EXPECT_EQ(edited, &machine);
  EXPECT_TRUE(machine.CloseOnExec());
}

}  // namespace
}  // namespace fx
