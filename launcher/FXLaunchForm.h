#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QPixmap>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "content/CatalogueSource.h"
#include "exes/EngineDiscovery.h"
#include "exes/FXExes.h"
#include "installer/Download.h"
#include "launcher/ConfigHost.h"
#include "launcher/Fraxinel.h"
#include "launcher/LaunchInput.h"
#include "launcher/LaunchPipeline.h"
#include "launcher/PanelRules.h"
#include "plugins/GameTypeSelection.h"
#include "plugins/GameTypes.h"
#include "plugins/QtPluginDialogs.h"
#include "servers/ServerSource.h"

class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QKeyEvent;
class QListWidgetItem;
class QMenu;

namespace Ui {
class FXLaunchForm;
}

namespace fx {

struct TDemoArchiveRule;

class TConfigurations;
class TPictureLibrary;
class TToolList;
class TUserDialogs;
struct TServerJoinChoice;
struct TContentChoice;

// What the window is built with besides the program-wide settings. Tests hand in scripted
// dialogs and their own picture library.
struct TLaunchFormOptions {
  TUserDialogs* Dialogs = nullptr;                      // null: Qt's message boxes and choosers
  std::optional<std::filesystem::path> PictureLibrary;  // unset: beside the program
  // The game types of the game-type box; unset: the program's own (RegisterGameTypes).
  std::function<std::vector<TGameTypeEntry>(const TPluginEnvironment&)> GameTypes;
  // The tools of the "&Tools" menu; null: the program's list (LiveToolList), or, when none
  // lives, one the window loads for itself.
  TToolList* Tools = nullptr;
  // Where a launched game's output is kept; unset: it is not kept (nor watched).
  std::optional<std::filesystem::path> GameOutputFolder;
  // Finds the installed engines for "Add Installed Engines"; unset: FindInstalledEngines.
  std::function<std::vector<TFoundEngine>()> FindEngines;
  // Where "Create Desktop Shortcut" writes; unset: the user's desktop folder.
  std::optional<std::filesystem::path> DesktopFolder;
  // Makes the server browser's source the first time "Find Servers..." is used, so that
  // nothing is sent before; unset: the program's own.
  std::function<std::unique_ptr<TServerSource>()> ServerSource;
  // The content browser's catalogues and cache; unset: the built-in list and the user's
  // cache folder. Its downloads go through the program's Qt download unless one is given.
  std::optional<std::vector<TCatalogueSource>> ContentSources;
  std::optional<std::filesystem::path> ContentCacheFolder;
  std::function<std::unique_ptr<TDownloader>()> ContentDownloader;
};

// The program's main window: every choice of a launch, the executable list, the game
// types and the saved configurations. It keeps its placement in the per-user settings
// ("FXLaunchFormPlacement").
class TFXLaunchForm : public QMainWindow,
                      public TConfigHost,
                      public TGameTypeView,
                      public THostControls {
  Q_OBJECT

 public:
  explicit TFXLaunchForm(QWidget* parent = nullptr, TLaunchFormOptions options = {});
  ~TFXLaunchForm() override;

  int PlayMode() const { return FPlayMode; }
  void SetPlayMode(int mode) override;
  // The game type now selected, as a user's pick of its entry would.
  void ActivateGameType(int index);
  TConfigurations& Configurations() { return *FConfigs; }
  const TQuakeExeList& Exes() const { return FExes; }
  bool HasPictureLibrary() const { return FPictures != nullptr; }
  // Sets the window up for a package of the content browser as a user would by hand (game
  // type, patch and map boxes, its switches in the command-line field, the engine), then
  // launches (LaunchFormContent.cpp).
  void PlayContent(const TContentChoice& choice);

  // TConfigHost
  std::vector<std::string> ConfigNames() const override;
  void AddConfigName(const std::string& name) override;
  void RemoveConfigName(const std::string& name) override;
  int SelectedConfig() const override;
  void SelectConfig(int index) override;
  void SetDeleteEnabled(bool enabled) override;
  void WriteExeList() override;
  TLaunchConfig GatherConfig() const override;
  std::optional<std::string> AskConfigName(const std::string& proposal) override;
  TQuakePlugin* ActivePlugin() override;
  TPluginFeatures ActiveFeatures() override;
  bool SelectGameType(const std::string& name) override;
  void SetItemIndex(TConfigList list, int index) override;
  void SelectExe(const std::string& caption) override;
  void SetMapText(const std::string& text) override;
  void SetPatchText(const std::string& text) override;
  void SetDemoRecText(const std::string& text) override;
  void SetDemoPlayText(const std::string& text) override;
  void SetMaxPlayers(int players) override;
  void SetFragLimit(double value) override;
  void SetTimeLimit(double value) override;
  void SetConnectTo(const std::string& text) override;
  void SetAddParms(const std::vector<std::string>& lines) override;
  void SetAutoAim(bool checked) override;
  void SetConLog(bool checked) override;
  void SetHostname(const std::string& text) override;
  void SetIgnoreGeneralCmds(bool checked) override;
  void SetFragLimitEnabled(bool checked) override;
  void SetTimeLimitEnabled(bool checked) override;

  // TGameTypeView
  void FillList(THostList list, const std::vector<std::string>& items) override;
  void SelectItem(THostList list, int index) override;
  std::string MapText() override;
  void SetPlayerClassCaption(const std::string& caption) override;
  void ShowGameTypePicture(const TGameTypePicture& picture) override;
  void ApplyFeatures(const TPluginFeatures& features) override;

  // THostControls
  int ItemIndex(THostList list) override;
  void SetItemIndex(THostList list, int index) override;
  std::string PatchText() override;
  int QuakeMode() override { return FPlayMode; }
  std::string Hostname() override;
  TWindowHandle AppHandle() override;
  TUserDialogs& Dialogs() override { return *FDialogs; }

  // The controls as a launch reads them.
  TLaunchInput GatherLaunchInput() const;

  // `fraxinel --launch NAME`: loads the saved configuration and starts it as the launch
  // button would. The window, never shown, then stores nothing when it closes. True when
  // the game was started.
  bool LaunchSavedConfiguration(const std::string& name);
  // Handles events until every started game's early-exit check has reported (and its
  // message has been closed); false when a game ended at once with a failure.
  bool WaitForGameChecks();
  // The window icon turns (the per-user setting is on and the window is active).
  bool IconAnimating() const { return FIconTimer.isActive(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void StartQuakeBtnClick();
  void SaveCfgBtnClick();
  void DeleteCfgBtnClick();
  void CfgComboBoxChange(int index);
  void GameModeComboBoxChange(int index);
  void GameModeOptionsBtnClick();
  void AddOptionsButtonClick();
  void cbQuakeModeChange(int index);
  void cbRecDemoClick();
  void LimitCheckBoxClick();
  void MaxPlayersTrackBarChange(int position);
  void PatchComboBoxExit();
  void MapComboBoxExit();
  void HostnameEditExit();
  void BrowseMapBtnClick();
  void ViewMapDocBtnClick();
  void ViewDocBtnClick();
  void DemoDocBtnClick();
  void PatchBrowseBtnClick();
  void DemoRecBrowseBtnClick();
  void DemoPlayBrowseBtnClick();
  void OptionsSettingsItemClick();
  void miConfigureToolsClick();
  void ToolItemClick(int index);
  void HelpAboutItemClick();
  void FileExitItemClick();
  void tiIconTimerTimer();
  void lvExeChange();
  void lvExeDblClick();
  void lvExeEdited(QListWidgetItem* item);
  void ExePopupMenuPopup(const QPoint& position);
  void miExeAddClick();
  void miExeDeleteClick();
  void miExeRenameClick();
  void miExePropertiesClick();
  void MarkModified();
  void FocusChanged(QWidget* old, QWidget* now);
  void miExeAddEnginesClick();
  void FileShowOutputItemClick();
  void CfgPopupMenuPopup(const QPoint& position);
  void miCfgCreateShortcutClick();
  void FindServersClick();
  void miInstallPackageClick();
  void miInstalledPackagesClick();

 private:
  // Creation.
  void SetUpControls();
  void ConnectHandlers();
  void ConnectChangeHandlers();
  void LoadPictureLibrary(const TLaunchFormOptions& options);
  void LayOutWithoutPictures();
  void RegisterPlugins(const TLaunchFormOptions& options);
  void StartConfigurations();
  void SetUpTools(const TLaunchFormOptions& options);
  void BuildToolsMenu();
  void UpdateIconTimer();
  void SetUpHints();
  void LoadPlacement();
  void SavePlacement();

  // Width (LaunchFormWidth.cpp).
  void SetUpWidthFit();
  void ScheduleWidthFit();
  void FitWidthToTexts();
  int FitGamePage();
  int FitGeneralPage();

  // Play mode, game type and panels.
  void RefreshDependentControls();
  void ApplyPanelStates();
  void RestackPanels();
  void SetMapPickOnly(bool pickOnly);
  QComboBox* ListBox(THostList list) const;
  void ShowPicture(QWidget* target, int number);
  void UpdatePatchDocButton();

  // Executables.
  void ReadExeList();
  // Writes the list after a change; a failure is shown, the list stays for the next try.
  void SaveExeListNow();
  void AddExeItem(const TQuakeExe& exe);
  // Shows the entry of `row` again: its picture, marked when its program cannot be
  // started, and the tool tip that says why.
  void RefreshExeItem(int row);
  QIcon ExeIcon(const TQuakeExe& exe, bool unusable) const;
  // The row a list without a configured choice selects (PreferredExe), else 0.
  int PreferredExeRow() const;
  void ReportDamagedExes();
  int SelectedExe() const;
  std::vector<std::string> ExeNames() const;
  void ShowExePopup(const QPoint& globalPosition);
  bool ExeListKey(QKeyEvent* event);

  // The content browser (LaunchFormContent.cpp).
  void SetUpContentBrowser(const TLaunchFormOptions& options);
  void ContentBrowserClick();

  // The server browser (LaunchFormServers.cpp).
  void SetUpServerBrowser(const TLaunchFormOptions& options);
  void JoinServer(const TServerJoinChoice& choice);

  // The package installer (LaunchFormPackages.cpp).
  void SetUpPackages();
  // Installs a .zip, .pk3, .pak or .bsp into the game folder, or where the launch would
  // write its scripts when that cannot be written, after the user saw the plan.
  void InstallPackageFile(const std::string& file);

  // Actions.
  bool LaunchNow();
  // After a launch: says why the program did not start (offering its Properties), watches
  // its early exit, and closes the window once the start is known to have worked when the
  // settings say so.
  void FollowLaunch(TLaunchResult& result);
  void ReportStartProblem(const TStartProblem& problem);
  void UpdateCommandPreview();
  // Where the launch puts its main script: in the preview's tool tip, and in its text when
  // that is the engine's per-user folder rather than the game folder.
  void ShowScriptPlace(const TScriptPlace& place);
  void SetUpLaunchExtras(const TLaunchFormOptions& options);
  std::string GameFolder() const;
  std::string PatchName() const;
  // Where the CONFIG.CFG clean-up looks when the window closes.
  TConfigCleanUp ExitCleanUp() const;
  std::string DemoStartFolder() const;
  std::filesystem::path DemoUserFolder() const;
  TDemoArchiveRule DemoArchives() const;
  std::vector<std::filesystem::path> DemoSearchFolders(const std::string& dir) const;
  void OpenDocument(const std::filesystem::path& file);
  void ShowError(const std::string& text);
  void ReportException(const std::exception& e);

  std::unique_ptr<Ui::FXLaunchForm> FUi;
  std::unique_ptr<TUserDialogs> FOwnDialogs;
  TUserDialogs* FDialogs = nullptr;
  std::unique_ptr<TPictureLibrary> FPictures;
  TQuakeExeList FExes;  // row i of lvExe shows FExes[i]
  std::unique_ptr<TToolList> FOwnTools;
  TToolList* FTools = nullptr;
  TQtPluginDialogs FPluginDialogs;
  TIntfPtr<TFraxinel> FStarter;
  std::vector<TGameTypeEntry> FGameTypes;
  std::unique_ptr<TGameTypeSelector> FSelector;
  std::unique_ptr<TConfigurations> FConfigs;
  QMenu* FExePopupMenu = nullptr;
  QMenu* FCfgPopupMenu = nullptr;
  std::filesystem::path FOutputFolder;  // empty: a game's output is not kept
  std::function<std::vector<TFoundEngine>()> FFindEngines;
  std::filesystem::path FDesktopFolder;
  std::function<std::unique_ptr<TServerSource>()> FMakeServerSource;
  std::unique_ptr<TServerSource> FServerSource;  // made when the browser is first opened
  // The content browser's sources, cache and download, made when it is first opened.
  std::optional<std::vector<TCatalogueSource>> FContentSources;
  std::optional<std::filesystem::path> FContentCacheFolder;
  std::function<std::unique_ptr<TDownloader>()> FMakeContentDownloader;
  std::unique_ptr<TDownloader> FContentDownloader;
  // What the last content play put into the command-line field, taken out by the next.
  std::string FContentSwitches;
  int FGameChecks = 0;  // started games whose early-exit check has not reported yet
  bool FGameFailed = false;
  bool FStoreOnClose = true;
  bool FCloseAfterStart = false;  // the launch started a game and the settings say to close
  QTimer FIconTimer;
  std::vector<QPixmap> FLogoFrames;
  int FIconFrame = 0;
  std::vector<std::pair<QWidget*, int>> FDesignedWidths;  // controls that follow the width
  bool FWidthFitScheduled = false;
  int FPlayMode = -1;
  bool FClosed = false;
};

}  // namespace fx
