// Engines found by their program names in folders of fake scripts.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "exes/EngineDiscovery.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

class EngineDiscoveryTest : public ::testing::Test {
 protected:
  // A program that does nothing, with or without the execute bit.
  fs::path Script(const fs::path& file, bool executable = true) {
    test::WriteFileBytes(file, "#!/bin/sh\nexit 0\n");
    fs::permissions(file, executable ? fs::perms::owner_all : fs::perms::owner_read);
    return file;
  }
  fs::path Folder(const char* name) {
    fs::create_directories(FTemp / name);
    return FTemp / name;
  }

  test::TTempDir FTemp;
};

TEST_F(EngineDiscoveryTest, FoldersAreThePathThenTheUsualPlacesEachOnce) {
  EXPECT_THAT(
      EngineFolders("/opt/bin::relative/bin:/usr/games:/opt/bin", "/home/me"),
      ElementsAre("/opt/bin", "/usr/games", "/home/me/.local/bin", "/var/lib/flatpak/exports/bin",
                  "/home/me/.local/share/flatpak/exports/bin"));
}

TEST_F(EngineDiscoveryTest, FindsEachProgramInTheFirstFolderThatHasItInTableOrder) {
  const fs::path path = Folder("path");
  const fs::path games = Folder("games");
  const fs::path first = Script(path / "quakespasm");
  Script(games / "quakespasm");
  const fs::path iron = Script(games / "ironwail");
  Script(path / "vkquake", false);          // not executable
  fs::create_directories(games / "fteqw");  // a folder, not a program
  Script(path / "darkplaces.sh");           // not the program's name

  EXPECT_THAT(FindInstalledEngines({path, games}),
              ElementsAre(TFoundEngine{"QuakeSpasm", first}, TFoundEngine{"Ironwail", iron}));
}

TEST_F(EngineDiscoveryTest, VariantsGetTheirFileNameAndALinkCountsOnce) {
  const fs::path path = Folder("path");
  const fs::path games = Folder("games");
  const fs::path spasm = Script(path / "quakespasm");
  const fs::path sdl2 = Script(games / "quakespasm-sdl2");
  fs::create_symlink(spasm, games / "fteqw64");  // the same program under another name

  EXPECT_THAT(FindInstalledEngines({path, games}),
              ElementsAre(TFoundEngine{"QuakeSpasm", spasm},
                          TFoundEngine{"QuakeSpasm (quakespasm-sdl2)", sdl2}));
}

TEST_F(EngineDiscoveryTest, FlatpakApplicationsAreFoundByTheLastPartOfTheirId) {
  const fs::path exports = Folder("flatpak/exports/bin");
  const fs::path vk = Script(exports / "io.github.Novum.vkQuake");
  Script(exports / "org.example.NotAnEngine");
  Script(Folder("other") / "org.example.vkquake");  // outside Flatpak only exact names count

  EXPECT_THAT(FindInstalledEngines({FTemp / "other", exports}),
              ElementsAre(TFoundEngine{"vkQuake", vk}));
}

TEST_F(EngineDiscoveryTest, AFoundEngineIsAnOpenGLEntryWithItsAbsolutePath) {
  const TQuakeExe exe = EngineEntry({"vkQuake", "/usr/games/vkquake"});
  EXPECT_EQ(exe.Name(), "vkQuake");
  EXPECT_EQ(exe.ExeName, "/usr/games/vkquake");
  EXPECT_EQ(exe.ExeType, TExeType::OpenGLQuake);
  EXPECT_EQ(exe.CmdLine, "");
}

TEST_F(EngineDiscoveryTest, MissingEnginesSkipsProgramsTheListStartsAndKeepsNamesUnique) {
  const fs::path path = Folder("path");
  const fs::path spasm = Script(path / "quakespasm");
  const fs::path iron = Script(path / "ironwail");
  const fs::path vk = Script(path / "vkquake");
  TQuakeExeList list;
  list.emplace_back("Mine");  // started by its bare name through the PATH
  list.back().ExeName = "quakespasm";
  list.emplace_back("ironwail");  // starts another program, but holds the name
  list.back().ExeName = "glquake.exe";
  list.emplace_back("vkQuake");
  list.back().ExeName = vk.string();

  const TQuakeExeList missing =
      MissingEngines(list, {{"QuakeSpasm", spasm}, {"Ironwail", iron}, {"vkQuake", vk}},
                     FTemp.Path().string(), path.string());

  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(missing[0].Name(), "Ironwail (1)");
  EXPECT_EQ(missing[0].ExeName, iron.string());
}

}  // namespace
}  // namespace fx
