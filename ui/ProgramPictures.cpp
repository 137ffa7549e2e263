#include "ui/ProgramPictures.h"

#include "exes/ExePictures.h"

// Q_INIT_RESOURCE names a function in the global namespace, so it cannot be used from
// inside fx.
static void InitFraxinelResource() {
  Q_INIT_RESOURCE(fraxinel);
}

namespace fx {

void RegisterProgramPictures() {
  static const bool registered = [] {
    InitFraxinelResource();
    return true;
  }();
  (void)registered;
}

QIcon ProgramIcon() {
  RegisterProgramPictures();
  return QIcon(kProgramIconPicture);
}

std::vector<QPixmap> RotatingLogoFrames() {
  RegisterProgramPictures();
  std::vector<QPixmap> frames;
  frames.reserve(kRotatingLogoFrameCount);
  for (int i = 0; i < kRotatingLogoFrameCount; ++i)
    frames.emplace_back(kRotatingLogoFramePicture.arg(i));
  return frames;
}

QPixmap ExecutableSmallPicture(int index) {
  if (index < 0 || index >= kExePictureCount) return {};
  RegisterProgramPictures();
  const QPixmap strip(kExeSmallStripPicture);
  return strip.copy(index * kExeSmallPictureSize, 0, kExeSmallPictureSize, kExeSmallPictureSize);
}

QPixmap ExecutableLargePicture(int index) {
  if (index < 0 || index >= kExePictureCount) return {};
  RegisterProgramPictures();
  return QPixmap(kExeLargePicture.arg(index));
}

}  // namespace fx
