#pragma once

#include <string>

#include "platform/SpecialFolders.h"
#include "settings/SpecialFolder.h"
#include "ui/UserDialogs.h"

class QWidget;

namespace fx {

// Lets the user choose a folder. The chooser opens at the root: `rootPath`, or the desktop
// when that is empty; or the special folder `root` (one without a file-system folder opens
// at the user's home). Returns true with the chosen folder in `path`; when the user cancels
// it returns false and leaves `path` as it was.
bool BrowseForFolder(TUserDialogs& dialogs, std::string& path, const std::string& title,
                     const std::string& rootPath, const TXdgFolders& folders = TXdgFolders());
bool BrowseForFolder(TUserDialogs& dialogs, std::string& path, const std::string& title,
                     TSpecialFolder root, const TXdgFolders& folders = TXdgFolders());

// The same with Qt's folder dialog, owned by `parent` (may be null).
bool BrowseForFolder(QWidget* parent, std::string& path, const std::string& title,
                     const std::string& rootPath);
bool BrowseForFolder(QWidget* parent, std::string& path, const std::string& title,
                     TSpecialFolder root);

}  // namespace fx
