#pragma once

// "Select Demo": every demo of the game's folders and archives with its map, length and
// players. The scan and the reading run on a worker thread; rows arrive in batches, so the
// first are on screen at once and the window never waits on the disk.

#include <QDialog>

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "demos/DemoScan.h"
#include "ui/UserDialogs.h"

class QSortFilterProxyModel;

namespace Ui {
class DemoBrowseDlg;
}

namespace fx {

class TDemoTableModel;

// What the dialog scans: the game directories with their search folders, and where the
// cache lies (empty: none).
struct TDemoBrowseSetup {
  std::filesystem::path GameFolder;
  std::filesystem::path Home;
  std::vector<TDemoGameDir> Dirs;
  std::filesystem::path CacheFile;
  std::string StartFolder;  // where "Other File..." opens
};

// The dialog's answer: a listed demo, or a file picked with "Other File...".
struct TDemoChosen {
  std::optional<TDemoRow> Row;
  std::string OtherFile;
};

class TDemoBrowseDlg : public QDialog {
  Q_OBJECT

 public:
  TDemoBrowseDlg(TDemoBrowseSetup setup, TUserDialogs& dialogs, QWidget* parent = nullptr);
  ~TDemoBrowseDlg() override;

  // Starts the scan (the constructor does not, so tests can watch it from the start).
  void Start();
  bool Scanning() const { return !FFinished; }
  // Processes events until the last row arrived (tests, benchmarks).
  void WaitForScan();

  const TDemoTableModel& Table() const { return *FTable; }
  QSortFilterProxyModel& Proxy() const { return *FProxy; }
  const TDemoChosen& Chosen() const { return FChosen; }

 signals:
  void ScanFinished();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Scan(unsigned generation);
  void Arrive(unsigned generation, std::vector<TDemoRow> rows, bool last);
  void ShowDetails();
  void ChooseCurrent();
  void OtherFile();
  void Stop();

  std::unique_ptr<Ui::DemoBrowseDlg> FUi;
  TDemoBrowseSetup FSetup;
  TUserDialogs& FDialogs;
  TDemoTableModel* FTable;
  QSortFilterProxyModel* FProxy;
  TDemoChosen FChosen;
  std::thread FWorker;
  std::atomic<bool> FStop{false};
  unsigned FGeneration = 0;
  bool FFinished = true;
};

// The main window's "Browse...": the dialog over the game folder, the engine's per-user
// folder and the patch; nothing when cancelled.
std::optional<TDemoChosen> BrowseDemo(TDemoBrowseSetup setup, TUserDialogs& dialogs,
                                      QWidget* parent);

}  // namespace fx
