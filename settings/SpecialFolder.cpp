#include "settings/SpecialFolder.h"

namespace fx {

std::string GetSpecialFolderPath(TSpecialFolder folder, const TXdgFolders& folders) {
  switch (folder) {
    case TSpecialFolder::Desktop:
    case TSpecialFolder::DesktopRoot:
    case TSpecialFolder::DesktopDirectory:
      return folders.Desktop().string();
    case TSpecialFolder::Programs:
      return folders.ProgramsMenu().string();
    case TSpecialFolder::Personal:
      return folders.Home().string();
    case TSpecialFolder::Drives:
      return "/";
    default:
      // No freedesktop counterpart that the program could rely on.
      return {};
  }
}

std::string GetSpecialFolderPath(TSpecialFolder folder) {
  return GetSpecialFolderPath(folder, TXdgFolders());
}

}  // namespace fx
