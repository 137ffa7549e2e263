#include "settings/SpecialFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

class SpecialFolderTest : public ::testing::Test {
 protected:
  TXdgFolders Folders(std::map<std::string, std::string> env) const {
    return TXdgFolders([env](std::string_view name) -> std::optional<std::string> {
      const auto it = env.find(std::string(name));
      if (it == env.end()) return std::nullopt;
      return it->second;
    });
  }
  std::string Home() const { return (FTemp / "home").string(); }

  test::TTempDir FTemp;
};

TEST_F(SpecialFolderTest, DesktopMembersGiveTheUserDirsDesktop) {
  test::WriteFileBytes(FTemp / "cfg" / "user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Escritorio\"\n");
  const auto folders = Folders({{"HOME", Home()}, {"XDG_CONFIG_HOME", (FTemp / "cfg").string()}});
  for (const auto member :
       {TSpecialFolder::Desktop, TSpecialFolder::DesktopRoot, TSpecialFolder::DesktopDirectory})
    EXPECT_EQ(GetSpecialFolderPath(member, folders), Home() + "/Escritorio")
        << static_cast<int>(member);
}

TEST_F(SpecialFolderTest, DesktopWithoutUserDirsIsInTheHome) {
  const auto folders = Folders({{"HOME", Home()}});
  EXPECT_EQ(GetSpecialFolderPath(TSpecialFolder::Desktop, folders), Home() + "/Desktop");
}

TEST_F(SpecialFolderTest, ProgramsPersonalAndDrives) {
  const auto folders = Folders({{"HOME", Home()}, {"XDG_DATA_HOME", "/xdg/data"}});
  EXPECT_EQ(GetSpecialFolderPath(TSpecialFolder::Programs, folders), "/xdg/data/applications");
  EXPECT_EQ(GetSpecialFolderPath(TSpecialFolder::Personal, folders), Home());
  EXPECT_EQ(GetSpecialFolderPath(TSpecialFolder::Drives, folders), "/");

  const auto defaults = Folders({{"HOME", Home()}});
  EXPECT_EQ(GetSpecialFolderPath(TSpecialFolder::Programs, defaults),
            Home() + "/.local/share/applications");
}

TEST_F(SpecialFolderTest, FoldersWithoutALinuxCounterpartAreEmpty) {
  const auto folders = Folders({{"HOME", Home()}});
  for (const auto member :
       {TSpecialFolder::ControlPanel, TSpecialFolder::Printers, TSpecialFolder::Favorites,
        TSpecialFolder::Startup, TSpecialFolder::Recent, TSpecialFolder::SendTo,
        TSpecialFolder::RecycleBin, TSpecialFolder::StartMenu, TSpecialFolder::Network,
        TSpecialFolder::NetHood, TSpecialFolder::Fonts, TSpecialFolder::Templates})
    EXPECT_EQ(GetSpecialFolderPath(member, folders), "") << static_cast<int>(member);
}

}  // namespace
}  // namespace fx
