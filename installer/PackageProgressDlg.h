#pragma once

// How far a download or an install is: what is being done, a bar, the bytes, the rate and
// the time left, and Cancel. Cancel only says so (Cancelled()); the work it watches stops
// at its next piece.

#include <QDialog>

#include <atomic>
#include <memory>

#include "installer/Download.h"
#include "installer/InstallProgress.h"
#include "installer/ProgressText.h"

namespace Ui {
class PackageProgressDlg;
}

namespace fx {

class TPackageProgressDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TPackageProgressDlg(QWidget* parent = nullptr);
  ~TPackageProgressDlg() override;

  void SetWhat(const std::string& text);
  void ShowDownload(const TDownloadProgress& progress);
  void ShowInstall(const TInstallProgressInfo& info);
  bool Cancelled() const { return FCancelled; }

 signals:
  void cancelRequested();

 protected:
  void reject() override;  // Cancel or Escape: asks the work to stop, does not close

 private:
  void ShowBar(std::uint64_t done, std::optional<std::uint64_t> total);

  std::unique_ptr<Ui::PackageProgressDlg> FUi;
  std::atomic<bool> FCancelled{false};
  TRateMeter FInstallRate;
};

}  // namespace fx
