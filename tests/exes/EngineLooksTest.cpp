// Where an engine build looks: the build file, the switches, FTE's home and Flatpak.

#include "exes/EngineLooks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "exes/BuildFile.h"
#include "exes/EngineProfiles.h"
#include "exes/FlatpakApp.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::WriteFileBytes;

const std::string kElf(
    "\x7f"
    "ELF\x02\x01\x01",
    7);

TEST(BuildFile, NeedlesAreFoundAcrossChunksOnlyInPrograms) {
  test::TTempDir temp;
  // The mark straddles the reader's first 1 MiB chunk.
  std::string bytes = kElf + std::string((1u << 20) - kElf.size() - 5, 'x') + "-nohome" + '\0';
  WriteFileBytes(temp / "engine", bytes);
  const std::string_view needles[] = {std::string_view("-nohome\0", 8), "-userdir"};
  const auto holds = ProgramHolds(temp / "engine", needles);
  ASSERT_TRUE(holds.has_value());
  EXPECT_TRUE((*holds)[0]);
  EXPECT_FALSE((*holds)[1]);
  // A file read before is read again once it changed.
  WriteFileBytes(temp / "engine", kElf + "-userdir");
  EXPECT_EQ(ProgramHolds(temp / "engine", needles), (std::vector<bool>{false, true}));
  WriteFileBytes(temp / "script", "#!/bin/sh\n-nohome\n");
  EXPECT_FALSE(ProgramHolds(temp / "script", needles).has_value());
  EXPECT_FALSE(ProgramHolds(temp / "missing", needles).has_value());
  EXPECT_FALSE(ReadSmallFile(temp / "engine", 8).has_value()) << "larger than the limit";
}

TEST(EngineProfiles, FlatpakIdsNameTheirFamily) {
  struct TCase {
    const char* File;
    TEngineFamily Family;
  };
  for (const TCase& c :
       {TCase{"/var/lib/flatpak/exports/bin/io.github.Novum.vkQuake", TEngineFamily::VkQuake},
        TCase{"info.fteqw.FTEQW", TEngineFamily::FTE}, TCase{"org.fteqw.fteqw", TEngineFamily::FTE},
        TCase{"io.github.someone.Else", TEngineFamily::Other}}) {
    const TEngineProfile& profile = EngineProfileFor(c.File);
    EXPECT_EQ(profile.Family, c.Family) << c.File;
    EXPECT_EQ(EngineProfileRank(profile), EngineProfileRank(EngineProfileOf(c.Family))) << c.File;
  }
  // What the family's rows say reaches the Flatpak engine: no memory switches, FTE's protocols.
  EXPECT_FALSE(EngineProfileFor("io.github.Novum.vkQuake").HeapSize);
  EXPECT_NE(EngineProfileFor("info.fteqw.FTEQW").Speaks & kSpeaksQuakeWorld, 0);
}

class EngineLooksTest : public ::testing::Test {
 protected:
  test::TTempDir Temp;
  fs::path Home = Temp / "home";
  fs::path Game = Temp / "quake";
  TUserHomes Homes{Home.string(), Home.string(), "", ""};

  TEngineLooks Looks(const char* program, const std::string& params = "") {
    const fs::path file = Temp / "bin" / program;
    WriteFileBytes(file, "#!/bin/sh\n");
    return WhereEngineLooks(EngineProfileFor(program), file, params, Game, Homes);
  }

  // A Flatpak installation of vkQuake with these permissions and this build.
  fs::path Flatpak(const std::string& context, bool userDirs) {
    const fs::path root = Temp / "flatpak";
    const fs::path active = root / "app/io.github.Novum.vkQuake/current/active";
    WriteFileBytes(
        active / "metadata",
        "[Application]\nname=io.github.Novum.vkQuake\ncommand=vkquake\n\n[Context]\n" + context);
    WriteFileBytes(active / "files/bin/vkquake",
                   kElf + std::string("\0-multiuser\0", 12) +
                       (userDirs ? std::string("Couldn't determine userspace directory\0", 39)
                                 : std::string()));
    WriteFileBytes(root / "exports/bin/io.github.Novum.vkQuake", "#!/bin/sh\n");
    return root / "exports/bin/io.github.Novum.vkQuake";
  }
};

TEST_F(EngineLooksTest, FteTakesItsVariableElseTheHomeThatExists) {
  fs::create_directories(Game);
  EXPECT_EQ(Looks("fteqw").UserFolder, fs::path()) << "no home yet, and the game is writable";
  fs::create_directories(Home / ".quake");
  EXPECT_EQ(Looks("fteqw").UserFolder, Home / ".quake");
  fs::create_directories(Home / ".local/share/quake");
  EXPECT_EQ(Looks("fteqw").UserFolder, Home / ".local/share/quake");
  Homes.FteHome = (Temp / "fte").string();
  EXPECT_EQ(Looks("fteqw").UserFolder, fs::path()) << "$FTEHOME too is used once it exists";
  fs::create_directories(Temp / "fte");
  EXPECT_EQ(Looks("fteqw").UserFolder, Temp / "fte");
  EXPECT_EQ(Looks("fteqw", "-homedir \"" + (Temp / "hd").string() + "\"").UserFolder, Temp / "hd");
  EXPECT_EQ(Looks("fteqw", "-nohome").UserFolder, fs::path());
}

TEST_F(EngineLooksTest, BasedirReplacesTheGameFolderRelativeToIt) {
  const TEngineLooks looks = Looks("quakespasm", "-basedir sub");
  EXPECT_EQ(looks.GameFolder, Game / "sub");
  EXPECT_TRUE(looks.BaseDirGiven);
  EXPECT_FALSE(looks.TakesBaseDir) << "a second -basedir would not be read";
  EXPECT_TRUE(Looks("quakespasm").UserFolderUnsure) << "a script: the build cannot be told";
}

TEST_F(EngineLooksTest, FlatpakEnginesLookInsideTheirSandbox) {
  // Kept home folder: ~/.vkquake is ~/.var/app/<id>/.vkquake outside.
  fs::path program = Flatpak("filesystems=xdg-data/games;\npersistent=.vkquake;\n", true);
  TEngineLooks looks =
      WhereEngineLooks(EngineProfileFor(program.string()), program, "", Game, Homes);
  ASSERT_TRUE(looks.Flatpak.has_value());
  EXPECT_EQ(looks.UserFolder, Home / ".var/app/io.github.Novum.vkQuake/.vkquake");
  EXPECT_FALSE(looks.UserFolderUnsure) << "the build inside the installation is read";
  EXPECT_FALSE(looks.TakesBaseDir);
  EXPECT_FALSE(FlatpakSees(*looks.Flatpak, Game, Homes));
  EXPECT_TRUE(FlatpakSees(*looks.Flatpak, Home / ".local/share/games/quake", Homes));
  EXPECT_EQ(FlatpakGrantCommand(*looks.Flatpak, Game),
            "flatpak override --user --filesystem=" + Game.string() + " io.github.Novum.vkQuake");
  // -multiuser without user folders: SDL's folder below the sandbox's data.
  program = Flatpak("filesystems=host;\n", false);
  looks = WhereEngineLooks(EngineProfileFor(program.string()), program, "-multiuser", Game, Homes);
  EXPECT_EQ(looks.UserFolder, Home / ".var/app/io.github.Novum.vkQuake/data/vkQuake");
  EXPECT_TRUE(FlatpakSees(*looks.Flatpak, Game, Homes));
  // A user's override takes a permission away again.
  WriteFileBytes(Home / ".local/share/flatpak/overrides/io.github.Novum.vkQuake",
                 "[Context]\nfilesystems=!host;\n");
  looks = WhereEngineLooks(EngineProfileFor(program.string()), program, "", Game, Homes);
  EXPECT_FALSE(FlatpakSees(*looks.Flatpak, Game, Homes));
}

TEST_F(EngineLooksTest, ALinkToAFlatpakExportIsKnownByTheDeployedApplication) {
  // As flatpak deploys: app/<ID>/<arch>/<branch>/<commit>, its export linked from elsewhere.
  const fs::path deploy = Temp / "flatpak/app/info.fteqw.FTEQW/x86_64/stable/0123abcd";
  WriteFileBytes(deploy / "metadata",
                 "[Application]\ncommand=fteqw\n[Context]\nfilesystems=host;\n");
  WriteFileBytes(deploy / "files/bin/fteqw", kElf);
  WriteFileBytes(deploy / "export/bin/info.fteqw.FTEQW", "#!/bin/sh\n");
  fs::create_directories(Temp / "bin");
  fs::create_symlink(deploy / "export/bin/info.fteqw.FTEQW", Temp / "bin" / "fte");
  const auto app = FlatpakAppOf(Temp / "bin" / "fte", Homes);
  ASSERT_TRUE(app.has_value());
  EXPECT_EQ(app->Id, "info.fteqw.FTEQW");
  EXPECT_EQ(app->Files, deploy / "files");
  EXPECT_EQ(app->Command, "fteqw");
  EXPECT_TRUE(FlatpakSees(*app, Game, Homes));
  EXPECT_FALSE(FlatpakAppOf(deploy / "files/bin/fteqw", Homes).has_value());
}

TEST_F(EngineLooksTest, AFlatpakLauncherThatGivesItsOwnBaseFolderIsSaid) {
  const fs::path root = Temp / "flatpak";
  const fs::path active = root / "app/org.fteqw.fteqw/current/active";
  WriteFileBytes(active / "metadata", "[Application]\ncommand=org.fteqw.fteqw.sh\n");
  WriteFileBytes(active / "files/bin/org.fteqw.fteqw.sh",
                 "#!/bin/bash\n/app/bin/fteqw -basedir $XDG_DATA_HOME \"$@\"\n");
  WriteFileBytes(root / "exports/bin/org.fteqw.fteqw", "#!/bin/sh\n");
  const fs::path program = root / "exports/bin/org.fteqw.fteqw";
  const fs::path own = Home / ".var/app/org.fteqw.fteqw/data";
  TEngineLooks looks =
      WhereEngineLooks(EngineProfileFor(program.string()), program, "", Game, Homes);
  EXPECT_EQ(looks.GameFolder, own);
  EXPECT_NE(looks.Problem.find(own.string()), std::string::npos) << looks.Problem;
  fs::create_directories(own);
  looks = WhereEngineLooks(EngineProfileFor(program.string()), program, "", own, Homes);
  EXPECT_EQ(looks.Problem, "") << "the game folder is that folder";
}

TEST(FlatpakApp, ContextValuesAreReadFromTheirGroupOnly) {
  const std::string keyfile =
      "[Application]\nfilesystems=wrong\n[Context]\n shared=network;ipc;\nfilesystems = host;"
      "~/Games:ro; ;\n[Session Bus Policy]\nfilesystems=other\n";
  EXPECT_EQ(FlatpakContextValues(keyfile, "filesystems"),
            (std::vector<std::string>{"host", "~/Games:ro"}));
  EXPECT_TRUE(FlatpakContextValues("[Context]\nfilesystems", "filesystems").empty());
}

}  // namespace
}  // namespace fx
