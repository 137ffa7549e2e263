#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "exes/FXExes.h"
#include "exes/StartCheck.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/StandInEngine.h"
#include "fixtures/TempDir.h"
#include "platform/Shell.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::TTempDir;
using test::WaitForReport;
using test::WriteFileBytes;
using test::WriteStandInEngine;

constexpr auto kExecutable = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec;

class ExeStart : public ::testing::Test {
 protected:
  TTempDir FTemp;
  fs::path FGame = FTemp / "quake";
  fs::path FReport = FTemp / "report";

  void SetUp() override { fs::create_directories(FGame / "id1"); }
};

// Starts a plan as the launch does.
bool Start(const TExeStart& plan, const TProgramStartOptions& options = {}) {
  return ShellSucceeded(
      StartProgram(StartedProgram(plan), StartedArguments(plan), plan.Directory, options).Result);
}

TEST_F(ExeStart, StartsTheEngineInTheGameFolderWithTheCompletedCommandLine) {
  WriteStandInEngine(FGame / "winquake.sh", FReport);
  TQuakeExe exe("WinQuake");
  exe.ExeType = TExeType::WinQuake;
  exe.ExeName = "winquake.sh";
  exe.CmdLine = "-nosound";
  exe.MemSize = 16;
  exe.SetMemSize = true;

  ASSERT_TRUE(Start(exe.PlanStart("+exec Frax.cfg -game \"my ctf\"", FGame.string(), "")));
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->Program, (FGame / "winquake.sh").string());
  EXPECT_EQ(report->Folder, fs::canonical(FGame).string());
  EXPECT_EQ(report->Args, (std::vector<std::string>{"-heapsize", "16384", "-nosound", "+exec",
                                                    "Frax.cfg", "-game", "my ctf"}));
}

TEST_F(ExeStart, AWrapperStartsTheEngineWithTheEntrysEnvironment) {
  WriteStandInEngine(FGame / "engine.sh", FReport);
  // The wrapper notes one variable of its environment, then runs what it was given.
  fs::create_directories(FTemp / "bin");
  WriteFileBytes(FTemp / "bin" / "fx-wrap",
                 "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$FX_WRAP_VALUE\" > '" +
                     (FTemp / "wrapped").string() + "'\nshift\nexec \"$@\"\n");
  fs::permissions(FTemp / "bin" / "fx-wrap", kExecutable);
  TQuakeExe exe("Wrapped");
  exe.ExeName = "engine.sh";
  exe.RunThrough = "fx-wrap \"--first arg\"";
  exe.Environment = {"FX_WRAP_VALUE=a b'c", "not a variable"};

  const TExeStart plan = exe.PlanStart("+map e1m1", FGame.string(), (FTemp / "bin").string());
  EXPECT_EQ(plan.Wrapper,
            (std::vector<std::string>{(FTemp / "bin" / "fx-wrap").string(), "--first arg"}));
  TProgramStartOptions options;
  options.Environment = plan.Environment;
  ASSERT_TRUE(Start(plan, options));
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->Program, (FGame / "engine.sh").string());
  EXPECT_EQ(report->Args, (std::vector<std::string>{"+map", "e1m1"}));
  EXPECT_EQ(test::ReadFileBytes(FTemp / "wrapped"), "--first arg|a b'c");
}

TEST_F(ExeStart, AWrapperThatStartsTheEngineItselfGetsTheParametersInsteadOfTheFile) {
  // Stands for "flatpak run <app id>": the engine is the wrapper's to find.
  WriteStandInEngine(FTemp / "bin" / "fx-flatpak", FReport);
  TQuakeExe exe("vkQuake (Flatpak)");
  exe.ExeName = "io.github.Novum.vkQuake";  // no file of that name anywhere
  exe.RunThrough = "fx-flatpak run io.github.Novum.vkQuake";
  exe.WrapperStartsEngine = true;

  const TExeStart plan = exe.PlanStart("+map e1m1", FGame.string(), (FTemp / "bin").string());
  EXPECT_FALSE(CheckStart(plan).has_value());
  ASSERT_TRUE(Start(plan));
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->Program, (FTemp / "bin" / "fx-flatpak").string());
  EXPECT_EQ(report->Args,
            (std::vector<std::string>{"run", "io.github.Novum.vkQuake", "+map", "e1m1"}));

  exe.RunThrough.clear();  // nothing to start it: the entry's file is started, and missing
  EXPECT_TRUE(CheckStart(exe.PlanStart("", FGame.string(), "")).has_value());
}

TEST_F(ExeStart, GameFolderWithATrailingSeparatorStartsTheSameFile) {
  WriteStandInEngine(FGame / "quake.sh", FReport);
  TQuakeExe exe("DOS Quake");
  exe.ExeName = "quake.sh";
  exe.MemSize = 12;
  exe.SetMemSize = true;
  exe.AllocMethod = TAllocMethod::LockMemory;

  const std::string folder = FGame.string() + "/";
  const TExeStart plan = exe.PlanStart("+map e1m1", folder, "");
  EXPECT_EQ(plan.File, (FGame / "quake.sh").string());
  EXPECT_EQ(plan.Directory, folder);
  EXPECT_EQ(plan.Parameters, " +map e1m1 -winmem 12 -winlock");
  EXPECT_EQ(exe.PlanStart("+map e1m1", FGame.string(), "").File, plan.File);

  ASSERT_TRUE(Start(plan));
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->Folder, fs::canonical(FGame).string());
  EXPECT_EQ(report->Args, (std::vector<std::string>{"+map", "e1m1", "-winmem", "12", "-winlock"}));
}

TEST_F(ExeStart, AnEngineOutsideTheGameFolderNamedByAbsolutePathRunsInTheGameFolder) {
  const fs::path engine = FTemp / "engines" / "ironwail";
  fs::create_directories(engine.parent_path());
  WriteStandInEngine(engine, FReport);
  TQuakeExe exe("Ironwail");
  exe.ExeName = engine.string();

  ASSERT_TRUE(Start(exe.PlanStart("-game ctf", FGame.string(), "")));
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->Program, engine.string());
  EXPECT_EQ(report->Folder, fs::canonical(FGame).string());
  EXPECT_EQ(report->Args, (std::vector<std::string>{"-game", "ctf"}));
}

TEST_F(ExeStart, ExeNameIsFoundInTheGameFolderWhateverItsCase) {
  WriteFileBytes(FGame / "Bin" / "WinQuake.SH", "#!/bin/sh\n");
  EXPECT_EQ(FindExeFile("bin\\winquake.sh", FGame.string(), ""), FGame / "Bin" / "WinQuake.SH");
}

class ExeOnPath : public ExeStart {
 protected:
  fs::path FBin = FTemp / "bin";
  fs::path FOtherBin = FTemp / "other";

  void SetUp() override {
    ExeStart::SetUp();
    fs::create_directories(FBin);
    fs::create_directories(FOtherBin);
  }
  std::string Path() const { return FOtherBin.string() + ":" + FBin.string(); }
  void Program(const fs::path& file, bool executable = true) {
    WriteFileBytes(file, "#!/bin/sh\n");
    if (executable) fs::permissions(file, kExecutable);
  }
};

TEST_F(ExeOnPath, ABareNameNotInTheGameFolderIsLookedUpOnPath) {
  Program(FBin / "quakespasm");
  EXPECT_EQ(FindExeFile("quakespasm", FGame.string(), Path()), FBin / "quakespasm");
}

TEST_F(ExeOnPath, TheGameFolderWinsOverPath) {
  Program(FBin / "quakespasm");
  Program(FGame / "QuakeSpasm");
  EXPECT_EQ(FindExeFile("quakespasm", FGame.string(), Path()), FGame / "QuakeSpasm");
}

TEST_F(ExeOnPath, TheFirstExecutableOnPathWins) {
  Program(FOtherBin / "quakespasm", /*executable=*/false);
  Program(FBin / "quakespasm");
  EXPECT_EQ(FindExeFile("quakespasm", FGame.string(), Path()), FBin / "quakespasm");
  Program(FOtherBin / "quakespasm");
  EXPECT_EQ(FindExeFile("quakespasm", FGame.string(), Path()), FOtherBin / "quakespasm");
}

TEST_F(ExeOnPath, NamesWithAFolderAndUnknownNamesStayInTheGameFolder) {
  Program(FBin / "quakespasm");
  fs::create_directories(FBin / "sub");
  Program(FBin / "sub" / "quakespasm");
  EXPECT_EQ(FindExeFile("sub/quakespasm", FGame.string(), Path()), FGame / "sub" / "quakespasm");
  EXPECT_EQ(FindExeFile("unknown", FGame.string(), Path()), FGame / "unknown");
}

TEST_F(ExeOnPath, AnEmptyPathEntryDoesNotMeanTheCurrentFolder) {
  const fs::path previous = fs::current_path();
  Program(FTemp / "quakespasm");
  fs::current_path(FTemp.Path());
  const fs::path found = FindExeFile("quakespasm", FGame.string(), ":" + FBin.string() + ":");
  fs::current_path(previous);
  EXPECT_EQ(found, FGame / "quakespasm");
}

TEST_F(ExeOnPath, AStartThroughPathGetsTheGameFolderAsWorkingFolder) {
  WriteStandInEngine(FBin / "fxstandin-engine", FReport);
  TQuakeExe exe("On PATH");
  exe.ExeName = "fxstandin-engine";
  const TExeStart plan = exe.PlanStart("+map start", FGame.string(), Path());
  EXPECT_EQ(plan.File, (FBin / "fxstandin-engine").string());

  ASSERT_TRUE(Start(plan));
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->Program, (FBin / "fxstandin-engine").string());
  EXPECT_EQ(report->Folder, fs::canonical(FGame).string());
  EXPECT_EQ(report->Args, (std::vector<std::string>{"+map", "start"}));
}

TEST_F(ExeOnPath, APickedFileKeepsItsFullPathUnlessItLiesInTheGameFolder) {
  Program(FGame / "glquake");
  EXPECT_EQ(ExeNameForChosenFile((FGame / "glquake").string(), FGame.string()), "glquake");
  EXPECT_EQ(ExeNameForChosenFile((FGame / "glquake").string(), FGame.string() + "/"), "glquake");
  Program(FBin / "quakespasm");
  EXPECT_EQ(ExeNameForChosenFile((FBin / "quakespasm").string(), FGame.string()),
            (FBin / "quakespasm").string());
  // A sub-folder of the game folder is not the game folder: the bare name would not be found.
  Program(FGame / "id1" / "tool");
  EXPECT_EQ(ExeNameForChosenFile((FGame / "id1" / "tool").string(), FGame.string()),
            (FGame / "id1" / "tool").string());
}

}  // namespace
}  // namespace fx
