#include "installer/PackageInstallDlg.h"

#include <QEventLoop>

#include <exception>
#include <filesystem>
#include <mutex>

#include "installer/Archive.h"
#include "installer/BackgroundWork.h"
#include "installer/InstallPlanDlg.h"
#include "installer/PackageProgressDlg.h"
#include "installer/PackageRows.h"
#include "platform/InstallFiles.h"
#include "ui/UserDialogs.h"

namespace fx {

namespace {

void Say(TUserDialogs& dialogs, const std::string& text, TMsgIcon icon) {
  dialogs.ShowMessage({text, "Install Package", icon, TMsgButtons::Ok, TMsgResult::Ok});
}

std::string OutcomeText(const TInstallOutcome& outcome) {
  std::string text;
  for (const TRefusal& refusal : outcome.Refusals)
    text += (text.empty() ? "" : "\n") + RefusalLine(refusal);
  return text;
}

}  // namespace

bool IsPackageFileName(const std::string& name) {
  const std::string extension = std::filesystem::path(name).extension().string();
  std::string lower;
  for (const char c : extension)
    lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == ".zip" || lower == ".pk3" || lower == ".pak" || lower == ".bsp";
}

std::optional<TPackageManifest> InstallPackageInWindow(const TWindowInstall& context,
                                                       TInstallRequest request) {
  const TFilesOpener open = context.Open ? context.Open : [](const std::string& folder) {
    return OpenInstallFiles(folder);
  };
  const std::string archiveName = std::filesystem::path(request.Archive).filename().string();
  try {
    std::unique_ptr<TInstallFiles> files = open(request.GameFolder);
    // Reading the directory and hashing the archive take a while for a big one.
    auto plan = [&](const std::string& into, const std::map<std::string, TReplaceAnswer>& answers) {
      request.Into = into;
      request.Answers = answers;
      TInstallPlan made;
      RunInBackground([&] { made = PlanInstall(request, context.Store, *files); });
      return made;
    };
    TInstallPlan first = plan(request.Into, request.Answers);
    TInstallPlanDlg confirm(std::move(first), archiveName, IntoChoices(*files), plan,
                            context.Parent);
    if (confirm.exec() != QDialog::Accepted) return std::nullopt;
    request.Into = confirm.Into();
    request.Answers = confirm.Answers();

    TPackageProgressDlg progress(context.Parent);
    progress.SetWhat("Installing " + confirm.Plan().Name + " into " + confirm.Plan().Folder);
    progress.setModal(true);
    progress.show();
    TSharedProgress shared;
    QObject::connect(&progress, &TPackageProgressDlg::cancelRequested, &progress,
                     [&shared] { shared.Cancel(); });
    TInstallOutcome outcome;
    std::optional<TPackageManifest> found;
    RunInBackground(
        [&] {
          // Files already there with the archive's content are recorded, not unpacked.
          if (!confirm.Plan().Replacing().empty()) {
            const auto archive = OpenPlanArchive(confirm.Plan(), request);
            found = FindInstalled(confirm.Plan(), request, *archive, *files);
            if (found) {
              context.Store.Save(*found);
              return;
            }
          }
          outcome = InstallPackage(confirm.Plan(), request, context.Store, *files, shared);
        },
        [&] { progress.ShowInstall(shared.Last()); });
    progress.hide();
    if (found) {
      Say(context.Dialogs,
          "The files of " + found->Name + " were there already; it is recorded as installed.",
          TMsgIcon::Information);
      return found;
    }
    switch (outcome.Phase) {
      case TInstallPhase::Done:
        Say(context.Dialogs,
            "Installed " + outcome.Manifest.Name + ": " +
                Counted(outcome.Manifest.Files.size(), "file") + " into " +
                outcome.Manifest.Folder + ".",
            TMsgIcon::Information);
        return outcome.Manifest;
      case TInstallPhase::Cancelled:
        return std::nullopt;
      default:
        Say(context.Dialogs,
            std::string(outcome.NoSpace ? "The disk is full: nothing of the package was kept.\n"
                                        : "The package was not installed.\n") +
                OutcomeText(outcome),
            TMsgIcon::Error);
        return std::nullopt;
    }
  } catch (const std::exception& error) {
    Say(context.Dialogs, "Cannot install " + archiveName + ":\n" + error.what(), TMsgIcon::Error);
    return std::nullopt;
  }
}

std::optional<TPackageManifest> InstallPackageFromUrl(const TWindowInstall& context,
                                                      TDownloader& downloader,
                                                      TDownloadRequest download,
                                                      TInstallRequest request) {
  const std::string url = download.Urls.empty() ? std::string() : download.Urls.front();
  TPackageProgressDlg progress(context.Parent);
  progress.SetWhat("Downloading " + url);
  progress.setModal(true);
  progress.show();
  QEventLoop loop;
  std::optional<TDownloadResult> result;
  const TDownloader::TId id = downloader.Start(
      std::move(download), {[&](const TDownloadProgress& p) { progress.ShowDownload(p); },
                            [&](const TDownloadResult& r) {
                              result = r;
                              loop.quit();
                            }});
  QObject::connect(&progress, &TPackageProgressDlg::cancelRequested, &loop,
                   [&] { downloader.Cancel(id); });
  if (!result) loop.exec();
  progress.hide();
  if (result->Outcome == TDownloadOutcome::Cancelled) return std::nullopt;
  if (result->Outcome != TDownloadOutcome::Done && result->Outcome != TDownloadOutcome::FromCache) {
    Say(context.Dialogs, "Cannot download " + url + ":\n" + result->ErrorText(), TMsgIcon::Error);
    return std::nullopt;
  }
  request.Archive = result->File.string();
  request.SourceUrl = url;
  return InstallPackageInWindow(context, std::move(request));
}

}  // namespace fx
