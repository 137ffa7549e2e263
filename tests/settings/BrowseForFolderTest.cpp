#include "settings/BrowseForFolder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "fixtures/FileBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

using test::TScriptedDialogs;

class BrowseForFolderTest : public ::testing::Test {
 protected:
  BrowseForFolderTest() {
    test::WriteFileBytes(FTemp / "home" / ".config" / "user-dirs.dirs",
                         "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
  }

  TXdgFolders Folders() const {
    const std::string home = (FTemp / "home").string();
    return TXdgFolders([home](std::string_view name) -> std::optional<std::string> {
      if (name == "HOME") return home;
      if (name == "XDG_DATA_HOME") return "/data";
      return std::nullopt;
    });
  }
  std::string Desktop() const { return (FTemp / "home" / "Bureau").string(); }

  test::TTempDir FTemp;
  TScriptedDialogs FDialogs;
  std::string FPath = "/before";
};

TEST_F(BrowseForFolderTest, ChosenFolderIsReturnedInThePath) {
  FDialogs.ChooserAnswers.push_back("/games/quake");
  EXPECT_TRUE(BrowseForFolder(FDialogs, FPath, "Pick one", "/games", Folders()));
  EXPECT_EQ(FPath, "/games/quake");
  ASSERT_EQ(FDialogs.ChooserCalls.size(), 1u);
  EXPECT_EQ(FDialogs.ChooserCalls[0].Kind, "folder");
  EXPECT_EQ(FDialogs.ChooserCalls[0].Title, "Pick one");
  EXPECT_EQ(FDialogs.ChooserCalls[0].Start, "/games");
}

TEST_F(BrowseForFolderTest, CancelLeavesThePathAlone) {
  FDialogs.ChooserAnswers.push_back(std::nullopt);
  EXPECT_FALSE(BrowseForFolder(FDialogs, FPath, "Pick one", "/games", Folders()));
  EXPECT_EQ(FPath, "/before");
}

TEST_F(BrowseForFolderTest, EmptyAnswerCountsAsCancel) {
  FDialogs.ChooserAnswers.push_back(std::string());
  EXPECT_FALSE(BrowseForFolder(FDialogs, FPath, "Pick one", TSpecialFolder::Drives, Folders()));
  EXPECT_EQ(FPath, "/before");
}

TEST_F(BrowseForFolderTest, EmptyRootPathMeansTheDesktop) {
  FDialogs.ChooserAnswers.push_back(std::nullopt);
  BrowseForFolder(FDialogs, FPath, "Pick one", "", Folders());
  ASSERT_EQ(FDialogs.ChooserCalls.size(), 1u);
  EXPECT_EQ(FDialogs.ChooserCalls[0].Start, Desktop());
}

TEST_F(BrowseForFolderTest, SpecialFolderRootsOpenWhereTheyLie) {
  for (int i = 0; i < 4; ++i)
    FDialogs.ChooserAnswers.push_back(std::nullopt);
  BrowseForFolder(FDialogs, FPath, "a", TSpecialFolder::DesktopRoot, Folders());
  BrowseForFolder(FDialogs, FPath, "b", TSpecialFolder::Drives, Folders());
  BrowseForFolder(FDialogs, FPath, "c", TSpecialFolder::Programs, Folders());
  BrowseForFolder(FDialogs, FPath, "d", TSpecialFolder::Printers, Folders());
  ASSERT_EQ(FDialogs.ChooserCalls.size(), 4u);
  EXPECT_EQ(FDialogs.ChooserCalls[0].Start, Desktop());
  EXPECT_EQ(FDialogs.ChooserCalls[1].Start, "/");
  EXPECT_EQ(FDialogs.ChooserCalls[2].Start, "/data/applications");
  EXPECT_EQ(FDialogs.ChooserCalls[3].Start, "");  // no folder: the chooser's own start
}

}  // namespace
}  // namespace fx
