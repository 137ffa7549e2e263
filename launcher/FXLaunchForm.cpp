#include "launcher/FXLaunchForm.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QStyle>

#include <exception>
#include <iostream>
#include <string>

#include "launcher/Configurations.h"
#include "launcher/LaunchPipeline.h"
#include "platform/PictureLibrary.h"
#include "platform/Registry.h"
#include "settings/AppSettings.h"
#include "settings/FXSettings.h"
#include "settings/FormPlacementView.h"
#include "tools/FXTools.h"
#include "ui/ExtendedHint.h"
#include "ui/MenuBarKeys.h"
#include "ui/ProgramPictures.h"
#include "ui/QtUserDialogs.h"
#include "ui/ScreenCentre.h"
#include "ui_FXLaunchForm.h"

namespace fx {

namespace {

constexpr const char* kPlacementName = "FXLaunchForm";
constexpr int kIconInterval = 100;  // ms per frame of the turning icon
constexpr int kHintFixedWidth = 160;

}  // namespace

TFXLaunchForm::TFXLaunchForm(QWidget* parent, TLaunchFormOptions options)
    : QMainWindow(parent), FUi(std::make_unique<Ui::FXLaunchForm>()), FPluginDialogs(this) {
  FUi->setupUi(this);
  if (options.Dialogs != nullptr) {
    FDialogs = options.Dialogs;
  } else {
    FOwnDialogs = std::make_unique<TQtUserDialogs>(this);
    FDialogs = FOwnDialogs.get();
  }
  setWindowIcon(ProgramIcon());
  LoadPictureLibrary(options);
  SetUpControls();
  SetUpLaunchExtras(options);
  FConfigs = std::make_unique<TConfigurations>(*this, *FDialogs);
  FConfigs->SetLoading(true);
  ReadExeList();
  ConnectHandlers();
  FUi->PageControl1->setCurrentIndex(0);
  FStarter = MakeIntf<TFraxinel>(*this, FXSettings());
  if (!FPictures) LayOutWithoutPictures();
  RegisterPlugins(options);
  FUi->cbSkill->setCurrentIndex(2);
  SetPlayMode(kPlaySingle);
  FConfigs->SetLoading(false);
  StartConfigurations();
  SetUpTools(options);
  SetUpServerBrowser(options);
  SetUpContentBrowser(options);
  SetUpPackages();
  UpdateIconTimer();
  SetUpHints();
  SetUpWidthFit();
  LoadPlacement();
  UpdateCommandPreview();
}

TFXLaunchForm::~TFXLaunchForm() {
  // Children are destroyed after this body, and their focus moving then would reach the
  // handlers of a window that is half gone.
  disconnect(qApp, nullptr, this, nullptr);
  // Game types may still hold the starter; it reads this window, so cut them off first.
  FSelector.reset();
  FGameTypes.clear();
}

void TFXLaunchForm::LoadPictureLibrary(const TLaunchFormOptions& options) {
  FPictures =
      TPictureLibrary::Open(options.PictureLibrary.value_or(TPictureLibrary::DefaultPath()));
}

void TFXLaunchForm::SetUpControls() {
  FUi->SaveCfgBtn->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  FUi->DeleteCfgBtn->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
  FUi->StartQuakeBtn->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
  FUi->CfgComboBox->addItem(QString::fromLatin1(kDefaultConfigName));
  FUi->CfgComboBox->setCurrentIndex(0);
  FUi->DeleteCfgBtn->setEnabled(false);
  FUi->ScrollBox1->viewport()->installEventFilter(this);
  FUi->GeneralSheet->installEventFilter(this);
  FUi->lvExe->installEventFilter(this);
  FUi->lvExe->setIconSize(QSize(16, 16));
  FExePopupMenu = new QMenu(this);  // owned by the window
  FExePopupMenu->addAction(FUi->miExeAdd);
  FExePopupMenu->addAction(FUi->miExeAddEngines);
  FExePopupMenu->addAction(FUi->miExeDelete);
  FExePopupMenu->addAction(FUi->miExeRename);
  FExePopupMenu->addSeparator();
  FExePopupMenu->addAction(FUi->miExeProperties);
  FExePopupMenu->setDefaultAction(FUi->miExeProperties);
  // The other games of the "&Game" menu are placeholders of the editions the program may
  // support one day; only one of the radio items can be checked.
  auto* games = new QActionGroup(this);
  for (QAction* action : {FUi->miGameQuake, FUi->miGameQuake2, FUi->miGameHexen2})
    games->addAction(action);
  for (const QPixmap& frame : RotatingLogoFrames())
    FLogoFrames.push_back(frame);
  FIconTimer.setInterval(kIconInterval);
  new TMenuBarKeys(*this, *menuBar());  // owned by the window
}

void TFXLaunchForm::RegisterPlugins(const TLaunchFormOptions& options) {
  const TPluginEnvironment environment{*FStarter, FPluginDialogs};
  FGameTypes = options.GameTypes ? options.GameTypes(environment) : RegisterGameTypes(environment);
  FSelector = std::make_unique<TGameTypeSelector>(FGameTypes.front().Plugin, *this);
  for (const TGameTypeEntry& entry : FGameTypes)
    FUi->GameModeComboBox->addItem(
        QString::fromLatin1(entry.Name.data(), static_cast<int>(entry.Name.size())));
  FUi->GameModeComboBox->setCurrentIndex(0);
  ActivateGameType(0);
}

void TFXLaunchForm::StartConfigurations() {
  try {
    const bool hadTemp = FConfigs->ReadList();
    FConfigs->InitialLoad(hadTemp, FXUserSettings().LastConfig());
  } catch (const std::exception& e) {
    ReportException(e);
  }
}

void TFXLaunchForm::SetUpHints() {
  // Owned by the window; its settings serve the window's own controls only.
  auto* hints = new TExtendedHint(this);
  hints->SetFixedWitdh(kHintFixedWidth);
  hints->SetLineCmd(QLatin1Char('+'));
}

void TFXLaunchForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // The window's own activation: the application may have been active before it was.
  if (event->type() == QEvent::ActivationChange) UpdateIconTimer();
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
    ScheduleWidthFit();
}

void TFXLaunchForm::UpdateIconTimer() {
  const bool animate = FXUserSettings().AnimateMainWindowIcon() && !FLogoFrames.empty();
  if (animate && isActiveWindow()) {
    FIconTimer.start();
  } else {
    FIconTimer.stop();
    if (!animate) setWindowIcon(ProgramIcon());
  }
}

void TFXLaunchForm::tiIconTimerTimer() {
  if (FLogoFrames.empty()) return;
  FIconFrame = (FIconFrame + 1) % static_cast<int>(FLogoFrames.size());
  setWindowIcon(QIcon(FLogoFrames[static_cast<std::size_t>(FIconFrame)]));
  // X11 gets the new icon only with Qt's next request that waits for an answer, which an
  // idle window may not make for seconds: the icon would jump instead of turning.
  QGuiApplication::sync();
}

void TFXLaunchForm::LoadPlacement() {
  try {
    if (const auto placement = FXUserSettings().LoadFormPlacement(kPlacementName)) {
      ApplyFormPlacement(*this, *placement);
      return;
    }
  } catch (const ERegistryException& e) {
    // An unreadable placement is no reason not to start: the window keeps its design.
    std::cerr << "fraxinel: window placement not restored: " << e.what() << '\n';
  }
  CentreOnScreen(*this);
}

void TFXLaunchForm::SavePlacement() {
  try {
    FXUserSettings().SaveFormPlacement(kPlacementName, CaptureFormPlacement(*this));
  } catch (const std::exception& e) {
    ShowError(std::string("The window placement could not be saved.\n\n") + e.what());
  }
}

void TFXLaunchForm::ShowError(const std::string& text) {
  TMessage message;
  message.Text = text;
  message.Icon = TMsgIcon::Error;
  FDialogs->ShowMessage(message);
}

void TFXLaunchForm::ReportException(const std::exception& e) {
  ShowError(e.what());
}

TConfigCleanUp TFXLaunchForm::ExitCleanUp() const {
  // The clean-up looks where the selected engine does, as a launch's does.
  const int exe = SelectedExe();
  if (exe < 0 || exe >= static_cast<int>(FExes.size()))
    return {{FXSettings().QPath()}, PatchName()};
  try {
    return ConfigCleanUpFor(GatherLaunchInput(), FXSettings(), FExes[static_cast<std::size_t>(exe)],
                            CurrentUserHomes());
  } catch (const std::exception&) {
    return {{FXSettings().QPath()}, PatchName()};
  }
}

void TFXLaunchForm::closeEvent(QCloseEvent* event) {
  // A window that only started a configuration from outside keeps the user's state as it was.
  if (!FClosed && FStoreOnClose) {
    FClosed = true;
    SavePlacement();
    const TConfigCleanUp cleanUp = ExitCleanUp();
    FConfigs->StoreOnExit(FXUserSettings(), cleanUp.Folders, cleanUp.GameDir);
    // Written here rather than at destruction, where an error could no longer be shown.
    try {
      WriteExeList();
    } catch (const std::exception& e) {
      ReportException(e);
    }
  }
  QMainWindow::closeEvent(event);
}

void TFXLaunchForm::FileExitItemClick() {
  close();
}

void TFXLaunchForm::OptionsSettingsItemClick() {
  try {
    FXSettings().Edit();
  } catch (const std::exception& e) {
    ReportException(e);
    return;
  }
  UpdateIconTimer();
  RefreshDependentControls();
  UpdateCommandPreview();
}

}  // namespace fx
