#pragma once

// What the content browser keeps of an install or uninstall while it runs (its own file, so
// that both of the dialog's files see them whole).

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QStringList>

#include "content/ContentInstallWork.h"
#include "content/WorkerThread.h"
#include "installer/Download.h"
#include "installer/InstallProgress.h"
#include "installer/ProgressText.h"

namespace fx {

struct TContentInstallRun {
  std::vector<std::size_t> Order;  // dependencies first, the wanted package last
  std::size_t Next = 0;            // the package being installed
  QStringList Done;
  std::function<void()> Then;
  std::optional<TDownloader::TId> Download;
  bool Cancelled = false;
  TRateMeter Rate;
  TSharedProgress Progress;
  std::optional<TContentInstallResult> Result;  // written by the worker before it finishes
  std::unique_ptr<TWorkerThread> Worker;

  ~TContentInstallRun() {
    Progress.Cancel();  // the install stops at its next piece and undoes its staging
    Worker.reset();
  }
};

struct TContentUninstallRun {
  std::vector<std::pair<std::size_t, TContentPackage>> Packages;  // index in the table
  bool Offer = false;  // ask about the dependencies nothing else needs, once done
  std::string Note;    // put before what the status line says of it
  // Written by the worker, read once it finished:
  std::vector<std::pair<std::size_t, TInstallState>> Gone;  // index, state after
  std::vector<std::string> Failed;
  std::size_t Files = 0, Kept = 0;
  std::unique_ptr<TWorkerThread> Worker;
};

}  // namespace fx
