#pragma once

// "Maps and Mods": the catalogues' packages in a sortable table with search as you type,
// filters and a details pane; Play (Enter) hands the chosen package and its play plan back
// to the main window. The catalogues are loaded when the dialog opens (from the cache while
// fresh) and on Refresh; nothing else goes on the network.

#include <QDialog>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>

#include "content/CatalogueLoader.h"
#include "content/ContentTableModel.h"
#include "content/InstalledStateCheck.h"
#include "content/PlayPlan.h"
#include "installer/PackageManifest.h"

class QTimer;

namespace Ui {
class ContentBrowserDlg;
}

namespace fx {

class TStartMapRow;

struct TContentBrowserOptions {
  TDownloader* Downloader = nullptr;  // must outlive the dialog
  std::filesystem::path CacheFolder;  // CatalogueCacheFolder
  std::vector<TCatalogueSource> Sources = BuiltInCatalogues();
  std::filesystem::path GameFolder;  // for the installed state; empty: not checked
  std::vector<TPlayEngine> Engines;
  std::size_t ChosenEngine = 0;
  std::function<std::int64_t()> Now;  // unset: the system clock
  // Asks the user to go on with `text` (the install plan); unset: a question box.
  std::function<bool(const std::string& text)> Confirm;
  // Where the records of installed packages are kept; empty: the program's folder.
  std::filesystem::path PackageFolder;
  std::filesystem::path DownloadFolder;  // where archives are kept; empty: the user's cache
  std::vector<std::string> Notes;  // shown in the status line (lines of catalogues.txt left out)
  std::filesystem::path FilterPresetsFile;  // empty: TFilterPresetStore::DefaultFile()
  TGameFilesOpener OpenFiles;               // the game folder's file system; unset: the real one
};

struct TContentChoice {
  TContentPackage Package;
  TPlayPlan Plan;
  std::string StartMap{};  // the one picked of the plan's start maps; empty: the first
};

struct TContentInstallRun;
struct TContentUninstallRun;

class TContentBrowserDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TContentBrowserDlg(TContentBrowserOptions options, QWidget* parent = nullptr);
  ~TContentBrowserDlg() override;

  const std::optional<TContentChoice>& Chosen() const { return FChosen; }
  // The table's model and proxy, for tests and the benchmark.
  TContentFilterProxy& Proxy() { return *FProxy; }
  bool Loading() const { return FLoader->Busy(); }
  // An install or an uninstall is running; Checking: the installed-state check.
  bool Installing() const { return FRun || FUninstall; }
  bool Checking() const { return FCheck != nullptr; }
  void reject() override;  // while installing: Cancel

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Load(bool refresh);
  void Loaded(std::vector<TCatalogueLoad> loads);
  void Refilter();
  void ShowDetails();
  void PlayClick();
  void RandomClick();
  void InstallClick();
  void UninstallClick();
  // Installs the package with what it needs first (the order shown and confirmed), each
  // downloaded then unpacked off the GUI thread, and calls `then` when all are in; nothing
  // is called on failure or Cancel.
  void InstallThen(std::size_t index, std::function<void()> then);
  void InstallNext();
  void DownloadDone(const TDownloadResult& result);
  void InstallEnded(const QString& status);
  void StartUninstall(std::vector<std::size_t> indexes, bool offer, std::string note = {});
  void UninstallEnded();
  // The user's yes (FOptions.Confirm when set); `removes`: No is the default answer.
  bool Ask(const QString& title, const std::string& text, bool removes = false);
  void StartStateCheck();
  void PollWork();  // every 50 ms while work runs: states, progress, ends
  void ShowBusy();
  void UpdateButtons();
  std::filesystem::path PackageFolder() const;
  // The state from the check, or for a package it has not reached yet, checked now.
  TInstallState StateNow(std::size_t index) const;
  bool NeedsInstall(std::size_t index) const;
  // Goes on to play the package (after an install when it needed one).
  void PlayPackage(std::size_t index);
  std::optional<std::size_t> CurrentPackage() const;
  void SelectPackage(std::size_t index);
  // The installer's record of the package in this game folder, if it is installed there.
  std::optional<TPackageManifest> ManifestOf(const TContentPackage& package) const;
  // The play plan with the maps the package installed (`manifest`).
  TPlayPlan PlanOf(const TContentPackage& package,
                   const std::optional<TPackageManifest>& manifest) const;
  // The start-map row and FShownPlan for the package at `index`, read again when it or its
  // state changed.
  void ShowStartMaps(std::size_t index);

  std::unique_ptr<Ui::ContentBrowserDlg> FUi;
  TContentBrowserOptions FOptions;
  std::unique_ptr<TCatalogueLoader> FLoader;
  TContentTableModel* FModel = nullptr;
  TContentFilterProxy* FProxy = nullptr;
  std::optional<TContentChoice> FChosen;
  TStartMapRow* FStartMaps = nullptr;
  std::string FStartMapsFor;  // the package and state the row shows
  TPlayPlan FShownPlan;       // that package's plan, with the maps it installed
  std::vector<TCatalogueSkip> FSkipped;
  std::mt19937 FRandom{std::random_device{}()};
  bool FLoadedOnce = false;
  std::map<std::string, TPackageManifest> FRecords;  // what the installer recorded, by name
  std::unique_ptr<TInstalledStateCheck> FCheck;
  std::unique_ptr<TContentInstallRun> FRun;
  std::unique_ptr<TContentUninstallRun> FUninstall;
  QTimer* FPoll = nullptr;
};

}  // namespace fx
