#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

#include <vector>

namespace fx {

// The pictures the program carries in resources/fraxinel.qrc.
inline const QString kSplashPicture = QStringLiteral(":/pictures/splash.png");
inline const QString kProgramIconPicture = QStringLiteral(":/pictures/fraxinel.png");

// The frames of the turning window icon, the executable pictures as a strip of 16 x 16
// pictures, and one 64 x 48 file per executable picture (%1 is the picture index).
inline const QString kRotatingLogoFramePicture = QStringLiteral(":/pictures/logo%1.png");
inline const QString kExeSmallStripPicture = QStringLiteral(":/pictures/exe-small.png");
inline const QString kExeLargePicture = QStringLiteral(":/pictures/exe-large-%1.png");
// The JPEG pictures of the about box's credits, 1000 to 1003 (%1 is the number).
inline const QString kCreditPicture = QStringLiteral(":/pictures/credits-%1.jpg");

inline constexpr int kRotatingLogoFrameCount = 6;
inline constexpr int kExeSmallPictureSize = 16;

// Makes the pictures reachable. They live in a static library, whose resource object the
// linker would otherwise leave out; every window that shows one calls this first. Calling
// it again does nothing.
void RegisterProgramPictures();

// The program icon, for windows and the application.
QIcon ProgramIcon();

// The six 16 x 16 frames of the animated window icon, in the order they are shown.
std::vector<QPixmap> RotatingLogoFrames();

// An executable picture by its index (ExecutablePictureIndex in ui/ExePictures.h): 16 x 16
// from the strip, or 64 x 48. A null pixmap for an index outside 0 to 4.
QPixmap ExecutableSmallPicture(int index);
QPixmap ExecutableLargePicture(int index);

// `picture` marked as a program that cannot be started: faded, with a red cross in its
// lower right corner (a null pixmap stays null).
QPixmap UnusablePicture(const QPixmap& picture);

}  // namespace fx
