#include "ui/ExePictures.h"

#include <array>

namespace fx {

int ExecutablePictureIndex(int exeType) {
  // Indexed by TExeType's ordinals: DOS, WinQuake, OpenGL, Rendition, batch file.
  constexpr std::array<int, 5> kPictureOfType{4, 3, 1, 0, 2};
  if (exeType < 0 || exeType >= static_cast<int>(kPictureOfType.size())) return 4;
  return kPictureOfType[static_cast<std::size_t>(exeType)];
}

}  // namespace fx
