// The main window's package installer: "Install Package..." and "Installed Packages..." in
// the "&File" menu, and a package file dropped on the window.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

#include <exception>

#include "exes/EngineProfiles.h"
#include "installer/InstallRoot.h"
#include "installer/PackageInstallDlg.h"
#include "installer/PackagesDlg.h"
#include "launcher/FXLaunchForm.h"
#include "launcher/LaunchPipeline.h"
#include "platform/InstallFiles.h"
#include "ui/UserDialogs.h"
#include "ui_FXLaunchForm.h"

namespace fx {

namespace {

// The first local file of a drag that the installer takes.
std::optional<std::string> DroppedPackage(const QMimeData* data) {
  if (!data || !data->hasUrls()) return std::nullopt;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile() && IsPackageFileName(url.toLocalFile().toStdString()))
      return url.toLocalFile().toStdString();
  return std::nullopt;
}

}  // namespace

void TFXLaunchForm::SetUpPackages() {
  connect(FUi->miInstallPackage, &QAction::triggered, this, &TFXLaunchForm::miInstallPackageClick);
  connect(FUi->miInstalledPackages, &QAction::triggered, this,
          &TFXLaunchForm::miInstalledPackagesClick);
  setAcceptDrops(true);
}

void TFXLaunchForm::miInstallPackageClick() {
  const auto file = FDialogs->ChooseOpenFile("Install Package",
                                             "Packages|*.zip;*.pk3;*.pak;*.bsp|All Files|*.*", "");
  if (file) InstallPackageFile(*file);
}

void TFXLaunchForm::miInstalledPackagesClick() {
  try {
    TPackageStore store(TPackageStore::DefaultFolder());
    TPackagesDlg dialog(store, *FDialogs, {}, this);
    dialog.exec();
  } catch (const std::exception& e) {
    ReportException(e);
  }
}

void TFXLaunchForm::InstallPackageFile(const std::string& file) {
  try {
    TInstallRequest request;
    request.Archive = file;
    const std::string game = GameFolder();
    std::filesystem::path user;
    if (const int exe = SelectedExe(); exe >= 0) {
      const TQuakeExe& chosen = FExes[static_cast<std::size_t>(exe)];
      user = EngineLooksFor(GatherLaunchInput(), FXSettings(), chosen, CurrentUserHomes())
                 .SureUserFolder();
      request.EngineReadsPk3 = EngineProfileFor(chosen.ExeName).LoadsPk3;
    }
    // Where the launch would put its scripts, the install puts the package.
    const bool writable = std::filesystem::is_directory(game) && OpenInstallFiles(game)->Writable();
    const TInstallRoot root = ChooseInstallRoot(game, writable, user.string());
    if (root.Folder.empty()) {
      ShowError(root.Message);
      return;
    }
    if (root.InUserFolder &&
        FDialogs->ShowMessage({root.Message + "\nInstall into " + root.Folder + "?", "Warning",
                               TMsgIcon::Warning, TMsgButtons::YesNo, TMsgResult::Yes}) !=
            TMsgResult::Yes)
      return;
    std::filesystem::create_directories(root.Folder);
    request.GameFolder = root.Folder;
    TPackageStore store(TPackageStore::DefaultFolder());
    InstallPackageInWindow({this, *FDialogs, store, {}}, std::move(request));
  } catch (const std::exception& e) {
    ReportException(e);
  }
}

void TFXLaunchForm::dragEnterEvent(QDragEnterEvent* event) {
  if (DroppedPackage(event->mimeData())) event->acceptProposedAction();
}

void TFXLaunchForm::dropEvent(QDropEvent* event) {
  const auto file = DroppedPackage(event->mimeData());
  if (!file) return;
  event->acceptProposedAction();
  // The drop returns to the program it came from before the plan's dialog opens.
  QTimer::singleShot(0, this, [this, path = *file] { InstallPackageFile(path); });
}

}  // namespace fx
