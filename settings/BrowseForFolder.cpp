#include "settings/BrowseForFolder.h"

#include "ui/QtUserDialogs.h"

namespace fx {

namespace {

bool Browse(TUserDialogs& dialogs, std::string& path, const std::string& title,
            const std::string& start) {
  auto chosen = dialogs.ChooseFolder(title, start);
  if (!chosen || chosen->empty()) return false;
  path = std::move(*chosen);
  return true;
}

}  // namespace

bool BrowseForFolder(TUserDialogs& dialogs, std::string& path, const std::string& title,
                     const std::string& rootPath, const TXdgFolders& folders) {
  if (rootPath.empty())
    return BrowseForFolder(dialogs, path, title, TSpecialFolder::Desktop, folders);
  return Browse(dialogs, path, title, rootPath);
}

bool BrowseForFolder(TUserDialogs& dialogs, std::string& path, const std::string& title,
                     TSpecialFolder root, const TXdgFolders& folders) {
  return Browse(dialogs, path, title, GetSpecialFolderPath(root, folders));
}

bool BrowseForFolder(QWidget* parent, std::string& path, const std::string& title,
                     const std::string& rootPath) {
  TQtUserDialogs dialogs(parent);
  return BrowseForFolder(dialogs, path, title, rootPath);
}

bool BrowseForFolder(QWidget* parent, std::string& path, const std::string& title,
                     TSpecialFolder root) {
  TQtUserDialogs dialogs(parent);
  return BrowseForFolder(dialogs, path, title, root);
}

}  // namespace fx
