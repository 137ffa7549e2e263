#include "gamedata/DocumentList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

using Names = std::vector<std::string>;

TEST(FileMaskTest, MatchesWholeNamesIgnoringCase) {
  EXPECT_TRUE(MatchesFileMask("README.TXT", "*.txt"));
  EXPECT_TRUE(MatchesFileMask("notes.txt", "*.TXT"));
  EXPECT_TRUE(MatchesFileMask("E1M1.bsp", "*.bsp"));
  EXPECT_FALSE(MatchesFileMask("notes.txt.bak", "*.txt"));
  EXPECT_FALSE(MatchesFileMask("notestxt", "*.txt"));
  EXPECT_FALSE(MatchesFileMask("info.html", "*.htm"));
  EXPECT_TRUE(MatchesFileMask("a.b.c.txt", "*.*.txt"));
  EXPECT_TRUE(MatchesFileMask("e1m1.bsp", "e?m?.bsp"));
  EXPECT_FALSE(MatchesFileMask("e1m10.bsp", "e?m?.bsp"));
}

TEST(FileMaskTest, DotStarAlsoMatchesNamesWithoutDot) {
  EXPECT_TRUE(MatchesFileMask("readme", "read*.*"));
  EXPECT_TRUE(MatchesFileMask("READ", "read*.*"));
  EXPECT_TRUE(MatchesFileMask("Readme.1st", "read*.*"));
  EXPECT_FALSE(MatchesFileMask("thread.txt", "read*.*"));
  EXPECT_FALSE(MatchesFileMask("rea", "read*.*"));
}

class DocumentListTest : public ::testing::Test {
 protected:
  test::TTempDir FDir;
  void Touch(std::string_view name) { test::WriteFileBytes(FDir / name, "x"); }
};

TEST_F(DocumentListTest, ReadmeTxtIsListedOnceUnderTxt) {
  Touch("readme.txt");
  Touch("other.doc");
  EXPECT_EQ(ListDocuments(FDir.Path()), (Names{"readme.txt", "other.doc"}));
}

TEST_F(DocumentListTest, HtmAndHtmlAreBothListed) {
  Touch("info.html");
  Touch("info.htm");
  EXPECT_EQ(ListDocuments(FDir.Path()), (Names{"info.htm", "info.html"}));
}

TEST_F(DocumentListTest, PatternsGiveTheOrderAndAnyCaseMatches) {
  Touch("readme");
  Touch("README.1ST");
  Touch("zeta.txt");
  Touch("Alpha.TXT");
  Touch("manual.DOC");
  Touch("page.htm");
  Touch("map.bsp");
  Touch("pak0.pak");
  EXPECT_EQ(ListDocuments(FDir.Path()),
            (Names{"Alpha.TXT", "zeta.txt", "manual.DOC", "page.htm", "readme", "README.1ST"}));
}

TEST_F(DocumentListTest, NamesDifferingOnlyInCaseAreListedOnce) {
  Touch("notes.txt");
  Touch("NOTES.TXT");
  const Names found = ListDocuments(FDir.Path());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], "NOTES.TXT");
}

TEST_F(DocumentListTest, HiddenFilesAndFoldersAreIncluded) {
  Touch(".hidden.txt");
  std::filesystem::create_directory(FDir / "guides.txt");
  Touch("readme.d/inner.txt");  // a folder matching "read*.*"; its content is not looked at
  EXPECT_EQ(ListDocuments(FDir.Path()), (Names{".hidden.txt", "guides.txt", "readme.d"}));
}

TEST_F(DocumentListTest, MissingOrEmptyFolderHasNoDocuments) {
  EXPECT_TRUE(ListDocuments(FDir.Path()).empty());
  EXPECT_TRUE(ListDocuments(FDir / "missing").empty());
  Touch("plainfile");
  EXPECT_TRUE(ListDocuments(FDir / "plainfile").empty());
}

}  // namespace
}  // namespace fx
