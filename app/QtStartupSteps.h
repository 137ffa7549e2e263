#pragma once

#include <QPointer>
#include <QSessionManager>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/OutsideQuit.h"
#include "app/SignalQuit.h"
#include "app/Startup.h"
#include "platform/Clock.h"
#include "platform/SingleInstance.h"
#include "settings/FXSettings.h"
#include "tools/FXTools.h"
#include "ui/UserDialogs.h"

namespace fx {

class TExtendedHint;
class TFXLaunchForm;
struct TLaunchFormOptions;
class TSplashForm;
class TTestDriver;

// The program's start-up steps on Qt. Needs the QApplication to exist.
//
// SIGTERM, SIGHUP and SIGINT end the program as File > Exit does (TOutsideQuit); during the
// first-run setup that is the setup's Cancel. The desktop session's end saves the settings.
//
// Test hook: with FRAXINEL_TEST_REPORT=1 in the environment the program prints, one word a
// line on standard output, "ready" once the main window is shown and "activated" whenever
// a later copy asks it to come forward, and runs a TTestDriver, so that tests of the real
// program can follow and drive it.
class TQtStartupSteps final : public TStartupSteps {
 public:
  TQtStartupSteps();
  ~TQtStartupSteps() override;

  bool AcquireSingleInstance() override;
  std::vector<std::string> LoadSettings() override;
  void InitApplication() override;
  std::vector<std::string> TakeSettingsWarnings() override;
  void ShowError(const std::string& text) override;
  void ShowWarning(const std::string& text) override;
  const TSplashGate& ShowSplash() override;
  bool SetupNeeded() override;
  bool RunSetup() override;
  void CreateMainWindow() override;
  void WaitForEvents(std::chrono::milliseconds most) override;
  void CloseSplash() override;
  int RunMainWindow() override;
  void SaveSettings() override;
  int LaunchConfiguration(const std::string& name) override;

  // `--launch`: every message is printed on standard error as well, and shown only with
  // `display` (else a question takes its default button).
  void UseConsole(bool display);

 private:
  TLaunchFormOptions WindowOptions() const;
  void BringForward();
  void Report(const char* word) const;
  void SaveForSessionEnd(QSessionManager& manager);
  void ShowMessage(const std::string& text, TMsgIcon icon);

  TSystemClock FClock;
  bool FReport = false;
  std::unique_ptr<TTestDriver> FTestDriver;
  TOutsideQuit FQuit;
  // Installed with this object, before any step runs: from then on no signal ends the
  // program unsaved.
  TSignalQuit FSignals{[this](int) { FQuit.Request(); }};
  std::unique_ptr<TSingleInstance> FInstance;
  std::vector<std::string> FSettingsWarnings;
  bool FSinkSet = false;
  // Declared before the windows, so that it outlives them.
  std::optional<TProgramSettings> FSettings;
  // Loaded with the settings, before the main window builds its "&Tools" menu.
  std::optional<TProgramToolList> FTools;
  // The hints of every window without hint settings of its own.
  std::unique_ptr<TExtendedHint> FHints;
  std::unique_ptr<TSplashForm> FSplash;
  std::unique_ptr<TFXLaunchForm> FMainWindow;
  QPointer<QWidget> FSetupDlg;
  bool FConsole = false;
  bool FDisplay = true;
};

}  // namespace fx
