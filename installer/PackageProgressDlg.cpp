#include "installer/PackageProgressDlg.h"

#include <QPushButton>

#include "ui_PackageProgressDlg.h"

namespace fx {

TPackageProgressDlg::TPackageProgressDlg(QWidget* parent)
    : QDialog(parent), FUi(std::make_unique<Ui::PackageProgressDlg>()) {
  FUi->setupUi(this);
  connect(FUi->Buttons, &QDialogButtonBox::rejected, this, &TPackageProgressDlg::reject);
}

TPackageProgressDlg::~TPackageProgressDlg() = default;

void TPackageProgressDlg::SetWhat(const std::string& text) {
  FUi->lblWhat->setText(QString::fromStdString(text));
}

void TPackageProgressDlg::ShowBar(std::uint64_t done, std::optional<std::uint64_t> total) {
  // A bar counts in ints: thousandths of the whole.
  if (total && *total > 0) {
    FUi->pbProgress->setMaximum(1000);
    FUi->pbProgress->setValue(
        static_cast<int>(std::min<std::uint64_t>(done, *total) * 1000 / *total));
  } else {
    FUi->pbProgress->setMaximum(0);
  }
}

void TPackageProgressDlg::ShowDownload(const TDownloadProgress& progress) {
  ShowBar(progress.Received, progress.Total);
  FUi->lblBytes->setText(QString::fromStdString(ProgressText(progress)));
}

void TPackageProgressDlg::ShowInstall(const TInstallProgressInfo& info) {
  const auto now = std::chrono::steady_clock::now();
  FInstallRate.Add(now, info.BytesDone);
  // Before the first piece is written the archive is read and hashed: no bytes to count yet.
  if (info.BytesTotal == 0 || info.Phase == TInstallPhase::Checking) {
    ShowBar(0, std::nullopt);
    FUi->lblBytes->setText(tr("Checking the archive..."));
    return;
  }
  ShowBar(info.BytesDone, info.BytesTotal);
  std::string text = ProgressText(info.BytesDone, info.BytesTotal, FInstallRate.Rate(now),
                                  FInstallRate.Remaining(now, info.BytesTotal));
  if (info.FilesTotal > 0)
    text += " (" + std::to_string(info.FilesDone) + " of " + std::to_string(info.FilesTotal) +
            " files)";
  FUi->lblBytes->setText(QString::fromStdString(text));
  // Past the commit point the install runs to its end, as a cut-off one would be finished.
  if (info.Phase == TInstallPhase::Committing || info.Phase == TInstallPhase::Recording) {
    FUi->Buttons->button(QDialogButtonBox::Cancel)->setEnabled(false);
    FUi->lblBytes->setText(tr("Moving the files into place..."));
  }
}

void TPackageProgressDlg::reject() {
  if (FCancelled.exchange(true)) return;
  FUi->lblWhat->setText(tr("Cancelling..."));
  FUi->Buttons->button(QDialogButtonBox::Cancel)->setEnabled(false);
  emit cancelRequested();
}

}  // namespace fx
