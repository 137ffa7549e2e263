#include "app/QtStartupSteps.h"

#include <QApplication>
#include <QLocale>

#include <exception>
#include <iostream>
#include <utility>

#include "app/CommandLineOptions.h"
#include "app/ConsoleDialogs.h"
#include "app/LocaleFormat.h"
#include "app/TestDriver.h"
#include "exes/EngineDiscovery.h"
#include "launcher/Configurations.h"
#include "launcher/FXLaunchForm.h"
#include "launcher/GameOutput.h"
#include "platform/FormatSettings.h"
#include "platform/InstallLayout.h"
#include "platform/QtDocumentOpener.h"
#include "platform/RegFileStore.h"
#include "platform/Registry.h"
#include "settings/FXSettingsForm.h"
#include "settings/SaveSettingsNow.h"
#include "settings/SetupDlg.h"
#include "ui/ExtendedHint.h"
#include "ui/ProgramPictures.h"
#include "ui/QtUserDialogs.h"
#include "ui/SplashForm.h"

namespace fx {

namespace {

std::string ToString(const QString& text) {
  return text.toUtf8().toStdString();
}

TLocaleConventions LocaleConventions(const QLocale& locale) {
  return {ToString(locale.decimalPoint()), ToString(locale.groupSeparator()),
          ToString(locale.dateFormat(QLocale::ShortFormat))};
}

}  // namespace

TQtStartupSteps::TQtStartupSteps() : FReport(qEnvironmentVariable("FRAXINEL_TEST_REPORT") == "1") {
  if (FReport) FTestDriver = std::make_unique<TTestDriver>();
  QObject::connect(qApp, &QGuiApplication::commitDataRequest,
                   [this](QSessionManager& manager) { SaveForSessionEnd(manager); });
}

TQtStartupSteps::~TQtStartupSteps() {
  // The store outlives this object and may still warn when it saves at the very end.
  if (FSinkSet) DefaultRegistryStore().SetWarningSink({});
}

bool TQtStartupSteps::AcquireSingleInstance() {
  FInstance = std::make_unique<TSingleInstance>(QCoreApplication::applicationFilePath());
  if (!FInstance->TryAcquire()) return false;
  QObject::connect(FInstance.get(), &TSingleInstance::activationRequested,
                   [this] { BringForward(); });
  return true;
}

std::vector<std::string> TQtStartupSteps::LoadSettings() {
  // The store reads its files when the settings first ask, so the sink must be in place
  // before that.
  DefaultRegistryStore().SetWarningSink(
      [this](const std::string& warning) { FSettingsWarnings.push_back(warning); });
  FSinkSet = true;
  std::vector<std::string> errors;
  FSettings.emplace([&errors](const std::string& error) { errors.push_back(error); });
  FTools.emplace();
  try {
    TRegistry registry;
    FTools->Tools.Load(registry);
  } catch (const ERegistryException& e) {
    errors.push_back(std::string("The tools could not be read.\n\n") + e.what());
  }
  return errors;
}

void TQtStartupSteps::InitApplication() {
  QApplication::setApplicationName(QStringLiteral("Fraxinel"));
  QApplication::setApplicationDisplayName(QStringLiteral("Fraxinel"));
  // Lets Wayland compositors match the windows to the installed desktop entry and its icon.
  QApplication::setDesktopFileName(QString::fromStdString(ApplicationId()));
  QApplication::setWindowIcon(ProgramIcon());
  InstallQtDocumentOpener();
  FHints = std::make_unique<TExtendedHint>();
  FormatSettings() = FormatSettingsFromLocale(LocaleConventions(QLocale()));
  // Until the main window runs, closing the splash or the setup dialog leaves no window
  // open; that must not end the program.
  QApplication::setQuitOnLastWindowClosed(false);
}

std::vector<std::string> TQtStartupSteps::TakeSettingsWarnings() {
  return std::exchange(FSettingsWarnings, {});
}

void TQtStartupSteps::UseConsole(bool display) {
  FConsole = true;
  FDisplay = display;
}

void TQtStartupSteps::ShowMessage(const std::string& text, TMsgIcon icon) {
  TMessage message;
  message.Text = text;
  message.Icon = icon;
  TQtUserDialogs boxes(QApplication::activeModalWidget());
  if (!FConsole) {
    boxes.ShowMessage(message);
    return;
  }
  message.Caption = icon == TMsgIcon::Error ? "Error" : "Warning";
  TConsoleDialogs(std::cerr, FDisplay ? &boxes : nullptr).ShowMessage(message);
}

void TQtStartupSteps::ShowError(const std::string& text) {
  ShowMessage(text, TMsgIcon::Error);
}

void TQtStartupSteps::ShowWarning(const std::string& text) {
  ShowMessage(text, TMsgIcon::Warning);
}

const TSplashGate& TQtStartupSteps::ShowSplash() {
  FSplash = std::make_unique<TSplashForm>(FClock);
  FSplash->ShowAndPaint();
  return FSplash->Gate();
}

bool TQtStartupSteps::SetupNeeded() {
  return FSettings->Machine.Version() == 0;
}

bool TQtStartupSteps::RunSetup() {
  // A signal before the setup showed is its Cancel as well.
  if (FQuit.Requested()) return false;
  TSetupDlg dialog(FSettings->Machine, FSplash.get());
  dialog.SetEngineFinder([] { return FindInstalledEngines(); });
  FSetupDlg = &dialog;
  const bool confirmed = dialog.exec() == QDialog::Accepted;
  FSetupDlg = nullptr;
  // What the setup stored must not wait for the end of the program, which may never come.
  if (confirmed) SaveProgramSettingsNow(FSplash.get());
  return confirmed;
}

TLaunchFormOptions TQtStartupSteps::WindowOptions() const {
  TLaunchFormOptions options;
  options.GameOutputFolder = GameOutputFolder(TXdgFolders());
  return options;
}

void TQtStartupSteps::CreateMainWindow() {
  FMainWindow = std::make_unique<TFXLaunchForm>(nullptr, WindowOptions());
  InstallSettingsEditor(FSettings->Machine, FSettings->User, FMainWindow.get());
}

void TQtStartupSteps::WaitForEvents(std::chrono::milliseconds most) {
  TSplashForm::ProcessEventsFor(most);
}

void TQtStartupSteps::CloseSplash() {
  FSplash.reset();
}

int TQtStartupSteps::RunMainWindow() {
  if (FQuit.Requested()) {
    // A signal during the start: end as File > Exit would, without showing the window.
    FMainWindow->close();
    return kExitOk;
  }
  FMainWindow->show();
  QApplication::setQuitOnLastWindowClosed(true);
  FQuit.SetMainWindow(FMainWindow.get());
  Report("ready");
  return QApplication::exec();
}

void TQtStartupSteps::SaveSettings() {
  FSettings->Save();
}

void TQtStartupSteps::SaveForSessionEnd(QSessionManager& manager) {
  if (!FSettings) return;
  try {
    FSettings->SaveNow();
  } catch (const std::exception& e) {
    std::cerr << "fraxinel: " << SettingsNotSavedText(e.what()) << '\n';
    // The session manager decides whether the user may still be asked anything.
    if (manager.allowsErrorInteraction()) {
      ShowError(SettingsNotSavedText(e.what()));
      manager.release();
    }
  }
}

int TQtStartupSteps::LaunchConfiguration(const std::string& name) {
  FSettings->SkipSaveAtEnd();
  if (!ConfigurationExists(name)) {
    std::fprintf(stderr, "fraxinel: there is no saved configuration named \"%s\"\n", name.c_str());
    return kExitUsage;
  }
  TQtUserDialogs boxes;
  TConsoleDialogs console(std::cerr, FDisplay ? &boxes : nullptr);
  TLaunchFormOptions options = WindowOptions();
  if (FConsole) options.Dialogs = &console;
  TFXLaunchForm window(nullptr, options);
  bool started = window.LaunchSavedConfiguration(name);
  // A game that fails at once says so before the program ends.
  started = window.WaitForGameChecks() && started;
  Report(started ? "launched" : "not launched");
  return started ? kExitOk : kExitNotLaunched;
}

void TQtStartupSteps::BringForward() {
  Report("activated");
  if (FSetupDlg)
    TSingleInstance::BringToFront(FSetupDlg);
  else if (FMainWindow && FMainWindow->isVisible())
    TSingleInstance::BringToFront(FMainWindow.get());
  else if (FSplash)
    FSplash->raise();
}

void TQtStartupSteps::Report(const char* word) const {
  if (FReport) TTestDriver::Report(QString::fromLatin1(word));
}

}  // namespace fx
