#include "app/Startup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/RegistryTypes.h"

namespace fx {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Start-up steps that record what start-up asks of them, with a manual clock standing in
// for time: creating the main window and waiting for events move it on.
class TRecordingSteps final : public TStartupSteps {
 public:
  // What the steps answer.
  bool OtherCopyRuns = false;
  std::vector<std::string> LoadErrors;
  std::vector<std::string> LoadWarnings;
  std::vector<std::string> LateWarnings;  // reported when the settings are saved
  bool NeedsSetup = false;
  bool ConfirmSetup = true;
  std::chrono::milliseconds SetupTakes = 0ms;
  std::chrono::milliseconds MainWindowTakes = 0ms;
  // How far one wait moves the clock: the whole time asked for, or less (an event
  // ended the wait early).
  std::optional<std::chrono::milliseconds> EventsArriveEvery;
  int MainWindowExitCode = 0;
  bool SaveFails = false;

  // What was asked.
  std::vector<std::string> Calls;
  std::vector<std::chrono::milliseconds> Waits;
  std::vector<std::string> Errors;
  std::vector<std::string> Warnings;
  std::chrono::milliseconds SplashClosedAfter{-1};

  bool AcquireSingleInstance() override {
    Calls.push_back("guard");
    return !OtherCopyRuns;
  }
  std::vector<std::string> LoadSettings() override {
    Calls.push_back("load");
    return LoadErrors;
  }
  void InitApplication() override { Calls.push_back("init"); }
  std::vector<std::string> TakeSettingsWarnings() override {
    return std::exchange(LoadWarnings, {});
  }
  void ShowError(const std::string& text) override {
    Calls.push_back("error");
    Errors.push_back(text);
  }
  void ShowWarning(const std::string& text) override {
    Calls.push_back("warning");
    Warnings.push_back(text);
  }
  const TSplashGate& ShowSplash() override {
    Calls.push_back("splash");
    FGate.Shown();
    return FGate;
  }
  bool SetupNeeded() override { return NeedsSetup; }
  bool RunSetup() override {
    Calls.push_back("setup");
    Clock.Advance(SetupTakes);
    return ConfirmSetup;
  }
  void CreateMainWindow() override {
    Calls.push_back("main window");
    Clock.Advance(MainWindowTakes);
  }
  void WaitForEvents(std::chrono::milliseconds most) override {
    if (Calls.back() != "wait") Calls.push_back("wait");
    Waits.push_back(most);
    Clock.Advance(EventsArriveEvery ? std::min(most, *EventsArriveEvery) : most);
  }
  void CloseSplash() override {
    Calls.push_back("close splash");
    SplashClosedAfter =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock.Now() - TClock::TTimePoint{});
  }
  int RunMainWindow() override {
    Calls.push_back("run");
    return MainWindowExitCode;
  }
  void SaveSettings() override {
    Calls.push_back("save");
    LoadWarnings = LateWarnings;
    if (SaveFails) throw ERegistryException("Cannot lock user.reg.lock");
  }
  int LaunchConfiguration(const std::string& name) override {
    Calls.push_back("launch " + name);
    return LaunchExitCode;
  }
  int LaunchExitCode = 0;

  TManualClock Clock;

 private:
  TSplashGate FGate{Clock};
};

TEST(StartupOrder, RunsTheStepsInOrderAndSavesAtTheEnd) {
  TRecordingSteps steps;
  steps.NeedsSetup = true;
  steps.MainWindowTakes = 500ms;
  EXPECT_EQ(TStartup(steps).Run(), kExitOk);
  EXPECT_THAT(steps.Calls, ElementsAre("guard", "load", "init", "splash", "setup", "main window",
                                       "wait", "close splash", "run", "save"));
}

TEST(StartupOrder, SkipsTheSetupOnceTheProgramHasBeenSetUp) {
  TRecordingSteps steps;
  steps.MainWindowTakes = 2500ms;
  TStartup(steps).Run();
  EXPECT_THAT(steps.Calls, ElementsAre("guard", "load", "init", "splash", "main window",
                                       "close splash", "run", "save"));
}

TEST(StartupOrder, ASecondCopyEndsBeforeItReadsShowsOrSavesAnything) {
  TRecordingSteps steps;
  steps.OtherCopyRuns = true;
  steps.NeedsSetup = true;
  EXPECT_EQ(TStartup(steps).Run(), kExitOtherCopyRuns);
  EXPECT_EQ(kExitOtherCopyRuns, 0);
  EXPECT_THAT(steps.Calls, ElementsAre("guard"));
}

TEST(StartupOrder, ACancelledSetupEndsWithCodeOneAndStillSavesTheSettings) {
  TRecordingSteps steps;
  steps.NeedsSetup = true;
  steps.ConfirmSetup = false;
  EXPECT_EQ(TStartup(steps).Run(), kExitSetupCancelled);
  EXPECT_EQ(kExitSetupCancelled, 1);
  EXPECT_THAT(steps.Calls,
              ElementsAre("guard", "load", "init", "splash", "setup", "close splash", "save"));
}

TEST(StartupOrder, TheMainWindowsExitCodeIsTheProgramsExitCode) {
  TRecordingSteps steps;
  steps.MainWindowTakes = 3s;
  steps.MainWindowExitCode = 7;
  EXPECT_EQ(TStartup(steps).Run(), 7);
}

TEST(StartupOrder, ALaunchFromOutsideLoadsTheSettingsStartsAndSavesNothing) {
  TRecordingSteps steps;
  steps.LoadErrors = {"Invalid data type for 'Version'"};
  steps.LaunchExitCode = 2;
  EXPECT_EQ(TStartup(steps).RunLaunch("Deathmatch"), 2);
  // No guard (a running copy keeps its window), no splash, no setup, no main window, no save.
  EXPECT_THAT(steps.Calls, ElementsAre("load", "init", "error", "launch Deathmatch"));
}

TEST(StartupProblems, LoadErrorsAndWarningsAreShownOnceTheApplicationIsSetUp) {
  TRecordingSteps steps;
  steps.MainWindowTakes = 3s;
  steps.LoadErrors = {"Invalid data type for 'Version'"};
  steps.LoadWarnings = {"machine.reg line 3: broken. The file was moved aside"};
  TStartup(steps).Run();
  EXPECT_THAT(steps.Calls, ElementsAre("guard", "load", "init", "error", "warning", "splash",
                                       "main window", "close splash", "run", "save"));
  EXPECT_THAT(steps.Errors, ElementsAre("Invalid data type for 'Version'"));
  EXPECT_THAT(steps.Warnings, ElementsAre("machine.reg line 3: broken. The file was moved aside"));
}

TEST(StartupProblems, WarningsOfTheFinalSaveAreShownToo) {
  TRecordingSteps steps;
  steps.MainWindowTakes = 3s;
  steps.LateWarnings = {"user.reg was moved aside"};
  TStartup(steps).Run();
  EXPECT_THAT(steps.Calls.back(), "warning");
  EXPECT_THAT(steps.Warnings, ElementsAre("user.reg was moved aside"));
}

TEST(StartupProblems, AFailedSaveIsShownAndEndsWithItsOwnCode) {
  TRecordingSteps steps;
  steps.MainWindowTakes = 3s;
  steps.SaveFails = true;
  EXPECT_EQ(TStartup(steps).Run(), kExitSettingsNotSaved);
  EXPECT_NE(kExitSettingsNotSaved, kExitOk);
  EXPECT_NE(kExitSettingsNotSaved, kExitSetupCancelled);
  EXPECT_THAT(steps.Errors,
              ElementsAre("The settings could not be saved.\n\nCannot lock user.reg.lock"));
  EXPECT_EQ(steps.Calls.back(), "error");
}

TEST(StartupProblems, AFailedSaveKeepsACodeThatAlreadySaysSomethingWentWrong) {
  TRecordingSteps cancelled;
  cancelled.NeedsSetup = true;
  cancelled.ConfirmSetup = false;
  cancelled.SaveFails = true;
  EXPECT_EQ(TStartup(cancelled).Run(), kExitSetupCancelled);
  EXPECT_THAT(cancelled.Errors, testing::SizeIs(1));

  TRecordingSteps failing;
  failing.MainWindowTakes = 3s;
  failing.MainWindowExitCode = 5;
  failing.SaveFails = true;
  EXPECT_EQ(TStartup(failing).Run(), 5);
}

TEST(StartupSplash, AQuickMainWindowKeepsTheSplashUpForTwoSeconds) {
  TRecordingSteps steps;
  steps.MainWindowTakes = 500ms;
  TStartup(steps).Run();
  EXPECT_THAT(steps.Waits, ElementsAre(1500ms));
  EXPECT_EQ(steps.SplashClosedAfter, 2000ms);
}

TEST(StartupSplash, ASlowMainWindowClosesTheSplashAtOnce) {
  TRecordingSteps steps;
  steps.MainWindowTakes = 2001ms;
  TStartup(steps).Run();
  EXPECT_THAT(steps.Waits, IsEmpty());
  EXPECT_EQ(steps.SplashClosedAfter, 2001ms);
}

TEST(StartupSplash, AMainWindowReadyAtExactlyTwoSecondsDoesNotWait) {
  TRecordingSteps steps;
  steps.MainWindowTakes = 2000ms;
  TStartup(steps).Run();
  EXPECT_THAT(steps.Waits, IsEmpty());
}

TEST(StartupSplash, TheTimeSpentInTheSetupCountsTowardsTheMinimum) {
  TRecordingSteps steps;
  steps.NeedsSetup = true;
  steps.SetupTakes = 1200ms;
  steps.MainWindowTakes = 300ms;
  TStartup(steps).Run();
  EXPECT_THAT(steps.Waits, ElementsAre(500ms));
  EXPECT_EQ(steps.SplashClosedAfter, 2000ms);
}

TEST(StartupSplash, EventsThatEndAWaitEarlyLeadToShorterWaitsUntilTheTimeIsUp) {
  TRecordingSteps steps;
  steps.MainWindowTakes = 1000ms;
  steps.EventsArriveEvery = 400ms;
  TStartup(steps).Run();
  EXPECT_THAT(steps.Waits, ElementsAre(1000ms, 600ms, 200ms));
  EXPECT_EQ(steps.SplashClosedAfter, 2000ms);
}

}  // namespace
}  // namespace fx
