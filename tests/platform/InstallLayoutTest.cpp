// Where the program finds the data files it ships, in a build tree and when installed.
#include <gtest/gtest.h>

#include <filesystem>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "platform/InstallLayout.h"

namespace fx {
namespace {

namespace fs = std::filesystem;

TEST(InstallLayout, TheDesktopEntryIsNamedByTheApplicationId) {
  EXPECT_EQ(ApplicationId(), "io.github.fraxinel.Fraxinel");
  EXPECT_EQ(DesktopEntryFileName(), "io.github.fraxinel.Fraxinel.desktop");
}

TEST(InstallLayout, AnInstalledProgramFindsItsDataBelowItsPrefix) {
  test::TTempDir prefix;
  const fs::path data = prefix.Path() / "share" / "fraxinel" / "fxgold.rcc";
  test::WriteFileBytes(data, "qres");
  EXPECT_EQ(FindDataFile(prefix.Path() / "bin", "fxgold.rcc"), data);
}

TEST(InstallLayout, AFileBesideTheProgramComesFirst) {
  test::TTempDir prefix;
  test::WriteFileBytes(prefix.Path() / "share" / "fraxinel" / "fxgold.rcc", "installed");
  const fs::path beside = prefix.Path() / "bin" / "fxgold.rcc";
  test::WriteFileBytes(beside, "built");
  EXPECT_EQ(FindDataFile(prefix.Path() / "bin", "fxgold.rcc"), beside);
}

TEST(InstallLayout, WithoutTheFileThePlaceBesideTheProgramIsNamed) {
  test::TTempDir prefix;
  // A folder of that name is no data file.
  fs::create_directories(prefix.Path() / "share" / "fraxinel" / "fxgold.rcc");
  EXPECT_EQ(FindDataFile(prefix.Path() / "bin", "fxgold.rcc"),
            prefix.Path() / "bin" / "fxgold.rcc");
}

}  // namespace
}  // namespace fx
