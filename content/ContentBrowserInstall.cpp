// The content browser's install and uninstall, all off the GUI thread: the installed state
// of every package is checked by a worker once the catalogues are in; an install downloads
// each package of its order (through the download port, asynchronously) and unpacks it on a
// worker with its progress in the bar and the status line; an uninstall removes the package
// through the installer on a worker and then offers what only it needed.

#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <chrono>

#include "content/ContentBrowserDlg.h"
#include "content/ContentBrowserRuns.h"
#include "content/ContentInstall.h"
#include "content/ContentInstallWork.h"
#include "content/ContentText.h"
#include "content/Dependencies.h"
#include "content/WorkerThread.h"
#include "installer/Installer.h"
#include "installer/PackageRows.h"
#include "installer/PackageStore.h"
#include "installer/ProgressText.h"
#include "installer/QtDownloader.h"
#include "ui_ContentBrowserDlg.h"

namespace fx {

namespace {

// `text` after `note` ("Cancelled; "), with its first letter in lower case then.
std::string AfterNote(const std::string& note, std::string text) {
  if (!note.empty() && !text.empty())
    text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return note + text;
}

std::string JoinedComma(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items)
    text += (text.empty() ? "" : ", ") + item;
  return text;
}

}  // namespace

TContentBrowserDlg::~TContentBrowserDlg() {
  // The downloader outlives the dialog: its last callback finds the dialog gone.
  if (FRun && FRun->Download) FOptions.Downloader->Cancel(*FRun->Download);
}

std::filesystem::path TContentBrowserDlg::PackageFolder() const {
  return FOptions.PackageFolder.empty() ? TPackageStore::DefaultFolder() : FOptions.PackageFolder;
}

void TContentBrowserDlg::StartStateCheck() {
  FCheck.reset();
  if (FOptions.GameFolder.empty()) return;
  try {
    FRecords = RecordsOf(PackageFolder(), FOptions.GameFolder);
  } catch (const std::exception&) {
    FRecords.clear();  // an unreadable store: the catalogue's files still tell
  }
  FModel->SetChecking();
  FCheck = std::make_unique<TInstalledStateCheck>(FModel->Packages(), FOptions.GameFolder,
                                                  PackageFolder(), FOptions.OpenFiles);
  FPoll->start();
}

TInstallState TContentBrowserDlg::StateNow(std::size_t index) const {
  if (FModel->StateKnown(index)) return FModel->States()[index];
  // Not checked yet: this one package now (only files whose size matches are hashed).
  try {
    const auto files = FOptions.OpenFiles ? FOptions.OpenFiles(FOptions.GameFolder)
                                          : OpenInstallFiles(FOptions.GameFolder);
    return StateOf(FModel->Packages()[index], *files, FRecords);
  } catch (const std::exception&) {
    return TInstallState::NotInstalled;
  }
}

bool TContentBrowserDlg::NeedsInstall(std::size_t index) const {
  if (FOptions.GameFolder.empty()) return false;
  if (FRecords.count(FModel->Packages()[index].Id) != 0) return false;
  const TInstallState state = StateNow(index);
  return state == TInstallState::NotInstalled || state == TInstallState::Partly;
}

void TContentBrowserDlg::UpdateButtons() {
  const auto index = CurrentPackage();
  const bool busy = Installing();
  // A refresh replaces the rows that an install or uninstall names by their index.
  const bool rowsStay = !busy && !FLoader->Busy();
  const bool folder = !FOptions.GameFolder.empty();
  FUi->PlayBtn->setEnabled(index.has_value() && !busy);
  FUi->InstallBtn->setEnabled(index.has_value() && folder && rowsStay);
  FUi->UninstallBtn->setEnabled(index.has_value() && folder && rowsStay &&
                                FRecords.count(FModel->Packages()[*index].Id) != 0);
  FUi->RefreshBtn->setEnabled(!busy && !FLoader->Busy());
  FUi->RandomBtn->setEnabled(!busy);
  FUi->CancelBtn->setVisible(FRun != nullptr);
  FUi->CancelBtn->setEnabled(FRun != nullptr && !FRun->Cancelled);
  FUi->InstallProgress->setVisible(busy);
}

void TContentBrowserDlg::reject() {
  if (!Installing()) {
    QDialog::reject();
    return;
  }
  if (!FRun || FRun->Cancelled) return;  // an uninstall ends by itself, soon
  FRun->Cancelled = true;
  FUi->StatusLabel->setText(tr("Cancelling..."));
  if (FRun->Download)
    FOptions.Downloader->Cancel(*FRun->Download);
  else
    FRun->Progress.Cancel();
  UpdateButtons();
}

void TContentBrowserDlg::InstallClick() {
  const auto index = CurrentPackage();
  if (!index || FOptions.GameFolder.empty() || Installing()) return;
  const std::string& id = FModel->Packages()[*index].Id;
  if (!NeedsInstall(*index)) {
    // Asked for by itself now: no longer offered for removal with what needed it.
    if (const auto record = FRecords.find(id);
        record != FRecords.end() && record->second.AsDependency) {
      record->second.AsDependency = false;
      try {
        TPackageStore(PackageFolder()).Save(record->second);
      } catch (const std::exception&) {
        // Kept as a dependency in the record: offered for removal later, never removed unasked.
      }
    }
    FUi->StatusLabel->setText(tr("%1 is installed already").arg(QString::fromStdString(id)));
    return;
  }
  InstallThen(*index, [this, i = *index] {
    SelectPackage(i);
    UpdateButtons();
  });
}

void TContentBrowserDlg::InstallThen(std::size_t index, std::function<void()> then) {
  if (FLoader->Busy()) {
    FUi->StatusLabel->setText(tr("The catalogues are loading; install once they are in"));
    return;
  }
  const std::vector<TContentPackage>& packages = FModel->Packages();
  const auto installed = [&](std::size_t i) { return !NeedsInstall(i); };
  const TInstallOrder order = fx::PlanInstall(packages, index, installed);
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
  if (!Ask(tr("Install"), text)) return;
  FRun = std::make_unique<TContentInstallRun>();
  FRun->Order = order.Order;
  FRun->Then = std::move(then);
  UpdateButtons();
  FPoll->start();
  InstallNext();
}

// The next package of the order: its download first; the unpacking follows in DownloadDone.
void TContentBrowserDlg::InstallNext() {
  TContentInstallRun& run = *FRun;
  if (run.Cancelled) {  // asked while the last one was past the point of no return
    InstallEnded(tr("Cancelled"));
    return;
  }
  if (run.Next == run.Order.size()) {
    InstallEnded(tr("Installed: %1").arg(run.Done.join(QStringLiteral(", "))));
    return;
  }
  const TContentPackage& p = FModel->Packages()[run.Order[run.Next]];
  TDownloadRequest download;
  download.Urls = p.Urls;
  download.Target =
      (FOptions.DownloadFolder.empty() ? ProgramDownloadFolder() : FOptions.DownloadFolder) /
      DownloadFileNameOf(p);
  if (p.Bytes) download.Size = p.Bytes;
  // The JSON records give the archive's SHA-256, the XML database its MD5.
  if (!p.Sha256.empty())
    download.Hash = {THashKind::Sha256, p.Sha256};
  else if (!p.Md5.empty())
    download.Hash = {THashKind::Md5, p.Md5};
  const QString what = tr("Downloading %1 (%2 of %3)")
                           .arg(QString::fromStdString(p.Id))
                           .arg(run.Next + 1)
                           .arg(run.Order.size());
  FUi->StatusLabel->setText(what + QStringLiteral("..."));
  FUi->InstallProgress->setRange(0, 0);
  QPointer<TContentBrowserDlg> self(this);
  run.Download = FOptions.Downloader->Start(
      std::move(download),
      {[self, what](const TDownloadProgress& progress) {
         if (!self || !self->FRun || self->FRun->Cancelled) return;
         const std::uint64_t total = progress.Total.value_or(0);
         self->FUi->InstallProgress->setRange(0, total > 0 ? 1000 : 0);
         if (total > 0)
           self->FUi->InstallProgress->setValue(
               static_cast<int>(std::min(progress.Received, total) * 1000 / total));
         self->FUi->StatusLabel->setText(what + QStringLiteral(": ") +
                                         QString::fromStdString(ProgressText(progress)));
       },
       [self](const TDownloadResult& result) {
         if (self && self->FRun) self->DownloadDone(result);
       }});
}

void TContentBrowserDlg::DownloadDone(const TDownloadResult& result) {
  TContentInstallRun& run = *FRun;
  run.Download.reset();
  const std::size_t index = run.Order[run.Next];
  const TContentPackage& p = FModel->Packages()[index];
  if (run.Cancelled || result.Outcome == TDownloadOutcome::Cancelled) {
    InstallEnded(tr("Cancelled"));
    return;
  }
  if (result.Outcome != TDownloadOutcome::Done && result.Outcome != TDownloadOutcome::FromCache) {
    InstallEnded(QString::fromStdString(p.Id + ": " + result.ErrorText()));
    return;
  }
  TContentInstallJob job;
  job.Package = p;
  job.Archive = result.File;
  job.SourceUrl = result.Url;
  job.GameFolder = FOptions.GameFolder;
  job.PackageFolder = PackageFolder();
  job.AsDependency = run.Next + 1 < run.Order.size();
  job.Open = FOptions.OpenFiles;
  FUi->StatusLabel->setText(tr("Installing %1...").arg(QString::fromStdString(p.Id)));
  run.Rate.Clear();
  run.Worker =
      std::make_unique<TWorkerThread>([&run, job = std::move(job)](const std::stop_token&) {
        run.Result = InstallDownloaded(job, run.Progress);
      });
}

void TContentBrowserDlg::ShowBusy() {
  TContentInstallRun& run = *FRun;
  if (!run.Worker || run.Cancelled) return;
  const TInstallProgressInfo info = run.Progress.Last();
  const auto now = std::chrono::steady_clock::now();
  run.Rate.Add(now, info.BytesDone);
  const std::string& id = FModel->Packages()[run.Order[run.Next]].Id;
  if (info.BytesTotal == 0 || info.Phase == TInstallPhase::Checking) {
    FUi->InstallProgress->setRange(0, 0);
    FUi->StatusLabel->setText(
        tr("Installing %1: checking the archive...").arg(QString::fromStdString(id)));
    return;
  }
  FUi->InstallProgress->setRange(0, 1000);
  FUi->InstallProgress->setValue(
      static_cast<int>(std::min(info.BytesDone, info.BytesTotal) * 1000 / info.BytesTotal));
  std::string text = "Installing " + id + " (" + std::to_string(run.Next + 1) + " of " +
                     std::to_string(run.Order.size()) + "): " +
                     ProgressText(info.BytesDone, info.BytesTotal, run.Rate.Rate(now),
                                  run.Rate.Remaining(now, info.BytesTotal)) +
                     ", " + std::to_string(info.FilesDone) + " of " +
                     Counted(info.FilesTotal, "file");
  FUi->StatusLabel->setText(QString::fromStdString(text));
}

void TContentBrowserDlg::PollWork() {
  if (FCheck) {
    FModel->SetStates(FCheck->Take());
    if (FCheck->Finished()) {
      FModel->SetStates(FCheck->Take());
      if (const std::string error = FCheck->Error(); !error.empty())
        FUi->StatusLabel->setText(FUi->StatusLabel->text() + QStringLiteral("; ") +
                                  QString::fromStdString("installed state not known: " + error));
      FCheck.reset();
      Refilter();  // the installed filter sees the states now
    }
  }
  if (FUninstall && FUninstall->Worker->Finished()) UninstallEnded();
  if (FRun && FRun->Worker) {
    ShowBusy();
    if (FRun->Worker->Finished()) {
      TContentInstallRun& run = *FRun;
      const TContentInstallResult result = run.Result.value_or(TContentInstallResult{});
      run.Worker.reset();
      const std::size_t index = run.Order[run.Next];
      if (result.Phase == TInstallPhase::Done) {
        FModel->SetStates({{index, result.State}});
        try {
          if (auto m = TPackageStore(PackageFolder()).Find(FModel->Packages()[index].Id))
            FRecords[m->Name] = std::move(*m);
        } catch (const std::exception&) {
          // Not read back: Uninstall stays off for it until the dialog opens again.
        }
        run.Done << QString::fromStdString(FModel->Packages()[index].Id);
        ++run.Next;
        InstallNext();
      } else {
        InstallEnded(result.Phase == TInstallPhase::Cancelled
                         ? tr("Cancelled; nothing of %1 was kept")
                               .arg(QString::fromStdString(FModel->Packages()[index].Id))
                         : QString::fromStdString(result.Failure));
      }
    }
  }
  if (!FCheck && !FRun && !FUninstall) FPoll->stop();
}

// The install is over: `status` says how. `Then` runs only when every package went in.
void TContentBrowserDlg::InstallEnded(const QString& status) {
  const std::unique_ptr<TContentInstallRun> run = std::move(FRun);
  const bool all = run->Next == run->Order.size() && !run->Cancelled;
  QString text = status;
  if (!all && !run->Cancelled && !run->Done.isEmpty())
    text = tr("Installed: %1; not installed: %2").arg(run->Done.join(QStringLiteral(", ")), status);
  FUi->StatusLabel->setText(text);
  UpdateButtons();
  if (FProxy->rowCount() > 0) Refilter();
  if (all && run->Then) run->Then();
  // A Cancel undoes the whole order: what went in before the cancelled one goes out again.
  if (run->Cancelled && run->Next > 0)
    StartUninstall({run->Order.begin(), run->Order.begin() + static_cast<long>(run->Next)}, false,
                   "Cancelled; ");
}

void TContentBrowserDlg::UninstallClick() {
  const auto index = CurrentPackage();
  if (!index || Installing() || FLoader->Busy()) return;
  const std::string& id = FModel->Packages()[*index].Id;
  const auto record = FRecords.find(id);
  if (record == FRecords.end()) return;
  const std::string text = "Uninstall " + id + "? Its " +
                           Counted(record->second.Files.size(), "file") + " are removed from " +
                           FOptions.GameFolder.string() +
                           "; files changed since it was installed are kept.";
  if (Ask(tr("Uninstall"), text, true)) StartUninstall({*index}, true);
}

void TContentBrowserDlg::StartUninstall(std::vector<std::size_t> indexes, bool offer,
                                        std::string note) {
  FUninstall = std::make_unique<TContentUninstallRun>();
  TContentUninstallRun& run = *FUninstall;
  run.Offer = offer;
  run.Note = std::move(note);
  std::vector<std::string> ids;
  for (const std::size_t i : indexes) {
    run.Packages.emplace_back(i, FModel->Packages()[i]);
    ids.push_back(FModel->Packages()[i].Id);
  }
  FUi->StatusLabel->setText(
      QString::fromStdString(AfterNote(run.Note, "Uninstalling " + JoinedComma(ids) + "...")));
  FUi->InstallProgress->setRange(0, 0);
  UpdateButtons();
  run.Worker =
      std::make_unique<TWorkerThread>([&run, folder = PackageFolder(), game = FOptions.GameFolder,
                                       open = FOptions.OpenFiles](const std::stop_token&) {
        TPackageStore store(folder);
        std::unique_ptr<TInstallFiles> files;
        try {
          files = open ? open(game) : OpenInstallFiles(game);
        } catch (const std::exception& e) {
          for (const auto& [index, package] : run.Packages)
            run.Failed.push_back(package.Id + " (" + e.what() + ")");
          return;
        }
        for (const auto& [index, package] : run.Packages) {
          const std::string& id = package.Id;
          try {
            const TUninstallOutcome outcome = UninstallPackage(id, store, *files);
            run.Files += outcome.Removed.size();
            run.Kept += outcome.Kept.size();
            if (!outcome.Ok()) {
              run.Failed.push_back(id + " (" + outcome.Errors.front() + ")");
              continue;
            }
            // What the user changed stays: the state says so.
            run.Gone.emplace_back(index, StateOf(package, *files, {}));
          } catch (const std::exception& e) {
            run.Failed.push_back(id + " (" + e.what() + ")");
          }
        }
      });
  FPoll->start();
}

void TContentBrowserDlg::UninstallEnded() {
  const std::unique_ptr<TContentUninstallRun> run = std::move(FUninstall);
  const std::vector<TContentPackage>& packages = FModel->Packages();
  std::vector<std::string> gone;
  for (const auto& [i, state] : run->Gone)
    gone.push_back(packages[i].Id);
  FModel->SetStates(run->Gone);
  std::string text;
  if (!gone.empty()) {
    text = "Uninstalled " + JoinedComma(gone) + ": " + Counted(run->Files, "file") + " removed";
    if (run->Kept > 0) text += ", " + Counted(run->Kept, "changed file") + " kept";
  }
  if (!run->Failed.empty())
    text +=
        (text.empty() ? "" : "; ") + std::string("not uninstalled: ") + JoinedComma(run->Failed);
  FUi->StatusLabel->setText(QString::fromStdString(AfterNote(run->Note, text)));
  // The dependencies installed for it that nothing else needs now, in one question.
  std::vector<std::size_t> unneeded;
  if (run->Offer && !run->Gone.empty()) {
    const auto recorded = [&](std::size_t i) { return FRecords.count(packages[i].Id) != 0; };
    const auto askedFor = [&](std::size_t i) {
      const auto r = FRecords.find(packages[i].Id);
      return r != FRecords.end() && !r->second.AsDependency;
    };
    unneeded = UnneededAfterRemoving(packages, run->Gone.front().first, recorded, askedFor);
  }
  for (const auto& [i, state] : run->Gone)
    FRecords.erase(packages[i].Id);
  UpdateButtons();
  Refilter();
  if (unneeded.empty()) return;
  std::string question =
      gone.front() + " was the only package that needed " +
      (unneeded.size() == 1 ? "this one; uninstall it too?" : "these; uninstall them too?");
  for (const std::size_t i : unneeded)
    question += "\n  " + packages[i].Id;
  if (Ask(tr("Uninstall"), question, true)) StartUninstall(unneeded, false);
}

bool TContentBrowserDlg::Ask(const QString& title, const std::string& text, bool removes) {
  // What removes files is answered No by a stray Enter.
  return FOptions.Confirm
             ? FOptions.Confirm(text)
             : QMessageBox::question(
                   this, title, QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No,
                   removes ? QMessageBox::No : QMessageBox::Yes) == QMessageBox::Yes;
}

}  // namespace fx
