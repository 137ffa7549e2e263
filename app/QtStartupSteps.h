#pragma once

#include <QPointer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "platform/Clock.h"
#include "platform/SingleInstance.h"
#include "settings/FXSettings.h"

namespace fx {

class TFXLaunchForm;
struct TLaunchFormOptions;
class TSplashForm;

// The program's start-up steps on Qt. Needs the QApplication to exist.
//
// Test hook: with FRAXINEL_TEST_REPORT=1 in the environment the program prints, one word a
// line on standard output, "ready" once the main window is shown and "activated" whenever
// a later copy asks it to come forward, so that tests of the real program can follow it.
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

 private:
  TLaunchFormOptions WindowOptions() const;
  void BringForward();
  void Report(const char* word) const;

  TSystemClock FClock;
  bool FReport = false;
  std::unique_ptr<TSingleInstance> FInstance;
  std::vector<std::string> FSettingsWarnings;
  bool FSinkSet = false;
  // Declared before the windows, so that it outlives them.
  std::optional<TProgramSettings> FSettings;
  std::unique_ptr<TSplashForm> FSplash;
  std::unique_ptr<TFXLaunchForm> FMainWindow;
  QPointer<QWidget> FSetupDlg;
};

}  // namespace fx
