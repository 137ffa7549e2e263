#include "ui/ProgramPictures.h"

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

}  // namespace fx
