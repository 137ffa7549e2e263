#pragma once

#include <QDialog>
#include <QIcon>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "gamedata/MapBrowse.h"
#include "ui/UserDialogs.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class MapBrowseDlg;
}

namespace fx {

// "Select Map": the maps of a folder or a PACK archive with their sizes and titles. The
// titles are read on a worker thread and the rows appear as they come, so a collection of
// thousands of maps never freezes the window; at the end they are sorted by name, exactly
// as ReadMapRows gives them.
class TMapBrowseDlg : public QDialog {
  Q_OBJECT

 public:
  // `dialogs` (message boxes, choosers) must outlive the dialog; the choosers start in
  // `gameFolder`.
  TMapBrowseDlg(std::string gameFolder, TUserDialogs& dialogs, QWidget* parent = nullptr);
  ~TMapBrowseDlg() override;

  // The folder box's drop-down list (kept sorted) and its text.
  void SetSources(const std::vector<std::string>& items, const std::string& text);

  // Starts a new fill of the list from a source, ending a running one. An archive that
  // cannot be opened throws its file error and leaves the list cleared.
  void Fill(const std::string& source);
  bool Filling() const { return !FFinished; }
  // Processes events until the running fill has shown its last row (tests, benchmarks).
  void WaitForFill();

  // The chosen map for the main window's map box; empty while no row is selected.
  std::string ChosenMap() const;
  const std::vector<TMapRow>& Rows() const { return FRows; }

 signals:
  void FillFinished();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private slots:
  void cbFolderChange(int itemIndex);
  void cbFolderKeyPress();
  void DirBrowseBtnClick();
  void PakBrowseBtnClick();
  void lvMapChange();
  void lvMapDblClick();
  void ViewDocBtnClick();

 private:
  void FormCreate();
  void StopFill();
  void FillReporting(const std::string& source);
  void AddRows(unsigned generation, std::vector<TMapRow> rows, std::size_t position,
               std::size_t total);
  void EndFill(unsigned generation, const std::string& error);
  void ScheduleDrain();
  void DrainRows();
  void ShowRows(std::size_t count);
  void ShowProgress();
  void FinishFill();
  void FitColumns();
  void PutRowsInOrder(QTreeWidget& list);
  void ShowError(const std::string& text);
  void FocusChanged(QWidget* now);
  int ItemIndexOf(const std::string& text) const;
  const TMapRow* SelectedRow() const;
  QIcon IconFor(const std::string& fileName);

  std::unique_ptr<Ui::MapBrowseDlg> FUi;
  std::string FGameFolder;
  TUserDialogs* FDialogs;
  int FItemIndex = 0;
  std::string FSource;                  // what the list shows
  std::vector<TMapRow> FRows;           // in the order they arrived; an item holds its index
  std::map<std::string, QIcon> FIcons;  // by extension: a type's icon is asked for once
  // The running fill. The worker posts to this dialog only; the destructor joins it first.
  std::thread FWorker;
  std::shared_ptr<std::atomic<bool>> FCancel;
  unsigned FGeneration = 0;
  bool FFinished = true;
  // Rows the worker has delivered and the list does not show yet; they are shown a slice
  // of time at a time, so the window answers however fast the worker reads.
  std::vector<TMapRow> FPending;
  std::size_t FPendingShown = 0;
  std::size_t FPosition = 0;
  std::size_t FTotal = 0;
  bool FDrainScheduled = false;
  bool FWorkerDone = false;
  std::string FFillError;
  std::chrono::steady_clock::time_point FProgressShown;
  bool FCentred = false;
};

// The main window's "Browse..." button: the sources of the game folder and patch in the
// folder box, the list filled from the initial one, and on OK the chosen map text.
std::optional<std::string> BrowseMap(const std::string& gameFolder, const std::string& patchText,
                                     TUserDialogs& dialogs, QWidget* parent = nullptr);

}  // namespace fx
