#pragma once

// "Maps and Mods": the catalogues' packages in a sortable table with search as you type,
// filters and a details pane; Play (Enter) hands the chosen package and its play plan back
// to the main window. The catalogues are loaded when the dialog opens (from the cache while
// fresh) and on Refresh; nothing else goes on the network.

#include <QDialog>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>

#include "content/CatalogueLoader.h"
#include "content/ContentTableModel.h"
#include "content/PlayPlan.h"
#include "installer/PackageManifest.h"

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
};

struct TContentChoice {
  TContentPackage Package;
  TPlayPlan Plan;
  std::string StartMap{};  // the one picked of the plan's start maps; empty: the first
};

class TContentBrowserDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TContentBrowserDlg(TContentBrowserOptions options, QWidget* parent = nullptr);
  ~TContentBrowserDlg() override;

  const std::optional<TContentChoice>& Chosen() const { return FChosen; }
  // The table's model and proxy, for tests and the benchmark.
  TContentFilterProxy& Proxy() { return *FProxy; }
  bool Loading() const { return FLoader->Busy(); }

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
  // Downloads and installs one package; the reason when it failed.
  std::optional<std::string> InstallOne(const TContentPackage& package);
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
};

}  // namespace fx
