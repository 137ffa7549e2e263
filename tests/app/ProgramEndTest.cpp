// The real program ended from outside: by a signal as the desktop sends it, or killed. What
// the user confirmed must be on disk either way.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "tests/app/ProgramProcess.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::kAnswerMs;
using test::kStartMs;
using test::TProgram;

const QString kSetupShown = QStringLiteral("modal fx::TSetupDlg");

class ProgramEndTest : public ::testing::Test {
 protected:
  ProgramEndTest() : FEnvironment(test::ProgramEnvironment(FTemp.Path())) {
    test::WriteFileBytes(Game() / "id1" / "pak0.pak", "PACK");
  }

  fs::path Game() const { return FTemp / "quake"; }
  std::string MachineReg() const { return FileText(FTemp / "config" / "machine.reg"); }
  std::string UserReg() const { return FileText(FTemp / "config" / "user.reg"); }

  static std::string FileText(const fs::path& file) {
    return fs::exists(file) ? test::ReadFileBytes(file) : std::string();
  }

  // Confirms the first-run setup with the game folder and waits for the main window.
  void CompleteSetup(TProgram& program) {
    ASSERT_TRUE(program.WaitFor(kSetupShown, kStartMs)) << program.Transcript();
    ASSERT_TRUE(program.Run("set QPathEdit " + QString::fromStdString(Game().string())));
    program.Send("accept");
    ASSERT_TRUE(program.WaitFor("ready", kStartMs)) << program.Transcript();
  }

  // Opens the settings dialog from the menu and checks "Close Fraxinel on executing Quake".
  static void ChangeAnOptionInTheSettingsDialog(TProgram& program) {
    ASSERT_TRUE(program.Run("trigger OptionsSettingsItem"));
    ASSERT_TRUE(program.WaitFor("modal fx::TFXSettingsForm", kAnswerMs)) << program.Transcript();
    ASSERT_TRUE(program.Run("check cbCloseOnExec 1"));
  }

  // The next start finds the setup done: the main window comes without it.
  void ExpectNoSetupAtTheNextStart() {
    TProgram next(FEnvironment);
    ASSERT_TRUE(next.WaitFor("ready", kStartMs)) << next.Transcript();
    EXPECT_FALSE(next.Lines().contains(kSetupShown));
  }

  void ExpectSetupStored() {
    const std::string machine = MachineReg();
    EXPECT_NE(machine.find("\"QPath\"=\"" + Game().string() + "\""), std::string::npos) << machine;
    EXPECT_NE(machine.find("\"Version\"=dword:00000001"), std::string::npos) << machine;
  }

  test::TTempDir FTemp;
  QProcessEnvironment FEnvironment;
};

struct TEnd {
  int Signal;
  bool EndsAsFileExit;  // false: the signal cannot be caught
  friend void PrintTo(const TEnd& end, std::ostream* out) { *out << sigabbrev_np(end.Signal); }
};

class ProgramEndBySignalTest : public ProgramEndTest, public ::testing::WithParamInterface<TEnd> {};

TEST_P(ProgramEndBySignalTest, KeepsTheSetupAndTheNextStartDoesNotOfferItAgain) {
  {
    TProgram program(FEnvironment);
    ASSERT_NO_FATAL_FAILURE(CompleteSetup(program));
    program.Signal(GetParam().Signal);
    if (GetParam().EndsAsFileExit) {
      // A second one, as an impatient desktop sends it, arrives during the shut-down.
      program.Signal(GetParam().Signal);
      EXPECT_EQ(program.WaitForExit(kAnswerMs), 0);
      // The main window's close handling ran: only it stores the window's placement.
      EXPECT_NE(UserReg().find("\"FXLaunchFormPlacement\"=hex:"), std::string::npos) << UserReg();
    } else {
      EXPECT_EQ(program.WaitForExit(kAnswerMs), -1);
    }
  }
  ExpectSetupStored();
  ExpectNoSetupAtTheNextStart();
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramEndBySignalTest,
                         ::testing::Values(TEnd{SIGTERM, true}, TEnd{SIGHUP, true},
                                           TEnd{SIGINT, true}, TEnd{SIGKILL, false}),
                         [](const auto& info) {
                           return std::string(sigabbrev_np(info.param.Signal));
                         });

TEST_F(ProgramEndTest, ASignalDuringTheSetupIsItsCancel) {
  {
    TProgram program(FEnvironment);
    ASSERT_TRUE(program.WaitFor(kSetupShown, kStartMs)) << program.Transcript();
    ASSERT_TRUE(program.Run("set QPathEdit " + QString::fromStdString(Game().string())));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(kAnswerMs), 1);
  }
  EXPECT_EQ(MachineReg().find("\"Version\""), std::string::npos) << MachineReg();
  EXPECT_EQ(MachineReg().find(Game().string()), std::string::npos) << MachineReg();
  TProgram next(FEnvironment);
  EXPECT_TRUE(next.WaitFor(kSetupShown, kStartMs)) << next.Transcript();
}

TEST_F(ProgramEndTest, ASignalCancelsTheOpenSettingsDialogAndEndsAsFileExit) {
  TProgram program(FEnvironment);
  ASSERT_NO_FATAL_FAILURE(CompleteSetup(program));
  ASSERT_NO_FATAL_FAILURE(ChangeAnOptionInTheSettingsDialog(program));
  program.Signal(SIGHUP);
  EXPECT_EQ(program.WaitForExit(kAnswerMs), 0);
  EXPECT_EQ(MachineReg().find("\"CloseOnExec\"=\"True\""), std::string::npos) << MachineReg();
  EXPECT_NE(UserReg().find("\"FXLaunchFormPlacement\"=hex:"), std::string::npos) << UserReg();
}

TEST_F(ProgramEndTest, WhatTheUserConfirmedOutlivesAKill) {
  TProgram program(FEnvironment);
  ASSERT_NO_FATAL_FAILURE(CompleteSetup(program));
  ASSERT_NO_FATAL_FAILURE(ChangeAnOptionInTheSettingsDialog(program));
  program.Send("accept");
  ASSERT_TRUE(program.Run("trigger miExeAdd"));
  ASSERT_TRUE(program.WaitFor("modal QFileDialog", kAnswerMs)) << program.Transcript();
  ASSERT_TRUE(program.Run("set fileNameEdit /bin/sh"));
  program.Send("accept");
  program.Send("sync");
  ASSERT_TRUE(program.WaitFor("synced", kAnswerMs)) << program.Transcript();
  program.Signal(SIGKILL);
  EXPECT_EQ(program.WaitForExit(kAnswerMs), -1);

  const std::string machine = MachineReg();
  EXPECT_NE(machine.find("\"CloseOnExec\"=\"True\""), std::string::npos) << machine;
  EXPECT_NE(machine.find("\\Executables\\sh]"), std::string::npos) << machine;
}

}  // namespace
}  // namespace fx
