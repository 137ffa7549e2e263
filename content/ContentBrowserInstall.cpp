// The content browser's install: the packages in their order, each downloaded and
// installed through the installer, and the installed state checked again after.

#include <QMessageBox>

#include "content/ContentBrowserDlg.h"
#include "content/ContentInstall.h"
#include "content/ContentText.h"
#include "content/Dependencies.h"
#include "installer/Installer.h"
#include "installer/PackageStore.h"
#include "installer/QtDownloader.h"
#include "platform/InstallFiles.h"
#include "ui_ContentBrowserDlg.h"

namespace fx {

std::optional<std::string> TContentBrowserDlg::InstallOne(const TContentPackage& p) {
  TDownloadRequest download;
  download.Urls = p.Urls;
  download.Target =
      (FOptions.DownloadFolder.empty() ? ProgramDownloadFolder() : FOptions.DownloadFolder) /
      (p.Id + ".zip");
  if (p.Bytes) download.Size = p.Bytes;
  // The JSON records give the archive's SHA-256, the XML database its MD5.
  if (!p.Sha256.empty())
    download.Hash = {THashKind::Sha256, p.Sha256};
  else if (!p.Md5.empty())
    download.Hash = {THashKind::Md5, p.Md5};
  const TDownloadResult fetched = DownloadAndWait(*FOptions.Downloader, download, {});
  if (fetched.Outcome != TDownloadOutcome::Done && fetched.Outcome != TDownloadOutcome::FromCache)
    return p.Id + ": " + fetched.ErrorText();
  TInstallRequest request;
  request.Archive = fetched.File.string();
  request.GameFolder = FOptions.GameFolder.string();
  request.Target = InstallTargetOf(p);
  request.Name = p.Id;
  request.SourceUrl = fetched.Url;
  TPackageStore store(FOptions.PackageFolder.empty() ? TPackageStore::DefaultFolder()
                                                     : FOptions.PackageFolder);
  const auto files = OpenInstallFiles(FOptions.GameFolder);
  const TInstallPlan plan = fx::PlanInstall(request, store, *files);
  if (!plan.Installable()) return p.Id + ": " + RefusalLine(plan.Refusals.front());
  TNoProgress progress;
  const TInstallOutcome outcome = InstallPackage(plan, request, store, *files, progress);
  if (outcome.Phase != TInstallPhase::Done)
    return p.Id + ": " +
           (outcome.Refusals.empty() ? std::string("not installed")
                                     : RefusalLine(outcome.Refusals.front()));
  return std::nullopt;
}

void TContentBrowserDlg::InstallClick() {
  const auto index = CurrentPackage();
  if (!index || FOptions.GameFolder.empty()) return;
  const std::vector<TContentPackage>& packages = FModel->Packages();
  const std::vector<TInstallState> states = FModel->States();
  const TInstallOrder order = fx::PlanInstall(
      packages, *index, [&](std::size_t i) { return states[i] == TInstallState::Installed; });
  if (!order.Ok()) {
    std::string text = "It cannot be installed:";
    for (const std::string& problem : order.Problems)
      text += "\n" + problem;
    FUi->StatusLabel->setText(QString::fromStdString(text));
    return;
  }
  std::string text = "Install into " + FOptions.GameFolder.string() + ", in this order:";
  for (const std::size_t i : order.Order)
    text += "\n  " + packages[i].Id + " (" + FormatDate(packages[i].Date) + ")";
  const bool yes = FOptions.Confirm
                       ? FOptions.Confirm(text)
                       : QMessageBox::question(this, tr("Install"), QString::fromStdString(text)) ==
                             QMessageBox::Yes;
  if (!yes) return;
  QStringList done;
  for (const std::size_t i : order.Order) {
    std::optional<std::string> failure;
    try {
      failure = InstallOne(packages[i]);
    } catch (const std::exception& e) {
      failure = packages[i].Id + ": " + e.what();
    }
    if (failure) {
      FUi->StatusLabel->setText(
          tr("Installed: %1; not installed: %2")
              .arg(done.join(QStringLiteral(", ")), QString::fromStdString(*failure)));
      return;
    }
    done << QString::fromStdString(packages[i].Id);
  }
  // The installed state again, from the files now there.
  std::vector<TInstallState> now = states;
  const auto files = OpenInstallFiles(FOptions.GameFolder);
  for (const std::size_t i : order.Order)
    now[i] = CheckInstalled(packages[i], *files);
  FModel->SetPackages(packages, std::move(now));
  Refilter();
  SelectPackage(*index);
  FUi->StatusLabel->setText(tr("Installed: %1").arg(done.join(QStringLiteral(", "))));
}

}  // namespace fx
