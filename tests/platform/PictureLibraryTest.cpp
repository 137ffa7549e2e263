#include "platform/PictureLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

const std::filesystem::path kBuiltLibrary = FX_PICTURE_LIBRARY_RCC;

// The roots that Qt's resource system holds at the top level, which is where every opened
// library maps its pictures.
QStringList ResourceRoots() {
  return QDir(QStringLiteral(":/")).entryList();
}

std::string RandomBytes(std::size_t count, std::uint32_t seed) {
  std::minstd_rand random(seed);
  std::string bytes(count, '\0');
  for (char& c : bytes)
    c = static_cast<char>(random() & 0xff);
  return bytes;
}

TEST(PictureLibrary, ShowsEveryPlayModeAndGameTypePicture) {
  const auto library = TPictureLibrary::Open(kBuiltLibrary);
  ASSERT_NE(library, nullptr) << kBuiltLibrary;
  for (int mode = 0; mode <= 4; ++mode)
    EXPECT_EQ(library->Picture(1000 + mode).size(), QSize(128, 96)) << 1000 + mode;
  for (int type = 0; type <= 7; ++type)
    EXPECT_EQ(library->Picture(21000 + type).size(), QSize(96, 96)) << 21000 + type;
}

TEST(PictureLibrary, HasNoPictureForOtherNumbers) {
  const auto library = TPictureLibrary::Open(kBuiltLibrary);
  ASSERT_NE(library, nullptr);
  for (const int number : {0, -1, 999, 1005, 20999, 21008, 1000000})
    EXPECT_TRUE(library->Picture(number).isNull()) << number;
}

TEST(PictureLibrary, IsAbsentWhenTheFileIsMissingOrNotALibrary) {
  test::TTempDir dir;
  EXPECT_EQ(TPictureLibrary::Open(dir / "fxgold.rcc"), nullptr);
  EXPECT_EQ(TPictureLibrary::Open(dir.Path()), nullptr);
  EXPECT_EQ(TPictureLibrary::Open({}), nullptr);

  test::WriteFileBytes(dir / "empty.rcc", "");
  EXPECT_EQ(TPictureLibrary::Open(dir / "empty.rcc"), nullptr);
  test::WriteFileBytes(dir / "random.rcc", RandomBytes(4096, 1000));
  EXPECT_EQ(TPictureLibrary::Open(dir / "random.rcc"), nullptr);
  // The right signature and version, but parts that lie outside the file: far beyond its end,
  // at offsets whose top bit is set (negative when read as signed numbers), or inside the
  // header itself.
  using namespace std::string_literals;
  const std::string head = "qres\0\0\0\x03"s;
  for (const std::string& offsets :
       {"\0\0\x10\0\0\0\x10\0\0\0\x10\0"s, "\x80\0\0\x14\x80\0\0\x18\x80\0\0\x1c"s,
        "\xff\xff\xff\xf0\xff\xff\xff\xf0\xff\xff\xff\xf0"s, "\0\0\0\x04\0\0\0\x04\0\0\0\x04"s}) {
    test::WriteFileBytes(dir / "forged.rcc", head + offsets + RandomBytes(200, 21000));
    EXPECT_EQ(TPictureLibrary::Open(dir / "forged.rcc"), nullptr);
  }
  // A library cut short after its header.
  const std::string whole = test::ReadFileBytes(kBuiltLibrary);
  test::WriteFileBytes(dir / "short.rcc", whole.substr(0, 20));
  EXPECT_EQ(TPictureLibrary::Open(dir / "short.rcc"), nullptr);
}

TEST(PictureLibrary, ALibraryThatFailedToOpenLeavesNothingRegistered) {
  test::TTempDir dir;
  test::WriteFileBytes(dir / "random.rcc", RandomBytes(4096, 7));
  const QStringList before = ResourceRoots();
  EXPECT_EQ(TPictureLibrary::Open(dir / "random.rcc"), nullptr);
  EXPECT_EQ(ResourceRoots(), before);
}

TEST(PictureLibrary, TwoOpenLibrariesKeepTheirPicturesApart) {
  test::TTempDir dir;
  const std::filesystem::path copy = dir / "copy.rcc";
  std::filesystem::copy_file(kBuiltLibrary, copy);

  auto first = TPictureLibrary::Open(kBuiltLibrary);
  const auto second = TPictureLibrary::Open(copy);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  const QImage expected = first->Picture(21002).toImage();
  first.reset();
  EXPECT_EQ(second->Picture(21002).toImage(), expected);
}

TEST(PictureLibrary, ClosingTheLibraryTakesItsPicturesAway) {
  const QStringList before = ResourceRoots();
  {
    const auto library = TPictureLibrary::Open(kBuiltLibrary);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(ResourceRoots().size(), before.size() + 1);
  }
  EXPECT_EQ(ResourceRoots(), before);
}

TEST(PictureLibrary, IsLookedForBesideTheProgram) {
  const std::filesystem::path expected =
      std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / "fxgold.rcc";
  EXPECT_EQ(TPictureLibrary::DefaultPath(), expected);
}

}  // namespace
}  // namespace fx
