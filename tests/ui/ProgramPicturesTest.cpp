#include "ui/ProgramPictures.h"

#include <QColor>
#include <QHash>
#include <QImage>

#include <gtest/gtest.h>

#include <cstddef>
#include <set>

#include "ui/ExePictures.h"

namespace fx {
namespace {

std::size_t PixelHash(const QPixmap& picture) {
  const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
  return qHashBits(image.constBits(), static_cast<std::size_t>(image.sizeInBytes()));
}

// Whether the picture's corner is see-through, as the key colour used to make it.
bool CornerIsTransparent(const QPixmap& picture) {
  return picture.toImage().pixelColor(0, 0).alpha() == 0;
}

TEST(ProgramPictures, TheWindowIconTurnsThroughSixDifferentFrames) {
  const std::vector<QPixmap> frames = RotatingLogoFrames();
  ASSERT_EQ(frames.size(), 6u);
  std::set<std::size_t> distinct;
  for (const QPixmap& frame : frames) {
    EXPECT_EQ(frame.size(), QSize(16, 16));
    distinct.insert(PixelHash(frame));
  }
  EXPECT_EQ(distinct.size(), 6u);
}

TEST(ProgramPictures, EveryExecutablePictureIsThereInBothSizes) {
  for (int index = 0; index < kExePictureCount; ++index) {
    const QPixmap small = ExecutableSmallPicture(index);
    const QPixmap large = ExecutableLargePicture(index);
    EXPECT_EQ(small.size(), QSize(16, 16)) << index;
    EXPECT_EQ(large.size(), QSize(64, 48)) << index;
    EXPECT_TRUE(CornerIsTransparent(small)) << index;
    EXPECT_TRUE(CornerIsTransparent(large)) << index;
  }
}

TEST(ProgramPictures, TheSmallPicturesAreTheFivePartsOfTheStrip) {
  std::set<std::size_t> distinct;
  for (int index = 0; index < kExePictureCount; ++index)
    distinct.insert(PixelHash(ExecutableSmallPicture(index)));
  EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kExePictureCount));
}

TEST(ProgramPictures, AnIndexOutsideTheListGivesNoPicture) {
  for (const int index : {-1, kExePictureCount}) {
    EXPECT_TRUE(ExecutableSmallPicture(index).isNull()) << index;
    EXPECT_TRUE(ExecutableLargePicture(index).isNull()) << index;
  }
}

}  // namespace
}  // namespace fx
