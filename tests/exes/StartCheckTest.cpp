// Whether an entry's program can start, which entry a list prefers, and entries for picked
// programs, on files made in a temporary folder.

#include "exes/StartCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "platform/Shell.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::WriteFileBytes;

class StartCheck : public ::testing::Test {
 protected:
  test::TTempDir FTemp;
  fs::path FGame = FTemp / "quake";
  fs::path FBin = FTemp / "bin";

  void SetUp() override {
    fs::create_directories(FGame / "id1");
    fs::create_directories(FBin);
  }
  fs::path File(const fs::path& file, const std::string& bytes, bool executable) {
    WriteFileBytes(file, bytes);
    fs::permissions(file, executable ? fs::perms::owner_all : fs::perms::owner_read);
    return file;
  }
  TExeStart Plan(const TQuakeExe& exe) const {
    return exe.PlanStart("", FGame.string(), FBin.string());
  }
};

TEST_F(StartCheck, SaysWhichFileCannotStartAndWhy) {
  File(FGame / "engine", "#!/bin/sh\n", true);
  File(FGame / "plain", "#!/bin/sh\n", false);
  File(FGame / "quake.exe", "MZ\x90", false);
  File(FGame / "qwcl", "MZ\x90", false);  // a Windows program without its extension
  File(FBin / "wine", "#!/bin/sh\n", true);
  struct TCase {
    const char* ExeName;
    const char* RunThrough;
    std::string File;  // empty: it starts
    std::string ReasonStart;
    bool StartsEngine = false;  // the wrapper starts the engine itself
  };
  const TCase cases[] = {
      {"engine", "", "", ""},
      {"nothing", "", (FGame / "nothing").string(), "The file does not exist."},
      {"id1", "", (FGame / "id1").string(), "It is a folder"},
      {"plain", "", (FGame / "plain").string(), "It is not marked as a program"},
      {"quake.exe", "", (FGame / "quake.exe").string(), "It is a Windows program"},
      {"qwcl", "", (FGame / "qwcl").string(), "It is a Windows program"},
      {"quake.exe", "wine", "", ""},
      {"quake.exe", "nowine --x", "nowine", "It is given under \"Run through\""},
      {"io.github.Novum.vkQuake", "wine", "", "", true},
      {"io.github.Novum.vkQuake", "noflatpak run x", "noflatpak", "It is given under", true},
  };
  for (const TCase& c : cases) {
    TQuakeExe exe("Entry");
    exe.ExeName = c.ExeName;
    exe.RunThrough = c.RunThrough;
    exe.WrapperStartsEngine = c.StartsEngine;
    const auto problem = CheckStart(Plan(exe));
    SCOPED_TRACE(std::string(c.ExeName) + " / " + c.RunThrough);
    ASSERT_EQ(problem.has_value(), !c.File.empty());
    if (!problem) continue;
    EXPECT_EQ(problem->File, c.File);
    EXPECT_TRUE(problem->Reason.starts_with(c.ReasonStart)) << problem->Reason;
  }
}

TEST_F(StartCheck, AFailedStartSaysWhyAndTheBoxOffersTheProperties) {
  TExeStart start;
  start.File = File(FGame / "glquake.exe", "MZ\x90", true).string();
  EXPECT_TRUE(StartFailure(start, kShellBadFormat).Reason.starts_with("It is a Windows program"));
  EXPECT_TRUE(StartFailure(start, kShellFileNotFound).Missing);

  const TMessage box =
      StartProblemMessage({"/q/quake.exe", "The file does not exist.", true}, "DOS Quake");
  EXPECT_EQ(box.Text,
            "Quake could not be started.\n\nFile: /q/quake.exe\nReason: The file does not "
            "exist.\n\nDo you want to open the Properties of \"DOS Quake\"?");
  EXPECT_EQ(box.Icon, TMsgIcon::Error);
  EXPECT_EQ(box.Buttons, TMsgButtons::YesNo);
}

TEST_F(StartCheck, AListPrefersTheFirstEngineThatCanStartInProfileOrder) {
  TQuakeExeList list;
  for (const char* name : {"quake.exe", "ironwail", "myquake", "quakespasm"}) {
    list.emplace_back(name);
    list.back().ExeName = name;
  }
  EXPECT_EQ(PreferredExe(list, FGame.string(), FBin.string()), -1);
  File(FBin / "ironwail", "#!/bin/sh\n", true);
  File(FBin / "myquake", "#!/bin/sh\n", true);
  EXPECT_EQ(PreferredExe(list, FGame.string(), FBin.string()), 1);
  File(FBin / "quakespasm", "#!/bin/sh\n", true);
  EXPECT_EQ(PreferredExe(list, FGame.string(), FBin.string()), 3);
}

TEST_F(StartCheck, APickedProgramIsNamedAndTypedByWhatItIs) {
  struct TCase {
    fs::path File;
    const char* Bytes;
    const char* Name;
    TExeType Type;
    std::string ExeName;
  };
  const TCase cases[] = {
      {FBin / "quakespasm",
       "\x7f"
       "ELF",
       "QuakeSpasm (1)", TExeType::OpenGLQuake, (FBin / "quakespasm").string()},
      {FBin / "tyrquake.x86_64",
       "\x7f"
       "ELF",
       "tyrquake", TExeType::OpenGLQuake, (FBin / "tyrquake.x86_64").string()},
      {FGame / "WinQuake.exe", "MZ", "WinQuake", TExeType::WinQuake, "WinQuake.exe"},
      {FGame / "q95.bat", "@echo off", "q95", TExeType::Q95BatchFile, "q95.bat"},
      {FGame / "qwcl", "MZ", "qwcl", TExeType::DosQuake, "qwcl"},
  };
  for (const TCase& c : cases) {
    File(c.File, c.Bytes, true);
    const TQuakeExe exe = EntryForProgram(c.File.string(), FGame.string(), {"QuakeSpasm"});
    SCOPED_TRACE(c.File.string());
    EXPECT_EQ(exe.Name(), c.Name);
    EXPECT_EQ(exe.ExeType, c.Type);
    EXPECT_EQ(exe.ExeName, c.ExeName);
  }
}

}  // namespace
}  // namespace fx
