#include "exes/ExePictures.h"

#include <gtest/gtest.h>

#include "exes/FXExes.h"

namespace fx {
namespace {

TEST(ExePictures, EachExecutableTypeShowsItsOwnPicture) {
  EXPECT_EQ(ExecutablePictureIndex(static_cast<int>(TExeType::DosQuake)), 4);
  EXPECT_EQ(ExecutablePictureIndex(static_cast<int>(TExeType::WinQuake)), 3);
  EXPECT_EQ(ExecutablePictureIndex(static_cast<int>(TExeType::OpenGLQuake)), 1);
  EXPECT_EQ(ExecutablePictureIndex(static_cast<int>(TExeType::Rendition)), 0);
  EXPECT_EQ(ExecutablePictureIndex(static_cast<int>(TExeType::Q95BatchFile)), 2);
}

TEST(ExePictures, ATypeTheProgramDoesNotKnowShowsTheDosPicture) {
  for (const int type : {-1, kExeTypeCount, 255})
    EXPECT_EQ(ExecutablePictureIndex(type), 4) << type;
}

}  // namespace
}  // namespace fx
