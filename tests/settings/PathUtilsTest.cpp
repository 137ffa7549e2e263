// Path routines: separators of both kinds in, the platform's out; file names and
// extensions; sizes in kilobytes as the map browser shows them.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "settings/PathUtils.h"

namespace fx {
namespace {

TEST(PathUtilsTest, EnsureBackslashAddsOneSeparatorOnlyWhereNoneEnds) {
  EXPECT_EQ(EnsureBackslash(""), "");
  EXPECT_EQ(EnsureBackslash("/games/quake"), "/games/quake/");
  EXPECT_EQ(EnsureBackslash("/games/quake/"), "/games/quake/");
  EXPECT_EQ(EnsureBackslash("C:\\Quake\\"), "C:\\Quake\\");
  EXPECT_EQ(EnsureBackslash("C:\\Quake"), "C:\\Quake/");
}

TEST(PathUtilsTest, RemoveBackslashTakesOnlyOneSeparatorOfEitherKind) {
  EXPECT_EQ(RemoveBackslash(""), "");
  EXPECT_EQ(RemoveBackslash("/games/quake"), "/games/quake");
  EXPECT_EQ(RemoveBackslash("/games/quake/"), "/games/quake");
  EXPECT_EQ(RemoveBackslash("/games/quake//"), "/games/quake/");
  EXPECT_EQ(RemoveBackslash("C:\\Quake\\\\"), "C:\\Quake\\");
  EXPECT_EQ(RemoveBackslash("/"), "");
}

TEST(PathUtilsTest, JoinPathGivesExactlyOneSeparatorWhicheverSideHasOne) {
  EXPECT_EQ(JoinPath("/games/quake", "\\ID1\\PAK1.PAK"), "/games/quake/ID1/PAK1.PAK");
  EXPECT_EQ(JoinPath("/games/quake/", "ID1\\PAK1.PAK"), "/games/quake/ID1/PAK1.PAK");
  EXPECT_EQ(JoinPath("/games/quake", "/id1/pak1.pak"), "/games/quake/id1/pak1.pak");
  EXPECT_EQ(JoinPath("/games/quake", "id1"), "/games/quake/id1");
  // Only one leading separator is dropped, as the Windows routine did.
  EXPECT_EQ(JoinPath("/games/quake", "\\\\ctf"), "/games/quake//ctf");
}

TEST(PathUtilsTest, JoinPathWithAnEmptyFolderGivesTheNameAlone) {
  EXPECT_EQ(JoinPath("", "\\QUAKE.EXE"), "QUAKE.EXE");
  EXPECT_EQ(JoinPath("", "ID1\\CONFIG.CFG"), "ID1/CONFIG.CFG");
  EXPECT_EQ(JoinPath("/games/quake", ""), "/games/quake/");
}

TEST(PathUtilsTest, JoinPath3JoinsBothParts) {
  EXPECT_EQ(JoinPath3("/games/quake", "ctf\\", "\\CONFIG.CFG"), "/games/quake/ctf/CONFIG.CFG");
  EXPECT_EQ(JoinPath3("/games/quake/", "\\id1", "maps\\e1m1.bsp"),
            "/games/quake/id1/maps/e1m1.bsp");
  EXPECT_EQ(JoinPath3("", "", "demo1.dem"), "demo1.dem");
}

TEST(PathUtilsTest, FolderExistsOnlyForFolders) {
  test::TTempDir temp;
  test::WriteFileBytes(temp / "id1" / "pak0.pak", "PACK");
  EXPECT_TRUE(FolderExists(temp.Path().string()));
  EXPECT_TRUE(FolderExists((temp / "id1").string()));
  EXPECT_TRUE(FolderExists((temp / "id1").string() + "/"));
  EXPECT_FALSE(FolderExists((temp / "id1" / "pak0.pak").string()));
  EXPECT_FALSE(FolderExists((temp / "missing").string()));
  EXPECT_FALSE(FolderExists(""));
}

TEST(PathUtilsTest, HasExtensionComparesTheLastExtensionIgnoringCase) {
  EXPECT_TRUE(HasExtension("E1M1.BSP", ".bsp"));
  EXPECT_TRUE(HasExtension("/games/quake/id1/maps/e1m1.Bsp", ".BSP"));
  EXPECT_TRUE(HasExtension("demo.tar.dem", ".dem"));
  EXPECT_FALSE(HasExtension("demo.dem.txt", ".dem"));
  EXPECT_FALSE(HasExtension("e1m1", ".bsp"));
  EXPECT_FALSE(HasExtension("bsp", ".bsp"));
  // A dot in a folder name is no extension of the file.
  EXPECT_FALSE(HasExtension("C:\\quake.bsp\\readme", ".bsp"));
  EXPECT_FALSE(HasExtension("/games/x.bsp/readme", ".bsp"));
  EXPECT_TRUE(HasExtension("/games/x.bsp/readme", ""));
}

TEST(PathUtilsTest, ExtractFileTitleDropsFolderAndExtension) {
  EXPECT_EQ(ExtractFileTitle("/games/quake/id1/maps/e1m1.bsp"), "e1m1");
  EXPECT_EQ(ExtractFileTitle("C:\\Quake\\ctf\\readme.txt"), "readme");
  EXPECT_EQ(ExtractFileTitle("archive.tar.gz"), "archive.tar");
  EXPECT_EQ(ExtractFileTitle("/games/v1.06/README"), "README");
  EXPECT_EQ(ExtractFileTitle("e1m1"), "e1m1");
  EXPECT_EQ(ExtractFileTitle("/games/quake/"), "");
}

struct TKbCase {
  std::int64_t Bytes;
  std::string Comma;  // with "," as the thousands separator
  std::string Dot;    // with "."
  std::string None;   // with no separator
};

void PrintTo(const TKbCase& c, std::ostream* os) {
  *os << c.Bytes << " bytes";
}

class FormatKBTest : public ::testing::TestWithParam<TKbCase> {};

TEST_P(FormatKBTest, FormatsWholeKilobytesWithTheGivenSeparator) {
  const TKbCase& c = GetParam();
  TFormatSettings format;
  format.ThousandSeparator = ",";
  EXPECT_EQ(FormatKB(c.Bytes, format), c.Comma);
  format.ThousandSeparator = ".";
  EXPECT_EQ(FormatKB(c.Bytes, format), c.Dot);
  format.ThousandSeparator = "";
  EXPECT_EQ(FormatKB(c.Bytes, format), c.None);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FormatKBTest,
    ::testing::Values(TKbCase{0, "0 KB", "0 KB", "0 KB"},  //
                      TKbCase{1, "1 KB", "1 KB", "1 KB"},  // below a kilobyte counts as one
                      TKbCase{700, "1 KB", "1 KB", "1 KB"}, TKbCase{1023, "1 KB", "1 KB", "1 KB"},
                      TKbCase{1024, "1 KB", "1 KB", "1 KB"},
                      // 1.5 KB: an exact half, rounded to even.
                      TKbCase{1536, "2 KB", "2 KB", "2 KB"},
                      // 2.5 KB: an exact half, rounded to even, down.
                      TKbCase{2560, "2 KB", "2 KB", "2 KB"}, TKbCase{2561, "3 KB", "3 KB", "3 KB"},
                      TKbCase{1048576, "1,024 KB", "1.024 KB", "1024 KB"},
                      TKbCase{999 * 1024, "999 KB", "999 KB", "999 KB"},
                      TKbCase{1000 * 1024, "1,000 KB", "1.000 KB", "1000 KB"},
                      TKbCase{1234567LL * 1024, "1,234,567 KB", "1.234.567 KB", "1234567 KB"}));

TEST(PathUtilsTest, FormatKBTakesAMultiByteSeparatorWhole) {
  TFormatSettings format;
  format.ThousandSeparator = "\xE2\x80\xAF";  // narrow no-break space, as some locales use
  EXPECT_EQ(FormatKB(1048576, format),
            "1\xE2\x80\xAF"
            "024 KB");
}

TEST(PathUtilsTest, FormatKBUsesTheProgramWideSettingsByDefault) {
  const TFormatSettings saved = FormatSettings();
  FormatSettings().ThousandSeparator = "'";
  EXPECT_EQ(FormatKB(5 * 1048576), "5'120 KB");
  FormatSettings() = saved;
}

}  // namespace
}  // namespace fx
