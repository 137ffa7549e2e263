#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "exes/FXExes.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/StandInEngine.h"
#include "fixtures/TempDir.h"
#include "settings/FXSettings.h"

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

TEST_F(ExeStart, StartsTheEngineInTheGameFolderWithTheCompletedCommandLine) {
  WriteStandInEngine(FGame / "winquake.sh", FReport);
  TQuakeExe exe("WinQuake");
  exe.ExeType = TExeType::WinQuake;
  exe.ExeName = "winquake.sh";
  exe.CmdLine = "-nosound";
  exe.MemSize = 16;
  exe.SetMemSize = true;
  int closed = 0;

  ASSERT_TRUE(exe.Execute("+exec Frax.cfg -game \"my ctf\"", FGame.string(), true,
                          [&closed] { ++closed; }));
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->Program, (FGame / "winquake.sh").string());
  EXPECT_EQ(report->Folder, fs::canonical(FGame).string());
  EXPECT_EQ(report->Args, (std::vector<std::string>{"-heapsize", "16384", "-nosound", "+exec",
                                                    "Frax.cfg", "-game", "my ctf"}));
  EXPECT_EQ(closed, 1);
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

  ASSERT_TRUE(exe.Execute("+map e1m1", folder, false, [] { ADD_FAILURE() << "closed"; }));
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->Folder, fs::canonical(FGame).string());
  EXPECT_EQ(report->Args, (std::vector<std::string>{"+map", "e1m1", "-winmem", "12", "-winlock"}));
}

TEST_F(ExeStart, SettingsGiveTheGameFolderAndWhetherToClose) {
  WriteStandInEngine(FGame / "glquake.sh", FReport);
  TFXSettings settings;
  settings.SetQPath(FGame.string());
  settings.SetCloseOnExec(false);
  TQuakeExe exe("GL");
  exe.ExeName = "glquake.sh";
  exe.ExeType = TExeType::OpenGLQuake;

  ASSERT_TRUE(exe.Execute("-listen 4", settings, [] { ADD_FAILURE() << "closed"; }));
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->Folder, fs::canonical(FGame).string());
  EXPECT_EQ(report->Args, (std::vector<std::string>{"-listen", "4"}));
}

TEST_F(ExeStart, AFailedStartIsSilentAndKeepsTheProgramOpen) {
  TQuakeExe exe("Missing");
  exe.ExeName = "nothing-here.exe";
  bool closed = false;
  EXPECT_FALSE(exe.Execute("", FGame.string(), true, [&closed] { closed = true; }));
  EXPECT_FALSE(closed);
}

TEST_F(ExeStart, AnEngineOutsideTheGameFolderNamedByAbsolutePathRunsInTheGameFolder) {
  const fs::path engine = FTemp / "engines" / "ironwail";
  fs::create_directories(engine.parent_path());
  WriteStandInEngine(engine, FReport);
  TQuakeExe exe("Ironwail");
  exe.ExeName = engine.string();

  ASSERT_TRUE(exe.Execute("-game ctf", FGame.string(), false, {}));
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

  const char* old = std::getenv("PATH");
  const std::string saved = old ? old : "";
  ::setenv("PATH", (Path() + ":" + saved).c_str(), 1);
  const bool started = exe.Execute("+map start", FGame.string(), false, {});
  ::setenv("PATH", saved.c_str(), 1);
  ASSERT_TRUE(started);
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
