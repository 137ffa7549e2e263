#pragma once

#include <QIcon>
#include <QString>

namespace fx {

// The pictures the program carries in resources/fraxinel.qrc.
inline const QString kSplashPicture = QStringLiteral(":/pictures/splash.png");
inline const QString kProgramIconPicture = QStringLiteral(":/pictures/fraxinel.png");

// Makes the pictures reachable. They live in a static library, whose resource object the
// linker would otherwise leave out; every window that shows one calls this first. Calling
// it again does nothing.
void RegisterProgramPictures();

// The program icon, for windows and the application.
QIcon ProgramIcon();

}  // namespace fx
