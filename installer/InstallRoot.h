#pragma once

// Where a package installs: the game folder when it can be written, else the chosen
// engine's per-user folder (the one the launch writes its scripts to in that case), which
// such engines search ahead of the game folder.

#include <string>

namespace fx {

struct TInstallRoot {
  std::string Folder;  // the folder packages install below; "" when there is none
  bool InUserFolder = false;
  std::string Message;  // said to the user when InUserFolder or when Folder is ""
};

// `gameWritable`: whether the game folder can be written; `userFolder` is the engine's
// per-user folder ("" when it has none).
TInstallRoot ChooseInstallRoot(const std::string& gameFolder, bool gameWritable,
                               const std::string& userFolder);

}  // namespace fx
