#include "ui/ExePictures.h"

#include <gtest/gtest.h>

namespace fx {
namespace {

TEST(ExePictures, EachExecutableTypeShowsItsOwnPicture) {
  // Stored "ExeType" values: DOS, WinQuake, OpenGL, Rendition, batch file.
  constexpr int kPictureOfType[] = {4, 3, 1, 0, 2};
  for (int type = 0; type < 5; ++type)
    EXPECT_EQ(ExecutablePictureIndex(type), kPictureOfType[type]) << type;
}

TEST(ExePictures, ATypeTheProgramDoesNotKnowShowsTheDosPicture) {
  for (const int type : {-1, 5, 255})
    EXPECT_EQ(ExecutablePictureIndex(type), 4) << type;
}

}  // namespace
}  // namespace fx
