#pragma once

// "Packages": what is installed (name, where, size, files, date, mod folder, state), with
// "Uninstall", "Verify" and "Open Folder". The states are checked on a thread of their own
// when the dialog opens, and each action runs off the GUI thread behind a bar.

#include <QDialog>

#include <memory>
#include <vector>

#include "installer/Installer.h"

namespace Ui {
class PackagesDlg;
}

namespace fx {

class TUserDialogs;

class TPackagesDlg : public QDialog {
  Q_OBJECT

 public:
  // `open`: the file system of a game folder (unset: the real one).
  TPackagesDlg(TPackageStore& store, TUserDialogs& dialogs, TFilesOpener open = {},
               QWidget* parent = nullptr);
  ~TPackagesDlg() override;

  // Reads the manifests again and checks each package's state.
  void Refresh();

 protected:
  void reject() override;  // not while work runs: it ends first

 private:
  void UninstallClick();
  void VerifyClick();
  void OpenFolderClick();
  const TPackageManifest* Selected() const;
  void SetWorking(bool working, const QString& what = {});
  void ShowRow(std::size_t index, std::optional<TPackageState> state);

  std::unique_ptr<Ui::PackagesDlg> FUi;
  TPackageStore& FStore;
  TUserDialogs& FDialogs;
  TFilesOpener FOpen;
  std::vector<TPackageManifest> FPackages;
  bool FWorking = false;
};

}  // namespace fx
