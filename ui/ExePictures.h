#pragma once

namespace fx {

// The number of executable pictures, in the order the picture lists hold them: 0 Rendition,
// 1 OpenGL, 2 batch file, 3 WinQuake, 4 DOS.
inline constexpr int kExePictureCount = 5;

// The picture an executable list item shows for the type stored with the entry ("ExeType":
// 0 DOS, 1 WinQuake, 2 OpenGL, 3 Rendition, 4 batch file). A type the program does not
// know shows the DOS picture, as a plain DOS entry would.
int ExecutablePictureIndex(int exeType);

}  // namespace fx
