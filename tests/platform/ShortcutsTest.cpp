#include "platform/Shortcuts.h"
#include "platform/SpecialFolders.h"

#include <map>

#include <gtest/gtest.h>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

TEST(ShortcutsTest, WritesAnExecutableDesktopEntry) {
  test::TTempDir dir;
  const auto link = dir / "Desktop" / "Fraxinel.desktop";
  ASSERT_TRUE(CreateShortcut(
      {"/opt/fraxinel/fraxinel", "Fraxinel", "Quake launcher", "/opt/fraxinel/fraxinel.png"},
      link));
  EXPECT_EQ(test::ReadFileBytes(link),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Version=1.0\n"
            "Name=Fraxinel\n"
            "Comment=Quake launcher\n"
            "Exec=/opt/fraxinel/fraxinel\n"
            "Icon=/opt/fraxinel/fraxinel.png\n"
            "Terminal=false\n"
            "Categories=Game;\n");
  const auto perms = std::filesystem::status(link).permissions();
  EXPECT_NE(perms & std::filesystem::perms::owner_exec, std::filesystem::perms::none);
  // Nothing of the temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(link.parent_path()), {}), 1);
}

TEST(ShortcutsTest, QuotesAndEscapesAnAwkwardTargetPath) {
  EXPECT_EQ(QuoteExecArgument("/usr/bin/fraxinel"), "/usr/bin/fraxinel");
  EXPECT_EQ(QuoteExecArgument("/home/me/My Games/fx"), "\"/home/me/My Games/fx\"");
  EXPECT_EQ(QuoteExecArgument("/a\"b$c`d\\e"), "\"/a\\\"b\\$c\\`d\\\\e\"");
  const std::string text = DesktopEntryText({"/home/me/100% fun/fx", "Fx\nInjected=1", "", ""});
  // The quoted argument's backslashes are escaped once more by the file format,
  // a literal percent is doubled, and a line break cannot start a new key.
  EXPECT_NE(text.find("Exec=\"/home/me/100%% fun/fx\"\n"), std::string::npos);
  EXPECT_NE(text.find("Name=Fx\\nInjected=1\n"), std::string::npos);
  EXPECT_EQ(text.find("\nInjected"), std::string::npos);
  EXPECT_EQ(text.find("Comment="), std::string::npos);
  EXPECT_EQ(text.find("Icon="), std::string::npos);
}

TEST(ShortcutsTest, ReportsFailureWhenTheFolderCannotBeCreated) {
  test::TTempDir dir;
  test::WriteFileBytes(dir / "file", "not a folder");
  EXPECT_FALSE(CreateShortcut({"/bin/true", "X", "", ""}, dir / "file" / "X.desktop"));
}

class XdgFoldersTest : public ::testing::Test {
 protected:
  test::TTempDir FHome;
  std::map<std::string, std::string> FEnv{{"HOME", FHome.Path().string()}};
  TXdgFolders Folders() const {
    return TXdgFolders([this](std::string_view name) -> std::optional<std::string> {
      auto it = FEnv.find(std::string(name));
      if (it == FEnv.end()) return std::nullopt;
      return it->second;
    });
  }
};

TEST_F(XdgFoldersTest, DefaultsFollowTheBaseDirectoryConventions) {
  EXPECT_EQ(Folders().Desktop(), FHome.Path() / "Desktop");
  EXPECT_EQ(Folders().ProgramsMenu(), FHome.Path() / ".local/share/applications");
  EXPECT_EQ(Folders().ConfigHome(), FHome.Path() / ".config");
  FEnv["XDG_DATA_HOME"] = "/data";
  FEnv["XDG_CONFIG_HOME"] = "relative/ignored";
  EXPECT_EQ(Folders().ProgramsMenu(), std::filesystem::path("/data/applications"));
  EXPECT_EQ(Folders().ConfigHome(), FHome.Path() / ".config");
}

TEST_F(XdgFoldersTest, ReadsTheDesktopFromUserDirs) {
  test::WriteFileBytes(FHome / ".config/user-dirs.dirs",
                       "# written by xdg-user-dirs-update\n"
                       "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                       "XDG_DESKTOP_DIR=\"$HOME/Schreib\\\"tisch\"\n");
  EXPECT_EQ(Folders().Desktop(), FHome.Path() / "Schreib\"tisch");
  EXPECT_EQ(Folders().UserDir("DOWNLOAD"), FHome.Path() / "Downloads");
  EXPECT_EQ(Folders().UserDir("MUSIC"), std::nullopt);
}

TEST_F(XdgFoldersTest, IgnoresMalformedOrRelativeUserDirs) {
  test::WriteFileBytes(FHome / ".config/user-dirs.dirs",
                       "XDG_DESKTOP_DIR=\"Desktop\"\nXDG_MUSIC_DIR=\"$HOME/unterminated\n");
  EXPECT_EQ(Folders().Desktop(), FHome.Path() / "Desktop");
  EXPECT_EQ(Folders().UserDir("MUSIC"), std::nullopt);
}

}  // namespace
}  // namespace fx
