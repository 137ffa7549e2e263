// The package commands of the command line: their options, exit codes and lines.

#include <gtest/gtest.h>

#include <sstream>

#include "app/CommandLineOptions.h"
#include "app/PackageCommand.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "fixtures/ZipBuilder.h"
#include "platform/InstallFiles.h"

namespace fx {
namespace {

TEST(PackageOptions, ReadsActionsAndTheirModifiers) {
  using enum TProgramAction;
  const std::string hex(64, 'a');
  struct TCase {
    std::vector<std::string> Arguments;
    TProgramAction Action;
    std::string Subject, Error;
  } cases[] = {
      {{"--install", "x.zip", "--into", "quoth", "--replace", "--yes"}, Install, "x.zip", ""},
      {{"--install=x.zip", "--sha256=" + hex, "--size", "123"}, Install, "x.zip", ""},
      {{"--uninstall", "czg07"}, Uninstall, "czg07", ""},
      {{"--verify", "czg07"}, Verify, "czg07", ""},
      {{"--packages"}, Packages, "", ""},
      {{"--install"}, Refuse, "", "--install needs a value"},
      {{"--install", "x.zip", "--sha256", "abc"},
       Refuse,
       "",
       "--sha256 needs 64 hexadecimal digits"},
      {{"--install", "x.zip", "--size", "12k"}, Refuse, "", "--size needs a number of bytes"},
      {{"--packages", "--replace"},
       Refuse,
       "",
       "--into, --replace, --sha256, --size and --yes go with --install"},
      {{"--verify", "a", "--packages"},
       Refuse,
       "",
       "--packages cannot be combined with another action"},
      {{"--install", "x.zip", "--launch", "a"},
       Refuse,
       "",
       "--launch cannot be combined with another action"},
      {{"--packages=all"}, Refuse, "", "--packages takes no value"},
  };
  for (const TCase& c : cases) {
    const TProgramOptions options = ParseProgramOptions(c.Arguments);
    EXPECT_EQ(options.Action, c.Action) << c.Arguments[0];
    EXPECT_EQ(options.Error, c.Error) << c.Arguments[0];
    if (c.Action != Refuse) {
      EXPECT_EQ(options.Package.Subject, c.Subject);
    }
  }
  const TProgramOptions full = ParseProgramOptions(cases[0].Arguments);
  EXPECT_EQ(full.Package.Into, "quoth");
  EXPECT_TRUE(full.Package.Replace && full.Package.Yes);
  EXPECT_EQ(ParseProgramOptions(cases[1].Arguments).Package.Size, 123u);
}

class PackageCommandTest : public ::testing::Test {
 protected:
  PackageCommandTest() { std::filesystem::create_directories(FDir / "game" / "id1"); }

  int Run(const std::vector<std::string>& arguments, const std::string& answer = "") {
    FOut.str("");
    FErr.str("");
    std::istringstream in(answer);
    TPackageCommandContext context{.Store = FStore,
                                   .GameFolder = (FDir / "game").string(),
                                   .GameWritable = true,
                                   .UserFolder = "",
                                   .Open = [](const std::string& f) { return OpenInstallFiles(f); },
                                   .Download = DownloadPackageArchive,
                                   .In = in,
                                   .Out = FOut,
                                   .Err = FErr};
    return RunPackageCommand(ParseProgramOptions(arguments), context);
  }
  std::string Zip(const std::string& name, const std::vector<test::TZipTestEntry>& entries) {
    test::WriteFileBytes(FDir / name, test::BuildZip(entries));
    return (FDir / name).string();
  }

  test::TTempDir FDir;
  TPackageStore FStore{FDir / "data"};
  std::ostringstream FOut, FErr;
};

TEST_F(PackageCommandTest, InstallsOnlyWhatWasConfirmedAndListsIt) {
  const std::string zip =
      Zip("tiny.zip", {{"maps/tiny.bsp", "bsp"}, {"maps/tiny.txt", "about it"}});
  EXPECT_EQ(Run({"--install", zip}, "n\n"), 1);
  EXPECT_EQ(FErr.str(), "package: not installed: the plan was not confirmed\n");
  EXPECT_FALSE(std::filesystem::exists(FDir / "game" / "id1" / "maps"));
  EXPECT_EQ(Run({"--install", zip}, "y\n"), 0);
  EXPECT_EQ(test::ReadFileBytes(FDir / "game" / "id1" / "maps" / "tiny.bsp"), "bsp");
  EXPECT_EQ(Run({"--packages"}), 0);
  EXPECT_EQ(FOut.str(), "tiny\tinstalled\tid1\t2\n");
  EXPECT_EQ(Run({"--install", zip, "--yes"}), 1);
  EXPECT_EQ(FErr.str(), "package: a package named tiny is installed already\n");

  test::WriteFileBytes(FDir / "game" / "id1" / "maps" / "tiny.txt", "my own notes");
  EXPECT_EQ(Run({"--verify", "tiny"}), 1);
  EXPECT_EQ(FOut.str(),
            "installed\tid1/maps/tiny.bsp\nmodified\tid1/maps/tiny.txt\ntiny: modified\n");
  EXPECT_EQ(Run({"--uninstall", "tiny"}), 0);  // the changed file is named and kept
  EXPECT_EQ(FErr.str(), "entry id1/maps/tiny.txt: changed since it was installed, kept\n");
  EXPECT_EQ(Run({"--packages"}), 0);
  EXPECT_EQ(FOut.str(), "");
  EXPECT_EQ(Run({"--uninstall", "tiny"}), 1);
  EXPECT_EQ(FErr.str(), "package: no package named tiny is installed\n");
}

TEST_F(PackageCommandTest, RefusesWithOneLineAnEntryOrThePackage) {
  EXPECT_EQ(Run({"--install",
                 Zip("bad.zip", {{"../evil.bsp", "x"}, {"maps/ok.bsp", "x"}, {"/abs.bsp", "x"}}),
                 "--yes"}),
            1);
  EXPECT_EQ(FErr.str(),
            "entry ../evil.bsp: its name climbs out of its folder with \"..\"\n"
            "entry /abs.bsp: its name is an absolute path\n");
  EXPECT_EQ(Run({"--install", "https://example.invalid/a.zip"}), 1);
  EXPECT_EQ(FErr.str(), "package: downloads are not available in this build\n");
  const std::string small = Zip("s.zip", {{"maps/s.bsp", "x"}});
  EXPECT_EQ(Run({"--install", small, "--size", "1", "--yes"}), 1);
  EXPECT_EQ(FErr.str(), "package: its size is " +
                            std::to_string(std::filesystem::file_size(small)) + " bytes, not 1\n");
}

TEST_F(PackageCommandTest, RecordsFilesFoundInstalledAlready) {
  test::WriteFileBytes(FDir / "game" / "id1" / "maps" / "hand.bsp", "by hand");
  EXPECT_EQ(Run({"--install", Zip("hand.zip", {{"maps/hand.bsp", "by hand"}})}), 0);
  EXPECT_EQ(FOut.str(), "package hand: found installed already (1 files), recorded\n");
  ASSERT_TRUE(FStore.Find("hand"));
  EXPECT_TRUE(FStore.Find("hand")->Found);
}

}  // namespace
}  // namespace fx
