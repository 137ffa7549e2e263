#pragma once

#include <string>

#include "platform/SpecialFolders.h"

namespace fx {

// The shell's special folders the program can name, in the order of the shell's folder
// table. The values are stored nowhere, but they keep their places so that code ported
// from the table keeps its meaning.
enum class TSpecialFolder {
  Desktop = 0,
  DesktopRoot = 1,  // the desktop as the top of the folder tree
  Programs = 2,     // the start menu's programs
  ControlPanel = 3,
  Printers = 4,
  Personal = 5,
  Favorites = 6,
  Startup = 7,
  Recent = 8,
  SendTo = 9,
  RecycleBin = 10,
  StartMenu = 11,
  DesktopDirectory = 12,
  Drives = 13,  // the computer's drives
  Network = 14,
  NetHood = 15,
  Fonts = 16,
  Templates = 17,
};

// The file-system folder that stands for `folder` on this desktop, or "" when there is
// none (control panel, printers, recycle bin, ...), as the shell answers for virtual
// folders. The drives are the file system's root.
std::string GetSpecialFolderPath(TSpecialFolder folder, const TXdgFolders& folders);
// The same for the process environment.
std::string GetSpecialFolderPath(TSpecialFolder folder);

}  // namespace fx
