// First-run setup: finding the game in a real folder, the standard executables in the
// machine-wide registry file, the shortcuts written as .desktop files, and the question
// when the game is not found.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/FileBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "fixtures/TempDir.h"
#include "settings/FirstRun.h"
#include "settings/GameFolderSearch.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Optional;

const std::string kExecutables = "[HKEY_LOCAL_MACHINE\\Software\\Bolsk\\Fraxinel\\Executables";
// The installed desktop entry's file name, which the start-menu shortcut must take.
const std::string kMenuEntry = "io.github.fraxinel.Fraxinel.desktop";

// The keys of a .desktop file's "[Desktop Entry]" group; nullopt when there is no file.
std::optional<std::map<std::string, std::string>> ReadDesktopEntry(const fs::path& file) {
  if (!fs::exists(file)) return std::nullopt;
  std::istringstream in(test::ReadFileBytes(file));
  std::map<std::string, std::string> keys;
  std::string line;
  std::getline(in, line);
  if (line != "[Desktop Entry]") return keys;
  while (std::getline(in, line)) {
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') break;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return std::map<std::string, std::string>{{"(bad line)", line}};
    keys[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return keys;
}

class FirstRunTest : public ::testing::Test {
 protected:
  FirstRunTest() {
    FPlan.ProgramFile = FRegistry.Temp() / "bin" / "fraxinel";
    FPlan.DesktopFolder = FRegistry.Temp() / "Desktop";
    FPlan.ProgramsFolder = FRegistry.Temp() / "share" / "applications";
    FPlan.Icon = "io.github.fraxinel.Fraxinel";
  }

  std::string Game() const { return (FRegistry.Temp() / "quake").string(); }

  TSetupChoice Choice(bool desktop = true, bool startMenu = false) const {
    return TSetupChoice{Game(), desktop, startMenu};
  }

  std::optional<std::vector<std::string>> Entry(const std::string& name) const {
    return test::TRegistrySandbox::Section(FRegistry.MachineReg(),
                                           kExecutables + "\\" + name + "]");
  }

  bool Complete(const TSetupChoice& choice) {
    TRegistry registry;
    return CompleteSetup(choice, FSettings, registry, FPlan, FDialogs);
  }

  test::TRegistrySandbox FRegistry;
  TFXSettings FSettings;
  TShortcutPlan FPlan;
  test::TScriptedDialogs FDialogs;
};

TEST_F(FirstRunTest, TheGameIsFoundByQuakeExeInAnyCaseOrById1Pak0) {
  EXPECT_FALSE(GameFolderHoldsQuake(Game())) << "missing folder";
  fs::create_directories(Game());
  EXPECT_FALSE(GameFolderHoldsQuake(Game())) << "empty folder";
  for (const char* name : {"QUAKE.EXE", "quake.exe", "Quake.Exe"}) {
    test::WriteFileBytes(fs::path(Game()) / name, "MZ");
    EXPECT_TRUE(GameFolderHoldsQuake(Game())) << name;
    EXPECT_TRUE(GameFolderHoldsQuake(Game() + "/")) << name;
    fs::remove(fs::path(Game()) / name);
  }
  for (const char* name : {"id1/pak0.pak", "ID1/PAK0.PAK", "Id1/Pak0.pak"}) {
    test::WriteFileBytes(fs::path(Game()) / name, "PACK");
    EXPECT_TRUE(GameFolderHoldsQuake(Game())) << name;
    fs::remove_all(fs::path(Game()) / fs::path(name).parent_path());
  }
  test::WriteFileBytes(fs::path(Game()) / "id1" / "pak1.pak", "PACK");
  fs::create_directories(fs::path(Game()) / "QUAKE.EXE");
  EXPECT_FALSE(GameFolderHoldsQuake(Game())) << "a folder named QUAKE.EXE and only pak1";
  EXPECT_FALSE(GameFolderHoldsQuake(""));
}

TEST_F(FirstRunTest, AFolderWithQuakeExeCompletesTheSetupEvenWithoutShortcuts) {
  test::WriteFileBytes(fs::path(Game()) / "QUAKE.EXE", "MZ");
  test::WriteFileBytes(fs::path(Game()) / "ID1" / "PAK1.PAK", "PACK");
  EXPECT_TRUE(Complete(Choice(false, false)));
  EXPECT_THAT(FDialogs.Messages, IsEmpty());
  EXPECT_EQ(FSettings.QPath(), Game());
  EXPECT_EQ(FSettings.PatchPath(), Game()) << "an empty patch folder becomes the game folder";
  EXPECT_FALSE(FSettings.Shareware()) << "the game folder went through its setter";
  EXPECT_EQ(FSettings.Version(), 1);
  EXPECT_FALSE(fs::exists(FPlan.DesktopFolder));
  EXPECT_FALSE(fs::exists(FPlan.ProgramsFolder));
}

TEST_F(FirstRunTest, AnId1Pak0IsEnoughAndAChosenPatchFolderStays) {
  test::WriteFileBytes(fs::path(Game()) / "id1" / "pak0.pak", "PACK");
  FSettings.SetPatchPath("/games/mods");
  EXPECT_TRUE(Complete(Choice(false)));
  EXPECT_EQ(FSettings.PatchPath(), "/games/mods");
  EXPECT_TRUE(FSettings.Shareware());
  EXPECT_EQ(FSettings.Version(), 1);
}

TEST_F(FirstRunTest, TheFiveStandardExecutablesGetExactlyThreeValuesEach) {
  test::WriteFileBytes(fs::path(Game()) / "quake.exe", "MZ");
  ASSERT_TRUE(Complete(Choice(false)));
  EXPECT_THAT(Entry("DOS Quake"),
              Optional(ElementsAre("\"ExeName\"=\"quake.exe\"", "\"CmdLine\"=\"\"",
                                   "\"ExeType\"=dword:00000000")));
  EXPECT_THAT(Entry("WinQuake"),
              Optional(ElementsAre("\"ExeName\"=\"winquake.exe\"", "\"CmdLine\"=\"\"",
                                   "\"ExeType\"=dword:00000001")));
  EXPECT_THAT(Entry("OpenGL Quake"),
              Optional(ElementsAre("\"ExeName\"=\"glquake.exe\"", "\"CmdLine\"=\"\"",
                                   "\"ExeType\"=dword:00000002")));
  EXPECT_THAT(Entry("Rendition"),
              Optional(ElementsAre("\"ExeName\"=\"vquake.exe\"", "\"CmdLine\"=\"\"",
                                   "\"ExeType\"=dword:00000003")));
  EXPECT_THAT(Entry("Quake (Win95 TCP/IP)"),
              Optional(ElementsAre("\"ExeName\"=\"q95.bat\"", "\"CmdLine\"=\"\"",
                                   "\"ExeType\"=dword:00000004")));
  FRegistry.Reopen();
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey("Software\\Bolsk\\Fraxinel\\Executables", false));
  EXPECT_EQ(reg.GetKeyNames().size(), 5u);
  EXPECT_THAT(reg.GetValueNames(), IsEmpty());
}

TEST_F(FirstRunTest, AnExistingEntryKeepsItsOwnValues) {
  {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("Software\\Bolsk\\Fraxinel\\Executables\\winquake", true));
    reg.WriteString("ExeName", "wq-custom.exe");
    reg.WriteInteger("ExeType", 2);
    reg.WriteInteger("MemSize", 32);
  }
  FRegistry.Reopen();
  test::WriteFileBytes(fs::path(Game()) / "QUAKE.EXE", "MZ");
  ASSERT_TRUE(Complete(Choice(false)));
  EXPECT_THAT(Entry("winquake"),
              Optional(ElementsAre("\"ExeName\"=\"wq-custom.exe\"", "\"ExeType\"=dword:00000002",
                                   "\"MemSize\"=dword:00000020")))
      << "names compare without regard to case";
  for (const char* name : {"DOS Quake", "OpenGL Quake", "Rendition", "Quake (Win95 TCP/IP)"}) {
    const auto values = Entry(name);
    ASSERT_TRUE(values.has_value()) << name;
    EXPECT_EQ(values->size(), 3u) << name;
  }
}

TEST_F(FirstRunTest, CreatingTheExecutablesLeavesTheRegistryClosed) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Elsewhere", true));
  CreateStandardExecutables(reg);
  EXPECT_FALSE(reg.HasKeyOpen());
  EXPECT_TRUE(Entry("DOS Quake").has_value()) << "written to the file by then";
  EXPECT_FALSE(test::TRegistrySandbox::Section(FRegistry.UserReg(),
                                               "[HKEY_CURRENT_USER\\Software\\Elsewhere\\"
                                               "Executables]")
                   .has_value());
}

TEST_F(FirstRunTest, ShortcutsGoToTheDesktopAndTheProgramsMenu) {
  test::WriteFileBytes(fs::path(Game()) / "QUAKE.EXE", "MZ");
  ASSERT_TRUE(Complete(Choice(true, true)));
  for (const fs::path& file :
       {FPlan.DesktopFolder / "Fraxinel.desktop", FPlan.ProgramsFolder / kMenuEntry}) {
    const auto entry = ReadDesktopEntry(file);
    ASSERT_TRUE(entry.has_value()) << file;
    EXPECT_EQ(entry->at("Type"), "Application");
    EXPECT_EQ(entry->at("Name"), "Fraxinel");
    EXPECT_EQ(entry->at("Comment"), "Fraxinel");
    EXPECT_EQ(entry->at("Exec"), FPlan.ProgramFile.string());
    EXPECT_EQ(entry->at("Icon"), "io.github.fraxinel.Fraxinel");
  }
}

TEST_F(FirstRunTest, TheStartMenuShortcutTakesThePlaceOfTheInstalledEntry) {
  test::WriteFileBytes(fs::path(Game()) / "QUAKE.EXE", "MZ");
  ASSERT_TRUE(Complete(Choice(true, true)));
  std::vector<std::string> menu;
  for (const auto& entry : fs::directory_iterator(FPlan.ProgramsFolder))
    menu.push_back(entry.path().filename().string());
  EXPECT_THAT(menu, ElementsAre(kMenuEntry)) << "one entry, named as the installed one";
  EXPECT_FALSE(fs::exists(FPlan.DesktopFolder / kMenuEntry)) << "the desktop keeps its name";
}

TEST_F(FirstRunTest, OnlyTheChosenShortcutIsWritten) {
  test::WriteFileBytes(fs::path(Game()) / "QUAKE.EXE", "MZ");
  ASSERT_TRUE(Complete(Choice(false, true)));
  EXPECT_FALSE(fs::exists(FPlan.DesktopFolder / "Fraxinel.desktop"));
  EXPECT_TRUE(fs::exists(FPlan.ProgramsFolder / kMenuEntry));
}

TEST_F(FirstRunTest, AShortcutThatCannotBeWrittenIsSkippedSilently) {
  test::WriteFileBytes(fs::path(Game()) / "QUAKE.EXE", "MZ");
  // Below a regular file no folder can be made, whoever runs the test.
  test::WriteFileBytes(FRegistry.Temp() / "plain-file", "x");
  FPlan.DesktopFolder = FRegistry.Temp() / "plain-file" / "Desktop";
  EXPECT_TRUE(Complete(Choice(true, true)));
  EXPECT_THAT(FDialogs.Messages, IsEmpty());
  EXPECT_TRUE(fs::exists(FPlan.ProgramsFolder / kMenuEntry));
  EXPECT_EQ(FSettings.Version(), 1);
  EXPECT_TRUE(Entry("DOS Quake").has_value());
}

TEST_F(FirstRunTest, AnEmptyFolderSkipsThatShortcut) {
  test::WriteFileBytes(fs::path(Game()) / "QUAKE.EXE", "MZ");
  const fs::path cwd = fs::current_path();
  fs::current_path(FRegistry.Temp());
  FPlan.DesktopFolder.clear();
  const bool done = Complete(Choice(true, true));
  fs::current_path(cwd);
  EXPECT_TRUE(done);
  EXPECT_FALSE(fs::exists(FRegistry.Temp() / "Fraxinel.desktop")) << "not in the working folder";
  EXPECT_TRUE(fs::exists(FPlan.ProgramsFolder / kMenuEntry));
}

TEST_F(FirstRunTest, WithoutTheGameYesContinuesWithNothingStored) {
  fs::create_directories(Game());
  FDialogs.MessageAnswers = {TMsgResult::Yes};
  EXPECT_TRUE(Complete(Choice(true, true)));
  ASSERT_EQ(FDialogs.Messages.size(), 1u);
  const TMessage& m = FDialogs.Messages[0];
  EXPECT_EQ(m.Text,
            "Quake could not be located in the given Quake Folder.\n\n"
            "Are you sure you want to continue?");
  EXPECT_EQ(m.Caption, "");
  EXPECT_EQ(m.Icon, TMsgIcon::Stop);
  EXPECT_EQ(m.Buttons, TMsgButtons::YesNo);
  EXPECT_EQ(m.DefaultButton, TMsgResult::No);
  EXPECT_EQ(FSettings.Version(), 0) << "the setup is offered again next time";
  EXPECT_EQ(FSettings.QPath(), "");
  EXPECT_EQ(FSettings.PatchPath(), "");
  EXPECT_FALSE(fs::exists(FRegistry.MachineReg()));
  EXPECT_FALSE(fs::exists(FPlan.DesktopFolder));
  EXPECT_FALSE(fs::exists(FPlan.ProgramsFolder));
}

TEST_F(FirstRunTest, WithoutTheGameNoKeepsTheDialogOpen) {
  FDialogs.MessageAnswers = {TMsgResult::No};
  EXPECT_FALSE(Complete(Choice()));
  EXPECT_EQ(FDialogs.Messages.size(), 1u);
  EXPECT_EQ(FSettings.Version(), 0);
  EXPECT_EQ(FSettings.QPath(), "");
  EXPECT_FALSE(fs::exists(FRegistry.MachineReg()));
  EXPECT_FALSE(fs::exists(FPlan.DesktopFolder));
}

TEST(DefaultQuakeFolderTest, TakesTheFirstExistingCandidateInTheHomeFolder) {
  test::TTempDir home;
  const TXdgFolders folders([&](std::string_view name) -> std::optional<std::string> {
    if (name == "HOME") return home.Path().string();
    return std::nullopt;
  });
  for (const fs::path& system : SystemGameFolders())
    if (HoldsGameData(system)) GTEST_SKIP() << "the game's data is installed in " << system;
  // A system folder without the data (Debian's engines make one) is not proposed.
  EXPECT_EQ(DefaultQuakeFolder(folders), (home / "quake").string());
  fs::create_directories(home / ".quakespasm");
  EXPECT_EQ(DefaultQuakeFolder(folders), (home / ".quakespasm").string());
  test::WriteFileBytes(home / "quake", "a file, not a folder");
  EXPECT_EQ(DefaultQuakeFolder(folders), (home / ".quakespasm").string());
  fs::remove(home / "quake");
  fs::create_directories(home / "quake");
  EXPECT_EQ(DefaultQuakeFolder(folders), (home / "quake").string());
}

}  // namespace
}  // namespace fx
