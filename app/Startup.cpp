#include "app/Startup.h"

#include <exception>

#include "settings/FXSettings.h"

namespace fx {

int TStartup::Run() {
  // The guard comes before the settings: a second copy then neither moves a broken
  // settings file aside under the first copy's feet nor saves its stale values over what
  // the first copy is about to save.
  if (!FSteps.AcquireSingleInstance()) return kExitOtherCopyRuns;

  const std::vector<std::string> loadErrors = FSteps.LoadSettings();
  FSteps.InitApplication();
  ShowLoadProblems(loadErrors);

  const TSplashGate& gate = FSteps.ShowSplash();
  if (FSteps.SetupNeeded() && !FSteps.RunSetup()) {
    FSteps.CloseSplash();
    return Finish(kExitSetupCancelled);
  }
  FSteps.CreateMainWindow();
  gate.Wait([this](std::chrono::milliseconds most) { FSteps.WaitForEvents(most); });
  FSteps.CloseSplash();
  return Finish(FSteps.RunMainWindow());
}

int TStartup::RunLaunch(const std::string& name) {
  const std::vector<std::string> loadErrors = FSteps.LoadSettings();
  FSteps.InitApplication();
  ShowLoadProblems(loadErrors);
  return FSteps.LaunchConfiguration(name);
}

void TStartup::ShowLoadProblems(const std::vector<std::string>& loadErrors) {
  for (const std::string& error : loadErrors)
    FSteps.ShowError(error);
  ShowSettingsWarnings();
}

void TStartup::ShowSettingsWarnings() {
  for (const std::string& warning : FSteps.TakeSettingsWarnings())
    FSteps.ShowWarning(warning);
}

int TStartup::Finish(int exitCode) {
  try {
    FSteps.SaveSettings();
  } catch (const std::exception& e) {
    FSteps.ShowError(SettingsNotSavedText(e.what()));
    if (exitCode == kExitOk) exitCode = kExitSettingsNotSaved;
  }
  ShowSettingsWarnings();
  return exitCode;
}

}  // namespace fx
