// Where a launch puts its scripts when the game folder cannot be written, for each kind of
// engine build: the script must land where that build reads, or the launch must say so.

#include "launcher/ScriptPlace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "launcher/Configurations.h"
#include "tests/launcher/FakeConfigHost.h"
#include "tests/launcher/LaunchRig.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr auto kReadOnly = fs::perms::owner_read | fs::perms::owner_exec;

// A program file as the engines' builds are: an ELF file holding the texts `holds` (the
// per-user folder's error text of builds with DO_USERDIRS, the switches they read), or a
// shell script in front of an engine, whose build cannot be told.
enum class TBuildKind { UserDirs, NoUserDirs, Script };
void WriteEngine(const fs::path& file, TBuildKind kind, const std::vector<std::string>& holds) {
  std::string bytes = kind == TBuildKind::Script ? "#!/bin/sh\nexit 0\n"
                                                 : std::string(
                                                       "\x7f"
                                                       "ELF\x02\x01\x01",
                                                       7);
  if (kind == TBuildKind::UserDirs)
    bytes += std::string("\0Couldn't determine userspace directory\0", 40);
  for (const std::string& text : holds)
    bytes += '\0' + text + '\0';
  WriteFileBytes(file, bytes);
  fs::permissions(file, fs::perms::owner_all);
}

struct TPlaceCase {
  const char* Name;
  const char* Program;  // the file name the entry starts
  TBuildKind Kind;
  std::vector<std::string> Holds = {};
  std::string Params = {};  // the entry's own parameters; "<temp>" stands for the test folder
  std::string Folder = {};  // where the main script must land, below the test folder; "": error
  bool BaseDir = false;     // the command line hands the program's own base folder
  std::vector<std::string> Folders = {};  // folders made before the launch, below the test folder
};

void PrintTo(const TPlaceCase& row, std::ostream* out) {
  *out << row.Name;
}

std::string Expanded(std::string text, const fs::path& temp) {
  for (std::size_t at; (at = text.find("<temp>")) != std::string::npos;)
    text.replace(at, 6, temp.string());
  return text;
}

const TPlaceCase kPlaceCases[] = {
    // Debian's quakespasm: built with user folders, ~/.quakespasm.
    {.Name = "UserDirsBuild",
     .Program = "quakespasm",
     .Kind = TBuildKind::UserDirs,
     .Folder = "home/.quakespasm/id1"},
    // The upstream build (DO_USERDIRS=0) and stock vkQuake read their base folder only.
    {.Name = "UpstreamQuakespasm",
     .Program = "quakespasm",
     .Kind = TBuildKind::NoUserDirs,
     .Holds = {"-basedir"},
     .Folder = "data/fraxinel/engine-base/id1",
     .BaseDir = true},
    {.Name = "StockVkQuake",
     .Program = "vkquake",
     .Kind = TBuildKind::NoUserDirs,
     .Holds = {"-basedir", "-multiuser"},
     .Folder = "data/fraxinel/engine-base/id1",
     .BaseDir = true},
    {.Name = "VkQuakeMultiuser",
     .Program = "vkquake",
     .Kind = TBuildKind::NoUserDirs,
     .Holds = {"-basedir", "-multiuser"},
     .Params = "-multiuser",
     .Folder = "data/vkQuake/id1"},
    {.Name = "UserdirSwitch",
     .Program = "quakespasm",
     .Kind = TBuildKind::UserDirs,
     .Holds = {"-userdir"},
     .Params = "-userdir <temp>/mine",
     .Folder = "mine/id1"},
    // Debian's 0.95 has no "-userdir": it keeps its folder.
    {.Name = "UserdirSwitchNotInTheBuild",
     .Program = "quakespasm",
     .Kind = TBuildKind::UserDirs,
     .Params = "-userdir <temp>/mine",
     .Folder = "home/.quakespasm/id1"},
    {.Name = "SpikedNoHome",
     .Program = "quakespasm-spiked",
     .Kind = TBuildKind::UserDirs,
     .Holds = {"-nohome", "-basedir"},
     .Params = "-nohome",
     .Folder = "data/fraxinel/engine-base/id1",
     .BaseDir = true},
    {.Name = "DarkPlacesUserdir",
     .Program = "darkplaces",
     .Kind = TBuildKind::Script,
     .Params = "-userdir <temp>/dp",
     .Folder = "dp/id1"},
    // A script in front of the engine: the build cannot be told, so the base folder of the
    // program's own, which every build reads.
    {.Name = "ScriptInFront",
     .Program = "quakespasm",
     .Kind = TBuildKind::Script,
     .Folder = "data/fraxinel/engine-base/id1",
     .BaseDir = true},
    {.Name = "BasedirGiven",
     .Program = "quakespasm",
     .Kind = TBuildKind::NoUserDirs,
     .Holds = {"-basedir"},
     .Params = "-basedir <temp>/other",
     .Folder = "other/id1",
     .Folders = {"other/id1"}},
    // A -basedir of the player's own is the only base folder the engine reads: no second.
    {.Name = "BasedirGivenReadOnly",
     .Program = "quakespasm",
     .Kind = TBuildKind::NoUserDirs,
     .Holds = {"-basedir"},
     .Params = "-basedir <temp>/Quake"},
    {.Name = "UnknownEngine", .Program = "fx-engine", .Kind = TBuildKind::NoUserDirs},
    // FTE without a home yet, the game folder writable: it reads its base folder only.
    {.Name = "FteWithoutHome",
     .Program = "fteqw",
     .Kind = TBuildKind::NoUserDirs,
     .Holds = {"-basedir"},
     .Folder = "data/fraxinel/engine-base/id1",
     .BaseDir = true},
    // FTE: ~/.quake when only that exists, and no new folder that would move it.
    {.Name = "FteOldHome",
     .Program = "fteqw",
     .Kind = TBuildKind::NoUserDirs,
     .Folder = "home/.quake/id1",
     .Folders = {"home/.quake"}},
    {.Name = "FteNewHome",
     .Program = "fteqw",
     .Kind = TBuildKind::NoUserDirs,
     .Folder = "data/quake/id1",
     .Folders = {"home/.quake", "data/quake"}},
};

class ScriptPlaceRows : public ::testing::TestWithParam<TPlaceCase> {
 protected:
  void SetUp() override {
    if (::geteuid() == 0)
      GTEST_SKIP() << "root writes read-only folders; .ci/run runs this as a user";
    Rig.Homes = {(Rig.Temp / "home").string(), (Rig.Temp / "home").string(),
                 (Rig.Temp / "data").string(), ""};
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(Rig.Game / "id1", fs::perms::owner_all, ignored);
  }
  test::TLaunchRig Rig;
};

TEST_P(ScriptPlaceRows, TheScriptLandsWhereTheBuildReads) {
  const TPlaceCase& row = GetParam();
  const fs::path program = Rig.Temp / "bin" / row.Program;
  WriteEngine(program, row.Kind, row.Holds);
  for (const std::string& folder : row.Folders)
    fs::create_directories(Rig.Temp / folder);
  Rig.Exe.ExeName = program.string();
  Rig.Exe.CmdLine = Expanded(row.Params, Rig.Temp.Path());
  fs::permissions(Rig.Game / "id1", kReadOnly);
  TLaunchInput input;
  input.MapText = "e1m1";

  if (row.Folder.empty()) {
    EXPECT_THROW(Rig.Launch(input), EScriptWriteError);
    return;
  }
  const TLaunchResult result = Rig.Launch(input);
  ASSERT_TRUE(result.ScriptWritten);
  EXPECT_EQ(result.MainScript, Rig.Temp / row.Folder / "Frax.cfg");
  EXPECT_NE(ReadFileBytes(result.MainScript).find("\r\nmap e1m1\r\n"), std::string::npos);
  const std::string base = "-basedir " + (Rig.Temp / "data/fraxinel/engine-base").string() + " ";
  EXPECT_EQ(result.CommandLine.rfind(base, 0) == 0, row.BaseDir) << result.CommandLine;
  // No folder is made that would move where FTE looks.
  EXPECT_EQ(fs::exists(Rig.Temp / "data/quake"), row.Folder.starts_with("data/quake"));
}

INSTANTIATE_TEST_SUITE_P(Builds, ScriptPlaceRows, ::testing::ValuesIn(kPlaceCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// The base folder of the program's own shows the game as it lies and keeps what the engine
// wrote there from one launch to the next.
TEST(BaseFolder, MirrorsTheGameFolderAndKeepsTheEnginesFiles) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes read-only folders";
  test::TLaunchRig rig;
  rig.Homes = {(rig.Temp / "home").string(), (rig.Temp / "home").string(),
               (rig.Temp / "data").string(), ""};
  WriteFileBytes(rig.Id1("pak0.pak"), "PACK");
  WriteFileBytes(rig.Id1("maps/e1m1.bsp"), "bsp");
  WriteFileBytes(rig.Id1("Frax.cfg"), "// created by Fraxinel\r\n");
  WriteFileBytes(rig.Game / "ctf" / "maps" / "ctf1.bsp", "bsp");
  // An old script of this program's that the engine would run first, in the read-only mod.
  WriteFileBytes(rig.Game / "ctf" / "Frax.cfg", "// created by Fraxinel\r\nmap old\r\n");
  WriteEngine(rig.Temp / "bin" / "quakespasm", TBuildKind::Script, {});
  rig.Exe.ExeName = (rig.Temp / "bin" / "quakespasm").string();
  const fs::path own = rig.Temp / "data/fraxinel/engine-base";
  WriteFileBytes(own / "id1" / "config.cfg", "bind x jump\r\n");  // the engine's own
  fs::create_directories(own / "gone");
  fs::create_directory_symlink(rig.Temp / "nowhere", own / "id1" / "stale");
  for (const fs::path& folder : {rig.Game / "id1", rig.Game / "ctf", rig.Game})
    fs::permissions(folder, kReadOnly);
  TLaunchInput input;
  input.MapText = "e1m1";
  input.Patch = "ctf";
  const TLaunchResult result = rig.Launch(input);
  for (const fs::path& folder : {rig.Game, rig.Game / "id1", rig.Game / "ctf"})
    fs::permissions(folder, fs::perms::owner_all);

  ASSERT_TRUE(result.ScriptWritten);
  EXPECT_EQ(fs::read_symlink(own / "id1" / "pak0.pak"), fs::canonical(rig.Id1("pak0.pak")));
  EXPECT_EQ(ReadFileBytes(own / "id1" / "maps" / "e1m1.bsp"), "bsp");
  EXPECT_EQ(ReadFileBytes(own / "ctf" / "maps" / "ctf1.bsp"), "bsp");
  EXPECT_EQ(ReadFileBytes(own / "id1" / "config.cfg"), "bind x jump\r\n");
  EXPECT_FALSE(fs::exists(fs::symlink_status(own / "id1" / "stale")));
  // The script is a file of its own, not written through the link to the game's copy.
  EXPECT_FALSE(fs::is_symlink(own / "id1" / "Frax.cfg"));
  EXPECT_EQ(ReadFileBytes(rig.Id1("Frax.cfg")), "// created by Fraxinel\r\n");
  EXPECT_FALSE(fs::exists(fs::symlink_status(own / "ctf" / "Frax.cfg")))
      << "hidden from the engine";
  EXPECT_EQ(ReadFileBytes(rig.Game / "ctf" / "Frax.cfg"), "// created by Fraxinel\r\nmap old\r\n");
  EXPECT_NE(result.CommandLine.find(" -game ctf "), std::string::npos) << result.CommandLine;
}

// A script of this program's that cannot be written in a writable id1 sends every script
// to the per-user folder, as the main one would.
TEST(ScriptPlace, AnAuxiliaryScriptThatCannotBeWrittenMovesAllScripts) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
  test::TLaunchRig rig;
  rig.User.SetInGameCmds(true);
  WriteEngine(rig.Temp / "bin" / "quakespasm", TBuildKind::UserDirs, {});
  rig.Exe.ExeName = (rig.Temp / "bin" / "quakespasm").string();
  WriteFileBytes(rig.Id1("fx_maps.cfg"), "old");
  fs::permissions(rig.Id1("fx_maps.cfg"), fs::perms::owner_read);
  TLaunchInput input;
  const TLaunchResult result = rig.Launch(input);
  ASSERT_TRUE(result.ScriptWritten);
  const fs::path user = rig.Temp / "home" / ".quakespasm" / "id1";
  EXPECT_EQ(result.MainScript, user / "Frax.cfg");
  for (const char* name : {"fx_maps.cfg", "fx_svinf.cfg"})
    EXPECT_TRUE(fs::exists(user / name)) << name;
  EXPECT_EQ(ReadFileBytes(rig.Id1("fx_maps.cfg")), "old");
}

// A mod installed only in the per-user folder is the engine's as much as one in the game
// folder: no question, "-game" and its map spelled as there.
TEST(ScriptPlace, AModInTheUserFolderIsFound) {
  test::TLaunchRig rig;
  WriteEngine(rig.Temp / "bin" / "quakespasm", TBuildKind::UserDirs, {});
  rig.Exe.ExeName = (rig.Temp / "bin" / "quakespasm").string();
  WriteFileBytes(rig.Temp / "home" / ".quakespasm" / "ctf" / "maps" / "CTF1.bsp", "bsp");
  TLaunchInput input;
  input.Patch = "CTF";
  input.MapText = "CTF1: McKinley Base";
  input.PlayMode = kPlayDedicated;
  const TLaunchResult result = rig.Launch(input);
  EXPECT_TRUE(rig.Dialogs.Messages.empty()) << rig.Dialogs.Messages.front().Text;
  ASSERT_TRUE(result.ScriptWritten);
  EXPECT_NE(result.CommandLine.find(" -game ctf "), std::string::npos) << result.CommandLine;
  EXPECT_NE(rig.MainScript().find("\r\nmap CTF1\r\n"), std::string::npos) << rig.MainScript();
}

// CONFIG.CFG goes from the mod folder "-game" names ("fortress" for TEAMF) and from the
// per-user folder, at a launch and when the program ends.
TEST(ScriptPlace, ConfigCleanUpLooksWhereTheEngineWrites) {
  test::TLaunchRig rig;
  rig.User.SetDelInID1Dir(true);
  rig.User.SetDelInPatchDir(true);
  WriteEngine(rig.Temp / "bin" / "quakespasm", TBuildKind::UserDirs, {});
  rig.Exe.ExeName = (rig.Temp / "bin" / "quakespasm").string();
  const fs::path user = rig.Temp / "home" / ".quakespasm";
  const std::vector<fs::path> files = {rig.Game / "fortress" / "config.cfg",
                                       user / "fortress" / "config.cfg",
                                       user / "id1" / "config.cfg", rig.Id1("config.cfg")};
  TLaunchInput input;
  input.Patch = "TEAMF";
  for (const bool atExit : {false, true}) {
    for (const fs::path& file : files)
      WriteFileBytes(file, "bind x quit\r\n");
    rig.User.SetDelOnLaunch(!atExit);
    rig.User.SetDelOnExit(atExit);
    if (atExit) {
      const TConfigCleanUp cleanUp = ConfigCleanUpFor(input, rig.Machine, rig.Exe, rig.Homes);
      test::TFakeConfigHost host;
      TConfigurations configs(host, rig.Dialogs);
      configs.StoreOnExit(rig.User, cleanUp.Folders, cleanUp.GameDir);
    } else {
      ASSERT_TRUE(rig.Launch(input).ScriptWritten);
    }
    for (const fs::path& file : files)
      EXPECT_FALSE(fs::exists(file)) << file << (atExit ? " at exit" : " at launch");
  }
}

}  // namespace
}  // namespace fx
