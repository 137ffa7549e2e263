#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "ui/SplashGate.h"

namespace fx {

// Exit codes of the program.
inline constexpr int kExitOk = 0;
// Another copy of the program runs; it was asked to come forward.
inline constexpr int kExitOtherCopyRuns = 0;
// The user did not confirm the first-run setup.
inline constexpr int kExitSetupCancelled = 1;
// The settings could not be saved at the end (the user has been told).
inline constexpr int kExitSettingsNotSaved = 2;
// --launch: the game was not started (a question answered No, the start failed, or the
// game ended at once with a failure).
inline constexpr int kExitNotLaunched = 1;

// What start-up asks of the program's windows, the desktop and the settings, one call a
// step. The program implements it with Qt; tests record the calls.
class TStartupSteps {
 public:
  virtual ~TStartupSteps() = default;

  // False when another copy of the program runs; it has been asked to come forward.
  virtual bool AcquireSingleInstance() = 0;
  // Creates and loads both settings objects. Returns the errors met while loading (a value
  // of the wrong type); they are shown once the application is set up.
  virtual std::vector<std::string> LoadSettings() = 0;
  // The application's title and icon, the document opener, the program's hints, number
  // and date formats.
  virtual void InitApplication() = 0;
  // What the settings files reported since the last call (a broken file moved aside).
  virtual std::vector<std::string> TakeSettingsWarnings() = 0;
  virtual void ShowError(const std::string& text) = 0;
  virtual void ShowWarning(const std::string& text) = 0;

  // Shows the splash screen and has it painted at once; its gate starts with the showing
  // and lives until CloseSplash.
  virtual const TSplashGate& ShowSplash() = 0;
  // The machine-wide settings have never been set up (their Version is 0).
  virtual bool SetupNeeded() = 0;
  // Shows the first-run setup dialog; true when the user confirmed it.
  virtual bool RunSetup() = 0;
  virtual void CreateMainWindow() = 0;
  // Handles the program's events for at most `most` (less when the wait can end sooner).
  virtual void WaitForEvents(std::chrono::milliseconds most) = 0;
  virtual void CloseSplash() = 0;
  // Shows the main window and handles events until it closes; returns the exit code.
  virtual int RunMainWindow() = 0;
  // Saves the per-user, then the machine-wide settings; throws when that fails.
  virtual void SaveSettings() = 0;
  // Starts the saved configuration `name` as the launch button would, without showing the
  // main window, and returns the exit code: 0 started, 1 not started, 2 no such name.
  virtual int LaunchConfiguration(const std::string& name) = 0;
};

// The order in which the program starts and ends:
//  1. the single-instance guard: a second copy asks the first to come forward and ends
//     with kExitOtherCopyRuns before it reads, shows or saves anything;
//  2. the settings are created and loaded;
//  3. the application is set up, then the load errors and settings warnings are shown;
//  4. the splash screen is shown and painted;
//  5. when the program has never been set up, the first-run setup; not confirmed: the
//     splash closes, the settings are saved and the program ends with kExitSetupCancelled;
//  6. the main window is created;
//  7. the splash stays until its minimum time has passed (events are handled meanwhile);
//  8. the splash closes;
//  9. the main window runs until it closes;
// and at the end the settings are saved. A save that fails is shown as an error and ends
// the program with kExitSettingsNotSaved unless the main window gave a code of its own.
class TStartup {
 public:
  explicit TStartup(TStartupSteps& steps) : FSteps(steps) {}

  int Run();
  // `fraxinel --launch NAME`: the settings are loaded (their problems shown), the
  // configuration is started, and the program ends. No guard: a running copy keeps its
  // window, and nothing is saved that it could overwrite.
  int RunLaunch(const std::string& name);

 private:
  void ShowLoadProblems(const std::vector<std::string>& loadErrors);
  void ShowSettingsWarnings();
  int Finish(int exitCode);

  TStartupSteps& FSteps;
};

}  // namespace fx
