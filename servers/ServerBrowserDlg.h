#pragma once

#include <QDialog>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "servers/ServerLists.h"
#include "servers/ServerSource.h"
#include "ui/UserDialogs.h"

class QModelIndex;
class QTreeWidgetItem;

namespace Ui {
class ServerBrowserDlg;
}

namespace fx {

class TServerFilterProxy;
class TServerTableModel;

struct TServerBrowserOptions {
  TUserDialogs* Dialogs = nullptr;  // message boxes; must outlive the dialog
  // The executable chosen in the main window and the game folder, for the join check.
  std::string ProgramFile;
  std::filesystem::path GameFolder;
  // How long the selection rests before the chosen server is asked for players and rules,
  // so that scrolling through the list with the arrow keys does not query every row.
  int DetailsDelayMs = 300;
  bool RefreshOnOpen = true;  // opening the dialog is the user asking for the list
};

// The server the user chose to join, with its mod folder as it lies on disk.
struct TServerJoinChoice {
  TServerInfo Server;
  std::string ModFolder;  // empty: the base game
};

// "Find Servers": every server the source reports in one sortable, filterable table, the
// chosen server's players and rules, favourites, history, presets, masters and limits.
// It sends nothing itself: it asks `source`, which must outlive it, and shows the servers
// a slice of time at a time, so that thousands of them never hold the window.
class TServerBrowserDlg : public QDialog {
  Q_OBJECT

 public:
  TServerBrowserDlg(TServerSource& source, TServerBrowserOptions options,
                    QWidget* parent = nullptr);
  ~TServerBrowserDlg() override;

  // Set when the dialog ended with Join.
  const std::optional<TServerJoinChoice>& Chosen() const { return FChosen; }

  // For tests and benchmarks.
  TServerTableModel& Table() { return *FTable; }
  const TServerLists& Lists() const { return FLists; }
  bool HasPendingRows() const { return FPendingShown < FPending.size(); }
  bool Refreshing() const { return FRefreshing; }

 public slots:
  void Refresh();
  void Stop();
  void Join();
  void ToggleFavourite();
  void RemoveFavourite();
  void CopyAddress();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  // Construction.
  void SetUpTable();
  void ConnectControls();
  void ConnectSource();
  void Opened();

  // Servers as they come.
  void ServersArrived(std::vector<TServerInfo> servers);
  void MasterAnswered(const TMasterResult& result);
  void RefreshFinished();
  void ScheduleDrain();
  void DrainRows();
  void UpdateStatus();
  void UpdateButtons();

  // The chosen server (ServerBrowserDlgDetails.cpp).
  const TServerInfo* CurrentServer() const;
  int CurrentRow() const;
  void CurrentChanged();
  void ShowDetails();
  void AskDetails();
  void SelectRow(int sourceRow);

  // Filters, presets and the player search (ServerBrowserDlgFilters.cpp).
  TServerFilter GatherFilter() const;
  void ShowFilter(const TServerFilter& filter);
  void ApplyFilter();
  void FillPresets(const std::string& text);
  void PresetChosen(int index);
  void SavePresetClick();
  void DeletePresetClick();
  void SearchPlayers();
  void FoundPlayerChosen(QTreeWidgetItem* item);

  // Masters and limits (ServerBrowserDlgSources.cpp).
  void FillSources();
  void FillMasters();
  void MasterItemChanged(QTreeWidgetItem* item);
  void AddMasterClick();
  void RemoveMasterClick();
  void GatherSources();

  void SaveLists();
  void ShowError(const std::string& text);

  std::unique_ptr<Ui::ServerBrowserDlg> FUi;
  TServerSource& FSource;
  TServerBrowserOptions FOptions;
  TServerListStore FStore;
  TServerLists FLists;
  std::vector<TFilterPreset> FPresets;
  TServerTableModel* FTable = nullptr;  // owned by the dialog as its child
  TServerFilterProxy* FProxy = nullptr;
  std::optional<TServerJoinChoice> FChosen;
  std::string FLoadError;  // why the stored lists could not be read; they are then not saved
  bool FOpened = false;
  bool FRefreshing = false;
  bool FFillingSources = false;
  // Servers reported and not yet in the table; shown a slice of time at a time.
  std::vector<TServerInfo> FPending;
  std::size_t FPendingShown = 0;
  bool FDrainScheduled = false;
  QTimer FDetailsTimer;
  std::set<TServerAddress> FAskedDetails;               // since the last refresh
  std::map<std::string, TMasterResult> FMasterResults;  // by "host:port"
  std::map<std::string, std::string> FMasterTimes;      // when each last answered
};

}  // namespace fx
